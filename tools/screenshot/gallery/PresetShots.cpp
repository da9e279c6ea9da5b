// The preset windows with the device's stored presets: the name prompt, the
// scene picker in load and save mode, the password dialog in lock and unlock
// mode, and the lock panel.
#include "tools/screenshot/gallery/Gallery.h"

#include "tools/screenshot/snapshots/PresetSnapshots.h"

namespace {

Pose Picture(QImage image) {
    Pose pose;
    pose.picture = std::move(image);
    return pose;
}

int Language(Gallery& g) {
    return g.Chinese() ? 1 : 0;
}

const ShotRegistration kNamePrompt("name-prompt", [](Gallery& g) {
    return Picture(RenderNamePromptSnapshot(Language(g), 3));
});
const ShotRegistration kPickerLoad("scene-picker-load", [](Gallery& g) {
    return Picture(RenderScenePickerSnapshot(Language(g), 1));
});
const ShotRegistration kPickerSave("scene-picker-save", [](Gallery& g) {
    return Picture(RenderScenePickerSnapshot(Language(g), 0));
});
const ShotRegistration kPasswordLock("password-lock", [](Gallery& g) {
    return Picture(RenderPasswordSnapshot(Language(g), 0));
});
const ShotRegistration kPasswordUnlock("password-unlock", [](Gallery& g) {
    return Picture(RenderPasswordSnapshot(Language(g), 1));
});
const ShotRegistration kLockPanel("lock-panel", [](Gallery& g) {
    return Picture(RenderLockPanelSnapshot(Language(g)));
});

} // namespace
