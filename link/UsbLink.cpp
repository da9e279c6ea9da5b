#include "link/UsbLink.h"

#include "model/Globals.h"
#include "link/LinkGlobals.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

// The chosen path and the paths found, taken and set under the lock: the
// worker reaches them too. Nothing is opened or enumerated under it.
std::string ChosenUsbPath() {
    DeviceLockGuard lock(g_DeviceLock);
    return g_UsbDevicePath;
}

void SetChosenUsbPath(std::string path) {
    DeviceLockGuard lock(g_DeviceLock);
    g_UsbDevicePath = std::move(path);
}

std::vector<std::string> FoundUsbPaths() {
    DeviceLockGuard lock(g_DeviceLock);
    return g_UsbDevicePaths;
}

void SetFoundUsbPaths(std::vector<std::string> paths) {
    DeviceLockGuard lock(g_DeviceLock);
    g_UsbDevicePaths = std::move(paths);
}

CUsbLink::CUsbLink(IHidBackend& backend, ISettingsGroup& marks)
    : backend_(backend), marks_(marks), ownMark_(OwnProcessMark()) {}

bool CUsbLink::IsMatching(const HidDeviceInfo& d) const {
    return d.vendorId == g_UsbVendorId && d.productId == g_UsbProductId &&
           d.release == g_UsbVersion;
}

int CUsbLink::EnumerateUsbDevices() {
    std::vector<std::string> found;
    for (const HidDeviceInfo& d : backend_.Enumerate())
        if (IsMatching(d)) found.push_back(d.path);
    const bool none = found.empty();
    SetFoundUsbPaths(std::move(found));
    if (none) {
        ResetUsbRegistry();
        return 0;
    }
    return 1;
}

bool CUsbLink::IsUsbPathFree(const std::string& path) {
    const auto mark = marks_.Value(path);
    return !mark || !IsProcessMarkAlive(*mark);
}

bool CUsbLink::ChooseUsbDevice() {
    const std::string chosen = ChosenUsbPath();
    if (!chosen.empty() && IsUsbPathFree(chosen)) return true;
    EnumerateUsbDevices();
    for (const std::string& p : FoundUsbPaths()) {
        if (IsUsbPathFree(p)) {
            SetChosenUsbPath(p);
            return true;
        }
    }
    SetChosenUsbPath({});
    return false;
}

void CUsbLink::MarkUsbDevice() {
    const std::string chosen = ChosenUsbPath();
    if (!chosen.empty()) marks_.SetValue(chosen, ownMark_);
}

void CUsbLink::UnmarkUsbDevice() {
    const std::string chosen = ChosenUsbPath();
    if (chosen.empty()) return;
    // Another running copy's mark is not ours to remove.
    const auto mark = marks_.Value(chosen);
    if (mark && (*mark == ownMark_ || !IsProcessMarkAlive(*mark))) marks_.Remove(chosen);
}

void CUsbLink::ResetUsbRegistry() {
    marks_.Clear();
}

bool CUsbLink::OpenHidDevice() {
    const std::string chosen = ChosenUsbPath();
    if (chosen.empty()) {
        lastOpenError_ = HidOpenError::NotFound;
        return false;
    }
    HidOpenError error = HidOpenError::Other;
    auto dev = backend_.Open(chosen, error);
    lastOpenError_ = error;
    if (!dev) return false;
    {
        std::lock_guard<std::mutex> lock(deviceMutex_);
        device_ = std::move(dev);
    }
    g_UsbLinkUp = 1;
    MarkUsbDevice();
    if (host_ && !host_->IsConnected()) g_ReconnectCount = 0;
    return true;
}

bool CUsbLink::OpenUsbDevice() {
    bool permission = false;
    auto attempt = [&] {
        if (OpenHidDevice()) {
            g_ConnectionKind = 1;
            return true;
        }
        permission = permission || lastOpenError_ == HidOpenError::Permission;
        return false;
    };
    if (ChooseUsbDevice() && attempt()) return true;
    for (const std::string& p : FoundUsbPaths()) {
        if (!IsUsbPathFree(p)) continue;
        SetChosenUsbPath(p);
        if (attempt()) return true;
    }
    if (permission) lastOpenError_ = HidOpenError::Permission;
    SetChosenUsbPath({});
    return false;
}

bool CUsbLink::ReopenUsbDevice() {
    CloseHidDevice();
    return OpenUsbDevice();
}

void CUsbLink::CloseHidDevice() {
    std::shared_ptr<IHidDevice> old;
    {
        std::lock_guard<std::mutex> lock(deviceMutex_);
        old.swap(device_);
    }
    // A read still running on the worker keeps its own reference until it returns.
}

std::shared_ptr<IHidDevice> CUsbLink::ReleaseDevice() {
    std::lock_guard<std::mutex> lock(deviceMutex_);
    std::shared_ptr<IHidDevice> released;
    released.swap(device_);
    return released;
}

bool CUsbLink::IsOpen() const {
    std::lock_guard<std::mutex> lock(deviceMutex_);
    return device_ != nullptr;
}

std::shared_ptr<IHidDevice> CUsbLink::Device() const {
    std::lock_guard<std::mutex> lock(deviceMutex_);
    return device_;
}

const char* CUsbLink::UsbFailureText() const {
    return lastOpenError_ == HidOpenError::Permission ? g_UsbPermissionText.Pick()
                                                      : g_UsbFailText.Pick();
}

int CUsbLink::WriteReport(const uint8_t* report) {
    auto dev = Device();
    if (!dev) return -1;
    return dev->Write(report, kHidDataSize + 1);
}

int CUsbLink::ReadReport(uint8_t* report, int ms) {
    auto dev = Device();
    if (!dev) return -1;
    // hidapi hands the 64 data bytes without the report id: they go to 1..64.
    const int n = dev->ReadTimeout(report + 1, kHidDataSize, ms);
    if (n > 0) report[0] = 0;
    return n;
}

void CUsbLink::DiscardInput() {
    auto dev = Device();
    if (!dev) return;
    uint8_t scratch[kHidDataSize];
    for (int i = 0; i < 64 && dev->ReadTimeout(scratch, sizeof scratch, 0) > 0; ++i) {
    }
}

void CUsbLink::OnDeviceChange(const HotplugEvent& event) {
    const bool connected = host_ && host_->IsConnected();
    if (event.action == HotplugEvent::Arrival) {
        if (g_ConnectionKind.load() != 0 || connected ||
            g_StateFlags[kFlagUpdateRetryRunning].load())
            return;
        for (const HidDeviceInfo& d : backend_.Enumerate()) {
            if (d.path == event.path && IsMatching(d)) {
                if (host_) host_->ConnectUsbPath(event.path);
                return;
            }
        }
        return;
    }
    if (!SameIgnoringCase(event.path, ChosenUsbPath()) || g_ConnectionKind.load() != 1) {
        EnumerateUsbDevices();
        return;
    }
    if (!g_UsbLinkUp.load() || !connected) return;
    switch (g_LastFirmwareCode.load()) {
    case 54: // the device restarts into its boot loader; the update reopens it
        g_UsbLinkUp = 0;
        break;
    case 255: // the boot-entry burst
        break;
    default:
        g_UsbLinkUp = 0;
        host_->CloseLinkOnDeviceRemoval();
        host_->ShowUsbFailureUnlessUpdating();
        UnmarkUsbDevice();
        EnumerateUsbDevices();
        g_StateFlags[kFlagFirmwareMode] = 0;
        SetChosenUsbPath({});
        break;
    }
}
