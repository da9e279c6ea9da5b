#include "app/PresetPanelDialog.h"

#include "features/presets/PanelPasswordPrompt.h"
#include "features/connection/TransferWindow.h"
#include "app/LumaraView.h"
#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Template 874 in dialog units of System 10.
constexpr platform::TemplateFont kFont = platform::kSystem10;
const QSize kSize(187, 316);
constexpr int kBackgroundCn = 875, kBackgroundEn = 876, kBackgroundFirst = 877;

// Off normal, hover, pressed; on normal, hover, pressed (0: the off picture).
struct Pictures {
    unsigned ids[6];
};
struct ButtonPlace {
    int id;
    QRect dlu;
    Pictures cn;
    Pictures en;
};

constexpr Pictures Three(unsigned a, unsigned b, unsigned c) {
    return {{a, b, c, 0, 0, 0}};
}
constexpr Pictures Six(unsigned a, unsigned b, unsigned c, unsigned d, unsigned e, unsigned f) {
    return {{a, b, c, d, e, f}};
}
// A preset button: its normal picture, then one picture for the other five looks.
constexpr Pictures Preset(unsigned normal, unsigned other) {
    return {{normal, other, other, other, other, other}};
}
constexpr Pictures kNone{};

const ButtonPlace kPlaces[CPresetPanelDialog::kButtonCount] = {
    {2819, {11, 7, 20, 15}, Six(884, 885, 885, 886, 887, 887), Six(890, 891, 891, 892, 893, 893)},
    {2820, {139, 12, 8, 10}, Three(934, 935, 935), Three(934, 935, 935)},
    {2821, {150, 9, 11, 11}, Three(936, 937, 937), Three(936, 937, 937)},
    {2822, {22, 62, 37, 15}, Preset(896, 906), Preset(916, 920)},
    {2823, {96, 62, 37, 15}, Preset(897, 907), Preset(917, 921)},
    {2824, {22, 104, 37, 15}, Preset(898, 908), Preset(918, 922)},
    {2825, {96, 104, 37, 15}, Preset(899, 909), Preset(919, 923)},
    {2826, {22, 160, 37, 15}, Preset(900, 910), Preset(900, 910)},
    {2827, {96, 160, 37, 15}, Preset(901, 911), Preset(901, 911)},
    {2828, {22, 202, 37, 15}, kNone, kNone},
    {2829, {96, 202, 37, 15}, kNone, kNone},
    {2830, {22, 244, 37, 15}, kNone, kNone},
    {2831, {96, 244, 37, 15}, kNone, kNone},
    {2832, {36, 224, 37, 15}, Three(924, 925, 926), Three(927, 928, 929)},
    {2833, {36, 248, 37, 15}, Three(930, 931, 931), Three(932, 933, 933)},
    {2834, {55, 286, 37, 15}, Three(888, 889, 889), Three(894, 895, 895)},
    {2835, {59, 295, 37, 15}, Six(878, 879, 880, 881, 882, 883), Six(878, 879, 880, 881, 882, 883)},
};

void ApplyPictures(CBitButton* b, const Pictures& p) {
    b->SetBitmaps(p.ids[0], p.ids[1], p.ids[2], p.ids[3], p.ids[4], p.ids[5]);
}

bool HasPictures(const ButtonPlace& place) {
    return place.cn.ids[0] != 0;
}

const BiText kConnectionFailure{"连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!",
                                "Connection failure!"};

} // namespace

CPresetPanelDialog::CPresetPanelDialog(QWidget* parent)
    : MessageTarget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint) {
    setFixedSize(platform::DluToPixels(kSize, kFont));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_View = g_ActiveView;
    for (const ButtonPlace& place : kPlaces) {
        auto* b = new CBitButton(this, place.id);
        b->setObjectName(QString::number(place.id));
        b->setGeometry(platform::DluToPixels(place.dlu, kFont));
        // Presets 7 to 10 have no pictures: they stay hidden, so that
        // nothing unseen sits over the buttons of the first page.
        if (!HasPictures(place)) b->hide();
        m_Buttons[place.id - IDC_USB] = b;
    }
}

CBitButton* CPresetPanelDialog::Button(int id) const {
    return id >= IDC_USB && id < IDC_USB + kButtonCount ? m_Buttons[id - IDC_USB] : nullptr;
}

void CPresetPanelDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    MessageTarget::showEvent(event);
}

void CPresetPanelDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_Unlocked = 0;
    m_CurrentPreset = 0;
    // The window takes its background's size where it stands.
    const QSize background = skin::Size(kBackgroundCn);
    if (background.isValid()) setFixedSize(background);
    ResetBitmaps();
    setWindowTitle(QString::fromUtf8(g_ProductTitle));
    UpdatePage();
}

void CPresetPanelDialog::ResetBitmaps() {
    const bool cn = g_LanguageFlag.load() != 0;
    for (const ButtonPlace& place : kPlaces)
        if (HasPictures(place)) ApplyPictures(Button(place.id), cn ? place.cn : place.en);
    for (int n = 1; n <= 6; ++n)
        PresetButton(n)->SetCheck(0);
    for (int id : {int(IDC_PASSWORD), int(IDC_TO_PRESETS), int(IDC_MINIMISE), int(IDC_CLOSE)})
        Button(id)->SetCheck(0);
}

void CPresetPanelDialog::UpdatePage() {
    const bool presets = m_Page == kPresetPage;
    for (int id : {int(IDC_PASSWORD), int(IDC_TO_PRESETS), int(IDC_LANGUAGE)})
        Button(id)->ShowWindow(presets ? 0 : 1);
    for (int n = 1; n <= 6; ++n)
        PresetButton(n)->ShowWindow(presets ? 1 : 0);
    Button(IDC_BACK)->ShowWindow(presets ? 1 : 0);
    Button(IDC_LANGUAGE)->SetCheck(g_LanguageFlag.load() ? 1 : 0);
}

void CPresetPanelDialog::SetPage(int page) {
    m_Page = page == kPresetPage ? kPresetPage : kFirstPage;
    UpdatePage();
    update();
}

int CPresetPanelDialog::BackgroundId() const {
    if (m_Page == kFirstPage) return kBackgroundFirst;
    return g_LanguageFlag.load() ? kBackgroundCn : kBackgroundEn;
}

void CPresetPanelDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(BackgroundId()));
}

void CPresetPanelDialog::OnUsbButton() {
    if (!m_View) return;
    if (m_View->ToggleConnection()) {
        Button(IDC_USB)->SetCheck(1);
    } else {
        Button(IDC_USB)->SetCheck(0);
        PresetButton(m_CurrentPreset + 1)->SetCheck(0);
    }
}

void CPresetPanelDialog::MarkPreset(int n) {
    PresetButton(m_CurrentPreset + 1)->SetCheck(0);
    m_CurrentPreset = n - 1;
    PresetButton(n)->SetCheck(1);
}

void CPresetPanelDialog::SelectPreset(int n) {
    if (n < 1 || n > kPresetCount) return;
    if (!m_View || !m_View->IsConnected()) {
        CMessageBox::Show(QString::fromUtf8(kConnectionFailure.Pick()), MB_OK, 0, this);
        return;
    }
    m_View->LoadDevicePreset(n);
    MarkPreset(n);
}

void CPresetPanelDialog::OnPasswordButton() {
    CPanelPasswordPrompt prompt(this);
    ctl::RunModal(prompt);
    if (prompt.Accepted() != 1) return;
    m_Unlocked = 1;
    done(QDialog::Accepted);
}

void CPresetPanelDialog::OnLanguageButton() {
    g_LanguageFlag = g_LanguageFlag.load() ? 0 : 1;
    const bool cn = g_LanguageFlag.load() != 0;
    Button(IDC_LANGUAGE)->SetCheck(cn ? 1 : 0);
    for (const ButtonPlace& place : kPlaces)
        if (HasPictures(place)) ApplyPictures(Button(place.id), cn ? place.cn : place.en);
    if (m_View) m_View->ApplyLanguage();
    update();
}

void CPresetPanelDialog::OnCloseButton() {
    // While a transfer runs its window stays and so does the panel.
    if (g_TransferDlg && g_TransferDlg->IsShown()) return;
    // The transfer window is the view's: it is hidden, never destroyed, so
    // the next transfer shows it again.
    if (g_TransferDlg) g_TransferDlg->HideTransfer();
    done(QDialog::Rejected);
}

LRESULT CPresetPanelDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id >= IDC_PRESET1 && id < IDC_PRESET1 + kPresetCount)
            SelectPreset(id - IDC_PRESET1 + 1);
        else if (id == IDC_USB)
            OnUsbButton();
        else if (id == IDC_MINIMISE)
            showMinimized();
        else if (id == IDC_CLOSE)
            OnCloseButton();
        else if (id == IDC_PASSWORD)
            OnPasswordButton();
        else if (id == IDC_TO_PRESETS)
            SetPage(kPresetPage);
        else if (id == IDC_BACK)
            SetPage(kFirstPage);
        else if (id == IDC_LANGUAGE)
            OnLanguageButton();
        return 0;
    }
    case WM_DEVICE_DATA_DONE: {
        // Only the numbers of the panel's presets move the selection.
        const auto n = static_cast<int>(wParam);
        if (n >= 1 && n <= kPresetCount) MarkPreset(n);
        return 0;
    }
    case WM_LINK_LOST:
        Button(IDC_USB)->SetCheck(0);
        PresetButton(m_CurrentPreset + 1)->SetCheck(0);
        return 0;
    default:
        return 0;
    }
}

void CPresetPanelDialog::keyPressEvent(QKeyEvent* event) {
    // No key reaches the dialog's own handling: Enter and Escape never end
    // the panel, they only take the focus to it.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        setFocus(Qt::OtherFocusReason);
    event->accept();
}

bool CPresetPanelDialog::focusNextPrevChild(bool) {
    return true;
} // Tab moves nothing

void CPresetPanelDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_Dragging = true;
        m_DragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    MessageTarget::mousePressEvent(event);
}

void CPresetPanelDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_Dragging) move(event->globalPosition().toPoint() - m_DragOffset);
    MessageTarget::mouseMoveEvent(event);
}

void CPresetPanelDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_Dragging = false;
    MessageTarget::mouseReleaseEvent(event);
}
