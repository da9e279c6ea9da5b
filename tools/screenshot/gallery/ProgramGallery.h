// The real program as the gallery's shots see it: the application with its
// view, the simulated device and a simulated USB side, settings in a folder
// of their own. The gallery links the device over USB, the memory benchmark
// over TCP on 127.0.0.1; both say so through the network side they give and
// their own Start and GoOnline.
#pragma once

#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "tools/screenshot/gallery/Gallery.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

// The program's view; it counts the loads of the device's data and hands a
// connection popup to the shot that asked for it.
class GalleryView : public CLumaraView {
public:
    using CLumaraView::CLumaraView;
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override;
    int TrackConnectPopup(QMenu& menu, const QPoint& at) override;

    int loads = 0;
    std::function<void(QMenu&, QPoint)> takePopup;
};

class ProgramGallery : public Gallery {
public:
    ProgramGallery(std::string devicePath, std::unique_ptr<INetAdapters> adapters,
                   std::unique_ptr<IPinger> pinger);

    CLumaraApp& App() override { return app_; }
    CMainWindow& Frame() override;
    CLumaraView& View() override { return *view_; }
    sim::SimHidBackend& Hid() override { return hid_; }
    sim::SimDevice* Device() override { return &device_; }
    std::string DevicePath() const override { return devicePath_; }
    bool GoOffline() override;
    void OnNextConnectPopup(std::function<void(QMenu&, QPoint)> take) override;

protected:
    // Loaded after loadsBefore loads, and the transfer window gone again.
    bool WaitForData(int loadsBefore);
    GalleryView& Program() { return *view_; }

    const std::string devicePath_;
    QTemporaryDir settings_;
    sim::SimDevice device_;
    sim::SimHidBackend hid_;
    std::unique_ptr<INetAdapters> adapters_;
    std::unique_ptr<IPinger> pinger_;
    CLumaraApp app_;
    GalleryView* view_ = nullptr;
};
