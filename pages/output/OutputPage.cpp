// The output page's window: its controls at their template places, the
// language, painting, the key filter and the message map. Refresh, editing
// and focus live in the neighbouring files.
#include "pages/output/OutputPage.h"

#include "pages/output/PositionButtons.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DropListButton.h"
#include "controls/ControlTimer.h"
#include "controls/ControlNotify.h"
#include "controls/EqGraph.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PngButton.h"
#include "controls/SkinControl.h"
#include "controls/PictureButton.h"
#include "controls/core/NumValue.h"
#include "controls/core/SliderCore.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"
#include "pages/output/CurveToggleStrip.h"
#include "pages/output/DelayUnitStrip.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>

namespace {

using platform::DluToPixels;
using platform::kArial7;

// Template 136 (Arial 7), in dialog units.
constexpr int kBandX[COutputPage::kBandCount] = {
    217, 242, 268, 294, 320, 345, 370, 397, 423, 449, 474, 501, 525, 552, 577, 604,
    629, 654, 681, 706, 732, 758, 784, 809, 836, 861, 886, 912, 938, 964, 989};
// The fields are two units wider than the template's and start one unit
// earlier, with a slightly narrowed font, so that five digits fit.
constexpr int kBandFieldW = 23, kBandFieldH = 9, kBandFieldShift = 1;
constexpr int kBandFontStretch = 88;
constexpr int kBandFreqY = 245, kBandQY = 259, kBandGainY = 273;
constexpr int kBandLabelY = 226, kBandLabelW = 20, kBandLabelH = 10;
constexpr int kBandSliderY = 287, kBandLampY = 384;
const QRect kGraphDlu(187, 7, 792, 203);

const QColor kLabelColour(147, 156, 171);

QStringList Texts(std::initializer_list<const char*> utf8) {
    QStringList out;
    for (const char* t : utf8)
        out << QString::fromUtf8(t);
    return out;
}

const QStringList& FamilyTexts(bool chinese) {
    static const QStringList cn = Texts({"宁克-锐", "贝塞尔", "巴特沃斯"});
    static const QStringList en = Texts({"Link-Ril", "Bessel", "Butter-W"});
    return chinese ? cn : en;
}

const QStringList& DelayUnitTexts(bool chinese) {
    static const QStringList cn = Texts({"毫秒", "厘米", "英寸"});
    static const QStringList en = Texts({"Ms", "Cm", "Inch"});
    return chinese ? cn : en;
}

const QStringList& ThirdOctaveTexts() {
    static const QStringList texts =
        Texts({"20Hz",   "25Hz",   "32Hz",    "40Hz",    "50Hz",    "63Hz",    "80Hz",    "100Hz",
               "125Hz",  "160Hz",  "200Hz",   "250Hz",   "315Hz",   "400Hz",   "500Hz",   "630Hz",
               "800Hz",  "1.0KHz", "1.25KHz", "1.6KHz",  "2.0KHz",  "2.5KHz",  "3.15KHz", "4.0KHz",
               "5.0KHz", "6.3KHz", "8.0KHz",  "10.0KHz", "12.5KHz", "16.0KHz", "20.0KHz"});
    return texts;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and the controls of the template
// ---------------------------------------------------------------------------

COutputPage::COutputPage(QWidget* parent)
    : CViewPage(parent), m_PhaseTimer(std::make_unique<ControlTimer>([this] { OnPhaseTimer(); })) {
    resize(DluToPixels(QSize(1037, 460), kArial7));
    // Its picture covers all of it: what lies beneath is not drawn.
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < 12; ++i)
        m_Panels[i].mask = 1 << i;
    m_HighlightedLabel = nullptr;
    m_HighlightedField = nullptr;
    m_FocusedSlider = nullptr;
    InitControls();
}

void COutputPage::Register(QWidget* control, int id) {
    SetControlId(control, id);
    m_Controls[id] = control;
}

QWidget* COutputPage::Control(int id) const {
    const auto it = m_Controls.find(id);
    return it == m_Controls.end() ? nullptr : it->second;
}

CNumEdit* COutputPage::Field(int id) const {
    return dynamic_cast<CNumEdit*>(Control(id));
}
CNumSpin* COutputPage::Spin(int id) const {
    return dynamic_cast<CNumSpin*>(Control(id));
}
CBitmapSlider* COutputPage::Slider(int id) const {
    return dynamic_cast<CBitmapSlider*>(Control(id));
}
CPictureButton* COutputPage::PictureButton(int id) const {
    return dynamic_cast<CPictureButton*>(Control(id));
}
CBitButton* COutputPage::BitButton(int id) const {
    return dynamic_cast<CBitButton*>(Control(id));
}
CDropListButton* COutputPage::List(int id) const {
    return dynamic_cast<CDropListButton*>(Control(id));
}

CFontStatic* COutputPage::BandLabel(int band) const {
    return band >= 0 && band < kBandCount ? m_Bands[band].label : nullptr;
}

CPngButton* COutputPage::PositionButton(int type) const {
    return m_Positions->Button(type);
}

void COutputPage::SetView(IPageHost* view) {
    CViewPage::SetView(view);
    m_Positions->SetView(view);
}

CNumEdit* COutputPage::NewField(int id, const QRect& dlu) {
    auto* field = new CNumEdit(this);
    Register(field, id);
    field->setGeometry(DluToPixels(dlu, kArial7));
    field->setAlignment(Qt::AlignCenter);
    field->setFont(g_FontDialog14);
    return field;
}

CNumSpin* COutputPage::NewSpin(int id, CNumEdit* field) {
    // The arrows stay hidden: the field's Up and Down keys step it.
    auto* spin = new CNumSpin(this);
    Register(spin, id);
    spin->hide();
    spin->SetBuddy(field);
    return spin;
}

CDropListButton* COutputPage::NewList(int id, int notifyId, const QPoint& dlu, unsigned normal,
                                      unsigned hover) {
    auto* list = new CDropListButton(this, id);
    Register(list, id);
    list->SetBitmaps(normal, hover);
    list->move(DluToPixels(dlu, kArial7));
    list->CreateDropList(this, notifyId);
    list->ResetContent();
    return list;
}

void COutputPage::FillList(CDropListButton* list, const std::vector<QString>& texts) {
    list->ResetContent();
    for (const QString& t : texts)
        list->AddString(t);
}

void COutputPage::InitControls() {
    CreateLevelDelayPhase();
    CreateHiddenControls();
    CreateCrossover();
    CreateBandColumns();

    // The graph of the outputs.
    m_Graph = new CEqGraph(this);
    Register(m_Graph, IDC_GRAPH);
    m_Graph->setGeometry(DluToPixels(kGraphDlu, kArial7));
    m_Background.SetCovered(m_Graph->geometry());

    // Bypass all, EQ mode, EQ reset (their pictures follow the language).
    const struct {
        int id;
        QPoint dlu;
    } eqButtons[] = {
        {IDC_ALL_BYPASS, {63, 377}}, {IDC_EQ_MODE, {116, 377}}, {IDC_EQ_RESET, {10, 377}}};
    for (const auto& b : eqButtons) {
        auto* button = new CPictureButton(this, b.id);
        Register(button, b.id);
        button->move(DluToPixels(b.dlu, kArial7));
        button->SetCheck(0);
    }

    m_CurveBar = new CCurveToggleStrip(this);
    m_CurveBar->setGeometry(1225, 15, 40, 290);
    m_CurveBar->show();

    // The delay unit selector: the page's drop list offers the same choice,
    // so it stays hidden.
    m_DelaySelector = new CDelayUnitStrip(this);
    m_DelaySelector->setGeometry(13, 241, 130, 211);
    m_DelaySelector->hide();
    m_DelaySelector->SetMsSelected(true);

    // The speaker-position buttons lie on the car picture in the page's
    // top-left corner, on a layer of their own that handles their clicks.
    m_Positions = new CPositionButtons(this, m_View);
    m_Positions->setGeometry(CPositionButtons::Area());
    ApplyButtonPictures();
    FillFilterLists();
}

void COutputPage::CreateLevelDelayPhase() {
    // Phase field with its spin: 20..200, shown as 0..360 degrees.
    CNumEdit* phase = NewField(IDC_PHASE, QRect(141, 209, 36, 12));
    CNumSpin* phaseSpin = NewSpin(IDC_PHASE_SPIN, phase);
    phaseSpin->SetRange32(20, 200);
    phase->SetScale(1.0);
    phase->SetOffset(20.0);
    phase->SetType(numfield::kPhase);
    phaseSpin->SetValueChecked(kPhaseOff);

    // Polarity button (pictures by language).
    auto* polarity = new CBitButton(this, IDC_POLARITY);
    Register(polarity, IDC_POLARITY);
    polarity->move(DluToPixels(QPoint(95, 208), kArial7));

    // Level field, spin and slider: 0..600, shown in dB with "OFF" at 0.
    CNumEdit* level = NewField(IDC_LEVEL, QRect(12, 209, 36, 12));
    auto* levelSlider = new CBitmapSlider(this);
    Register(levelSlider, IDC_LEVEL_SLIDER);
    level->SetScale(0.1);
    level->SetOffset(60.0);
    level->SetType(numfield::kThreshold);
    level->SetBuddySpin(levelSlider);
    CNumSpin* levelSpin = NewSpin(IDC_LEVEL_SPIN, level);
    levelSpin->SetRange32(0, 600);
    levelSlider->SetBitmapChannel(281);
    levelSlider->SetBitmapThumb(358, 280, true);
    levelSlider->SetRange(0, 600);
    levelSlider->SetMargin(1, 6, 1, 5);
    levelSlider->SetVertical(false);
    levelSlider->SetBuddyEdit(level);
    levelSlider->move(DluToPixels(QPoint(14, 224), kArial7));

    // Delay field and spin: 0..720 steps of 1/48 ms, shown in the page's unit.
    CNumEdit* delay = NewField(IDC_DELAY, QRect(39, 174, 50, 12));
    delay->SetType(numfield::kDelayMs);
    CNumSpin* delaySpin = NewSpin(IDC_DELAY_SPIN, delay);
    delaySpin->SetRange32(0, 720);
    // One arrow step moves the shown delay by one shown unit, whatever the unit.
    delaySpin->SetValueType(2);
    delaySpin->SetValueChecked(0);

    auto* mute = new CBitButton(this, IDC_MUTE);
    Register(mute, IDC_MUTE);
    mute->move(DluToPixels(QPoint(54, 208), kArial7));
    mute->SetBitmaps(526, 530, 528, 528, 528, 526);

    CDropListButton* unit = NewList(IDC_DELAY_UNIT, kListDelayUnit, QPoint(124, 173), 870, 872);
    unit->EnableMoveNotify(true);
}

void COutputPage::CreateHiddenControls() {
    // The phase frequency (it shares the word of the limiter's release time).
    CNumEdit* phaseFreq = NewField(IDC_PHASE_FREQ, QRect(141, 190, 36, 12));
    CNumSpin* phaseFreqSpin = NewSpin(IDC_PHASE_FREQ_SPIN, phaseFreq);
    phaseFreqSpin->SetRange32(20, 20000);
    phaseFreq->SetScale(20.0);
    phaseFreq->SetOffset(20.0);
    phaseFreq->SetType(numfield::kFrequency);
    phaseFreq->hide();

    auto* polarityPicture = new CBitmapSlider(this);
    Register(polarityPicture, IDC_POLARITY_PICTURE);
    polarityPicture->SetBitmapChannel(1175);
    polarityPicture->SetBitmapThumb(1178);
    polarityPicture->SetVertical(false);
    polarityPicture->SetMargin(28, 47, 15, 0);
    polarityPicture->hide();

    // A second level field, spin and slider.
    CNumEdit* level2 = NewField(IDC_LEVEL2, QRect(12, 150, 36, 12));
    level2->SetScale(0.1);
    level2->SetOffset(60.0);
    level2->SetType(numfield::kThreshold);
    level2->EnableField(false);
    CNumSpin* level2Spin = NewSpin(IDC_LEVEL2_SPIN, level2);
    level2Spin->SetRange32(0, 600);
    auto* level2Slider = new CBitmapSlider(this);
    Register(level2Slider, IDC_LEVEL2_SLIDER);
    level2Slider->SetBitmapChannel(281, 283);
    level2Slider->SetBitmapThumb(280, 282, true);
    level2Slider->SetRange(0, 600);
    level2Slider->SetMargin(11, 4, 1, 4);
    level2Slider->SetVertical(false);
    level2Slider->SetValueKind(33);
    level2Slider->SetBuddyEdit(level2);
    level2Slider->EnableMoveNotify(true);
    level2->hide();
    level2Slider->hide();

    // The delay in milliseconds, centimetres and inches, each with a spin
    // that steps by whole shown units and its own spin strip.
    const struct {
        int field, spin, strip, type;
        const char* unit;
    } triplet[] = {
        {IDC_DELAY_MS, IDC_DELAY_MS_SPIN, IDC_DELAY_MS_STRIP, numfield::kDelayMs, "MS"},
        {IDC_DELAY_CM, IDC_DELAY_CM_SPIN, IDC_DELAY_MS_STRIP + 1, numfield::kDelayCm, "CM"},
        {IDC_DELAY_INCH, IDC_DELAY_INCH_SPIN, IDC_DELAY_MS_STRIP + 2, numfield::kDelayInch,
         "INCH"}};
    int y = 100;
    for (const auto& t : triplet) {
        CNumEdit* field = NewField(t.field, QRect(200, y, 75, 12));
        field->SetType(t.type, QString::fromLatin1(t.unit));
        CNumSpin* spin = NewSpin(t.spin, field);
        spin->SetRange32(0, 720);
        spin->SetValueType(2);
        field->SetValue(0);
        field->CreateSpinButton(t.strip);
        field->SetSpinTarget(t.strip, spin);
        field->hide();
        y += 14;
    }

    // The third-octave lists of the crossover frequencies.
    for (const auto& l :
         {std::pair{IDC_HPF_LIST, kListHpfFreq}, std::pair{IDC_LPF_LIST, kListLpfFreq}}) {
        CDropListButton* list = NewList(l.first, l.second, QPoint(200, 60), 701, 702);
        FillList(list, {ThirdOctaveTexts().begin(), ThirdOctaveTexts().end()});
        list->EnableMoveNotify(true);
        list->hide();
    }

    auto* language = new CBitButton(this, IDC_LANGUAGE);
    Register(language, IDC_LANGUAGE);
    language->SetDisabledBitmaps(797, 796);
    language->setEnabled(false);
    language->hide();
    auto* source = new CBitButton(this, IDC_SOURCE);
    Register(source, IDC_SOURCE);
    source->setEnabled(false);
    source->hide();
    auto* pageButton = new CBitButton(this, IDC_PAGE_BUTTON);
    Register(pageButton, IDC_PAGE_BUTTON);
    pageButton->hide();

    auto* caption = new CFontStatic(this);
    Register(caption, IDC_CAPTION);
    caption->SetFontStyle(QString(), 16, QColor(201, 209, 220), 0);
    caption->hide();
    // The lock mark of the delay fields: never shown.
    auto* lockMark = new QWidget(this);
    Register(lockMark, IDC_DELAY_LOCK_MARK);
    lockMark->hide();
}

void COutputPage::CreateCrossover() {
    // Frequency fields: the type before the range, so their spins step
    // through the frequency table.
    for (const auto& f : {std::tuple{IDC_HPF_FREQ, IDC_HPF_SPIN, 15},
                          std::tuple{IDC_LPF_FREQ, IDC_LPF_SPIN, 105}}) {
        CNumEdit* field = NewField(std::get<0>(f), QRect(std::get<2>(f), 285, 60, 12));
        field->SetType(numfield::kFrequency);
        NewSpin(std::get<1>(f), field)->SetRange32(20, 20000);
    }
    const struct {
        int id, notify;
        QPoint dlu;
    } lists[] = {{IDC_HPF_SLOPE, kListHpfSlope, {13, 315}},
                 {IDC_LPF_SLOPE, kListLpfSlope, {103, 315}},
                 {IDC_HPF_FAMILY, kListHpfFamily, {13, 347}},
                 {IDC_LPF_FAMILY, kListLpfFamily, {103, 347}}};
    for (const auto& l : lists) {
        CDropListButton* list = NewList(l.id, l.notify, l.dlu, 701, 702);
        list->EnableMoveNotify(true);
        list->setFont(g_FontDialog14);
    }
}

void COutputPage::CreateBandColumns() {
    QFont bandFont = g_FontSmall12;
    bandFont.setStretch(kBandFontStretch);
    for (int i = 0; i < kBandCount; ++i) {
        BandColumn& b = m_Bands[i];
        const int x = kBandX[i];
        const int fx = x - kBandFieldShift;
        b.freq = NewField(kBandFreq + i, QRect(fx, kBandFreqY, kBandFieldW, kBandFieldH));
        b.freq->setFont(bandFont);
        // The range before the type: the spin keeps type 0 and steps 1 Hz.
        b.freqSpin = NewSpin(kBandFreqSpin + i, b.freq);
        b.freqSpin->SetRange32(20, 20000);
        b.freq->SetType(numfield::kInteger);

        b.q = NewField(kBandQ + i, QRect(fx, kBandQY, kBandFieldW, kBandFieldH));
        b.q->setFont(bandFont);
        b.q->SetType(numfield::kQ);
        b.qSpin = NewSpin(kBandQSpin + i, b.q);
        b.qSpin->SetRange32(0, 295);

        b.gain = NewField(kBandGain + i, QRect(fx, kBandGainY, kBandFieldW, kBandFieldH));
        b.gain->setFont(bandFont);
        b.gainSpin = NewSpin(kBandGainSpin + i, b.gain);
        b.gainSpin->SetRange32(80, 320);
        b.gain->SetScale(0.1);
        b.gain->SetOffset(20.0);
        b.gain->SetType(numfield::kLevel);
        b.gainSpin->SetValueChecked(200);

        b.slider = new CBitmapSlider(this);
        Register(b.slider, kBandSlider + i);
        b.slider->SetBitmapChannel(610);
        b.slider->SetBitmapThumb(611, 613, true);
        b.slider->SetRange(0, kBandSliderRange);
        b.slider->EnableMoveNotify(true);
        b.slider->SetMargin(7, 1, 1, 1);
        b.slider->SetValueKind(slider::kEqGain);
        b.slider->SetBuddyEdit(b.gain);
        b.slider->move(DluToPixels(QPoint(x - 3, kBandSliderY), kArial7));
        b.gain->SetBuddySpin(b.slider);
        ShowBandSlider(i, kGainCodeFlat);

        b.label = new CFontStatic(this);
        Register(b.label, kBandLabel + i);
        b.label->setGeometry(
            DluToPixels(QRect(x + 1, kBandLabelY, kBandLabelW, kBandLabelH), kArial7));
        b.label->SetText(QString::number(i + 1));
        b.label->SetFontStyle(QString(), 14, kLabelColour, 1);

        b.bypass = new CPictureButton(this, kBandBypass + i);
        Register(b.bypass, kBandBypass + i);
        b.bypass->SetBitmaps(8832, 8833, 8833, 8830, 8831, 8831);
        b.bypass->EnableHoverNotify(true);
        b.bypass->move(DluToPixels(QPoint(x + 3, kBandLampY), kArial7));
        b.bypass->SetCheck(1);
    }
}

COutputPage::~COutputPage() = default;

// ---------------------------------------------------------------------------
// Model and language
// ---------------------------------------------------------------------------

void COutputPage::SetChannelArray(CKTV_Data* data) {
    CViewPage::SetChannelArray(data);
    m_Graph->SetOwner(this);
    m_Graph->Attach(data, CEqGraph::kAttachOutput);
    m_Graph->ShowOutput(0);
    m_Graph->SetMode(CEqGraph::kModeOutput);
}

void COutputPage::ApplyButtonPictures() {
    const bool cn = g_LanguageFlag.load() != 0;
    if (cn) {
        BitButton(IDC_POLARITY)->SetBitmaps(4380, 4381, 4383, 4383, 4384, 4380);
        PictureButton(IDC_EQ_RESET)->SetBitmaps(7004, 7003, 7003, 7004, 7003, 7003);
        PictureButton(IDC_ALL_BYPASS)->SetBitmaps(7002, 7001, 7001, 7000, 7005, 7005);
        PictureButton(IDC_EQ_MODE)->SetBitmaps(746, 745, 745, 744, 747, 747);
    } else {
        BitButton(IDC_POLARITY)->SetBitmaps(4370, 4371, 4373, 4373, 4374, 4370);
        PictureButton(IDC_EQ_RESET)->SetBitmaps(359, 360, 360, 359, 360, 360);
        PictureButton(IDC_ALL_BYPASS)->SetBitmaps(8822, 8823, 8823, 8820, 8821, 8821);
        PictureButton(IDC_EQ_MODE)->SetBitmaps(742, 741, 741, 740, 743, 743);
    }
}

void COutputPage::FillFilterLists() {
    const bool cn = g_LanguageFlag.load() != 0;
    // The lists keep their choices across the new texts.
    const auto keep = [](CDropListButton* list, int& stored) {
        if (list->GetCurSel() >= 0) stored = list->GetCurSel();
    };
    keep(List(IDC_HPF_FAMILY), m_HpfFamily);
    keep(List(IDC_LPF_FAMILY), m_LpfFamily);
    keep(List(IDC_HPF_SLOPE), m_HpfSlope);
    keep(List(IDC_LPF_SLOPE), m_LpfSlope);
    for (int id : {IDC_HPF_FAMILY, IDC_LPF_FAMILY})
        FillList(List(id), {FamilyTexts(cn).begin(), FamilyTexts(cn).end()});
    FillHpfSlopeList();
    List(IDC_LPF_SLOPE)->ResetContent();
    for (int k = 0; k < 8; ++k)
        List(IDC_LPF_SLOPE)->AddString(QStringLiteral("%1dB/Oct").arg(6 * (k + 1)));
    List(IDC_LPF_SLOPE)->AddString(QString::fromUtf8(numfield::OffText(cn)));
    List(IDC_HPF_FAMILY)->SetCurSel(m_HpfFamily);
    List(IDC_LPF_FAMILY)->SetCurSel(m_LpfFamily);
    List(IDC_HPF_SLOPE)->SetCurSel(m_HpfSlope);
    List(IDC_LPF_SLOPE)->SetCurSel(m_LpfSlope);

    LoadPopupMenu(cn ? kSpeakerMenuChinese : kSpeakerMenuEnglish);
    ApplyButtonPictures();

    CDropListButton* unit = List(IDC_DELAY_UNIT);
    const int unitSel = std::max(0, unit->GetCurSel());
    FillList(unit, {DelayUnitTexts(cn).begin(), DelayUnitTexts(cn).end()});
    unit->SetCurSel(unitSel);

    if (m_DelaySelector)
        m_DelaySelector->SetUnits(m_DelaySelector->IsMsSelected(), m_DelaySelector->IsCmSelected(),
                                  m_DelaySelector->IsInchSelected());
    BitButton(IDC_LANGUAGE)->SetCheck(cn ? 1 : 0);
    for (int id : {IDC_DELAY_MS, IDC_DELAY_CM, IDC_DELAY_INCH, IDC_LEVEL2, IDC_LEVEL})
        Field(id)->UpdateLanguage();
    ShowActiveSource();
    update();
}

void COutputPage::FillHpfSlopeList() {
    CDropListButton* list = List(IDC_HPF_SLOPE);
    const QString off = QString::fromUtf8(numfield::OffText(g_LanguageFlag.load() != 0));
    // The list is the same for every output: a refill that would change nothing is left out.
    if (list->GetCount() == kCrossoverSlopeOff + 1 && list->DropWindow() &&
        list->DropWindow()->List()->item(kCrossoverSlopeOff)->text() == off)
        return;
    list->ResetContent();
    for (int k = 0; k < 8; ++k)
        list->AddString(QStringLiteral("%1dB/Oct").arg(6 * (k + 1)));
    list->AddString(off);
}

void COutputPage::ShowActiveSource() {
    ShowSourcePicture(g_ActiveSource);
}

void COutputPage::ShowSourcePicture(int source) {
    const unsigned base = g_LanguageFlag.load() ? 459 : 452;
    BitButton(IDC_SOURCE)
        ->SetDisabledBitmaps(base + static_cast<unsigned>(std::clamp(source, 0, 6)), 0);
}

void COutputPage::ShowPhasePicture(bool on) {
    m_PhasePictureLit = on;
}

// ---------------------------------------------------------------------------
// Painting and keys
// ---------------------------------------------------------------------------

void COutputPage::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    m_Background.Draw(p, QPoint(0, 0), event->region(), g_LanguageFlag.load() != 0);
}

bool COutputPage::PreTranslateKey(QWidget* focus, QKeyEvent* key) {
    // A key the focused field passed on to its parents comes here again: only
    // the first delivery counts.
    QWidget* focused = QApplication::focusWidget();
    if (focus != focused) return false;
    const bool edit = dynamic_cast<QLineEdit*>(focused) != nullptr && isAncestorOf(focused);
    const WPARAM id = edit ? static_cast<WPARAM>(ControlId(focused)) : 0;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (edit) {
            if (PictureButton(IDC_EQ_MODE)->GetCheck())
                PostMessage(WM_FOCUS_MOVE, id, kKeyRight);
            else
                PostMessage(WM_FOCUS_DOWN, id, 0);
        }
        return false;
    case Qt::Key_Tab:
    case Qt::Key_Right:
        if (edit) PostMessage(WM_FOCUS_MOVE, id, kKeyRight);
        return false;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
        if (edit) PostMessage(WM_FOCUS_MOVE, id, kKeyLeft);
        return false;
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason);
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

LRESULT COutputPage::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(static_cast<int>(wParam & 0xFFFF), static_cast<int>((wParam >> 16) & 0xFFFF));
        return 0;
    case WM_DROP_CHOICE:
        OnDropListChoice(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_FOCUS_MOVE:
        return OnFocusMove(wParam, lParam);
    case WM_FOCUS_DOWN:
        OnFocusDown(static_cast<int>(wParam));
        return 0;
    case WM_CONTROL_HOVER:
        return 0;
    case WM_GRAPH_BAND_CHANGED:
        ApplyGraphBand(static_cast<int>(wParam));
        return 0;
    case WM_GRAPH_FOCUS_LOST:
        return 0;
    case WM_SLIDER_MOVING:
        return OnSlider(wParam, lParam, false);
    case WM_SLIDER_MOVED:
        return OnSlider(wParam, lParam, true);
    case WM_BAND_FOCUS:
        OnBandFocusRequest(static_cast<int>(wParam));
        return 0;
    case WM_PASTE_EQ:
        OnPasteEq(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_JOINT_DEBUG_RESULT:
        OnJointDebugResult(static_cast<int>(wParam));
        return 0;
    case WM_DELAY_SPIN_STEP:
        OnLinkedSpinDelta(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_DELAY_UNIT:
        OnDelayUnitMessage(static_cast<int>(lParam));
        return 0;
    default:
        return 0;
    }
}

void COutputPage::OnCommand(int id, int code) {
    if (code != 0 && code != 1) return;
    const auto in = [id](int base) { return id >= base && id < base + kBandCount; };
    if (code == 0) {
        if (in(kBandFreq) || in(kBandFreqSpin))
            return OnBandField((id - kBandFreq) % 40, kFieldFreq);
        if (in(kBandQ) || in(kBandQSpin)) return OnBandField((id - kBandQ) % 40, kFieldQ);
        if (in(kBandGain) || in(kBandGainSpin))
            return OnBandField((id - kBandGain) % 40, kFieldGain);
        if (in(kBandBypass)) return OnBandBypass(id - kBandBypass);
        switch (id) {
        case IDC_ALL_BYPASS:
            return ToggleAllBypass();
        case IDC_HPF_FREQ:
        case IDC_HPF_SPIN:
            return OnHpfFreq();
        case IDC_LPF_FREQ:
        case IDC_LPF_SPIN:
            return OnLpfFreq();
        default:
            break;
        }
    }
    if (code == 1) {
        switch (id) {
        case IDC_HPF_FAMILY:
            return OnHpfFamily();
        case IDC_HPF_SLOPE:
            return OnHpfSlope();
        case IDC_LPF_FAMILY:
            return OnLpfFamily();
        case IDC_LPF_SLOPE:
            return OnLpfSlope();
        default:
            break;
        }
    }
    OnPageCommand(id, code);
}

void COutputPage::OnDropListChoice(int listId, int index) {
    switch (listId) {
    case kListHpfFamily:
        OnHpfFamily();
        break;
    case kListHpfSlope:
        OnHpfSlope();
        break;
    case kListLpfFamily:
        OnLpfFamily();
        break;
    case kListLpfSlope:
        OnLpfSlope();
        break;
    default:
        OnPageListChoice(listId, index);
        break;
    }
    HighlightBandLabel(-1, false);
}
