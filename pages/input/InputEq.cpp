// The equaliser half of the input page: bands 0 to 14 of the music input
// behind the active source (frequency, Q and gain fields, fader, bypass),
// the graph's notices, Bypass EQ, Reset EQ, P.EQ / G.EQ and the keyboard
// rings over the fields. Edits go into the input's filters under
// g_DeviceLock; the poller sends the marked bands.
#include "pages/input/InputPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/EqGraph.h"
#include "controls/FontStatic.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PictureButton.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/Music_InData.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include <algorithm>

namespace {

const QColor kLabelBlack(0, 0, 0);
const QColor kLabelRed(255, 0, 0);
constexpr int kLastShown = CInputPage::kShownBands - 1;

// What a dragged band tells its fader: the gain code (a gain fader has no
// frequency to follow). The filters keep a plain pointer, so these live as
// long as the program and reach a fader only while it exists.
class FaderFollower : public IFilterOwner {
public:
    QPointer<CBitmapSlider> fader;
    void SetFrequency(int) override {}
    void SetValue(int code) override {
        if (fader) fader->SetValue(std::clamp(code, 80, 320));
    }
};

FaderFollower& Follower(int band) {
    static FaderFollower followers[CInputPage::kBandCount];
    return followers[band];
}

bool AskYesNo(QWidget* owner, const BiText& question) {
    const bool chinese = g_LanguageFlag.load() != 0;
    return ShowMessageBox(owner, question.Pick(), std::string(), MB_YESNO, chinese ? 1 : 0,
                          chinese ? -2 : -3) == IDYES;
}

bool IsBand(int band) {
    return band >= 0 && band < CInputPage::kBandCount;
}

// The row of a field id (its base) and its band; -1 for another id.
int BandOfField(int id, int base) {
    return id >= base && id <= base + kLastShown ? id - base : -1;
}

} // namespace

CFilter* CInputPage::BandFilter(int band) const {
    return m_Input && IsBand(band) ? m_Input->GetFilter(band) : nullptr;
}

bool CInputPage::Offer(CNumSpin* spin, int value) {
    if (spin->SetValueChecked(value)) return true;
    if (m_View) m_View->RequestDataResync();
    return false;
}

// ---------------------------------------------------------------------------
// Refresh and layout
// ---------------------------------------------------------------------------

int CInputPage::Refresh() {
    const int n = source::MusicInputOf(g_ActiveSource);
    m_Input = m_Data && n >= 0 ? m_Data->GetMusic(n) : nullptr;
    HighlightBandLabel(0, false);
    HighlightEdit(0, kKindFreq, false);
    ShowActiveSourceIndicator();
    ShowSecondSource();
    if (!m_Input) {
        // AUX2, AUX3 and off have no music input: the equaliser shows and takes nothing.
        for (int b = 0; b < kShownBands; ++b) {
            BandColumn& c = m_Bands[static_cast<size_t>(b)];
            for (CNumEdit* f : {c.freq, c.q, c.gain})
                f->clear();
            c.fader->SetValue(kGainCodeFlat);
            c.bypass->SetCheck(0);
        }
        BitButton(IDC_BYPASS_EQ)->SetCheck(0);
        m_Graph->SetMode(CEqGraph::kModeEmpty);
        EnableEqControls(false);
        return 1;
    }
    {
        DeviceLockGuard lock(g_DeviceLock);
        m_AllBypass = m_Input->UpdateAllEqBypassed();
        m_EqMode = m_Input->GetEqMode();
    }
    BitButton(IDC_BYPASS_EQ)->SetCheck(m_AllBypass);
    BitButton(IDC_EQ_MODE)->SetCheck(m_EqMode);
    LayoutForEqMode(m_EqMode);
    bool asked = false;
    for (int b = 0; b < kShownBands; ++b) {
        BandColumn& c = m_Bands[static_cast<size_t>(b)];
        CFilter* f = m_Input->GetFilter(b);
        if (!f) continue;
        const int values[3] = {f->GetFreq(), f->GetBandwidthCode(), f->GetGainCode()};
        CNumSpin* spins[3] = {c.freqSpin, c.qSpin, c.gainSpin};
        for (int k = 0; k < 3; ++k) {
            int lo = 0, hi = 0;
            spins[k]->GetRange32(lo, hi);
            const bool inside = values[k] >= lo && values[k] <= hi;
            // Damaged data asks once a refresh; the rest shows clamped.
            if (inside || asked) {
                spins[k]->SetValueChecked(std::clamp(values[k], lo, hi));
                continue;
            }
            asked = true;
            if (!Offer(spins[k], values[k])) return 1; // the device's data comes again
        }
        c.fader->SetValue(std::clamp(values[2], 80, 320));
        Follower(b).fader = c.fader;
        {
            DeviceLockGuard lock(g_DeviceLock);
            f->SetOwner(&Follower(b));
        }
        ShowBandBypass(f->IsBypassedOrFlat() != 0, b);
    }
    HighlightBandLabel(0, false);
    HighlightEdit(0, kKindFreq, false);
    m_Graph->ShowMusic(n);
    m_Graph->SetMode(CEqGraph::kModeMusic);
    EnableEqControls(EqEditable());
    m_Graph->Redraw(-1);
    return 1;
}

void CInputPage::LayoutForEqMode(int mode) {
    const bool graphic = mode != 0;
    for (int b = 0; b < kShownBands; ++b) {
        BandColumn& c = m_Bands[static_cast<size_t>(b)];
        c.freq->ShowField(graphic ? 0 : 5);
        c.q->ShowField(graphic ? 0 : 5);
        c.gain->move((graphic ? c.freqPlace : c.gainPlace).topLeft());
        c.fader->move((graphic ? c.columnPlace : c.faderPlace).topLeft());
        c.fader->SetBitmapThumb(626, 627, true, 0xFF000000);
        const int track = graphic ? (b == 0            ? 621
                                     : b == kLastShown ? 622
                                                       : 620)
                                  : (b == 0            ? 624
                                     : b == kLastShown ? 625
                                                       : 623);
        c.fader->SetBitmapChannel(track, track, false, 0xFF000000);
    }
    Control(IDC_DB_SCALE)->setVisible(graphic);
}

// ---------------------------------------------------------------------------
// Display
// ---------------------------------------------------------------------------

void CInputPage::ShowBandBypass(bool flat, int band) {
    if (!IsBand(band)) return;
    BandColumn& c = m_Bands[static_cast<size_t>(band)];
    if (!flat) {
        c.bypass->SetCheck(0);
        return;
    }
    c.bypass->SetCheck(1);
    c.gainSpin->SetValueChecked(kGainCodeFlat);
    c.gain->setText(QStringLiteral("0.0"));
    c.fader->SetValue(kGainCodeFlat);
}

void CInputPage::ShowAllBypass() {
    if (!m_Input) return;
    m_AllBypass =
        WithDeviceLock([this]() REQUIRES(g_DeviceLock) { return m_Input->UpdateAllEqBypassed(); });
    BitButton(IDC_BYPASS_EQ)->SetCheck(m_AllBypass);
}

void CInputPage::HighlightBandLabel(int band, bool on) {
    if (m_HighlightedLabel) m_HighlightedLabel->SetFontStyle(QString(), 14, kLabelBlack, 1);
    m_HighlightedLabel = nullptr;
    if (!on || !IsBand(band)) return;
    m_HighlightedLabel = m_Bands[static_cast<size_t>(band)].label;
    m_HighlightedLabel->SetFontStyle(QString(), 14, kLabelRed, 1);
}

void CInputPage::SelectBand(int band) {
    HighlightBandLabel(band, true);
    m_Graph->Redraw(band);
}

void CInputPage::HighlightEdit(int band, int kind, bool on) {
    if (m_HighlightedField) m_HighlightedField->SetHighlight(false);
    m_HighlightedField = nullptr;
    if (!on || !IsBand(band)) return;
    const BandColumn& c = m_Bands[static_cast<size_t>(band)];
    m_HighlightedField = kind == kKindFreq ? c.freq : kind == kKindQ ? c.q : c.gain;
    m_HighlightedField->SetHighlight(true);
}

// ---------------------------------------------------------------------------
// Band edits
// ---------------------------------------------------------------------------

void CInputPage::AfterBandEdit(int band, int kind) {
    m_Graph->Redraw(band);
    HighlightBandLabel(band, true);
    HighlightEdit(band, kind, true);
}

void CInputPage::OnBandFreq(int band) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    const int v = m_Bands[static_cast<size_t>(band)].freqSpin->GetBuddyValue();
    if (v != f->GetFreq()) WithDeviceLock([&]() REQUIRES(g_DeviceLock) { f->SetFreq(v, 1); });
    AfterBandEdit(band, kKindFreq);
}

void CInputPage::OnBandQ(int band) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    const int v = m_Bands[static_cast<size_t>(band)].qSpin->GetBuddyValue();
    if (v != f->GetBandwidthCode())
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { f->SetBandwidthCode(v); });
    AfterBandEdit(band, kKindQ);
}

void CInputPage::OnBandGain(int band) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    BandColumn& c = m_Bands[static_cast<size_t>(band)];
    const int v = c.gainSpin->GetBuddyValue();
    c.fader->SetValue(v);
    if (v != f->GetGainCode()) {
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { f->SetGainCode(v); });
        ShowBandBypass(f->IsBypassedOrFlat() != 0, band);
        ShowAllBypass();
    }
    AfterBandEdit(band, kKindGain);
}

void CInputPage::OnBandSlider(int band, bool moved) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    BandColumn& c = m_Bands[static_cast<size_t>(band)];
    const int v = c.fader->GetValue();
    if (v != f->GetGainCode()) {
        c.gainSpin->SetValueChecked(v);
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { f->SetGainCode(v); });
        ShowBandBypass(f->IsBypassedOrFlat() != 0, band);
        ShowAllBypass();
    }
    AfterBandEdit(band, kKindGain);
    if (moved && m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
}

void CInputPage::OnBandBypass(int band) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    BandColumn& c = m_Bands[static_cast<size_t>(band)];
    // The button does not toggle itself: the click asks for the other state.
    const int wanted = c.bypass->GetCheck() ? 0 : 1;
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) { f->SetBypass(wanted); });
    if (f->IsBypassedOrFlat()) {
        ShowBandBypass(true, band);
    } else {
        // The stored gain comes back.
        const int code = f->GetGainCode();
        c.gainSpin->SetValueChecked(std::clamp(code, 80, 320));
        c.fader->SetValue(std::clamp(code, 80, 320));
        c.bypass->SetCheck(0);
    }
    ShowAllBypass();
    AfterBandEdit(band, kKindGain);
    if (m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// The graph
// ---------------------------------------------------------------------------

void CInputPage::LoadBand(int band) {
    CFilter* f = BandFilter(band);
    if (!f) return;
    BandColumn& c = m_Bands[static_cast<size_t>(band)];
    const int gain = f->GetGainCode();
    c.freqSpin->SetValueChecked(std::clamp(f->GetFreq(), 20, 20000));
    c.qSpin->SetValueChecked(std::clamp(f->GetBandwidthCode(), 0, 295));
    c.gainSpin->SetValueChecked(std::clamp(gain, 80, 320));
    c.fader->SetValue(std::clamp(gain, 80, 320));
    ShowBandBypass(f->IsBypassedOrFlat() != 0, band);
    ShowAllBypass();
    HighlightBandLabel(band, true);
    HighlightEdit(band, kKindGain, true);
    // After a drag the graph repeats its notice until the page has taken it.
    if (m_Graph->IsReleased()) {
        m_Graph->ClearReleased();
        if (m_HighlightedField) m_HighlightedField->setFocus(Qt::OtherFocusReason);
    }
}

void CInputPage::OnGraphBandChanged(int band, int channel) {
    if (channel == g_ActiveSource && m_Input) LoadBand(band);
}

void CInputPage::OnGraphBandSelected(int band, int channel) {
    if (channel != g_ActiveSource || !m_Input || !IsBand(band)) return;
    HighlightBandLabel(band, true);
    HighlightEdit(band, kKindGain, true);
    m_Bands[static_cast<size_t>(band)].gain->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// Bypass EQ, Reset EQ, P.EQ / G.EQ
// ---------------------------------------------------------------------------

void CInputPage::OnBypassAll() {
    HighlightBandLabel(0, false);
    HighlightEdit(0, kKindFreq, false);
    m_Graph->ClearHovered();
    m_Graph->Redraw(-1);
    if (!m_Input) return;
    CBitButton* button = BitButton(IDC_BYPASS_EQ);
    const int wanted = button->GetCheck() ? 0 : 1;
    const bool flatAnyway = WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
        m_Input->SetFiltersOption(wanted);
        return wanted == 0 && m_Input->UpdateAllEqBypassed() != 0;
    });
    if (flatAnyway) {
        // Every band is flat on its own: nothing to ask or send, but the
        // switch goes off, so that the next click bypasses again.
        m_AllBypass = 0;
        button->SetCheck(0);
        return;
    }
    const int state =
        WithDeviceLock([this]() REQUIRES(g_DeviceLock) { return m_Input->UpdateAllEqBypassed(); });
    if (!AskYesNo(this, state ? g_BypassEqText : g_RestoreEqText)) {
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { m_Input->SetFiltersOption(state ? 0 : 1); });
        button->SetCheck(state ? 0 : 1);
        return;
    }
    for (int b = 0; b < kBandCount; ++b) {
        CFilter* f = m_Input->GetFilter(b);
        if (!f) continue;
        if (!state) {
            const int code = std::clamp(f->GetGainCode(), 80, 320);
            m_Bands[static_cast<size_t>(b)].gainSpin->SetValueChecked(code);
            m_Bands[static_cast<size_t>(b)].fader->SetValue(code);
        }
        ShowBandBypass(f->IsBypassedOrFlat() != 0, b);
    }
    m_AllBypass = state;
    if (m_View) m_View->SendInputChannelBlock(source::MusicInputOf(g_ActiveSource));
    button->SetCheck(state);
    m_Graph->Redraw(-1);
}

void CInputPage::OnResetEq() {
    if (!m_Input || !AskYesNo(nullptr, g_ResetEqText)) return;
    if (m_View) m_View->ResetInputEq(source::MusicInputOf(g_ActiveSource));
    // The fields show what the model now holds.
    Refresh();
}

void CInputPage::OnEqMode() {
    if (!m_Input) return;
    CBitButton* button = BitButton(IDC_EQ_MODE);
    const int mode = button->GetCheck() ? 0 : 1;
    if (!AskYesNo(nullptr, mode ? g_PeqToGeqText : g_GeqToPeqText)) return;
    button->SetCheck(mode);
    LayoutForEqMode(mode);
    WithDeviceLock([&]() REQUIRES(g_DeviceLock) { m_Input->SetEqMode(mode); });
    if (m_View) m_View->ResetInputEq(source::MusicInputOf(g_ActiveSource));
    m_Graph->Redraw(-1);
    Refresh();
}

// ---------------------------------------------------------------------------
// Keys and the focus rings
// ---------------------------------------------------------------------------

bool CInputPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* field = qobject_cast<QWidget*>(watched);
        if (field && OnFieldKey(field, static_cast<QKeyEvent*>(event)->key())) return true;
    }
    return CSourcePage::eventFilter(watched, event);
}

bool CInputPage::OnFieldKey(QWidget* field, int key) {
    const auto id = static_cast<WPARAM>(ControlId(field));
    const bool graphic = BitButton(IDC_EQ_MODE)->GetCheck() != 0;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (graphic)
            PostMessage(kFocusStepMessage, id, kKeyRight);
        else
            PostMessage(kEnterStepMessage, id, 0);
        return true;
    case Qt::Key_Tab:
        PostMessage(kFocusStepMessage, id, kKeyRight);
        return true;
    case Qt::Key_Backtab:
        PostMessage(kFocusStepMessage, id, kKeyLeft);
        return true;
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason); // the field commits what was typed
        return true;
    default:
        return false;
    }
}

void CInputPage::MoveFocus(int id, int band) {
    if (band >= 0 && band < kShownBands) SelectBand(band);
    if (QWidget* w = Control(id)) w->setFocus(Qt::TabFocusReason);
}

void CInputPage::FocusNext(int f) {
    const bool graphic = BitButton(IDC_EQ_MODE)->GetCheck() != 0;
    if (graphic) {
        if (f == kBandGain + kLastShown) return MoveFocus(kBandGain, 0);
        const int band = BandOfField(f + 1, kBandGain);
        return MoveFocus(f + 1, band);
    }
    if (f == kBandFreq + kLastShown) return MoveFocus(kBandQ, 0);
    if (f == kBandQ + kLastShown) return MoveFocus(kBandGain, 0);
    if (f == kBandGain + kLastShown) return MoveFocus(kBandFreq, 0);
    int band = -1;
    for (int base : {kBandFreq, kBandQ, kBandGain})
        if (band < 0) band = BandOfField(f + 1, base);
    MoveFocus(f + 1, band);
}

void CInputPage::FocusPrevious(int f) {
    const bool graphic = BitButton(IDC_EQ_MODE)->GetCheck() != 0;
    if (graphic) {
        if (f == kBandGain) return MoveFocus(kBandGain + kLastShown, kLastShown);
        return MoveFocus(f - 1, BandOfField(f - 1, kBandGain));
    }
    if (f == kBandFreq) return MoveFocus(kBandGain + kLastShown, kLastShown);
    if (f == kBandQ) return MoveFocus(kBandFreq + kLastShown, kLastShown);
    if (f == kBandGain) return MoveFocus(kBandQ + kLastShown, kLastShown);
    int band = -1;
    for (int base : {kBandFreq, kBandQ, kBandGain})
        if (band < 0) band = BandOfField(f - 1, base);
    MoveFocus(f - 1, band);
}

void CInputPage::OnFocusStep(int f, int key) {
    if (key == kKeyLeft)
        FocusPrevious(f);
    else if (key == kKeyRight)
        FocusNext(f);
    // A pointer resting on the graph would pick a band there: it moves to
    // the graph's lower left corner.
    const QRect graph(m_Graph->mapToGlobal(QPoint(0, 0)), m_Graph->size());
    if (graph.contains(QCursor::pos()))
        QCursor::setPos(graph.left(), graph.top() + m_Graph->height());
}

void CInputPage::OnEnterStep(int f) {
    int band = BandOfField(f, kBandFreq);
    if (band >= 0) return MoveFocus(kBandQ + band, band);
    band = BandOfField(f, kBandQ);
    if (band >= 0) return MoveFocus(kBandGain + band, band);
    band = BandOfField(f, kBandGain);
    if (band >= 0) {
        const int next = band == kLastShown ? 0 : band + 1;
        MoveFocus(kBandFreq + next, next);
    }
}

void CInputPage::FocusFirstField() {
    if (dynamic_cast<QLineEdit*>(QApplication::focusWidget())) return;
    const bool graphic = BitButton(IDC_EQ_MODE)->GetCheck() != 0;
    PostMessage(kFocusStepMessage, static_cast<WPARAM>(graphic ? kBandGain - 1 : kBandFreq - 1),
                kKeyRight);
    HighlightEdit(0, kKindFreq, false);
    SelectBand(0);
}
