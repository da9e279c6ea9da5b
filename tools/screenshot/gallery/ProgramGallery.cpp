#include "tools/screenshot/gallery/ProgramGallery.h"

#include "features/connection/TransferWindow.h"
#include "app/MainWindow.h"

#include <QMenu>

LRESULT GalleryView::WindowProc(unsigned msg, WPARAM w, LPARAM l) {
    const LRESULT result = CLumaraView::WindowProc(msg, w, l);
    if (msg == WM_DEVICE_DATA_DONE) ++loads;
    return result;
}

int GalleryView::TrackConnectPopup(QMenu& menu, const QPoint& at) {
    if (!takePopup) return CLumaraView::TrackConnectPopup(menu, at);
    auto take = std::move(takePopup);
    takePopup = nullptr;
    take(menu, at);
    return 0;
}

ProgramGallery::ProgramGallery(std::string devicePath, std::unique_ptr<INetAdapters> adapters,
                               std::unique_ptr<IPinger> pinger)
    : devicePath_(std::move(devicePath)), adapters_(std::move(adapters)),
      pinger_(std::move(pinger)) {
    app_.m_SettingsPath = settings_.filePath(QStringLiteral("lumara.ini"));
    app_.m_LinkEnvironment.hid = &hid_;
    app_.m_LinkEnvironment.adapters = adapters_.get();
    app_.m_LinkEnvironment.pinger = pinger_.get();
    app_.m_LinkEnvironment.watchHotplug = false;
    // Several shots end the link and make it again: no pause between.
    app_.m_LinkEnvironment.timings.closePause = 0;
    app_.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
        view_ = new GalleryView(doc, app_.Settings(), app_.m_LinkEnvironment, parent);
        return view_;
    };
}

CMainWindow& ProgramGallery::Frame() {
    return *app_.MainFrame();
}

bool ProgramGallery::GoOffline() {
    if (view_->IsConnected()) view_->OnConnectButton();
    Settle();
    return !view_->IsConnected();
}

void ProgramGallery::OnNextConnectPopup(std::function<void(QMenu&, QPoint)> take) {
    view_->takePopup = std::move(take);
}

bool ProgramGallery::WaitForData(int loadsBefore) {
    const bool loaded = WaitFor(
        [&] {
            return view_->loads > loadsBefore && view_->IsConnected() && g_TransferDlg &&
                   !g_TransferDlg->isVisible();
        },
        20000);
    Settle(50);
    return loaded;
}
