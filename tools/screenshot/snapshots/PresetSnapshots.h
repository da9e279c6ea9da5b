// The preset windows alone, drawn into images in one language with the
// program's data as it stands (the stored presets' names, the device data
// flag): the name prompt, the scene picker in load and save mode, the
// password dialog in lock and unlock mode, the lock panel, and the
// machine-preset dialog in load, save-as and delete mode. Dialogs with a
// caption are drawn under a plain title bar that shows it. For a gallery and
// for looking at them without the program. language: 0 English, 1 Chinese;
// the language is left as it was.
#pragma once

#include <QImage>
#include <QString>

QImage RenderNamePromptSnapshot(int language, int preset);
QImage RenderScenePickerSnapshot(int language, int mode);
QImage RenderPasswordSnapshot(int language, int mode);
QImage RenderLockPanelSnapshot(int language);
QImage RenderMachinePresetSnapshot(int language, int mode);

// Writes name-prompt-, scene-picker-load-, scene-picker-save-,
// password-lock-, password-unlock-, lock-panel-, machine-preset-load-,
// machine-preset-save-as- and machine-preset-delete-LANG.png, LANG en and
// zh, into the folder; false when one could not be written.
bool SavePresetSnapshots(const QString& folder);
