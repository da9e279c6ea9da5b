#include "features/sources/SourceVolumesDialog.h"

#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/ModelLock.h"
#include "pages/PageHost.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

// Template 1346 in dialog units of Arial 7.
constexpr platform::TemplateFont kFont = platform::kArial7;
const QSize kSize(298, 137);

constexpr int kBackgroundCn = 1347;
constexpr int kBackgroundEn = 1348;
constexpr int kTrack = 1349;
constexpr int kThumb = 611;
constexpr int kThumbActive = 613;
constexpr int kVolumeMax = 60;
constexpr int kVolumeType = 25; // whole dB, "OFF" at 0

// Per column: the field's and the fader's x (dialog units) and the source
// code whose volume the column sets.
struct ColumnLayout {
    int editX;
    int faderX;
    int source;
};
constexpr ColumnLayout kColumnLayouts[CSourceVolumesDialog::kColumns] = {
    {22, 25, 1},   // Hi.Level
    {79, 83, 3},   // AUX
    {139, 142, 0}, // SPDIF
    {195, 198, 2}, // Phone
    {253, 256, 5}, // Player
};
constexpr int kEditY = 34;
constexpr int kFaderY = 56;

} // namespace

int CSourceVolumesDialog::SourceOfColumn(int column) {
    return column >= 0 && column < kColumns ? kColumnLayouts[column].source : -1;
}

CSourceVolumesDialog::CSourceVolumesDialog(IPageHost* view, QWidget* parent)
    : CSkinDialog(parent, kFont, kSize, Keys::StayOpen), m_View(view) {
    m_Background = skin::LanguagePixmap(kBackgroundEn, kBackgroundCn);
    for (int i = 0; i < kColumns; ++i) {
        const ColumnLayout& c = kColumnLayouts[i];
        CNumEdit* edit = m_Edit[static_cast<size_t>(i)] =
            Place<CNumEdit>(IDC_EDIT + i, QRect(c.editX, kEditY, 24, 12));
        edit->setAlignment(Qt::AlignCenter);
        edit->setFrame(false);
        edit->installEventFilter(this);
        CNumSpin* spin = m_Spin[static_cast<size_t>(i)] =
            Place<CNumSpin>(IDC_SPIN + i, QRect(c.editX, kEditY, 24, 12));
        spin->hide();
        m_Fader[static_cast<size_t>(i)] =
            Place<CBitmapSlider>(IDC_FADER + i, QRect(c.faderX, kFaderY, 10, 10));
    }
}

void CSourceVolumesDialog::OnInitDialog() {
    setWindowTitle(g_LanguageFlag.load() ? QStringLiteral("输入音源音量")
                                         : QStringLiteral("Input source volume"));
    for (int i = 0; i < kColumns; ++i) {
        CBitmapSlider* fader = Fader(i);
        fader->SetBitmapChannel(kTrack, kTrack, false);
        fader->SetBitmapThumb(kThumb, kThumbActive, false);
        fader->SetRange(0, kVolumeMax, false);
        fader->SetMargin(3, 5, 3, 3);
        fader->SetVertical(true);
        Spin(i)->SetBuddy(Edit(i));
        Spin(i)->SetRange32(0, kVolumeMax);
        Edit(i)->SetScale(1.0);
        Edit(i)->SetOffset(60.0);
        Edit(i)->SetType(kVolumeType);
        Edit(i)->setFont(g_FontDialog14);
        Edit(i)->SetBuddySpin(fader);
    }
    std::array<int, kColumns> bytes{};
    for (int i = 0; i < kColumns; ++i)
        bytes[static_cast<size_t>(i)] = g_DeviceRecords.SourceVolume(kColumnLayouts[i].source);
    for (int i = 0; i < kColumns; ++i) {
        Spin(i)->SetValueChecked(bytes[static_cast<size_t>(i)]);
        Fader(i)->SetValue(bytes[static_cast<size_t>(i)]);
    }
}

void CSourceVolumesDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background.In(g_LanguageFlag.load() != 0));
}

LRESULT CSourceVolumesDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        if ((wParam >> 16) != 0) return 0;
        const int id = static_cast<int>(wParam & 0xFFFF);
        for (const int first : {static_cast<int>(IDC_EDIT), static_cast<int>(IDC_SPIN)})
            if (id >= first && id < first + kColumns) OnVolumeChanged(id - first, false);
        return 0;
    }
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED: {
        const int column = static_cast<int>(wParam) - IDC_FADER;
        if (column < 0 || column >= kColumns) return 0;
        OnVolumeChanged(column, true);
        return 1;
    }
    case kFocusStepMessage:
        FocusStep(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case kFocusNextMessage:
        FocusStep(static_cast<int>(wParam), kKeyNext);
        return 0;
    default:
        return 0;
    }
}

void CSourceVolumesDialog::OnVolumeChanged(int column, bool fromFader) {
    int v;
    if (fromFader) {
        v = Fader(column)->GetValue();
        Spin(column)->SetValueChecked(v);
    } else {
        v = Spin(column)->GetBuddyValue();
        Fader(column)->SetValue(v);
    }
    // Every change goes out, the same value too.
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceRecords.SetSourceVolume(kColumnLayouts[column].source, v);
    if (m_View) m_View->SendCommand(kRecordSources, 0);
}

int CSourceVolumesDialog::ColumnOfEdit(const QObject* edit) const {
    for (int i = 0; i < kColumns; ++i)
        if (m_Edit[static_cast<size_t>(i)] == edit) return i;
    return -1;
}

void CSourceVolumesDialog::FocusStep(int editId, int key) {
    const int column = editId - IDC_EDIT;
    if (column < 0 || column >= kColumns) return;
    if (key == kKeyPrevious)
        Edit((column + kColumns - 1) % kColumns)->setFocus(Qt::OtherFocusReason);
    else if (key == kKeyNext)
        Edit((column + 1) % kColumns)->setFocus(Qt::OtherFocusReason);
}

bool CSourceVolumesDialog::eventFilter(QObject* watched, QEvent* event) {
    const int column = ColumnOfEdit(watched);
    if (column < 0 || event->type() != QEvent::KeyPress)
        return CSkinDialog::eventFilter(watched, event);
    const WPARAM id = static_cast<WPARAM>(IDC_EDIT + column);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        // The next field takes the focus, and this one its value as it loses it.
        PostMessage(kFocusStepMessage, id, kKeyNext);
        return true;
    case Qt::Key_Left:
        PostMessage(kFocusStepMessage, id, kKeyPrevious);
        return false;
    case Qt::Key_Right:
        PostMessage(kFocusStepMessage, id, kKeyNext);
        return false;
    default:
        return false;
    }
}
