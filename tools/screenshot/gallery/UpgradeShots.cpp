// The firmware update dialog before, during and after an update, on the
// program's own session (the moments are posed as the link worker shows them).
#include "tools/screenshot/gallery/Gallery.h"

#include "tools/screenshot/upgrade/UpgradeShots.h"

namespace {

Pose Upgrade(Gallery& g, UpgradeShot moment) {
    Pose pose;
    pose.picture = PoseUpgradeDialog(g.View().Session(), g.View().Settings(), moment);
    return pose;
}

const ShotRegistration kBefore("upgrade-before",
                               [](Gallery& g) { return Upgrade(g, UpgradeShot::Before); });
const ShotRegistration kDuring("upgrade-during",
                               [](Gallery& g) { return Upgrade(g, UpgradeShot::During); });
const ShotRegistration kAfter("upgrade-after",
                              [](Gallery& g) { return Upgrade(g, UpgradeShot::After); });

} // namespace
