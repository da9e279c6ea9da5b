// The joint-editing windows: the strips with their link buttons in groups,
// the joint-debug dialog with two groups, the channel-pair dialog and the
// group-number dialog.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/MainWindow.h"
#include "model/Globals.h"
#include "model/LinkGroups.h"
#include "features/outputs/PairLinkDialog.h"
#include "features/outputs/JoinGroupDialog.h"
#include "features/outputs/JointGroupsDialog.h"
#include "features/outputs/OutputStrip.h"
#include "pages/output/OutputPage.h"

#include <array>

namespace {

COutputStrip* StripOf(Gallery& g, int output) {
    return dynamic_cast<COutputStrip*>(g.View().Strip(output));
}

// Outputs 3, 6 and 8 open groups 1, 2 and 3 with double clicks (a join
// would copy settings and rename the device's preset); output 3 current.
// Undone with right clicks, which leave for good.
const ShotRegistration kStrips("strip-link-buttons", [](Gallery& g) {
    const int current = g_CurrentOutput;
    StripOf(g, 2)->OnLinkClick(COutputStrip::kLinkDouble);
    StripOf(g, 5)->OnLinkClick(COutputStrip::kLinkDouble);
    StripOf(g, 7)->OnLinkClick(COutputStrip::kLinkDouble);
    g.View().SelectOutput(2);
    return Pose{&g.Frame(), {}, {}, [&g, current] {
                    for (int o : {2, 5, 7})
                        StripOf(g, o)->OnLinkClick(COutputStrip::kLinkRight);
                    ResetLinkGroups();
                    DeviceLockGuard lock(g_DeviceLock);
                    for (int o = 0; o < kOutputCount; ++o)
                        g_LinkKey[o] = OutputLinkKey(o);
                    g.View().SelectOutput(current);
                }};
});

// Join mode from output 4: outputs 1 and 5 in one group, 7 and 8 in
// another; output 4's own row selected.
const ShotRegistration kJointDebug("joint-debug-settings", [](Gallery& g) {
    auto* page = dynamic_cast<COutputPage*>(g.View().OutputPage());
    std::array<int, 8> saved{};
    for (int i = 0; i < 8; ++i) {
        saved[static_cast<size_t>(i)] = page->Panel(i).mask;
        page->Panel(i).mask = 1 << i;
    }
    page->Panel(0).mask = page->Panel(4).mask = 0b10001;
    page->Panel(6).mask = page->Panel(7).mask = 0b11000000;
    auto* dlg = new CJointGroupsDialog(&g.View());
    dlg->SetPage(page);
    dlg->m_Mode = CJointGroupsDialog::kJoinMode;
    dlg->m_Output = 3;
    dlg->InitDialog();
    dlg->show();
    dlg->SelectOutputs(false, {3});
    return Pose{dlg, {}, {}, [dlg, page, saved] {
                    delete dlg;
                    for (int i = 0; i < 8; ++i)
                        page->Panel(i).mask = saved[static_cast<size_t>(i)];
                }};
});

const ShotRegistration kPair("channel-pair-link", [](Gallery& g) {
    auto* dlg = new CPairLinkDialog(&g.View());
    dlg->m_Pair = 1;
    dlg->InitDialog();
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

// Groups 1, 2 and 4 offered.
const ShotRegistration kGroupNumber("join-group-number", [](Gallery& g) {
    auto* dlg = new CJoinGroupDialog(&g.View());
    dlg->m_Enabled[2] = 0;
    dlg->InitDialog();
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

} // namespace
