#include "pages/output/PositionButtons.h"

#include "controls/ControlNotify.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/LinkKeys.h"
#include "model/SpeakerTypes.h"

namespace {

// Button id, first picture (normal; +1 hover, +2 pressed and checked) and
// place of each speaker type 1..24: the front of the car at the top, left
// outputs on the left. Types that exclude each other share a place.
struct PositionLayout {
    int id;
    unsigned picture;
    QPoint at;
};
constexpr int kLeftX = 14, kRightX = 178;
constexpr int kFrontTweeterY = 8, kFrontMidY = 46, kFrontWooferY = 84, kRearTweeterY = 122,
              kRearWooferY = 158;
const PositionLayout kPositions[24] = {
    {4605, 7100, {kLeftX, kFrontTweeterY}},  // 1 front left tweeter
    {4604, 7103, {kLeftX, kFrontMidY}},      // 2 front left midrange
    {4603, 7106, {kLeftX, kFrontWooferY}},   // 3 front left woofer
    {4606, 7103, {kLeftX, kFrontMidY}},      // 4 front left mid and tweeter
    {4607, 7103, {kLeftX, kFrontMidY}},      // 5 front left mid and woofer
    {4608, 7103, {kLeftX, kFrontMidY}},      // 6 front left full range
    {4611, 7110, {kRightX, kFrontTweeterY}}, // 7 front right tweeter
    {4610, 7113, {kRightX, kFrontMidY}},     // 8 front right midrange
    {4609, 7116, {kRightX, kFrontWooferY}},  // 9 front right woofer
    {4612, 7113, {kRightX, kFrontMidY}},     // 10 front right mid and tweeter
    {4613, 7113, {kRightX, kFrontMidY}},     // 11 front right mid and woofer
    {4614, 7113, {kRightX, kFrontMidY}},     // 12 front right full range
    {4616, 7100, {kLeftX, kRearTweeterY}},   // 13 rear left tweeter
    {4615, 7106, {kLeftX, kRearWooferY}},    // 14 rear left woofer
    {4619, 7106, {kLeftX, kRearWooferY}},    // 15 rear left full range
    {4618, 7110, {kRightX, kRearTweeterY}},  // 16 rear right tweeter
    {4617, 7116, {kRightX, kRearWooferY}},   // 17 rear right woofer
    {4620, 7116, {kRightX, kRearWooferY}},   // 18 rear right full range
    {4601, 7120, {74, 8}},                   // 19 centre tweeter (beside the woofer)
    {4600, 7123, {118, 8}},                  // 20 centre woofer
    {4602, 7123, {96, 8}},                   // 21 centre full range
    {4621, 585, {56, 150}},                  // 22 left subwoofer
    {4622, 588, {128, 150}},                 // 23 right subwoofer
    {4623, 582, {92, 150}},                  // 24 subwoofer
};
// The centre tweeter shown without the woofer sits in the middle.
constexpr QPoint kTweeterAlonePlace(96, 8);

constexpr int kCentreTweeter = 19, kCentreWoofer = 20;

template <class F> void ForOthersOfGroup(int output, F f) {
    if (output < 0 || output >= kOutputCount) return;
    for (int i = 0; i < kOutputCount; ++i)
        if (i != output && SameLinkKey(i, output)) f(i);
}

} // namespace

int CPositionButtons::ButtonId(int type) {
    return type >= 1 && type <= 24 ? kPositions[type - 1].id : 0;
}

int CPositionButtons::TypeOfButton(int id) {
    for (int t = 1; t <= 24; ++t)
        if (kPositions[t - 1].id == id) return t;
    return 0;
}

CPositionButtons::CPositionButtons(QWidget* page, IPageHost* view)
    : MessageTarget(page), m_View(view) {
    setGeometry(Area());
    // Only the buttons draw: the page shows through the layer.
    setAttribute(Qt::WA_NoSystemBackground);
    for (int t = 1; t <= 24; ++t) {
        const PositionLayout& p = kPositions[t - 1];
        CPngButton* b = m_Buttons[t - 1] = new CPngButton(this, p.id);
        b->SetImages(p.picture, p.picture + 1, p.picture + 2);
        b->SetCheckedImages(p.picture + 2, p.picture + 2, p.picture + 2);
        b->move(p.at);
        b->ShowWindow(0);
    }
    m_WooferPlace = Button(kCentreWoofer)->pos();
    m_TweeterPlace = Button(kCentreTweeter)->pos();
    m_TweeterAlonePlace = kTweeterAlonePlace;
}

CPngButton* CPositionButtons::Button(int type) const {
    return type >= 1 && type <= 24 ? m_Buttons[type - 1] : nullptr;
}

void CPositionButtons::ShowPositionButtons() {
    for (CPngButton* b : m_Buttons) {
        b->SetCheck(0);
        b->ShowWindow(0);
    }
    for (int i = 0; i < kOutputCount; ++i)
        ShowPositionButton(OutputSpeakerType(i), i == g_CurrentOutput, i);
}

void CPositionButtons::PlaceCentreButtons() {
    CPngButton* woofer = Button(kCentreWoofer);
    CPngButton* tweeter = Button(kCentreTweeter);
    if (woofer->isVisibleTo(this)) {
        woofer->move(m_WooferPlace);
        tweeter->move(m_TweeterPlace);
    } else {
        tweeter->move(m_TweeterAlonePlace);
    }
}

void CPositionButtons::ShowPositionButton(int type, bool checked, int output) {
    CPngButton* b = Button(type);
    if (!b) return;
    b->SetCheck(checked ? 1 : 0);
    b->SetUserData(output);
    if (type == kCentreTweeter) {
        PlaceCentreButtons();
    } else if (type == kCentreWoofer && Button(kCentreTweeter)->isVisibleTo(this)) {
        b->move(m_WooferPlace);
        Button(kCentreTweeter)->move(m_TweeterPlace);
    }
    b->ShowWindow(1);
}

void CPositionButtons::HidePositionButton(int type) {
    CPngButton* b = Button(type);
    if (!b) return;
    b->ShowWindow(0);
    if (type == kCentreWoofer && Button(kCentreTweeter)->isVisibleTo(this))
        Button(kCentreTweeter)->move(m_TweeterAlonePlace);
}

void CPositionButtons::CheckPositionButton(int type, bool checked) {
    if (CPngButton* b = Button(type)) b->SetCheck(checked ? 1 : 0);
}

void CPositionButtons::SetPositionButtonVisible(int type, bool show) {
    CPngButton* b = Button(type);
    if (!b) return;
    b->ShowWindow(show ? 1 : 0);
    if (type == kCentreWoofer && Button(kCentreTweeter)->isVisibleTo(this))
        Button(kCentreTweeter)->move(m_TweeterAlonePlace);
}

void CPositionButtons::ClearLinkedPanels(int output) {
    ForOthersOfGroup(output, [this](int i) {
        if (CViewPage* page = m_View ? m_View->OutputPageWindow() : nullptr)
            page->ClearBandSelection();
        CheckPositionButton(OutputSpeakerType(i), false);
    });
}

void CPositionButtons::MarkLinkedPanels(int output) {
    ForOthersOfGroup(output, [this](int i) {
        if (CStripBase* strip = m_View ? m_View->OutputStrip(i) : nullptr) {
            strip->SetCaptionChecked(true);
            strip->SetSelected(true);
        }
        if (CViewPage* page = m_View ? m_View->OutputPageWindow() : nullptr) page->RedrawGraph();
        CheckPositionButton(OutputSpeakerType(i), true);
    });
}

void CPositionButtons::OnPositionButton(int type) {
    CPngButton* b = Button(type);
    if (!b || !m_View) return;
    const int id = ButtonId(type);
    const int user = b->GetUserData();
    if (b->GetCheck()) {
        // The centre woofer and full range remember the output chosen with a
        // button; the subwoofer button does nothing while checked.
        if (id == kSubwooferId) return;
        const int against =
            id == kCentreWooferId || id == kCentreFullId ? m_LastChosen : g_CurrentOutput;
        if (user == against) return;
    }
    if (user < 0 || user >= kOutputCount) return;
    CViewPage* mix = m_View->MixPageWindow();
    for (int i = 0; i < kOutputCount; ++i) {
        if (CStripBase* strip = m_View->OutputStrip(i)) {
            strip->SetCaptionChecked(false);
            strip->SetSelected(false);
        }
    }
    if (mix) mix->ChannelChanging();
    const int n = user;
    m_LastChosen = n;
    CheckPositionButton(OutputSpeakerType(g_CurrentOutput), false);
    ClearLinkedPanels(g_CurrentOutput);
    g_CurrentOutput = n;
    CheckPositionButton(OutputSpeakerType(n), true);
    if (CViewPage* page = m_View->OutputPageWindow()) page->RefreshChannel();
    for (int i = 0; i < kOutputCount; ++i) {
        if (!SameLinkKey(i, n)) continue;
        if (CStripBase* strip = m_View->OutputStrip(i)) {
            strip->SetCaptionChecked(true);
            strip->SetSelected(true);
        }
    }
    if (mix) {
        mix->ChannelChanged();
        mix->Refresh();
    }
    m_View->RepaintStrips();
}

void CPositionButtons::ValidateLRLink() {
    if (!g_LRLinkOn) return;
    if (!AnyOutputTyped()) {
        g_LRLinkOn = 0;
        return;
    }
    if (OutputSpeakerType(g_CurrentOutput) != 0 || !m_View) return;
    for (int i = 0; i < kOutputCount; ++i) {
        if (OutputSpeakerType(i) != 0) {
            m_View->SelectOutput(i);
            return;
        }
    }
}

LRESULT CPositionButtons::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND) return 0;
    if (const int type = TypeOfButton(static_cast<int>(wParam & 0xFFFF))) OnPositionButton(type);
    return 0;
}
