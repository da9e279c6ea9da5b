#include "features/outputs/MasterStrip.h"

#include "controls/ControlNotify.h"
#include "controls/SkinControl.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>

namespace {

// The field and the list keep their template places (MS Sans Serif 8); the
// picture controls take their pictures' sizes, so they sit where the strip's
// 438 x 31 pixels leave room for them: minus, the fader, plus, the mute.
constexpr QRect kFieldDlu(56, 5, 28, 10);
constexpr QRect kSpinDlu(421, 14, 11, 14);
constexpr QRect kListDlu(445, 28, 25, 13);
constexpr QPoint kMinusAt(134, 6);
constexpr QPoint kSliderAt(150, 0);
constexpr QPoint kPlusAt(374, 6);
constexpr QPoint kMuteAt(396, 7);

constexpr unsigned kMuteOff = 1007, kMuteOffHover = 1006, kMuteOn = 1008;

QRect Dlu(const QRect& r) {
    return platform::DluToPixels(r, platform::kMsSansSerif8);
}

} // namespace

CMasterStrip::CMasterStrip(QWidget* parent) : CLevelBarBase(parent) {
    SetControlId(this, IDD);
    setFocusPolicy(Qt::ClickFocus);

    m_Field = new CNumEdit(this);
    SetControlId(m_Field, IDC_VOLUME);
    m_Field->setGeometry(Dlu(kFieldDlu));
    m_Spin = new CNumSpin(this);
    SetControlId(m_Spin, IDC_SPIN);
    m_Spin->setGeometry(Dlu(kSpinDlu));
    m_Spin->hide();
    m_Slider = new CBitmapSlider(this);
    SetControlId(m_Slider, IDC_SLIDER);
    m_Slider->move(kSliderAt);
    m_List = new CDropListButton(this, IDC_LIST);
    m_List->setGeometry(Dlu(kListDlu));
    m_List->hide();
    m_List->setEnabled(false);
    m_Mute = new CBitButton(this, IDC_MUTE);
    m_Mute->move(kMuteAt);
    m_Minus = new CBitButton(this, IDC_MINUS);
    m_Minus->move(kMinusAt);
    m_Plus = new CBitButton(this, IDC_PLUS);
    m_Plus->move(kPlusAt);

    // 1. The spin owns the range, 2. the field shows "OFF" or the dB.
    m_Spin->SetBuddy(m_Field);
    m_Spin->SetRange32(0, kVolumeMax);
    m_Field->SetScale(1.0);
    m_Field->SetOffset(60.0);
    m_Field->SetType(25);
    m_Field->setFont(g_FontDialog14);
    m_Field->SetBuddySpin(m_Slider);
    // 3. The fader.
    m_Slider->SetRange(0, kVolumeMax);
    m_Slider->SetMargin(3, 5, 3, 3);
    m_Slider->SetVertical(false);
    m_Slider->SetBuddyEdit(m_Field);
    // 4. to 6. Mute, list, minus and plus.
    m_Mute->SetBitmaps(kMuteOff, kMuteOffHover, kMuteOn, kMuteOn, kMuteOn, kMuteOff);
    m_List->CreateDropList(this, IDC_LIST);
    m_List->EnableMoveNotify(true);
    m_Plus->SetBitmaps(1208, 1209, 1209);
    m_Minus->SetBitmaps(1211, 1212, 1212);

    for (QWidget* w : {static_cast<QWidget*>(m_Field), static_cast<QWidget*>(this)})
        w->installEventFilter(this);
}

// ---------------------------------------------------------------------------
// What the view calls
// ---------------------------------------------------------------------------

void CMasterStrip::SetBackgroundBitmap(int id) {
    CLevelBarBase::SetBackgroundBitmap(id);
}

void CMasterStrip::SetListButtonBitmaps(int id, int secondId) {
    CLevelBarBase::SetListButtonBitmaps(id, secondId);
    m_List->SetBitmaps(static_cast<unsigned>(id), static_cast<unsigned>(id));
}

void CMasterStrip::AddListString(const QString& text) {
    CLevelBarBase::AddListString(text);
    m_List->AddString(text);
}

void CMasterStrip::SetListSelection(int index) {
    CLevelBarBase::SetListSelection(index);
    m_List->SetCurSel(index);
}

void CMasterStrip::SetSliderChannelBitmap(int id, int activeId, unsigned transparent) {
    CLevelBarBase::SetSliderChannelBitmap(id, activeId, transparent);
    m_Slider->SetBitmapChannel(id, activeId, transparent != CBitmapSlider::kColorAtPoint,
                               transparent);
}

void CMasterStrip::SetSliderThumbBitmap(int id, int activeId, unsigned transparent) {
    CLevelBarBase::SetSliderThumbBitmap(id, activeId, transparent);
    m_Slider->SetBitmapThumb(id, activeId, transparent != CBitmapSlider::kColorAtPoint,
                             transparent);
}

void CMasterStrip::SetSliderRange(int lower, int upper, bool redraw) {
    CLevelBarBase::SetSliderRange(lower, upper, redraw);
    m_Slider->SetRange(lower, upper, redraw);
}

void CMasterStrip::SetValue(int value) {
    m_Slider->SetPos(value);
    m_Spin->SetValueChecked(value);
    m_Value = GetValue();
}

int CMasterStrip::GetValue() const {
    return m_Spin->GetBuddyValue();
}

void CMasterStrip::SetMuteCheck(bool on) {
    CLevelBarBase::SetMuteCheck(on);
    m_Mute->SetCheck(on ? 1 : 0);
}

// ---------------------------------------------------------------------------
// The strip's own controls
// ---------------------------------------------------------------------------

void CMasterStrip::ReportVolume(int volume) {
    m_Value = volume;
    if (QWidget* parent = parentWidget())
        platform::PostMessage(parent, WM_MASTER_VOLUME, static_cast<WPARAM>(ControlId(this)),
                              volume);
}

void CMasterStrip::OnSliderAt(int position, bool ended) {
    if (!m_Spin->SetValueChecked(position)) {
        if (m_View) m_View->RequestDataResync();
        return;
    }
    if (ended) m_Field->setFocus(Qt::OtherFocusReason);
    ReportVolume(position);
}

void CMasterStrip::Step(int delta) {
    const int v = std::clamp(m_Slider->GetPos() + delta, 0, kVolumeMax);
    if (!m_Spin->SetValueChecked(v)) {
        if (m_View) m_View->RequestDataResync();
        return;
    }
    m_Slider->SetPos(v);
    ReportVolume(v);
}

void CMasterStrip::PostValue() {
    m_Spin->SetValueChecked(m_Slider->GetPos());
    ReportVolume(m_Slider->GetPos());
}

void CMasterStrip::StepValue(bool up) {
    const int v = std::clamp(m_Slider->GetPos() + (up ? 1 : -1), 0, kVolumeMax);
    m_Spin->SetValueChecked(v);
    m_Slider->SetPos(v);
    ReportVolume(v);
}

void CMasterStrip::OnOnOffButton() {
    g_StateFlags[kFlagStatusGuard] = 1;
    if (m_View) m_View->StartEditGuardTimer();
    const int muted = m_Mute->GetCheck();
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetMasterOn(muted ? 1 : 0);
    }
    if (m_View) m_View->MarkMasterChanged(1);
    SetMuteCheck(!muted);
}

void CMasterStrip::FocusOutputField(int id) {
    if (!m_View) return;
    if (CViewPage* page = m_View->OutputPageWindow()) page->FocusField(id);
}

LRESULT CMasterStrip::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        if (static_cast<int>(wParam) == IDC_SLIDER)
            OnSliderAt(m_Slider->GetPos(), msg == WM_SLIDER_MOVED);
        return 0;
    case WM_DROP_CHOICE:
        if (QWidget* parent = parentWidget())
            platform::PostMessage(parent, WM_MASTER_UNIT, static_cast<WPARAM>(ControlId(this)),
                                  lParam + 1);
        return 0;
    case WM_MASTER_FOCUS_KEY:
        if (lParam == 37) FocusOutputField(kDelayFieldId);
        if (lParam == 39) FocusOutputField(kHighPassFieldId);
        return 0;
    case WM_MASTER_FOCUS_HPF:
        FocusOutputField(kHighPassFieldId);
        return 0;
    case WM_COMMAND:
        switch (static_cast<int>(wParam & 0xFFFF)) {
        case IDC_VOLUME:
        case IDC_SPIN: {
            const int v = m_Spin->GetBuddyValue();
            m_Slider->SetPos(v);
            ReportVolume(v);
            break;
        }
        case IDC_MINUS:
            Step(-1);
            break;
        case IDC_PLUS:
            Step(+1);
            break;
        case IDC_MUTE:
            OnOnOffButton();
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

// Enter, Tab and Right in the field lead on to the output page's high-pass
// field, Left back to its delay field; the keys still reach the field.
// Escape takes the focus to the strip and goes no further.
bool CMasterStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return CLevelBarBase::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool inField = watched == m_Field;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Right:
        if (inField) PostMessage(WM_MASTER_FOCUS_KEY, IDC_VOLUME, 39);
        return false;
    case Qt::Key_Left:
        if (inField) PostMessage(WM_MASTER_FOCUS_KEY, IDC_VOLUME, 37);
        return false;
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void CMasterStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(m_BackgroundId));
}
