// The USB HID transport as the link sees it, shaped like hidapi so that the
// real backend is a thin pass-through and the doubles behave like it:
// writes carry the report id 0 as their first byte (65 bytes), reads return
// the 64 data bytes without a report id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    // Bytes written, or -1 on failure.
    virtual int Write(const uint8_t* data, size_t length) = 0;
    // Waits at most ms for one input report; bytes read, 0 on time-out,
    // -1 on failure (the device is gone).
    virtual int ReadTimeout(uint8_t* data, size_t length, int ms) = 0;
};

struct HidDeviceInfo {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t release = 0;
};

enum class HidOpenError { None, NotFound, Permission, Other };

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Every HID interface present, in enumeration order.
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;
    // Opens a device for reading and writing; null with the reason on failure.
    virtual std::shared_ptr<IHidDevice> Open(const std::string& path, HidOpenError& error) = 0;
};

// hidapi (hidraw) backend.
class CHidApiBackend : public IHidBackend {
public:
    CHidApiBackend();
    ~CHidApiBackend() override;
    std::vector<HidDeviceInfo> Enumerate() override;
    std::shared_ptr<IHidDevice> Open(const std::string& path, HidOpenError& error) override;
};
