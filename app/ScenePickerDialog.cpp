#include "app/ScenePickerDialog.h"

#include "app/LumaraView.h"
#include "files/PresetNames.h"
#include "controls/BitButton.h"
#include "controls/SkinControl.h"
#include "controls/TemplateDialog.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// Template 1221 in dialog units of System 10.
constexpr platform::TemplateFont kFont = platform::kSystem10;
const QSize kSize(230, 135);
const QPoint kClosePlace(215, 2);
// Scenes 1 to 6: two rows of three.
const QPoint kScenePlaces[6] = {{32, 62}, {91, 62}, {150, 62}, {32, 89}, {91, 89}, {150, 89}};

struct SceneBitmaps {
    unsigned normal, hover, pressed;
};
constexpr SceneBitmaps kCloseCn{1246, 1247, 1248};
constexpr SceneBitmaps kCloseEn{1223, 1224, 1225};
constexpr SceneBitmaps kScenesCn[6] = {{1240, 1255, 1255}, {1241, 1256, 1256}, {1242, 1257, 1257},
                                       {1243, 1258, 1258}, {1244, 1259, 1259}, {1245, 1261, 1261}};
constexpr SceneBitmaps kScenesEn[6] = {{1226, 1262, 1262}, {1227, 1263, 1263}, {1228, 1264, 1264},
                                       {1229, 1265, 1265}, {1230, 1266, 1266}, {1231, 1267, 1267}};

void SetBitmaps(CBitButton* b, const SceneBitmaps& ids) {
    b->SetBitmaps(ids.normal, ids.hover, ids.pressed, ids.normal, ids.hover, ids.pressed);
}

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

CScenePickerDialog::CScenePickerDialog(QWidget* parent)
    : MessageTarget(parent, Qt::Dialog | Qt::FramelessWindowHint), m_WrapWidth(kSceneCaptionWidth) {
    setFixedSize(platform::DluToPixels(kSize, kFont));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_Close = new CBitButton(this, IDC_CLOSE);
    m_Close->setObjectName(QString::number(IDC_CLOSE));
    m_Close->move(platform::DluToPixels(kClosePlace, kFont));
    for (int n = 1; n <= 6; ++n) {
        CBitButton*& b = m_Scenes[n - 1];
        b = new CBitButton(this, IDC_SCENE1 + n - 1);
        b->setObjectName(QString::number(IDC_SCENE1 + n - 1));
        b->move(platform::DluToPixels(kScenePlaces[n - 1], kFont));
    }
    SetOpen(1);
}

CScenePickerDialog::~CScenePickerDialog() {
    SetOpen(0);
}

void CScenePickerDialog::SetOpen(int open) {
    g_ScenePickerOpen = open;
    g_StateFlags[kFlagScenePickerOpen] = open;
}

void CScenePickerDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    MessageTarget::showEvent(event);
}

void CScenePickerDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_LastName.clear();
    const bool cn = g_LanguageFlag.load() != 0;
    const QFont* f = &g_FontDialog16.Get();
    SetBitmaps(m_Close, cn ? kCloseCn : kCloseEn);
    const bool synced = g_DeviceSynced.load() != 0;
    for (int n = 1; n <= 6; ++n) {
        CBitButton* b = m_Scenes[n - 1];
        b->SetFonts(f, f, f, f, f, f);
        b->SetMultiLineText(true, 4);
        SetBitmaps(b, (cn ? kScenesCn : kScenesEn)[n - 1]);
        std::string caption = DefaultCaption(n);
        if (synced) {
            const std::string name = g_DeviceRecords.StoredPresetName(n);
            if (!name.empty()) caption = name;
        }
        b->setText(Text(WrapText(caption, m_WrapWidth)));
    }
}

std::string CScenePickerDialog::DefaultCaption(int n) {
    return (g_LanguageFlag.load() ? std::string("场景") : std::string("Memory")) +
           std::to_string(n);
}

std::string CScenePickerDialog::WrapText(const std::string& text, int width) {
    return WrapSceneCaption(text, width);
}

int CScenePickerDialog::BackgroundId() const {
    if (g_LanguageFlag.load()) return m_Mode == kLoad ? 1271 : 1272;
    return m_Mode == kLoad ? 1269 : 1270;
}

void CScenePickerDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(BackgroundId()));
}

void CScenePickerDialog::OnSceneButton(int n) {
    if (!m_View || !SceneButton(n)) return;
    const std::string name = m_View->LoadOrSaveScene(m_Mode == kLoad, n);
    m_LastName = name;
    // Nothing named (a load, or a name refused or cancelled): the caption stays.
    if (name.empty()) return;
    m_LastName = WrapText(name, m_WrapWidth);
    SceneButton(n)->setText(Text(m_LastName));
}

void CScenePickerDialog::OnDeleteScene(int id) {
    const int n = id - (IDC_SCENE1 - 1);
    CBitButton* b = SceneButton(n);
    if (!m_View || !b) return;
    if (!m_View->DeleteScene(b->text().toStdString(), n)) return;
    b->setText(Text(WrapText(DefaultCaption(n), m_WrapWidth)));
}

void CScenePickerDialog::OnOK() {
    done(QDialog::Accepted);
}

void CScenePickerDialog::done(int result) {
    SetOpen(0);
    MessageTarget::done(result);
}

LRESULT CScenePickerDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id == IDC_CLOSE)
            OnOK();
        else if (id >= IDC_SCENE1 && id < IDC_SCENE1 + 6)
            OnSceneButton(id - (IDC_SCENE1 - 1));
        return 0;
    }
    case WM_SLOT_RIGHT_CLICK:
        OnDeleteScene(static_cast<int>(lParam));
        return 0;
    default:
        return 0;
    }
}

void CScenePickerDialog::keyPressEvent(QKeyEvent* event) {
    // Neither Enter nor Escape ends the picker; the focus leaves the buttons.
    if (!KeepDialogOnEnterOrEscape(*this, event)) MessageTarget::keyPressEvent(event);
}

bool CScenePickerDialog::focusNextPrevChild(bool) {
    return true;
} // Tab moves nothing
