#include "link/HidTransport.h"

#include <hidapi.h>

#include <cerrno>
#include <mutex>
#include <unistd.h>

namespace {

std::once_flag g_HidInitOnce;

class CHidApiDevice : public IHidDevice {
public:
    explicit CHidApiDevice(hid_device* dev) : dev_(dev) {}
    ~CHidApiDevice() override { hid_close(dev_); }
    int Write(const uint8_t* data, size_t length) override { return hid_write(dev_, data, length); }
    int ReadTimeout(uint8_t* data, size_t length, int ms) override {
        return hid_read_timeout(dev_, data, length, ms);
    }

private:
    hid_device* dev_;
};

} // namespace

CHidApiBackend::CHidApiBackend() {
    std::call_once(g_HidInitOnce, [] { hid_init(); });
}

CHidApiBackend::~CHidApiBackend() = default;

std::vector<HidDeviceInfo> CHidApiBackend::Enumerate() {
    std::vector<HidDeviceInfo> out;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path) continue;
        out.push_back({d->path, d->vendor_id, d->product_id, d->release_number});
    }
    hid_free_enumeration(list);
    return out;
}

std::shared_ptr<IHidDevice> CHidApiBackend::Open(const std::string& path, HidOpenError& error) {
    if (hid_device* dev = hid_open_path(path.c_str())) {
        error = HidOpenError::None;
        return std::make_shared<CHidApiDevice>(dev);
    }
    // hidapi reports the reason only as text; ask the file system instead.
    if (access(path.c_str(), F_OK) != 0)
        error = HidOpenError::NotFound;
    else if (access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
        error = HidOpenError::Permission;
    else
        error = HidOpenError::Other;
    return nullptr;
}
