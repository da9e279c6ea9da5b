// The response graph and the dynamics curve, with the device's data, alone
// until the pages that hold them show them.
#include "tools/screenshot/gallery/Gallery.h"

#include "controls/GraphSnapshots.h"

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
