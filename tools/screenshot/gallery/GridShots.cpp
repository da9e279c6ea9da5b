// The machine-preset dialog (the grid of the device's stored presets) in its
// load, save-as and delete modes, with the simulated device's presets.
#include "tools/screenshot/gallery/Gallery.h"

#include "tools/screenshot/snapshots/PresetSnapshots.h"
#include "app/MachinePresetDialog.h"

namespace {

Pose MachinePresets(Gallery& g, int mode) {
    Pose pose;
    pose.picture = RenderMachinePresetSnapshot(g.Chinese() ? 1 : 0, mode);
    return pose;
}

const ShotRegistration kLoad("machine-preset-load", [](Gallery& g) {
    return MachinePresets(g, CMachinePresetDialog::kLoad);
});
const ShotRegistration kSaveAs("machine-preset-save-as", [](Gallery& g) {
    return MachinePresets(g, CMachinePresetDialog::kSaveAs);
});
const ShotRegistration kDelete("machine-preset-delete", [](Gallery& g) {
    return MachinePresets(g, CMachinePresetDialog::kDelete);
});

} // namespace
