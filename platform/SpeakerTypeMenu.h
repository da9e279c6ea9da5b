// The speaker-type popup menu: "NULL" and the submenus front (left, right),
// rear (left, right), centre and subwoofer, each item carrying the command
// 4100 + type in its data. Menus 106 (Chinese) and 107 (English) have the
// same layout and commands.
#pragma once

#include <memory>

class QAction;
class QMenu;

namespace platform {

std::unique_ptr<QMenu> BuildSpeakerTypeMenu(bool chinese);

// The item of a speaker type 0..24, found by its position in its submenu as
// the panels address it; null for other types.
QAction* SpeakerTypeAction(QMenu* popup, int type);

// The command of an item (4100 + type), or -1 for a submenu or a foreign item.
int SpeakerTypeCommand(const QAction* action);

} // namespace platform
