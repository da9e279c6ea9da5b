// The main window: each page, and without a device.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/MainFrm.h"
#include "model/Globals.h"

namespace {

Pose OnPage(Gallery& g, int button) {
    const int page = g.View().CurrentPage();
    g.View().SendMessage(WM_COMMAND, static_cast<WPARAM>(button));
    return {&g.Frame(), {}, {}, [&g, page] { g.View().SelectPage(page, true); }};
}

const ShotRegistration kInput("main-input",
                              [](Gallery& g) { return OnPage(g, CLumaraView::IDC_PAGE0); });
const ShotRegistration kOutput("main-output",
                               [](Gallery& g) { return OnPage(g, CLumaraView::IDC_PAGE1); });
const ShotRegistration kVolume("main-volume",
                               [](Gallery& g) { return OnPage(g, CLumaraView::IDC_PAGE2); });

// The Mixer button shows the mix page over the output page.
const ShotRegistration kMix("main-mix", [](Gallery& g) {
    g.View().SendMessage(WM_COMMAND, static_cast<WPARAM>(CLumaraView::IDC_MIX_TOGGLE));
    return Pose{&g.Frame(), {}, {}, [&g] {
                    g.View().SendMessage(WM_COMMAND, static_cast<WPARAM>(CLumaraView::IDC_MIX_TOGGLE));
                }};
});

const ShotRegistration kOffline("main-offline", [](Gallery& g) {
    g.GoOffline();
    return Pose{&g.Frame(), {}, {}, [&g] { g.GoOnline(); }};
});

} // namespace
