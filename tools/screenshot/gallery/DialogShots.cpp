// The program's own windows: transfer, version, monitor, start page, splash
// and the message box.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/StartPage.h"
#include "features/connection/TransferWindow.h"
#include "features/connection/LinkMonitorWindow.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "features/connection/VersionWindow.h"
#include "controls/GradientProgressCtrl.h"
#include "model/Globals.h"
#include "controls/MessageBox.h"
#include "features/outputs/LeftRightLinkDialog.h"
#include "platform/Skin.h"
#include "tools/sim/SimServer.h"

#include <QDir>
#include <QTemporaryFile>

#include <memory>

namespace {

// The transfer window over the main view, part of the way through.
Pose Transfer(bool factory) {
    CTransferWindow* dlg = g_TransferDlg;
    if (factory) dlg->SetFactoryMode();
    dlg->ShowTransfer(0);
    dlg->Progress()->SetRange(0, factory ? 110 : 100);
    dlg->Progress()->SetPos(factory ? 40 : 60);
    // Grabbed before its first tick, which ends a transfer that is not running.
    return {dlg, {}, {}, [dlg] { dlg->HideTransfer(); }};
}

const ShotRegistration kTransfer("transfer", [](Gallery&) { return Transfer(false); });
const ShotRegistration kFactory("transfer-factory-defaults",
                                [](Gallery&) { return Transfer(true); });

const ShotRegistration kVersion("version", [](Gallery& g) {
    auto* dlg = new CVersionWindow(&g.View());
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kMonitor("monitor", [](Gallery&) {
    g_MonitorDlg->show();
    return Pose{g_MonitorDlg, {}, {}, [] { g_MonitorDlg->hide(); }};
});

// The start page fills the main frame as it does when it is opened.
const ShotRegistration kStartPage("start-page", [](Gallery&) {
    auto* page = new CStartPage();
    page->resize(CMainWindow::kWidth, CMainWindow::kHeight);
    page->show();
    return Pose{page, {}, {}, [page] { delete page; }};
});

// The splash window with the version window's picture: the program names no
// splash picture of its own.
const ShotRegistration kSplash("splash", [](Gallery&) {
    auto file = std::make_shared<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("lumara-splash-XXXXXX.png")));
    if (file->open()) skin::Image(275).save(file->fileName(), "PNG");
    CSplashWindow::ShowSplashScreen(60000, file->fileName());
    return Pose{CSplashWindow::Current(), {}, {}, [file] { CSplashWindow::HideSplashScreen(); }};
});

// A prompt that closes itself: the connect button with nothing to connect to.
const ShotRegistration kNothing("message-no-connection", [](Gallery& g) {
    g.GoOffline();
    g.Hid().Unplug(g.DevicePath());
    QImage picture =
        g.WhileModal([&g] { g.View().SendMessage(WM_COMMAND, CLumaraView::IDC_CONNECT); });
    return Pose{nullptr, {}, picture, [&g] {
                    g.Hid().Plug(g.DevicePath(), g.Device());
                    g.GoOnline();
                }};
});

// The question of a connection that finds settings changed while no device
// was connected (the master's change here); NO takes the device's data.
const ShotRegistration kUnsent("message-unsent-changes", [](Gallery& g) {
    g.GoOffline();
    g.View().MarkMasterChanged(1);
    QImage picture = g.WhileModal([&g] { g.GoOnline(); });
    return Pose{nullptr, {}, picture, {}};
});

// A warning that waits for the user: the network could not be started.
const ShotRegistration kWarning("message-network-start", [](Gallery& g) {
    QImage picture = g.WhileModal([] {
        ShowMessageBox(nullptr, CLumaraApp::kNetworkFailText, std::string(), MB_OK,
                       g_LanguageFlag.load(), -4);
    });
    return Pose{nullptr, {}, picture, {}};
});

} // namespace

namespace {

// The L/R link's copy-direction question, as the link button opens it.
const ShotRegistration kLRLink("lr-link-direction", [](Gallery& g) {
    auto* dlg = new CLeftRightLinkDialog(&g.View());
    dlg->InitDialog();
    dlg->show();
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

} // namespace
