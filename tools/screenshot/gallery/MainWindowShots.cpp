// The main window: each page, without a device and during a transfer.
#include "tools/screenshot/gallery/Gallery.h"

#include "features/connection/TransferWindow.h"
#include "app/MainWindow.h"
#include "controls/GradientProgressCtrl.h"
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
                    g.View().SendMessage(WM_COMMAND,
                                         static_cast<WPARAM>(CLumaraView::IDC_MIX_TOGGLE));
                }};
});

const ShotRegistration kOffline("main-offline", [](Gallery& g) {
    g.GoOffline();
    return Pose{&g.Frame(), {}, {}, [&g] { g.GoOnline(); }};
});

// A transfer disables the main view until it ends: every control wears its
// disabled look under the transfer window.
const ShotRegistration kTransferring("main-transfer", [](Gallery& g) {
    CTransferWindow* dlg = g_TransferDlg;
    dlg->ShowTransfer(0);
    dlg->Progress()->SetRange(0, 100);
    dlg->Progress()->SetPos(60);
    // Grabbed before its first tick, which ends a transfer that is not running.
    return Pose{&g.Frame(), {dlg}, {}, [dlg] { dlg->HideTransfer(); }};
});

} // namespace
