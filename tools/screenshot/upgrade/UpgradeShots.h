// Pictures of the firmware update dialog before, during and after an
// update, for the screenshot gallery and for looking at the dialog without
// a device. The dialog is the program's own, on the session given; the
// update's moments are posed through the session's display port, as the
// link worker would show them, so no device is needed.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

class CDeviceSession;

namespace platform {
class ViewSettings;
}

enum class UpgradeShot { Before, During, After };

// The dialog at one moment, in the current language (g_LanguageFlag).
QImage PoseUpgradeDialog(CDeviceSession& session, platform::ViewSettings& settings,
                         UpgradeShot shot);

// Writes upgrade-before, upgrade-during and upgrade-after in English (-en)
// and Chinese (-zh) as PNG files into folder; the files written (empty when
// a picture could not be written). The language is put back afterwards.
QStringList WriteUpgradeDialogShots(CDeviceSession& session, platform::ViewSettings& settings,
                                    const QString& folder);

// A picture with more than a handful of colours: not blank.
bool IsDrawn(const QImage& image);
