// Crossover editing on the output page: the high-pass and low-pass
// frequency, slope and family of the current output, copied to the outputs
// that share its link key. The high-pass never lies above the low-pass (and
// the other way round), and a tweeter's high-pass never below 20 Hz.
#include "pages/output/OutputPage.h"

#include "controls/DropListButton.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"

#include <algorithm>

namespace {

constexpr int kTweeterFloorHz = 20;

bool IsTweeterType(int type) {
    return type == 1 || type == 7 || type == 13 || type == 16 || type == 19;
}

CFilter* Side(CKTV_OutData& out, bool high) {
    return high ? out.GetHighPass() : out.GetLowPass();
}

} // namespace

void COutputPage::ShowCrossoverSide(RefreshCheck* check, CFilter& filter, bool high) {
    CNumSpin* spin = Spin(high ? IDC_HPF_SPIN : IDC_LPF_SPIN);
    CDropListButton* family = List(high ? IDC_HPF_FAMILY : IDC_LPF_FAMILY);
    CDropListButton* slope = List(high ? IDC_HPF_SLOPE : IDC_LPF_SLOPE);
    const int freq = filter.GetFreq();
    if (check)
        OfferStored(*check, spin, freq);
    else if (!Offer(spin, freq))
        return;
    // A stored family or slope outside its list shows its first or last entry.
    const int f = std::clamp(filter.GetFamily(), 0, std::max(0, family->GetCount() - 1));
    const int s = std::clamp(filter.GetSlope(), 0, std::max(0, slope->GetCount() - 1));
    SelectListEntry(family, f);
    SelectListEntry(slope, s);
    family->setVisible(s != 0);
    (high ? m_HpfFreq : m_LpfFreq) = freq;
    (high ? m_HpfFamily : m_LpfFamily) = f;
    (high ? m_HpfSlope : m_LpfSlope) = s;
}

void COutputPage::RefreshCrossover() {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    FillHpfSlopeList();
    ShowCrossoverSide(nullptr, *out->GetHighPass(), true);
    ShowCrossoverSide(nullptr, *out->GetLowPass(), false);
    MarkBandsOutsideCrossover();
    m_Graph->Redraw(-1);
}

void COutputPage::OnCrossoverFreq(bool high) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    CFilter* edited = Side(*out, high);
    CFilter* other = Side(*out, !high);
    CNumSpin* spin = Spin(high ? IDC_HPF_SPIN : IDC_LPF_SPIN);
    int freq = spin->GetBuddyValue();
    if (high && IsTweeterType(PageSpeakerType(g_CurrentOutput)) && freq < kTweeterFloorHz) {
        freq = kTweeterFloorHz;
        if (!Offer(spin, freq)) return;
    }
    if (freq != edited->GetFreq()) {
        // The two crossovers may meet but never cross.
        const int bound = other->GetDisplayFreq();
        if ((high && freq > bound) || (!high && freq < bound)) {
            freq = bound;
            if (!Offer(spin, freq)) return;
        }
        {
            DeviceLockGuard lock(g_DeviceLock);
            edited->SetFreq(freq, 1);
            CopyCrossoverToLinked(high, kCopyFreq);
        }
        MarkBandsOutsideCrossover();
        (high ? m_HpfFreq : m_LpfFreq) = freq;
    }
    m_Graph->Redraw(high ? 31 : 32);
    HighlightBandLabel(-1, false);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::OnCrossoverList(bool high, bool slope) {
    // Every handler works on the output current now.
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    CFilter* filter = Side(*out, high);
    CDropListButton* list = List(slope ? (high ? IDC_HPF_SLOPE : IDC_LPF_SLOPE)
                                       : (high ? IDC_HPF_FAMILY : IDC_LPF_FAMILY));
    const int choice = list->GetCurSel();
    if (choice >= 0 && choice != (slope ? filter->GetSlope() : filter->GetFamily())) {
        if (slope) List(high ? IDC_HPF_FAMILY : IDC_LPF_FAMILY)->setVisible(choice != 0);
        {
            DeviceLockGuard lock(g_DeviceLock);
            if (slope)
                filter->SetSlope(choice, 1);
            else
                filter->SetFamily(choice, 1);
            CopyCrossoverToLinked(high, slope ? kCopySlope : kCopyFamily);
        }
        (slope ? (high ? m_HpfSlope : m_LpfSlope) : (high ? m_HpfFamily : m_LpfFamily)) = choice;
    }
    m_Graph->Redraw(high ? 31 : 32);
    if (m_View) m_View->SetChannelModified(g_CurrentOutput);
}

void COutputPage::CopyCrossoverToLinked(bool high, CopyKind kind) {
    CKTV_OutData* out = CurrentOut();
    if (!out) return;
    const CFilter* source = Side(*out, high);
    DeviceLockGuard lock(g_DeviceLock);
    switch (kind) {
    case kCopyFreq:
        CopyCrossoverEdit(high, CrossoverEdit::Freq, source->GetFreq(), LinkedOutputs());
        break;
    case kCopyFamily:
        CopyCrossoverEdit(high, CrossoverEdit::Family, source->GetFamily(), LinkedOutputs());
        break;
    case kCopySlope:
        CopyCrossoverEdit(high, CrossoverEdit::Slope, source->GetSlope(), LinkedOutputs());
        break;
    }
}
