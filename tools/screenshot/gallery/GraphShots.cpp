// The response graph and the dynamics curve with the device's data, alone as
// well as on their pages, and the output page's phase pop-up.
#include "tools/screenshot/gallery/Gallery.h"

#include "tools/screenshot/snapshots/GraphSnapshots.h"
#include "tools/screenshot/snapshots/OutputSnapshots.h"

namespace {

const ShotRegistration kOutputGraph("graph-output", [](Gallery& g) {
    Pose pose;
    pose.picture = RenderEqCurveSnapshot(g.Chinese() ? 1 : 0, 4, 17, g.View().Data());
    return pose;
});

const ShotRegistration kInputGraph("graph-input", [](Gallery& g) {
    Pose pose;
    pose.picture = RenderEqCurveSnapshot(g.Chinese() ? 1 : 0, 3, -1, g.View().Data());
    return pose;
});

const ShotRegistration kDynamics("graph-dynamics", [](Gallery& g) {
    Pose pose;
    pose.picture = RenderDynamicsSnapshot(g.Chinese() ? 1 : 0, 0, -1, -1, -1, g.View().Data());
    return pose;
});

} // namespace

namespace {

// The output page's phase pop-up of output 0 with the device's data (nothing
// in the main window opens it).
const ShotRegistration kPhasePopup("phase-popup", [](Gallery& g) {
    Pose pose;
    pose.picture = RenderPhasePopupSnapshot(g.Chinese() ? 1 : 0, g.View().Data(), 0);
    return pose;
});

} // namespace
