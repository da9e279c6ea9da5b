// The input page's window and frame: its controls at their places, the
// source, mode, second-source and 1-way / 2-way logic with what each sends,
// the input lock, the messages shared with the strip and the level and delay
// page, painting and language. The equaliser half is in InputEq.cpp.
#include "pages/input/InputPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ColorMenu.h"
#include "controls/ControlNotify.h"
#include "controls/EqGraph.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PictureButton.h"
#include "controls/core/NumValue.h"
#include "controls/core/SliderCore.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/SourceTable.h"
#include "pages/input/InputConnectorStrip.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

using platform::DluToPixels;
using platform::kArial7;

// The page's places (dialog units of Arial 7); the template gives only its size.
const QSize kPageDlu(1024, 431);
const QRect kGraphDlu(10, 6, 734, 146);
constexpr int kBandX0 = 30, kBandPitch = 47; // the column of band b starts at x0 + pitch x b
constexpr int kLabelY = 158, kFreqY = 168, kQY = 180, kGainY = 192, kFaderY = 205, kBypassY = 263;
constexpr QSize kFieldDlu(35, 11);
constexpr int kBand0FaderShift = 12; // band 0's fader has its thumb at its left edge
const QRect kDbScaleDlu(2, kQY, 26, 81);
const QPoint kModeDlu[3] = {{760, 24}, {830, 24}, {900, 24}};
const QPoint kSourceDlu[6] = {{760, 62}, {830, 62}, {900, 62}, {760, 84}, {830, 84}, {900, 84}};
const QPoint kActiveSourceDlu(760, 107);
const QPoint kSecondSourceDlu(830, 142);
const QPoint kWaysDlu[2] = {{760, 176}, {830, 176}};
const QPoint kEqButtonsDlu[3] = {{760, 253}, {830, 253}, {900, 253}}; // bypass, reset, mode

const char* const kSecondSourceCn[] = {"数字", "高电平", "蓝牙", "AUX1", "AUX2", "AUX3", "关闭"};
const char* const kSecondSourceEn[] = {"S/PDIF", "Hi.Level", "Phone", "AUX1",
                                       "AUX2",   "AUX3",     "OFF"};

// Pictures of the source buttons 3960+i by language and lock: off normal,
// hover, down, then the on pictures.
struct SourceLooks {
    unsigned off[3];
    unsigned on;
};
SourceLooks SourceButtonLooks(int i, bool chinese, bool locked) {
    const unsigned u = static_cast<unsigned>(i);
    if (chinese) return {{8130 + u, 8140 + u, 8150 + u}, locked ? 8200 + u : 8150 + u};
    return {{8100 + u, 8110 + u, 8120 + u}, locked ? 8210 + u : 8120 + u};
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and the controls
// ---------------------------------------------------------------------------

CInputPage::CInputPage(QWidget* parent) : CSourcePage(parent) {
    resize(DluToPixels(kPageDlu, kArial7));
    m_HighlightedLabel = nullptr;
    m_HighlightedField = nullptr;
    g_pInputPage = this;
    InitControls();
}

CInputPage::~CInputPage() {
    // Nobody posts to a page that is gone.
    if (g_pInputPage == this) g_pInputPage = nullptr;
}

void CInputPage::Register(QWidget* control, int id) {
    SetControlId(control, id);
    m_Controls[id] = control;
}

QWidget* CInputPage::Control(int id) const {
    const auto it = m_Controls.find(id);
    return it == m_Controls.end() ? nullptr : it->second;
}
CNumEdit* CInputPage::Field(int id) const {
    return dynamic_cast<CNumEdit*>(Control(id));
}
CNumSpin* CInputPage::Spin(int id) const {
    return dynamic_cast<CNumSpin*>(Control(id));
}
CBitButton* CInputPage::BitButton(int id) const {
    return dynamic_cast<CBitButton*>(Control(id));
}
CBitmapSlider* CInputPage::Fader(int band) const {
    return band >= 0 && band < kBandCount ? m_Bands[band].fader : nullptr;
}
CPictureButton* CInputPage::BypassButton(int band) const {
    return band >= 0 && band < kBandCount ? m_Bands[band].bypass : nullptr;
}
CFontStatic* CInputPage::BandLabel(int band) const {
    return band >= 0 && band < kBandCount ? m_Bands[band].label : nullptr;
}

CInputPage::Looks CInputPage::ButtonLooks(int id) const {
    const auto it = m_Looks.find(id);
    return it == m_Looks.end() ? Looks{} : it->second;
}

CBitButton* CInputPage::NewButton(int id, const QRect& dlu) {
    auto* b = new CBitButton(this, id);
    Register(b, id);
    b->setGeometry(DluToPixels(dlu, kArial7));
    return b;
}

void CInputPage::SetButtonLooks(int id, std::initializer_list<unsigned> six, unsigned disabledOff,
                                unsigned disabledOn) {
    CBitButton* b = BitButton(id);
    if (!b) return;
    Looks& looks = m_Looks[id];
    std::copy(six.begin(), six.end(), looks.ids);
    if (six.size() == 6) {
        const unsigned* v = six.begin();
        b->SetBitmaps(v[0], v[1], v[2], v[3], v[4], v[5]);
    }
    if (disabledOff || disabledOn) {
        looks.ids[6] = disabledOff;
        looks.ids[7] = disabledOn;
        b->SetDisabledBitmaps(disabledOff, disabledOn);
    }
}

void CInputPage::InitControls() {
    CreateBandColumns();
    CreateFrameButtons();

    m_Graph = new CEqGraph(this);
    Register(m_Graph, IDC_GRAPH);
    m_Graph->setGeometry(DluToPixels(kGraphDlu, kArial7));
    m_Graph->SetMode(CEqGraph::kModeMusic);

    for (int i = 0; i < 6; ++i)
        m_SourcePlaces[static_cast<size_t>(i)] = Control(IDC_SOURCE0 + i)->geometry();

    m_Strip = new CInputConnectorStrip(this);
    m_Strip->SetOwner(this);
    m_Strip->move(kStripPlace);
    m_Strip->show();
    LayoutSourceButtons();
    ApplyLanguage();
    ApplyLockState();
}

void CInputPage::CreateFrameButtons() {
    const QSize modeSize(67, 17), sourceSize(67, 17), eqSize(50, 16);
    for (int m = 0; m < 3; ++m)
        NewButton(IDC_MODE0 + m, QRect(kModeDlu[m], modeSize));
    for (int i = 0; i < 6; ++i)
        NewButton(IDC_SOURCE0 + i, QRect(kSourceDlu[i], sourceSize));
    SourceButtonPictures(false);
    NewButton(IDC_ACTIVE_SOURCE, QRect(kActiveSourceDlu, QSize(96, 17)))->setEnabled(false);
    SetButtonLooks(IDC_ACTIVE_SOURCE, {}, 452, 452);
    CBitButton* second = NewButton(IDC_SECOND_SOURCE, QRect(kSecondSourceDlu, QSize(120, 19)));
    second->setFont(g_FontHeavy16);
    SetButtonLooks(IDC_SECOND_SOURCE, {722, 723, 723, 0, 0, 0});
    for (int w = 0; w < 2; ++w)
        NewButton(IDC_ONE_WAY + w, QRect(kWaysDlu[w], modeSize));
    NewButton(IDC_BYPASS_EQ, QRect(kEqButtonsDlu[0], eqSize));
    NewButton(IDC_RESET_EQ, QRect(kEqButtonsDlu[1], eqSize));
    NewButton(IDC_EQ_MODE, QRect(kEqButtonsDlu[2], eqSize));
    CBitButton* scale = NewButton(IDC_DB_SCALE, kDbScaleDlu);
    scale->setEnabled(false);
    SetButtonLooks(IDC_DB_SCALE, {}, 797, 796);
    scale->hide();
}

void CInputPage::CreateBandColumns() {
    QFont bandFont = g_FontSmall12;
    for (int b = 0; b < kBandCount; ++b) {
        BandColumn& c = m_Bands[static_cast<size_t>(b)];
        // Bands 15..30 keep the place of band 14 and stay hidden.
        const int x = kBandX0 + kBandPitch * std::min(b, kShownBands - 1);

        c.freq = new CNumEdit(this);
        Register(c.freq, kBandFreq + b);
        c.freq->setGeometry(DluToPixels(QRect(QPoint(x, kFreqY), kFieldDlu), kArial7));
        c.freq->setMaxLength(5);
        c.freqSpin = new CNumSpin(this);
        Register(c.freqSpin, kBandFreqSpin + b);
        c.freqSpin->SetBuddy(c.freq);
        c.freqSpin->SetRange32(20, 20000);
        // The type after the range: the spin keeps the earlier one and steps 1 Hz.
        c.freq->SetType(numfield::kInteger);
        c.freqPlace = c.freq->geometry();

        c.q = new CNumEdit(this);
        Register(c.q, kBandQ + b);
        c.q->setGeometry(DluToPixels(QRect(QPoint(x, kQY), kFieldDlu), kArial7));
        c.q->setMaxLength(5);
        c.qSpin = new CNumSpin(this);
        Register(c.qSpin, kBandQSpin + b);
        c.qSpin->SetBuddy(c.q);
        c.q->SetType(numfield::kQ);
        c.qSpin->SetRange32(0, 295);

        c.gain = new CNumEdit(this);
        Register(c.gain, kBandGain + b);
        c.gain->setGeometry(DluToPixels(QRect(QPoint(x, kGainY), kFieldDlu), kArial7));
        c.gain->setMaxLength(5);
        c.gainSpin = new CNumSpin(this);
        Register(c.gainSpin, kBandGainSpin + b);
        c.gainSpin->SetBuddy(c.gain);
        c.gainSpin->SetRange32(80, 320);
        c.gain->SetScale(0.1);
        c.gain->SetOffset(20.0);
        c.gain->SetType(numfield::kLevel);
        c.gainPlace = c.gain->geometry();

        for (CNumEdit* f : {c.freq, c.q, c.gain}) {
            f->setFont(bandFont);
            f->setAlignment(Qt::AlignCenter);
            f->installEventFilter(this);
        }
        for (CNumSpin* s : {c.freqSpin, c.qSpin, c.gainSpin})
            s->hide(); // the fields' Up and Down keys step them

        c.fader = new CBitmapSlider(this);
        Register(c.fader, kBandFader + b);
        c.fader->SetBitmapChannel(610, 610, false, 0xFF000000);
        c.fader->SetBitmapThumb(626, 627, true, 0xFF000000);
        c.fader->SetThumbMask(628);
        c.fader->SetRange(0, kFaderRange, false);
        c.fader->EnableMoveNotify(true);
        c.fader->SetMargin(b == 0 ? 0 : 15, 1, 1, 1);
        c.fader->SetValueKind(slider::kEqGain);
        c.fader->SetBuddyEdit(c.gain);
        c.gain->SetBuddySpin(c.fader);
        const int faderX = b == 0 ? x + kBand0FaderShift : x;
        c.fader->move(DluToPixels(QPoint(faderX, kFaderY), kArial7));
        c.faderPlace = c.fader->geometry();
        c.columnPlace =
            QRect(QPoint(c.faderPlace.left(), c.q->geometry().top()), c.faderPlace.size());

        c.label = new CFontStatic(this);
        Register(c.label, kBandLabel + b);
        c.label->setGeometry(DluToPixels(QRect(QPoint(x, kLabelY), QSize(35, 9)), kArial7));
        c.label->SetText(QString::number(b + 1));
        c.label->SetFontStyle(QString(), 14, QColor(0, 0, 0), 1);

        c.bypass = new CPictureButton(this, kBandBypass + b);
        Register(c.bypass, kBandBypass + b);
        c.bypass->SetBitmaps(8832, 8833, 8833, 8830, 8831, 8831);
        c.bypass->EnableHoverNotify(true);
        // Centred under the field column (band 0's fader sits further right).
        const QRect field = c.gain->geometry();
        const QPoint at(field.center().x() - c.bypass->sizeHint().width() / 2 + 1,
                        platform::DluToPixelsY(kBypassY, kArial7));
        c.bypass->move(at);

        if (b >= kShownBands)
            for (QWidget* w :
                 std::initializer_list<QWidget*>{c.freq, c.q, c.gain, c.fader, c.label, c.bypass})
                w->hide();
    }
}

void CInputPage::LayoutSourceButtons() {
    // The page offers Hi.Level, AUX1, AUX2 and AUX3; S/PDIF and Phone are
    // chosen elsewhere.
    Control(IDC_SOURCE0)->hide();
    Control(IDC_SOURCE0 + 2)->hide();
    m_Strip->ShowSpdifButton(0);
    m_Strip->ShowPhoneButton(0);
    const int moved[4] = {1, 3, 4, 5};
    for (int place = 0; place < 4; ++place)
        Control(IDC_SOURCE0 + moved[place])
            ->move(m_SourcePlaces[static_cast<size_t>(place)].topLeft());
}

// ---------------------------------------------------------------------------
// The model
// ---------------------------------------------------------------------------

void CInputPage::SetDataModel(CKTV_Data* data) {
    CViewPage::SetChannelArray(data);
    m_Graph->SetOwner(this);
    m_Graph->Attach(data, CEqGraph::kAttachMusic);
    m_Graph->ShowMusic(0);
    m_Graph->SetMode(CEqGraph::kModeMusic);
}

// ---------------------------------------------------------------------------
// Source and mode
// ---------------------------------------------------------------------------

void CInputPage::ShowActiveSourceIndicator() {
    const int s = source::IsSource(g_ActiveSource) ? g_ActiveSource : source::kOff;
    const unsigned id = (g_LanguageFlag.load() ? 459u : 452u) + static_cast<unsigned>(s);
    SetButtonLooks(IDC_ACTIVE_SOURCE, {}, id, id);
}

void CInputPage::UncheckSourceButton(int s) {
    if (s >= 0 && s < source::kOff) BitButton(IDC_SOURCE0 + s)->SetCheck(0);
}

void CInputPage::CheckSourceButton(int s) {
    for (int i = 0; i < source::kOff; ++i)
        BitButton(IDC_SOURCE0 + i)->SetCheck(i == s ? 1 : 0);
}

void CInputPage::ApplyModeAndSource(int /*hook*/) {
    ShowActiveSourceIndicator();
    for (int m = 0; m < 3; ++m)
        BitButton(IDC_MODE0 + m)->SetCheck(0);
    m_Strip->ShowModeButtons();
    // AUX2 exists in modes 0 and 1, AUX3 in mode 0 only.
    const int mode = std::clamp<int>(g_InputMode, 0, 2);
    Control(IDC_SOURCE0 + 4)->setVisible(mode <= 1);
    Control(IDC_SOURCE0 + 5)->setVisible(mode == 0);
    BitButton(IDC_MODE0 + mode)->SetCheck(1);
    m_Strip->CheckActiveSourceButton();
    CheckSourceButton(g_ActiveSource);
    Refresh();
}

void CInputPage::NotifySourceChange() {
    const int lock = source::LockFlag();
    if (g_pLevelDelayPage)
        platform::PostMessage(g_pLevelDelayPage, WM_SOURCE_CHANGED, static_cast<WPARAM>(lock),
                              static_cast<LPARAM>(g_ActiveSource));
    if (!source::ClearLockFlag()) return;
    BitButton(IDC_SECOND_SOURCE)->SetCheck(0);
    if (m_View) m_View->SendCommand(kRecordMaster, 0);
    ApplyLockState();
}

void CInputPage::FlushViewMessages() {
    if (m_View) m_View->FlushViewMessages();
}

void CInputPage::MakeSourceActive(int s, int hook) {
    source::SetActive(s);
    UpdateSourceButton(g_ActiveSource, g_InputMode);
    if (m_View) m_View->SendCommand(kRecordSources, 0);
    ApplyModeAndSource(hook);
    FlushViewMessages();
}

void CInputPage::OnSourceButton(int s) {
    if (s < 0 || s >= source::kOff) return;
    NotifySourceChange();
    if (s == g_ActiveSource) return;
    UncheckSourceButton(g_ActiveSource);
    MakeSourceActive(s, 0);
}

void CInputPage::OnStripSource(int s) {
    if (s < 0 || s >= source::kOff) return;
    NotifySourceChange();
    // The source already active is sent again.
    if (s != g_ActiveSource) UncheckSourceButton(g_ActiveSource);
    MakeSourceActive(s, 1);
}

void CInputPage::SetInputMode(int mode) {
    if (mode < 0 || mode > 2) return;
    NotifySourceChange();
    if (mode == g_InputMode) return;
    // What the old mode hid comes back.
    if (g_InputMode == 1) Control(IDC_SOURCE0 + 5)->show();
    if (g_InputMode == 2) {
        Control(IDC_SOURCE0 + 4)->show();
        Control(IDC_SOURCE0 + 5)->show();
    }
    g_InputMode = mode;
    for (int m = 0; m < 3; ++m)
        BitButton(IDC_MODE0 + m)->SetCheck(0);
    // The active source into the new mode: the AUX inputs it lacks and off
    // become AUX1.
    int s = g_ActiveSource;
    if (mode == 1 && (s == 5 || s == source::kOff)) s = source::kAux1;
    if (mode == 2 && (s == 4 || s == 5 || s == source::kOff)) s = source::kAux1;
    UncheckSourceButton(g_ActiveSource);
    // The mode itself stays with the program: only the source travels.
    MakeSourceActive(s, 1);
}

void CInputPage::OnSourceReported(int s) {
    if (!source::IsSource(s) || s == g_ActiveSource || !source::IsSource(g_ActiveSource)) return;
    UncheckSourceButton(g_ActiveSource);
    source::SetActive(s);
    ApplyModeAndSource(0);
}

void CInputPage::OnSourceChanged(int lockFlag, int previous) {
    if (lockFlag) {
        BitButton(IDC_SECOND_SOURCE)->SetCheck(0);
        ApplyLockState();
    }
    if (previous != g_ActiveSource && source::IsSource(previous)) {
        UncheckSourceButton(previous);
        ApplyModeAndSource(0);
    }
}

// ---------------------------------------------------------------------------
// The input lock
// ---------------------------------------------------------------------------

void CInputPage::SourceButtonPictures(bool locked) {
    const bool cn = g_LanguageFlag.load() != 0;
    for (int i = 0; i < source::kOff; ++i) {
        const SourceLooks l = SourceButtonLooks(i, cn, locked);
        SetButtonLooks(IDC_SOURCE0 + i, {l.off[0], l.off[1], l.off[2], l.on, l.on, l.on});
    }
}

void CInputPage::ApplyLockState() {
    m_Locked = source::LockFlag() != 0;
    SourceButtonPictures(m_Locked);
    EnableEqControls(EqEditable());
    if (!EqEditable()) {
        HighlightBandLabel(0, false);
        HighlightEdit(0, kKindFreq, false);
    }
}

bool CInputPage::EqEditable() const {
    return !m_Locked && m_Input;
}

void CInputPage::EnableEqControls(bool enable) {
    for (int id : {IDC_BYPASS_EQ, IDC_EQ_MODE, IDC_RESET_EQ})
        Control(id)->setEnabled(enable);
    for (BandColumn& c : m_Bands) {
        for (CNumEdit* f : {c.freq, c.q, c.gain})
            f->EnableField(enable);
        c.fader->EnableInput(enable);
        c.bypass->setEnabled(enable);
    }
    m_Graph->EnableGraph(enable);
}

// ---------------------------------------------------------------------------
// Second source and 1-way / 2-way
// ---------------------------------------------------------------------------

void CInputPage::UpdateSourceButton(int, int) {
    // An unavailable second source falls back to off and the button shows it.
    if (!source::SecondSourceFollowsActive(m_View)) ShowSecondSource();
}

int CInputPage::TrackSecondSourceMenu(QMenu& menu, const QPoint& at) {
    const QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : -1;
}

void CInputPage::OnSecondSourceButton() {
    const bool cn = g_LanguageFlag.load() != 0;
    CColorMenu menu(this);
    for (int s = 0; s < source::kCount; ++s) {
        QAction* item =
            menu.addAction(QString::fromUtf8(cn ? kSecondSourceCn[s] : kSecondSourceEn[s]));
        item->setData(s);
        item->setEnabled(g_SourceTable->enabled[s] != 0);
    }
    const QWidget* button = Control(IDC_SECOND_SOURCE);
    const int chosen =
        TrackSecondSourceMenu(menu, button->mapToGlobal(QPoint(0, button->height() + 2)));
    if (chosen >= 0) OnSecondSourceItem(chosen);
}

void CInputPage::SelectSecondSource(int s) {
    // The menu greys what the active source does not allow; nothing else gets in.
    if (!source::IsSource(s) || !g_SourceTable->enabled[s] || s == g_SourceTable->current) return;
    source::StoreSecondSource(m_View, s);
    ShowSecondSource();
}

void CInputPage::ShowSecondSource() {
    const int c = source::IsSource(g_SourceTable->current) ? g_SourceTable->current : source::kOff;
    const unsigned u = static_cast<unsigned>(c);
    if (g_LanguageFlag.load())
        SetButtonLooks(IDC_SECOND_SOURCE, {u + 3100, u + 3110, u + 3110, 0, 0, 0});
    else
        SetButtonLooks(IDC_SECOND_SOURCE, {u + 3120, u + 3130, u + 3130, 0, 0, 0});
    const int ways = g_DeviceRecords.BridgeMode();
    BitButton(IDC_ONE_WAY)->SetCheck(ways == 0);
    BitButton(IDC_TWO_WAY)->SetCheck(ways == 1);
}

void CInputPage::SetWays(int twoWay) {
    const bool changed = WithDeviceLock([twoWay]() REQUIRES(g_DeviceLock) {
        if (g_DeviceRecords.BridgeMode() == twoWay) return false;
        g_DeviceRecords.SetBridgeMode(twoWay);
        return true;
    });
    if (!changed) return;
    BitButton(IDC_ONE_WAY)->SetCheck(twoWay == 0);
    BitButton(IDC_TWO_WAY)->SetCheck(twoWay == 1);
    if (m_View) {
        m_View->SendCommand(kRecordSourceSetup, 0);
        m_View->ShowSourceSetup();
    }
}

// ---------------------------------------------------------------------------
// Language and painting
// ---------------------------------------------------------------------------

void CInputPage::ApplyLanguage() {
    const bool cn = g_LanguageFlag.load() != 0;
    if (cn) {
        SetButtonLooks(IDC_RESET_EQ, {7004, 7003, 7003, 7004, 7003, 7003}, 7012, 7013);
        SetButtonLooks(IDC_BYPASS_EQ, {7000, 7005, 7005, 7002, 7001, 7001}, 7010, 7011);
        SetButtonLooks(IDC_EQ_MODE, {744, 747, 747, 746, 745, 745}, 753, 755);
    } else {
        SetButtonLooks(IDC_RESET_EQ, {359, 360, 360, 359, 360, 360}, 7022, 7023);
        SetButtonLooks(IDC_BYPASS_EQ, {8820, 8821, 8821, 8822, 8823, 8823}, 7020, 7021);
        SetButtonLooks(IDC_EQ_MODE, {740, 743, 743, 742, 741, 741}, 749, 751);
    }
    // Modes and ways: normal, hover, down; the down picture for every on look.
    const auto threeLooks = [this](int id, unsigned first) {
        SetButtonLooks(id, {first, first + 1, first + 2, first + 2, first + 2, first + 2});
    };
    for (int m = 0; m < 3; ++m)
        threeLooks(IDC_MODE0 + m, (cn ? 4420u : 679u) + 3u * static_cast<unsigned>(m));
    threeLooks(IDC_ONE_WAY, cn ? 3140 : 3150);
    threeLooks(IDC_TWO_WAY, cn ? 3143 : 3153);
    SourceButtonPictures(m_Locked);
    ShowSecondSource();
    BitButton(IDC_DB_SCALE)->SetCheck(cn ? 1 : 0);
    ShowActiveSourceIndicator();
    m_Strip->RedrawButtons();
    m_Page.Release();
    update();
}

void CInputPage::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QPixmap& page = m_Page.In(g_LanguageFlag.load() != 0);
    for (const QRect& r : event->region())
        p.drawPixmap(r, page, r);
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

LRESULT CInputPage::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    // Every index that arrives here is checked by its handler.
    const auto w = static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFF));
    const auto l = static_cast<int>(std::clamp<LPARAM>(lParam, -1, 0x7FFFFFFF));
    switch (msg) {
    case WM_COMMAND:
        OnCommand(static_cast<int>(wParam & 0xFFFF), static_cast<int>((wParam >> 16) & 0xFFFF));
        return 0;
    case CInputConnectorStrip::kSourceMessage:
        OnStripSource(l);
        return 0;
    case WM_SOURCE_REPORTED:
        OnSourceReported(l);
        return 0;
    case WM_SOURCE_CHANGED:
        OnSourceChanged(w, l);
        return 0;
    case WM_GRAPH_BAND_CHANGED:
        OnGraphBandChanged(w, l);
        return 0;
    case kBandSelectedMessage:
        OnGraphBandSelected(w, l);
        return 0;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        if (w >= kBandFader && w < kBandFader + kBandCount) {
            OnBandSlider(w - kBandFader, msg == WM_SLIDER_MOVED);
            return 1;
        }
        return 0;
    case kFocusStepMessage:
        OnFocusStep(w, l);
        return 0;
    case kEnterStepMessage:
        OnEnterStep(w);
        return 0;
    default: // WM_CONTROL_HOVER and the rest: nothing to do
        return 0;
    }
}

void CInputPage::OnCommand(int id, int code) {
    if (code != 0) return;
    const auto in = [id](int base) { return id >= base && id < base + kBandCount; };
    if (in(kBandFreq)) return OnBandFreq(id - kBandFreq);
    if (in(kBandFreqSpin)) return OnBandFreq(id - kBandFreqSpin);
    if (in(kBandQ)) return OnBandQ(id - kBandQ);
    if (in(kBandQSpin)) return OnBandQ(id - kBandQSpin);
    if (in(kBandGain)) return OnBandGain(id - kBandGain);
    if (in(kBandGainSpin)) return OnBandGain(id - kBandGainSpin);
    if (in(kBandBypass)) return OnBandBypass(id - kBandBypass);
    if (id >= IDC_SOURCE0 && id < IDC_SOURCE0 + 6) return OnSourceButton(id - IDC_SOURCE0);
    if (id >= IDC_MODE0 && id < IDC_MODE0 + 3) return OnModeButton(id - IDC_MODE0);
    switch (id) {
    case IDC_SECOND_SOURCE:
        return OnSecondSourceButton();
    case IDC_ONE_WAY:
        return OnOneWay();
    case IDC_TWO_WAY:
        return OnTwoWay();
    case IDC_BYPASS_EQ:
        return OnBypassAll();
    case IDC_RESET_EQ:
        return OnResetEq();
    case IDC_EQ_MODE:
        return OnEqMode();
    default:
        break;
    }
}
