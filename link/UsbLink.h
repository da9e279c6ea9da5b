// USB side of the link: finding the DSP among the HID interfaces, choosing
// one that no other running copy of the program holds, opening it, the
// "USB" settings group of devices in use, and arrival and removal of
// devices while the program runs.
#pragma once

#include "link/HidTransport.h"
#include "link/SettingsGroup.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What the USB side asks of the main view.
class IUsbHost {
public:
    virtual ~IUsbHost() = default;
    virtual bool IsConnected() = 0;
    // Connects to a device that has just arrived.
    virtual bool ConnectUsbPath(const std::string& path) = 0;
    // The linked device has gone: stop I/O and close the link.
    virtual void CloseLinkOnDeviceRemoval() = 0;
    virtual void ShowUsbFailureUnlessUpdating() = 0;
};

struct HotplugEvent {
    enum Action { Arrival, Removal } action = Arrival;
    std::string path; // the hidraw device node
};

// The chosen device path and the paths last found, each read or set under
// the device lock (the worker reopens the chosen path after a lost link).
std::string ChosenUsbPath();
void SetChosenUsbPath(std::string path);
std::vector<std::string> FoundUsbPaths();
void SetFoundUsbPaths(std::vector<std::string> paths);

class CUsbLink {
public:
    CUsbLink(IHidBackend& backend, ISettingsGroup& marks);
    void SetHost(IUsbHost* host) { host_ = host; }

    // Fills g_UsbDevicePaths with the matching devices present; 1 when there
    // is any. With none present, every mark goes (no copy can hold a device).
    // It never touches the open device: the link stays usable.
    int EnumerateUsbDevices();
    // True when no running copy of the program has marked the path.
    bool IsUsbPathFree(const std::string& path);
    // Keeps g_UsbDevicePath when set and free, else takes the first free device.
    bool ChooseUsbDevice();
    void MarkUsbDevice();
    // Removes this copy's mark (or a dead copy's) on g_UsbDevicePath.
    void UnmarkUsbDevice();
    void ResetUsbRegistry();
    // Opens g_UsbDevicePath; sets g_UsbLinkUp and marks the device.
    bool OpenHidDevice();
    // Chooses and opens a free device; g_ConnectionKind := 1 on success,
    // g_UsbDevicePath emptied on failure.
    bool OpenUsbDevice();
    bool ReopenUsbDevice();
    void CloseHidDevice();
    // Gives up the open device without closing it: it closes when the last
    // holder of the returned handle lets it go.
    std::shared_ptr<IHidDevice> ReleaseDevice();
    bool IsOpen() const;
    // Arrival and removal of HID interfaces (on the UI thread).
    void OnDeviceChange(const HotplugEvent& event);

    // The words for a failed USB connection: a permission problem is said as such.
    const char* UsbFailureText() const;
    HidOpenError LastOpenError() const { return lastOpenError_; }

    // Report I/O for the worker, in the link's report layout (report id at 0).
    // Write: 65 bytes; bytes written or -1. Read: waits at most ms; 64 when a
    // report arrived (bytes 1..64, byte 0 set to 0), 0 on time-out, -1 when
    // the device failed or is not open.
    int WriteReport(const uint8_t* report);
    int ReadReport(uint8_t* report, int ms);
    // Discards input the device has already sent.
    void DiscardInput();

private:
    bool IsMatching(const HidDeviceInfo& d) const;
    std::shared_ptr<IHidDevice> Device() const;

    IHidBackend& backend_;
    ISettingsGroup& marks_;
    IUsbHost* host_ = nullptr;
    const std::string ownMark_;
    mutable std::mutex deviceMutex_;
    std::shared_ptr<IHidDevice> device_;
    HidOpenError lastOpenError_ = HidOpenError::None;
};

// Hot-plug events from libudev's monitor of the hidraw subsystem, delivered
// on the monitor's own thread.
class CUdevMonitor {
public:
    using Handler = std::function<void(const HotplugEvent&)>;
    explicit CUdevMonitor(Handler handler);
    ~CUdevMonitor();
    // False when libudev cannot watch (then hot-plug is simply not seen).
    bool Start();
    void Stop();
    // The way every event reaches the handler.
    void Deliver(const HotplugEvent& event);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    Handler handler_;
};
