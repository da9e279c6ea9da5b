// The level and delay page's window and level area: its controls at their
// places, Refresh, the master, input and output levels, on/off and polarity,
// the source buttons with what they send, the selection of outputs, the keys
// between the fields, the lamps and the language. The delay area is in
// LevelDelayDistances.cpp.
#include "pages/leveldelay/LevelDelayPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/FontStatic.h"
#include "controls/LinkIndicator.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PngButton.h"
#include "controls/core/NumValue.h"
#include "controls/core/SliderCore.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/LinkKeys.h"
#include "model/ModelLock.h"
#include "model/Music_InData.h"
#include "model/SpeakerTypes.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

using platform::DluToPixels;
using platform::kArial8;

constexpr int kInputX[CLevelDelayPage::kColumns] = {352, 431, 510, 589, 668, 747};
constexpr int kInputSliderX[CLevelDelayPage::kColumns] = {354, 433, 512, 591, 670, 750};
constexpr int kSourceX[CLevelDelayPage::kColumns] = {335, 415, 495, 575, 655, 735};
constexpr int kOutputX[CLevelDelayPage::kRows] = {322, 384, 447, 510, 572, 635, 697, 760};
constexpr int kOutputSliderX[CLevelDelayPage::kRows] = {321, 383, 446, 509, 571, 634, 696, 759};
constexpr int kOutputButtonX[CLevelDelayPage::kRows] = {321, 384, 447, 510, 572, 635, 697, 760};
constexpr int kLampX[CLevelDelayPage::kRows] = {323, 385, 448, 511, 573, 636, 698, 761};
// The input faders start inside the input panel's frame and end above their
// fields (their track is as long as that space), so that a field's "OFF"
// does not sit on the fader's end.
constexpr int kInputSliderY = 18;
// The thumbs are 24 pixels wide, centred on their track's groove: the input
// track is 36 pixels wide, the output track 60.
constexpr int kInputThumbLeft = 6;
constexpr int kOutputThumbLeft = 18;
// The master's horizontal fader is as wide as the space left of the input
// columns: its group sits at the left end of the input panel.
constexpr QPoint kMasterSliderDlu(20, 40);
constexpr QPoint kMasterFieldDlu(60, 91);
constexpr QPoint kMasterOnDlu(110, 91);

constexpr int kMasterMax = 66;
constexpr int kLevelMax = 600;
// Words 6..13 of the device status feed the lamp strips.
constexpr int kLampWord = 6;

int MasterWord() {
    return g_DeviceRecords.MasterVolume();
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and the controls
// ---------------------------------------------------------------------------

CLevelDelayPage::CLevelDelayPage(QWidget* parent) : CSourcePage(parent) {
    const QSize back = skin::Size(523);
    resize(back.isValid() ? back : DluToPixels(QSize(855, 382), kArial8));
    g_pLevelDelayPage = this;
    SetUpControls();
    ClearLamps();
}

CLevelDelayPage::~CLevelDelayPage() {
    // Nobody posts to a page that is gone.
    if (g_pLevelDelayPage == this) g_pLevelDelayPage = nullptr;
}

void CLevelDelayPage::Register(QWidget* control, int id) {
    SetControlId(control, id);
    m_Controls[id] = control;
}

QWidget* CLevelDelayPage::Control(int id) const {
    const auto it = m_Controls.find(id);
    return it == m_Controls.end() ? nullptr : it->second;
}
CNumEdit* CLevelDelayPage::Field(int id) const {
    return dynamic_cast<CNumEdit*>(Control(id));
}
CNumSpin* CLevelDelayPage::Spin(int id) const {
    return dynamic_cast<CNumSpin*>(Control(id));
}
CBitmapSlider* CLevelDelayPage::Slider(int id) const {
    return dynamic_cast<CBitmapSlider*>(Control(id));
}
CBitButton* CLevelDelayPage::BitButton(int id) const {
    return dynamic_cast<CBitButton*>(Control(id));
}
CPngButton* CLevelDelayPage::PngButton(int id) const {
    return dynamic_cast<CPngButton*>(Control(id));
}
CLampRow* CLevelDelayPage::Lamp(int row) const {
    return row >= 0 && row < kRows ? dynamic_cast<CLampRow*>(Control(kLamp + row)) : nullptr;
}

CKTV_OutData* CLevelDelayPage::Out(int output) const {
    return m_Data && output >= 0 && output < kOutputs ? m_Data->GetOut(output) : nullptr;
}

int CLevelDelayPage::TypeOf(int output) const {
    if (output < 0 || output >= kOutputs) return 0;
    const int t = g_OutputSpeakerType[output];
    return t >= 0 && t < kSpeakerTypes ? t : 0;
}

CNumEdit* CLevelDelayPage::NewLevelField(int id, int spinId, const QPoint& dlu, int width,
                                         int maximum) {
    auto* field = new CNumEdit(this);
    Register(field, id);
    field->setGeometry(DluToPixels(QRect(dlu, QSize(width, 10)), kArial8));
    field->setMaxLength(6);
    field->setAlignment(Qt::AlignCenter);
    field->installEventFilter(this);
    auto* spin = new CNumSpin(this);
    Register(spin, spinId);
    spin->SetBuddy(field);
    spin->SetRange32(0, maximum);
    spin->hide();
    return field;
}

void CLevelDelayPage::SetUpControls() {
    SetUpLevelArea();
    SetUpDelayArea();
    // Keyboard order: master, inputs, distances, outputs.
    size_t n = 0;
    m_FieldOrder[n++] = IDC_MASTER;
    for (int k = 0; k < kColumns; ++k)
        m_FieldOrder[n++] = kInputField + k;
    for (int d = 0; d < kDistanceFields; ++d)
        m_FieldOrder[n++] = kDistanceField + d;
    for (int r = 0; r < kRows; ++r)
        m_FieldOrder[n++] = kOutputField + r;
    ApplyLanguage();
}

void CLevelDelayPage::SetUpLevelArea() {
    CNumEdit* master = NewLevelField(IDC_MASTER, IDC_MASTER_SPIN, kMasterFieldDlu, 42, kMasterMax);
    master->SetScale(1.0);
    master->SetOffset(60.0);
    master->SetType(numfield::kGain);
    auto* masterSlider = new CBitmapSlider(this);
    Register(masterSlider, IDC_MASTER_SLIDER);
    masterSlider->SetBitmapChannel(357, 357);
    masterSlider->SetBitmapThumb(358, 282, true, 0xFF000000);
    masterSlider->SetVertical(false);
    masterSlider->SetValueKind(slider::kDirect);
    masterSlider->SetRange(0, kMasterMax, false);
    masterSlider->SetMargin(33, 10, 1, 7);
    masterSlider->SetBuddyEdit(master);
    masterSlider->EnableMoveNotify(true);
    masterSlider->move(DluToPixels(kMasterSliderDlu, kArial8));
    master->SetBuddySlider(masterSlider);
    auto* masterOn = new CBitButton(this, IDC_MASTER_ON);
    Register(masterOn, IDC_MASTER_ON);
    masterOn->setGeometry(DluToPixels(QRect(kMasterOnDlu, QSize(19, 10)), kArial8));

    auto* link = new CFontStatic(this);
    Register(link, IDC_LINK_INDICATOR);
    link->setGeometry(DluToPixels(QRect(355, 134, 20, 7), kArial8));
    link->SetFontStyle(QString(), 11, QColor(0, 160, 0), 1);
    link->hide();

    for (int k = 0; k < kColumns; ++k) {
        // Columns 4 and 5 (AUX2, AUX3) have no music input: only their
        // source buttons take part.
        CNumEdit* field =
            NewLevelField(kInputField + k, kInputSpin + k, {kInputX[k], 91}, 42, kLevelMax);
        auto* slider = new CBitmapSlider(this);
        Register(slider, kInputSlider + k);
        slider->move(DluToPixels(QPoint(kInputSliderX[k], kInputSliderY), kArial8));
        auto* source = new CBitButton(this, kSourceButton + k);
        Register(source, kSourceButton + k);
        source->setGeometry(DluToPixels(QRect(kSourceX[k], 105, k == 5 ? 63 : 42, 10), kArial8));
        if (k < kMusicColumns) {
            field->SetScale(0.1);
            field->SetOffset(60.0);
            field->SetType(numfield::kThreshold);
            slider->SetBitmapChannel(388, 388);
            slider->SetBitmapThumb(387, 282, true, 0xFF000000);
            slider->SetRange(0, kLevelMax, false);
            slider->SetMargin(kInputThumbLeft, 0, 1, 2);
            slider->SetBuddyEdit(field);
            slider->EnableMoveNotify(true);
            field->SetBuddySlider(slider);
        }
        m_ColumnPlaces[static_cast<size_t>(3 * k)] = slider->geometry();
        m_ColumnPlaces[static_cast<size_t>(3 * k + 1)] = field->geometry();
        m_ColumnPlaces[static_cast<size_t>(3 * k + 2)] = source->geometry();
    }

    for (int r = 0; r < kRows; ++r) {
        CNumEdit* field =
            NewLevelField(kOutputField + r, kOutputSpin + r, {kOutputX[r], 264}, 40, kLevelMax);
        field->SetScale(0.1);
        field->SetOffset(60.0);
        field->SetType(numfield::kThreshold);
        auto* slider = new CBitmapSlider(this);
        Register(slider, kOutputSlider + r);
        slider->SetBitmapChannel(539, 539);
        slider->SetBitmapThumb(538, 282, true, 0xFF000000);
        slider->SetRange(0, kLevelMax, false);
        slider->SetMargin(kOutputThumbLeft, 4, 1, 4);
        slider->SetBuddyEdit(field);
        slider->EnableMoveNotify(true);
        slider->setGeometry(DluToPixels(QRect(kOutputSliderX[r], 147, 40, 84), kArial8));
        field->SetBuddySlider(slider);

        auto* on = new CBitButton(this, kOutputOn + r);
        Register(on, kOutputOn + r);
        on->setGeometry(DluToPixels(QRect(kOutputButtonX[r], 279, 40, 14), kArial8));
        on->SetBitmaps(529, 530, 531, 526, 527, 528);
        on->SetDisabledBitmaps(4376, 4377);
        auto* polarity = new CBitButton(this, kOutputPolarity + r);
        Register(polarity, kOutputPolarity + r);
        polarity->setGeometry(DluToPixels(QRect(kOutputButtonX[r], 297, 40, 14), kArial8));
        auto* placeholder = new CBitButton(this, kRowPlaceholder + r);
        Register(placeholder, kRowPlaceholder + r);
        placeholder->setGeometry(DluToPixels(QRect(kOutputX[r], 315, 40, 14), kArial8));
        placeholder->SetDisabledBitmaps(4200, 4200);
        placeholder->setEnabled(false);
        placeholder->hide();
        auto* label = new CBitButton(this, kTypeLabel + r);
        Register(label, kTypeLabel + r);
        label->setGeometry(DluToPixels(QRect(kOutputX[r], 325, 40, 14), kArial8));
        label->setEnabled(false);
        auto* lamp = new CLampRow(this);
        Register(lamp, kLamp + r);
        lamp->setGeometry(DluToPixels(QRect(kLampX[r], 349, 40, 8), kArial8));
        lamp->InitLayout();
    }
}

// ---------------------------------------------------------------------------
// Refresh
// ---------------------------------------------------------------------------

void CLevelDelayPage::Offer(CNumSpin* spin, int value) {
    if (!spin->SetValueChecked(value) && m_View) m_View->RequestDataResync();
}

int CLevelDelayPage::Refresh() {
    const int master = MasterWord();
    Offer(Spin(IDC_MASTER_SPIN), master);
    Slider(IDC_MASTER_SLIDER)->SetValue(std::clamp(master, 0, kMasterMax));
    BitButton(IDC_MASTER_ON)->SetCheck(g_DeviceRecords.MasterOn() != 0 ? 1 : 0);
    Control(IDC_LINK_INDICATOR)->setVisible(g_LinkActive != 0);

    for (int k = 0; k < kMusicColumns; ++k) {
        CMusic_InData* in = m_Data ? m_Data->GetMusic(k) : nullptr;
        if (!in) continue;
        const int gain = WithDeviceLock(
            [in]() REQUIRES(g_DeviceLock) { return static_cast<int>(in->GetGain()); });
        Offer(Spin(kInputSpin + k), gain);
        Slider(kInputSlider + k)->SetValue(std::clamp(gain, 0, kLevelMax));
        Spin(kInputSpin + k)->setEnabled(true);
        Slider(kInputSlider + k)->EnableInput(true);
    }
    ShowInputColumnsForMode();
    m_Selected = -1;

    const bool cn = g_LanguageFlag.load() != 0;
    for (int r = 0; r < kRows; ++r) {
        CKTV_OutData* out = Out(r);
        if (!out) continue;
        int gain = 0, on = 0, polarity = 0;
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            gain = out->GetGain();
            on = out->GetOutputOn();
            polarity = out->GetPolarity();
        });
        Offer(Spin(kOutputSpin + r), gain);
        Slider(kOutputSlider + r)->SetValue(std::clamp(gain, 0, kLevelMax));
        Field(kOutputField + r)->show();
        Slider(kOutputSlider + r)->show();
        BitButton(kOutputOn + r)->show();
        BitButton(kOutputOn + r)->SetCheck(on ? 1 : 0);
        BitButton(kOutputPolarity + r)->show();
        BitButton(kOutputPolarity + r)->SetCheck(polarity ? 1 : 0);
        const unsigned label = (cn ? 4230u : 4200u) + static_cast<unsigned>(TypeOf(r));
        BitButton(kTypeLabel + r)->SetDisabledBitmaps(label, label);
    }
    ShowOutputRowsForTypes();

    for (int d = 0; d < kDistanceFields; ++d) {
        Field(kDistanceField + d)->hide();
        Field(kDistanceField + d)->SetReadOnly(false);
        Spin(kDistanceSpin + d)->SetChannel(-1);
    }
    for (int t = 1; t < kSpeakerTypes; ++t) {
        PngButton(kPositionButton + t - 1)->hide();
        PngButton(kPositionButton + t - 1)->SetCheck(0);
    }
    for (int i = 0; i < kOutputs; ++i) {
        AssignDistanceControls(TypeOf(i), i);
        CKTV_OutData* out = Out(i);
        const DistanceRecord& rec = m_Records[static_cast<size_t>(i)];
        if (out && rec.spin)
            Offer(rec.spin, WithDeviceLock([out]() REQUIRES(g_DeviceLock) {
                      return static_cast<int>(out->GetDelay());
                  }));
    }
    RefreshLinkToggles();
    SetDistanceUnit(g_DistanceUnit);
    return 1;
}

void CLevelDelayPage::ShowInputColumnsForMode() {
    if (g_InputMode < 0 || g_InputMode > 2) return;
    // Only the source buttons of AUX2 and AUX3: there is no music input behind them.
    Control(kSourceButton + 4)->setVisible(g_InputMode <= 1);
    Control(kSourceButton + 5)->setVisible(g_InputMode == 0);
    for (int k : {4, 5}) {
        Control(kInputField + k)->hide();
        Control(kInputSlider + k)->hide();
    }
}

void CLevelDelayPage::ShowOutputRowsForTypes() {
    for (int r = 0; r < kRows; ++r) {
        const bool none = TypeOf(r) == 0;
        for (int id : {kOutputField + r, kOutputSlider + r, kOutputOn + r, kOutputPolarity + r})
            if (none) Control(id)->hide();
        Control(kLamp + r)->setVisible(!none);
        Control(kRowPlaceholder + r)->setVisible(none);
    }
}

void CLevelDelayPage::UpdateInputArea() {
    LayoutInputColumns();
    ShowInputColumnsForMode();
    UpdateSourceButtonLooks();
    CheckSourceButtons(g_ActiveSource);
}

void CLevelDelayPage::LayoutInputColumns() {
    // S/PDIF and Phone are chosen elsewhere; Hi.Level, AUX1, AUX2 and AUX3
    // move into the first four places.
    for (int k : {0, 2})
        for (int part = 0; part < 3; ++part)
            Control((part == 0   ? kInputSlider
                     : part == 1 ? kInputField
                                 : kSourceButton) +
                    k)
                ->hide();
    const int moved[4] = {1, 3, 4, 5};
    for (int place = 0; place < 4; ++place) {
        const int k = moved[place];
        const int bases[3] = {kInputSlider, kInputField, kSourceButton};
        for (int part = 0; part < 3; ++part) {
            QWidget* w = Control(bases[part] + k);
            const QRect& r = m_ColumnPlaces[static_cast<size_t>(3 * place + part)];
            // The last place's button is wider; each keeps its own size.
            w->move(r.topLeft());
        }
    }
}

// ---------------------------------------------------------------------------
// Levels
// ---------------------------------------------------------------------------

void CLevelDelayPage::OnMasterLevel() {
    const int v = Spin(IDC_MASTER_SPIN)->GetBuddyValue();
    if (StoreMasterLevel(v)) Slider(IDC_MASTER_SLIDER)->SetValue(v);
    SelectOutput(-1);
}

bool CLevelDelayPage::StoreMasterLevel(int v) {
    if (v == MasterWord()) return false;
    WithDeviceLock([v]() REQUIRES(g_DeviceLock) {
        g_DeviceRecords.SetMasterVolume(v);
        // A level is meant to be heard: the master goes on.
        if (!g_DeviceRecords.MasterOn()) g_DeviceRecords.SetMasterOn(1);
    });
    BitButton(IDC_MASTER_ON)->SetCheck(1);
    // The poller sends the master record.
    if (m_View) m_View->MarkMasterChanged(1);
    return true;
}

void CLevelDelayPage::OnMasterOnOff() {
    const int on = BitButton(IDC_MASTER_ON)->GetCheck() ? 0 : 1;
    g_DeviceRecords.SetMasterOn(on);
    if (m_View) m_View->MarkMasterChanged(1);
    BitButton(IDC_MASTER_ON)->SetCheck(on);
    SelectOutput(-1);
}

void CLevelDelayPage::ApplyInputLevelFromField(int k) {
    if (k < 0 || k >= kMusicColumns || !m_Data) return;
    CMusic_InData* in = m_Data->GetMusic(k);
    if (!in) return;
    const int v = Spin(kInputSpin + k)->GetBuddyValue();
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        if (v != in->GetGain()) in->SetGain(v);
    });
    Slider(kInputSlider + k)->SetValue(v);
    SelectOutput(-1);
}

void CLevelDelayPage::ApplyInputLevelFromSlider(int k) {
    if (k < 0 || k >= kMusicColumns || !m_Data) return;
    CMusic_InData* in = m_Data->GetMusic(k);
    if (!in) return;
    const int v = Slider(kInputSlider + k)->GetValue();
    if (WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            if (v == in->GetGain()) return false;
            in->SetGain(v);
            return true;
        }))
        Spin(kInputSpin + k)->SetValueChecked(v);
}

void CLevelDelayPage::ApplyOutputLevelFromField(int r) {
    if (r >= 0 && r < kRows) ApplyOutputLevel(r, Spin(kOutputSpin + r)->GetBuddyValue(), false);
}

void CLevelDelayPage::ApplyOutputLevelFromSlider(int r) {
    if (r >= 0 && r < kRows) ApplyOutputLevel(r, Slider(kOutputSlider + r)->GetValue(), true);
}

void CLevelDelayPage::ApplyOutputLevel(int r, int v, bool fromSlider) {
    CKTV_OutData* out = Out(r);
    if (!out) return;
    bool switchedOn = false;
    const bool changed = WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        if (v == out->GetGain()) return false;
        out->SetGain(static_cast<int16_t>(v));
        // A level is meant to be heard.
        if (!out->GetOutputOn()) {
            out->SetOutputOn(1);
            switchedOn = true;
        }
        return true;
    });
    if (changed && fromSlider) Spin(kOutputSpin + r)->SetValueChecked(v);
    if (changed && !fromSlider) Slider(kOutputSlider + r)->SetValue(v);
    if (switchedOn) BitButton(kOutputOn + r)->SetCheck(1);
    ShowLinkedOutputLevels(r);
    ChangeSelectedOutput(r);
}

void CLevelDelayPage::ShowLinkedOutputLevels(int r) {
    for (int i = 0; i < kRows; ++i) {
        if (i == r || !SameLinkKey(i, r)) continue;
        CKTV_OutData* out = Out(i);
        if (!out) continue;
        const int gain = WithDeviceLock(
            [out]() REQUIRES(g_DeviceLock) { return static_cast<int>(out->GetGain()); });
        Spin(kOutputSpin + i)->SetValueChecked(std::clamp(gain, 0, kLevelMax));
        Slider(kOutputSlider + i)->SetValue(std::clamp(gain, 0, kLevelMax));
        HighlightOutput(i, true);
    }
}

void CLevelDelayPage::ToggleOutputOn(int r) {
    CKTV_OutData* out = r >= 0 && r < kRows ? Out(r) : nullptr;
    if (!out) return;
    const int on = BitButton(kOutputOn + r)->GetCheck() ? 0 : 1;
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) { out->SetOutputOn(static_cast<uint8_t>(on)); });
    BitButton(kOutputOn + r)->SetCheck(on);
    SelectOutput(r);
}

void CLevelDelayPage::TogglePolarity(int r) {
    CKTV_OutData* out = r >= 0 && r < kRows ? Out(r) : nullptr;
    if (!out) return;
    const int inverted = BitButton(kOutputPolarity + r)->GetCheck() ? 0 : 1;
    WithDeviceLock(
        [&]() REQUIRES(g_DeviceLock) { out->SetPolarity(static_cast<uint8_t>(inverted)); });
    BitButton(kOutputPolarity + r)->SetCheck(inverted);
    SelectOutput(r);
}

// ---------------------------------------------------------------------------
// Sources
// ---------------------------------------------------------------------------

void CLevelDelayPage::CheckSourceButtons(int column) {
    for (int k = 0; k < kColumns; ++k)
        BitButton(kSourceButton + k)->SetCheck(k == column ? 1 : 0);
}

void CLevelDelayPage::SelectSource(int k) {
    if (k < 0 || k >= kColumns) return;
    // The input page hears of it with the values from before the change.
    const int lock = source::LockFlag();
    if (g_pInputPage)
        platform::PostMessage(g_pInputPage, WM_SOURCE_CHANGED, static_cast<WPARAM>(lock),
                              static_cast<LPARAM>(g_ActiveSource));
    if (source::ClearLockFlag()) {
        if (m_View) m_View->SendCommand(kRecordMaster, 0);
        UpdateSourceButtonLooks();
    }
    if (k != g_ActiveSource) {
        CheckSourceButtons(k);
        source::SetActive(k);
        if (g_pInputPage) g_pInputPage->UpdateSourceButton(g_ActiveSource, g_InputMode);
        if (m_View) m_View->SendCommand(kRecordSources, 0);
    }
    SelectOutput(-1);
}

void CLevelDelayPage::UpdateSourceButtonLooks() {
    const bool cn = g_LanguageFlag.load() != 0;
    const bool locked = source::LockFlag() != 0;
    for (int k = 0; k < kColumns; ++k) {
        const unsigned u = static_cast<unsigned>(k);
        const unsigned off = (cn ? 4850u : 4810u) + u;
        const unsigned hover = (cn ? 4860u : 4820u) + u;
        const unsigned down = (cn ? 4870u : 4830u) + u;
        const unsigned on = locked ? (cn ? 4880u : 4840u) + u : down;
        BitButton(kSourceButton + k)->SetBitmaps(off, hover, down, on, on, on);
    }
}

// ---------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------

void CLevelDelayPage::HighlightOutput(int output, bool on) {
    const int type = TypeOf(output);
    if (type == 0) return;
    if (CPngButton* b = PngButton(kPositionButton + type - 1)) b->SetCheck(on ? 1 : 0);
}

void CLevelDelayPage::SelectOutput(int output) {
    if (m_Selected >= 0 && m_Selected < kOutputs)
        for (int i = 0; i < kOutputs; ++i)
            if (i == m_Selected || SameLinkKey(i, m_Selected)) HighlightOutput(i, false);
    if (output < 0 || output >= kOutputs) return;
    m_Selected = output;
    HighlightOutput(output, true);
}

void CLevelDelayPage::ChangeSelectedOutput(int output) {
    if (output != m_Selected) SelectOutput(output);
}

// ---------------------------------------------------------------------------
// Keys
// ---------------------------------------------------------------------------

void CLevelDelayPage::FocusControl(int id) {
    if (QWidget* w = Control(id)) w->setFocus(Qt::TabFocusReason);
    OnFieldFocused(id);
}

void CLevelDelayPage::FocusNextField(int id) {
    const auto it = std::find(m_FieldOrder.begin(), m_FieldOrder.end(), id);
    const int at = it == m_FieldOrder.end() ? 0 : static_cast<int>(it - m_FieldOrder.begin());
    for (int i = at + 1; i < static_cast<int>(m_FieldOrder.size()); ++i) {
        QWidget* w = Control(m_FieldOrder[static_cast<size_t>(i)]);
        if (w && w->isVisibleTo(this)) return FocusControl(m_FieldOrder[static_cast<size_t>(i)]);
    }
    FocusControl(IDC_MASTER);
}

void CLevelDelayPage::FocusPreviousField(int id) {
    const auto it = std::find(m_FieldOrder.begin(), m_FieldOrder.end(), id);
    const int at = it == m_FieldOrder.end() ? 0 : static_cast<int>(it - m_FieldOrder.begin());
    const int last = static_cast<int>(m_FieldOrder.size()) - 1;
    for (int i = at == 0 ? last : at - 1; i >= 0; --i) {
        QWidget* w = Control(m_FieldOrder[static_cast<size_t>(i)]);
        if (w && w->isVisibleTo(this)) return FocusControl(m_FieldOrder[static_cast<size_t>(i)]);
    }
}

void CLevelDelayPage::OnFieldFocused(int id) {
    if (id >= kOutputField && id < kOutputField + kRows) {
        const int r = id - kOutputField;
        ShowLinkedOutputLevels(r);
        ChangeSelectedOutput(r);
        HighlightOutput(r, true);
    } else if (id >= kDistanceField && id < kDistanceField + kDistanceFields) {
        SelectOutput(Spin(kDistanceSpin + id - kDistanceField)->GetChannel());
    } else {
        SelectOutput(-1);
    }
}

bool CLevelDelayPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* field = qobject_cast<QWidget*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (field && (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            // Enter acts as Tab: on to the next field of the order.
            PostMessage(kFocusMoveMessage, static_cast<WPARAM>(ControlId(field)), kVkRight);
            return true;
        }
        if (field && key == Qt::Key_Backtab) {
            PostMessage(kFocusMoveMessage, static_cast<WPARAM>(ControlId(field)), kVkLeft);
            return true;
        }
        if (key == Qt::Key_Escape) {
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return CSourcePage::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Lamps, language, painting
// ---------------------------------------------------------------------------

void CLevelDelayPage::ClearLamps() {
    for (int r = 0; r < kRows; ++r)
        Lamp(r)->ClearAll();
}

void CLevelDelayPage::UpdateLamps() {
    const DeviceStatusWords status = g_DeviceRecords.Status();
    int32_t words[kRows] = {};
    for (int r = 0; r < kRows; ++r)
        words[r] = status[static_cast<size_t>(kLampWord + r)];
    for (int r = 0; r < kRows; ++r)
        Lamp(r)->SetState(static_cast<unsigned>(words[r]) & 0x7F);
}

void CLevelDelayPage::ApplyLanguage() {
    const bool cn = g_LanguageFlag.load() != 0;
    for (int id : m_FieldOrder)
        if (CNumEdit* f = Field(id)) f->UpdateLanguage();
    UpdateSourceButtonLooks();
    const unsigned master = cn ? 4900 : 4890;
    BitButton(IDC_MASTER_ON)
        ->SetBitmaps(master, master + 1, master + 2, master + 3, master + 4, master + 5);
    for (int r = 0; r < kRows; ++r) {
        const unsigned label = (cn ? 4230u : 4200u) + static_cast<unsigned>(TypeOf(r));
        BitButton(kTypeLabel + r)->SetDisabledBitmaps(label, label);
        const unsigned p = cn ? 4380 : 4370;
        BitButton(kOutputPolarity + r)->SetBitmaps(p, p + 1, p + 2, p + 3, p + 4, p + 5);
        BitButton(kOutputPolarity + r)->SetDisabledBitmaps(p + 8, p + 9);
    }
    for (int u = 0; u < 3; ++u) {
        const unsigned first = (cn ? 4330u : 4320u) + 3u * static_cast<unsigned>(u);
        BitButton(IDC_UNIT_MS + u)
            ->SetBitmaps(first, first + 1, first + 2, first + 2, first + 2, first + 2);
    }
    static_cast<CFontStatic*>(Control(IDC_LINK_INDICATOR))
        ->SetText(cn ? QStringLiteral("联动") : QStringLiteral("LINK"));
    m_Back.Release();
    update();
}

void CLevelDelayPage::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QPixmap& back = m_Back.In(g_LanguageFlag.load() != 0);
    for (const QRect& r : event->region())
        p.drawPixmap(r, back, r);
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

LRESULT CLevelDelayPage::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    // Every index that arrives is checked by its handler.
    const auto w = static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFF));
    const auto l = static_cast<int>(std::clamp<LPARAM>(lParam, -0x7FFFFFFF, 0x7FFFFFFF));
    switch (msg) {
    case WM_COMMAND:
        if (((wParam >> 16) & 0xFFFF) == 0) OnCommand(static_cast<int>(wParam & 0xFFFF));
        return 0;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        OnSlider(w, msg == WM_SLIDER_MOVED);
        return 1;
    case WM_CONTROL_HOVER:
        if (l >= kOutputOn && l < kOutputOn + kRows) SelectOutput(l - kOutputOn);
        if (l >= kOutputPolarity && l < kOutputPolarity + kRows) SelectOutput(l - kOutputPolarity);
        return 0;
    case WM_SOURCE_REPORTED:
        if (l == g_ActiveSource) CheckSourceButtons(g_ActiveSource);
        return 0;
    case WM_SOURCE_CHANGED:
        if (w != source::LockFlag()) UpdateSourceButtonLooks();
        if (l != g_ActiveSource) CheckSourceButtons(g_ActiveSource);
        return 0;
    case kFocusMoveMessage:
        if (l == kVkLeft) FocusPreviousField(w);
        if (l == kVkRight) FocusNextField(w);
        return 0;
    case WM_DELAY_SPIN_STEP:
        OnDistanceSpinDelta(w, l);
        return 0;
    default:
        return 0;
    }
}

void CLevelDelayPage::OnSlider(int id, bool moved) {
    if (id == IDC_MASTER_SLIDER) {
        const int v = Slider(IDC_MASTER_SLIDER)->GetValue();
        if (StoreMasterLevel(v)) Spin(IDC_MASTER_SPIN)->SetValueChecked(v);
        SelectOutput(-1);
        if (moved) Field(IDC_MASTER)->setFocus(Qt::OtherFocusReason);
    } else if (id >= kInputSlider && id < kInputSlider + kMusicColumns) {
        ApplyInputLevelFromSlider(id - kInputSlider);
        SelectOutput(-1);
        if (moved) Field(id - 20)->setFocus(Qt::OtherFocusReason);
    } else if (id >= kOutputSlider && id < kOutputSlider + kRows) {
        ApplyOutputLevelFromSlider(id - kOutputSlider);
        if (moved) Field(id - 20)->setFocus(Qt::OtherFocusReason);
    }
}

void CLevelDelayPage::OnCommand(int id) {
    const auto in = [id](int base, int count) { return id >= base && id < base + count; };
    if (id == IDC_MASTER || id == IDC_MASTER_SPIN) return OnMasterLevel();
    if (id == IDC_MASTER_ON) return OnMasterOnOff();
    if (in(kInputField, kColumns)) return ApplyInputLevelFromField(id - kInputField);
    if (in(kInputSpin, kColumns)) return ApplyInputLevelFromField(id - kInputSpin);
    if (in(kOutputField, kRows)) return ApplyOutputLevelFromField(id - kOutputField);
    if (in(kOutputSpin, kRows)) return ApplyOutputLevelFromField(id - kOutputSpin);
    if (in(kOutputOn, kRows)) return ToggleOutputOn(id - kOutputOn);
    if (in(kOutputPolarity, kRows)) return TogglePolarity(id - kOutputPolarity);
    if (in(kSourceButton, kColumns)) return SelectSource(id - kSourceButton);
    if (in(kDistanceField, kDistanceFields))
        return ApplyDistanceFromField(Spin(kDistanceSpin + id - kDistanceField)->GetChannel());
    if (in(kDistanceSpin, kDistanceFields)) return ApplyDistanceFromField(Spin(id)->GetChannel());
    if (in(kPositionButton, kSpeakerTypes - 1)) return OnPositionButton(id);
    if (in(IDC_UNIT_MS, 3)) return OnUnitButton(id - IDC_UNIT_MS + 1);
    if (in(kLinkToggle, kToggles)) return OnLinkToggle(id);
}
