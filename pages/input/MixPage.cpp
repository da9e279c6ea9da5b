#include "pages/input/MixPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr platform::TemplateFont kFont = platform::kArial7;
constexpr int kLevelType = 33; // a plain whole number

// Control sizes of the template (dialog units).
constexpr QSize kEditDlu(32, 12);
constexpr QSize kValueDlu(32, 11);
constexpr QSize kOnOffDlu(13, 12);
constexpr QSize kFaderDlu(18, 14);

// Pictures of the rows.
constexpr int kGreyTrack = 1277;
constexpr int kThumb = 1305;
constexpr int kThumbActive = 1309;
constexpr int kGreyThumb = 1278;
constexpr unsigned kStepUp[3] = {1249, 1250, 1251};
constexpr unsigned kStepDown[3] = {1252, 1253, 1254};
constexpr unsigned kOnOff[6] = {1307, 1306, 1308, 1308, 1308, 1307};

// The strip that a typed level repaints (the row labels' side).
const QRect kRepaintStrip(QPoint(10, 20), QPoint(80, 448));

// Where rows 1..16 go in ArrangeRows (pixels): the y of on/off, edit and
// fader of each pair, and the x of on/off, edit and fader of each column.
struct GridLine {
    int onOffY, editY, faderY;
};
constexpr GridLine kGridLines[8] = {{78, 80, 72},    {145, 146, 140}, {211, 212, 206},
                                    {279, 280, 274}, {345, 346, 340}, {412, 413, 407},
                                    {479, 480, 474}, {545, 547, 540}};
constexpr int kGridLeft[3] = {145, 202, 268};
constexpr int kGridRight[3] = {768, 826, 895};

QPoint Dlu(int x, int y) {
    return platform::DluToPixels(QPoint(x, y), kFont);
}
QRect Dlu(int x, int y, QSize size) {
    return platform::DluToPixels(QRect(QPoint(x, y), size), kFont);
}

template <class W> W* Make(QWidget* parent, int id) {
    W* w = new W(parent);
    SetControlId(w, id);
    return w;
}

CBitButton* MakeButton(QWidget* parent, int id) {
    auto* b = new CBitButton(parent, id);
    SetControlId(b, id);
    return b;
}

void SetIndicator(CBitButton* indicator, int level) {
    const unsigned id = level ? CMixPage::kIndicatorOn : CMixPage::kIndicatorOff;
    indicator->SetBitmaps(id, id, id);
}

int ActiveSourceCode() {
    return g_DeviceRecords.ActiveSource();
}

} // namespace

CMixPage::CMixPage(QWidget* parent) : CViewPage(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    CreateControls();
    for (size_t i = 0; i < m_Tiles.size(); ++i)
        m_Tiles[i].SetOutput(static_cast<int>(i));
}

CMixPage::~CMixPage() = default;

// The template's controls, in places; each dimmed control over its live one.
void CMixPage::CreateControls() {
    for (const MixRowLayout& layout : MixRows()) {
        Row& r = m_Rows[static_cast<size_t>(layout.source - 1)];
        r.fader = Make<CBitmapSlider>(this, layout.fader);
        r.greyFader = Make<CBitmapSlider>(this, layout.greyFader);
        r.edit = Make<CNumEdit>(this, layout.edit);
        r.edit->setAlignment(Qt::AlignCenter);
        r.edit->installEventFilter(this);
        r.value = new CTransparentStatic(this, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX);
        SetControlId(r.value, layout.valueStatic);
        r.spin = Make<CNumSpin>(this, layout.spin);
        r.spin->hide();
        r.onOff = MakeButton(this, layout.onOff);
        r.indicator = MakeButton(this, layout.indicator);
        if (layout.stepDown) {
            r.stepDown = MakeButton(this, layout.stepDown);
            r.stepUp = MakeButton(this, layout.stepUp);
            r.stepDown->hide();
            r.stepUp->hide();
        }
        // Rows 11 and 12 start without their dimmed value and indicator.
        if (layout.source == 11 || layout.source == 12) {
            r.value->hide();
            r.indicator->hide();
        }
        // The template's sizes, until the pictures give theirs.
        for (CBitmapSlider* f : {r.fader, r.greyFader})
            f->resize(Dlu(0, 0, kFaderDlu).size());
        for (CBitButton* b : {r.onOff, r.indicator})
            b->resize(Dlu(0, 0, kOnOffDlu).size());
    }
    for (size_t i = 0; i < m_Spares.size(); ++i) {
        m_Spares[i] = MakeButton(this, MixSpareButtons()[i]);
        m_Spares[i]->resize(Dlu(0, 0, QSize(16, 9)).size());
        m_Spares[i]->hide();
    }
    PlaceRows(2);
}

void CMixPage::Init() {
    SetTooltips();
    for (const MixRowLayout& layout : MixRows()) {
        Row& r = m_Rows[static_cast<size_t>(layout.source - 1)];
        if (layout.track) r.fader->SetBitmapChannel(layout.track, layout.track, false);
        r.greyFader->SetBitmapChannel(kGreyTrack, kGreyTrack, false);
        r.fader->SetBitmapThumb(kThumb, kThumbActive);
        r.greyFader->SetBitmapThumb(kGreyThumb, kGreyThumb);
        r.greyFader->SetThumbMask(kGreyThumb);

        r.spin->SetBuddy(r.edit);
        r.edit->SetScale(1.0);
        r.edit->SetType(kLevelType, QString());
        r.spin->SetRange32(0, kMixLevelMax);
        r.edit->SetBuddySpin(r.fader);
        r.edit->setFont(g_FontDialog14);
        r.fader->SetValueKind(kLevelType);
        r.fader->SetVertical(false);
        r.fader->SetRange(0, kMixLevelMax, false);
        r.fader->EnableMoveNotify(true);
        r.fader->SetMargin(7, 8, 4, 0);
        r.fader->SetBuddyEdit(r.edit);

        r.value->setFont(g_FontDialog14);
        // The dimmed value texts are grey on the picture; rows 17 and 18 keep
        // the dialog's colours.
        r.value->SetTextColor(layout.source <= kNamedMixRows ? QColor::fromRgb(kValueTextColor)
                                                             : QColor(Qt::black));
        r.greyFader->SetValueKind(kLevelType);
        r.greyFader->SetVertical(false);
        r.greyFader->SetRange(0, kMixLevelMax, false);
        r.greyFader->SetMargin(7, 8, 4, 0);
        // A dimmed row takes no input.
        r.greyFader->EnableInput(false);

        if (r.stepUp) {
            r.stepUp->SetBitmaps(kStepUp[0], kStepUp[1], kStepUp[2]);
            r.stepDown->SetBitmaps(kStepDown[0], kStepDown[1], kStepDown[2]);
        }
        r.onOff->SetBitmaps(kOnOff[0], kOnOff[1], kOnOff[2], kOnOff[3], kOnOff[4], kOnOff[5]);
        SetIndicator(r.indicator, 0);
        if (layout.source <= kNamedMixRows) {
            r.greyFader->hide();
            r.value->hide();
        }
    }
    m_FaderRect = m_Rows[0].fader->geometry();
    m_EditRect = m_Rows[0].edit->geometry();
    m_OnOffRect = m_Rows[0].onOff->geometry();
    Refresh();
}

const CMixPage::Row& CMixPage::RowOf(int source) const {
    return m_Rows[static_cast<size_t>(std::clamp(source, 1, kMixRowCount) - 1)];
}

int CMixPage::LevelMemory(int source) const {
    return source >= 1 && source <= kMixRowCount ? m_LevelMemory[static_cast<size_t>(source - 1)]
                                                 : 0;
}

// Rows 7 and 8 of a device with six AUX inputs are its AUX 1 and AUX 2: they
// stand in the pictured AUX row, which rows 11 and 12 leave empty there.
void CMixPage::PlaceRows(int variant) {
    for (const MixRowLayout& layout : MixRows()) {
        const MixRowLayout* place = &layout;
        if (!WideVariant(variant) && (layout.source == 7 || layout.source == 8))
            place = MixRowOfSource(layout.source + 4);
        Row& r = m_Rows[static_cast<size_t>(layout.source - 1)];
        r.edit->setGeometry(Dlu(place->editX, place->editY, kEditDlu));
        r.value->setGeometry(Dlu(place->editX, place->editY, kValueDlu));
        r.spin->setGeometry(r.edit->geometry());
        for (CBitmapSlider* f : {r.fader, r.greyFader})
            f->move(Dlu(place->faderX, place->faderY));
        for (CBitButton* b : {r.onOff, r.indicator})
            b->move(Dlu(place->onOffX, place->onOffY));
    }
    // Such a device has no rows 11 and 12 (and 7 and 8 stand in their place).
    if (!WideVariant(variant))
        for (int s : {11, 12})
            SetRowState(s, MixRowState::Hidden);
}

void CMixPage::SetTooltips() {
    const int chinese = g_LanguageFlag.load();
    const int variant = g_DeviceVariant.load();
    for (int s = 1; s <= kNamedMixRows; ++s) {
        const QString name = QString::fromUtf8(MixRowName(s, chinese, variant));
        m_Rows[static_cast<size_t>(s - 1)].edit->setToolTip(name);
        m_Rows[static_cast<size_t>(s - 1)].fader->setToolTip(name);
    }
}

// ---------------------------------------------------------------------------
// Loading the current output
// ---------------------------------------------------------------------------

int CMixPage::Refresh() {
    m_BoundOutput = g_CurrentOutput;
    m_Output = m_Data ? m_Data->GetOut(m_BoundOutput) : nullptr;
    if (!m_Output) return 1;
    std::array<int, kMixRowCount> levels{};
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        for (int s = 1; s <= kMixRowCount; ++s)
            levels[static_cast<size_t>(s - 1)] = m_Output->GetMixLevel(s);
    });
    // Every row loads; a damaged level shows as the nearest one the row can
    // hold. Only rows the page has a place for are asked about: the bytes of
    // the others (the factory's item 35 gives source 17 the byte 164) are
    // none of the user's business and stay as the device holds them.
    const int variant = g_DeviceVariant.load();
    std::set<std::pair<int, int>> damage;
    for (int s = 1; s <= kMixRowCount; ++s) {
        const int v = levels[static_cast<size_t>(s - 1)];
        if (v > kMixLevelMax && MixRowHasPlace(s, variant)) damage.emplace(s, v);
        const int shown = std::min(v, kMixLevelMax);
        m_LevelMemory[static_cast<size_t>(s - 1)] = shown;
        ShowRow(s, shown);
    }
    if (!damage.empty() && !AskAboutDamage(damage)) {
        m_View->RequestDataResync();
        return 0;
    }
    return 1;
}

// The question goes with a device only (the answer Yes fetches its data
// again), once for the same damaged values. False when the answer was Yes.
bool CMixPage::AskAboutDamage(const std::set<std::pair<int, int>>& damage) {
    if (!m_View || !m_View->IsConnected()) return true;
    if (std::includes(m_DamageAsked.begin(), m_DamageAsked.end(), damage.begin(), damage.end()))
        return true;
    m_DamageAsked.insert(damage.begin(), damage.end());
    const auto [source, value] = *damage.begin();
    // The row's spin asks (and shows the value clamped, as it already does).
    return m_Rows[static_cast<size_t>(source - 1)].spin->SetValueChecked(value);
}

// ---------------------------------------------------------------------------
// One row's change
// ---------------------------------------------------------------------------

void CMixPage::ShowRow(int source, int level) {
    Row& r = m_Rows[static_cast<size_t>(source - 1)];
    r.spin->SetValueChecked(level); // inside the range: puts it into the edit
    r.edit->SetValue(level);
    r.fader->SetValue(level);
    r.greyFader->SetValue(level);
    r.value->SetText(r.edit->text());
    r.onOff->SetCheck(level != 0);
    SetIndicator(r.indicator, level);
}

void CMixPage::ApplyLevel(int source, int level, bool remember) {
    if (source < 1 || source > kMixRowCount) return;
    level = std::clamp(level, 0, kMixLevelMax);
    m_WorkingLevel = level;
    if (remember) m_LevelMemory[static_cast<size_t>(source - 1)] = level;
    ShowRow(source, level);
    StoreLevel(m_BoundOutput, source, level);
}

void CMixPage::StoreLevel(int output, int source, int level) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    WithDeviceLock(
        [&]() REQUIRES(g_DeviceLock) { out->SetMixLevel(source, static_cast<uint8_t>(level)); });
    PostMessage(kLevelMessage, PackMixChange(output, source), level);
}

void CMixPage::OnLevelTyped(int source) {
    PostMessage(kRepaintMessage, static_cast<WPARAM>(source), 0);
    ApplyLevel(source, RowOf(source).edit->GetValue(), true);
}

void CMixPage::OnLevelSpun(int source) {
    ApplyLevel(source, RowOf(source).spin->GetBuddyValue(), true);
}

void CMixPage::OnStep(int source, int delta) {
    ApplyLevel(source, RowOf(source).edit->GetValue() + delta, true);
}

void CMixPage::SwitchSource(int source) {
    if (source < 1 || source > kMixRowCount) return;
    int& memory = m_LevelMemory[static_cast<size_t>(source - 1)];
    const Row& r = RowOf(source);
    if (r.onOff->GetCheck()) {
        memory = r.edit->GetValue(); // the level to come back to
        ApplyLevel(source, 0, false);
        return;
    }
    if (memory == 0) memory = kMixLevelMax;
    ApplyLevel(source, memory, false);
}

void CMixPage::ApplySpeakerTypePreset(int output, unsigned type) {
    CKTV_OutData* out = m_Data ? m_Data->GetOut(output) : nullptr;
    if (!out) return;
    const MixPresetRow levels = MixPresetLevels(type);
    if (output != m_BoundOutput || out != m_Output) {
        for (int s = 1; s <= kNamedMixRows; ++s)
            StoreLevel(output, s, levels[static_cast<size_t>(s - 1)]);
        return;
    }
    for (int s = 1; s <= kNamedMixRows; ++s)
        ApplyLevel(s, levels[static_cast<size_t>(s - 1)], true);
    // Sources 17 and 18 are no speaker's: the rows show the object's own levels.
    for (int s = kNamedMixRows + 1; s <= kMixRowCount; ++s) {
        const int v = std::min<int>(
            WithDeviceLock([&]() REQUIRES(g_DeviceLock) { return out->GetMixLevel(s); }),
            kMixLevelMax);
        m_LevelMemory[static_cast<size_t>(s - 1)] = v;
        ShowRow(s, v);
    }
}

// ---------------------------------------------------------------------------
// Rows by active source
// ---------------------------------------------------------------------------

void CMixPage::SetRowState(int source, MixRowState state) {
    Row& r = m_Rows[static_cast<size_t>(source - 1)];
    const bool live = state == MixRowState::Live;
    const bool dimmed = state == MixRowState::Dimmed;
    r.edit->setVisible(live);
    r.fader->setVisible(live);
    r.onOff->setVisible(live);
    r.indicator->setVisible(dimmed);
    r.value->setVisible(dimmed);
    r.greyFader->setVisible(dimmed);
}

void CMixPage::LayoutForInputMode(int code) {
    const int variant = g_DeviceVariant.load();
    PlaceRows(variant);
    SetTooltips();
    MixRowStates states{};
    if (code >= 0 && MixRowStatesFor(static_cast<unsigned>(code), variant, states))
        for (int s = 1; s <= kNamedMixRows; ++s)
            SetRowState(s, states[static_cast<size_t>(s - 1)]);
    update();
}

void CMixPage::ArrangeRows() {
    for (int s : {11, 12}) {
        Row& r = m_Rows[static_cast<size_t>(s - 1)];
        for (QWidget* w : {static_cast<QWidget*>(r.edit), static_cast<QWidget*>(r.fader),
                           static_cast<QWidget*>(r.onOff), static_cast<QWidget*>(r.value)})
            w->show();
        r.indicator->hide();
        r.greyFader->hide();
    }
    for (int s = 1; s <= kNamedMixRows; ++s) {
        Row& r = m_Rows[static_cast<size_t>(s - 1)];
        const GridLine& line = kGridLines[(s - 1) / 2];
        const int* x = s % 2 ? kGridLeft : kGridRight;
        const QRect edit(QPoint(x[1], line.editY), m_EditRect.size());
        const QRect fader(QPoint(x[2], line.faderY), m_FaderRect.size());
        const QRect onOff(QPoint(x[0], line.onOffY), m_OnOffRect.size());
        r.edit->setGeometry(edit);
        r.value->setGeometry(edit);
        r.fader->setGeometry(fader);
        r.greyFader->setGeometry(fader);
        r.onOff->setGeometry(onOff);
        r.indicator->setGeometry(onOff);
    }
    repaint();
}

// ---------------------------------------------------------------------------
// Language, tiles, focus
// ---------------------------------------------------------------------------

void CMixPage::ApplyLanguage() {
    for (CMixTile& t : m_Tiles)
        t.ApplyLanguage();
    SetTooltips();
    update();
}

void CMixPage::ChannelChanging() {
    for (CMixTile& t : m_Tiles)
        t.ChannelChanging();
}

void CMixPage::ChannelChanged() {
    for (CMixTile& t : m_Tiles)
        t.ChannelChanged();
}

int CMixPage::FocusNextEdit(int editId) {
    const int next = NextMixEdit(editId);
    if (next) RowOf(FindMixControl(next).source).edit->setFocus(Qt::TabFocusReason);
    return next;
}

int CMixPage::FocusPreviousEdit(int editId) {
    const int previous = PreviousMixEdit(editId);
    if (previous) RowOf(FindMixControl(previous).source).edit->setFocus(Qt::BacktabFocusReason);
    return previous;
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

LRESULT CMixPage::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    static const platform::MessageMapEntry<CMixPage> kMap[] = {
        {WM_COMMAND, &CMixPage::OnCommand},           {WM_SLIDER_MOVING, &CMixPage::OnFader},
        {WM_SLIDER_MOVED, &CMixPage::OnFader},        {kLevelMessage, &CMixPage::OnMixLevelChanged},
        {kOutputMessage, &CMixPage::OnRequestOutput}, {kRepaintMessage, &CMixPage::OnRowSelected},
        {kKeyFocusMessage, &CMixPage::OnKeyFocus},    {kNextFocusMessage, &CMixPage::OnNextFocus},
    };
    LRESULT result = 0;
    platform::DispatchMessageMap(this, kMap, msg, wParam, lParam, result);
    return result;
}

LRESULT CMixPage::OnCommand(WPARAM wParam, LPARAM) {
    if ((wParam >> 16) != 0) return 0; // only the controls' own notice
    const MixControl c = FindMixControl(static_cast<int>(wParam & 0xFFFF));
    switch (c.part) {
    case MixPart::Edit:
        OnLevelTyped(c.source);
        break;
    case MixPart::Spin:
        OnLevelSpun(c.source);
        break;
    case MixPart::StepDown:
        OnStep(c.source, -1);
        break;
    case MixPart::StepUp:
        OnStep(c.source, +1);
        break;
    case MixPart::OnOff:
        SwitchSource(c.source);
        break;
    default:
        break; // faders report through their own messages; indicators and spares do nothing
    }
    return 0;
}

LRESULT CMixPage::OnFader(WPARAM id, LPARAM) {
    const MixControl c = FindMixControl(static_cast<int>(id));
    if (c.part != MixPart::Fader) return 0;
    ApplyLevel(c.source, RowOf(c.source).fader->GetValue(), true);
    return 0;
}

// The send step: the level byte of the message's own output and source.
LRESULT CMixPage::OnMixLevelChanged(WPARAM change, LPARAM level) {
    const MixChange c = UnpackMixChange(change);
    if (c.output < 0 || c.output >= kOutputCount) return 0;
    if (c.source >= 1 && c.source <= kMixRowCount)
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            OutputBlock(c.output)[kOutMixAOffset - 1 + c.source] = static_cast<uint8_t>(level);
        });
    if (m_View) m_View->OnMixSourceSwitch(c.output, c.source, static_cast<int>(level));
    return 0;
}

LRESULT CMixPage::OnRequestOutput(WPARAM output, LPARAM) {
    if (output < static_cast<WPARAM>(kOutputCount) && m_View)
        m_View->RequestOutput(static_cast<int>(output));
    return 0;
}

LRESULT CMixPage::OnRowSelected(WPARAM source, LPARAM) {
    if (source >= 1 && source <= static_cast<WPARAM>(kMixRowCount)) update(kRepaintStrip);
    return 0;
}

LRESULT CMixPage::OnKeyFocus(WPARAM editId, LPARAM key) {
    if (key == kKeyBack)
        FocusPreviousEdit(static_cast<int>(editId));
    else if (key == kKeyOn)
        FocusNextEdit(static_cast<int>(editId));
    return 0;
}

LRESULT CMixPage::OnNextFocus(WPARAM editId, LPARAM) {
    FocusNextEdit(static_cast<int>(editId));
    return 0;
}

// Keys in an edit: Enter, Tab and Right move on along the ring, Left back;
// Esc leaves the edits (the typed value is taken).
bool CMixPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* edit = qobject_cast<QWidget*>(watched);
    const MixControl c = edit ? FindMixControl(ControlId(edit)) : MixControl{};
    if (c.part != MixPart::Edit) return false;
    const int id = ControlId(edit);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right:
        PostMessage(kKeyFocusMessage, static_cast<WPARAM>(id), kKeyOn);
        return false;
    case Qt::Key_Tab:
        PostMessage(kKeyFocusMessage, static_cast<WPARAM>(id), kKeyOn);
        return true; // no dialog navigation
    case Qt::Key_Left:
        PostMessage(kKeyFocusMessage, static_cast<WPARAM>(id), kKeyBack);
        return false;
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

int CMixPage::PagePicture(int chinese, int code) {
    switch (code) {
    case 0:
        return chinese ? 1317 : 1318;
    case 1:
        return chinese ? 1313 : 1314;
    case 2:
    case 5:
        return chinese ? 1319 : 1320;
    case 3:
        return chinese ? 1315 : 1316;
    default:
        return 0;
    }
}

int CMixPage::CurrentPagePicture() const {
    return PagePicture(g_LanguageFlag.load(), ActiveSourceCode());
}

void CMixPage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int picture = CurrentPagePicture();
    // Without a picture for the source the page is its background, not what
    // was drawn there before.
    if (!picture) {
        p.fillRect(rect(), QColor::fromRgb(g_DialogBkColor));
        return;
    }
    // The kept picture itself: no conversion on every repaint of a row.
    p.drawImage(0, 0, skin::Image(picture));
}
