// Popups over the main window: the connection popups, the speaker-type menu
// and the two source lists open.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/MainWindow.h"
#include "controls/DropListButton.h"
#include "model/Globals.h"
#include "platform/UiGlobals.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QMenu>

#include <memory>

namespace {

// The connect button offers what it finds: the devices not in use, and the
// network module once it answers.
Pose ConnectPopup(Gallery& g, int moreDevices) {
    g.GoOffline();
    auto others = std::make_shared<std::vector<std::unique_ptr<sim::SimDevice>>>();
    for (int i = 0; i < moreDevices; ++i) {
        others->push_back(std::make_unique<sim::SimDevice>());
        g.Hid().Plug(g.DevicePath() + std::to_string(i + 2), others->back().get());
    }
    g.View().Session().Net().SetReachable(true);
    QImage picture;
    g.OnNextConnectPopup([&](QMenu& menu, QPoint at) {
        menu.popup(at);
        g.Settle();
        picture = Gallery::Compose(&g.Frame(), {&menu});
        menu.hide();
    });
    g.View().SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT);
    return Pose{nullptr, {}, picture, [&g, others, moreDevices] {
                    g.View().Session().Net().SetReachable(false);
                    for (int i = 0; i < moreDevices; ++i)
                        g.Hid().Unplug(g.DevicePath() + std::to_string(i + 2));
                    g.GoOnline();
                }};
}

const ShotRegistration kUsbOrNetwork("connect-usb-or-network",
                                     [](Gallery& g) { return ConnectPopup(g, 0); });
const ShotRegistration kDevices("connect-choose-device",
                                [](Gallery& g) { return ConnectPopup(g, 1); });

// The speaker-type menu under the first output strip, its first submenus
// open down to the speaker types.
const ShotRegistration kSpeakerTypes("speaker-type-menu", [](Gallery& g) {
    QMenu* menu = g_PopupMenu;
    const QRect strip = CLumaraView::StripRect(0);
    menu->popup(g.View().mapToGlobal(strip.bottomLeft() + QPoint(10, 0)));
    g.Settle();
    std::vector<QWidget*> open{menu};
    for (QMenu* level = menu; level;) {
        QMenu* next = nullptr;
        for (QAction* a : level->actions())
            if (a->menu()) {
                next = a->menu();
                level->setActiveAction(a);
                break;
            }
        if (next) {
            Gallery::WaitFor([next] { return next->isVisible(); }, 2000);
            open.push_back(next);
        }
        g.Settle();
        level = next;
    }
    return Pose{&g.Frame(), open, {}, [open] {
                    for (auto it = open.rbegin(); it != open.rend(); ++it)
                        (*it)->hide();
                }};
});

Pose DropList(Gallery& g, CDropListButton* list) {
    list->ShowDropList();
    return {&g.Frame(), {list->DropWindow()}, {}, [list] { list->DropWindow()->hide(); }};
}

const ShotRegistration kInputSources("input-source-list", [](Gallery& g) {
    return DropList(g, g.View().InputSourceList());
});
const ShotRegistration kMixSources("mix-source-list", [](Gallery& g) {
    return DropList(g, g.View().MixSourceList());
});

} // namespace
