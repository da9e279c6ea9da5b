// State the link shares between the worker, the transports, the firmware
// update and the view: report and receive buffers, the device's address,
// the firmware-update flags the worker reads, and the transfer progress bar.
#pragma once

#include "model/Globals.h"
#include "model/ThreadRole.h"

#include <atomic>
#include <cstdint>
#include <string>

// The USB device the program drives: HID vendor, product and release.
constexpr uint16_t g_UsbVendorId = 0x0483;
constexpr uint16_t g_UsbProductId = 0x5750;
constexpr uint16_t g_UsbVersion = 0x0200;

// One USB report as the link lays it out: byte 0 the report id (always 0),
// bytes 1..64 frame bytes. hidapi's reads deliver the 64 bytes without the id.
constexpr int kHidDataSize = 64;
extern LinkWorkerOnly<uint8_t[65]> g_HidOutReport;
extern LinkWorkerOnly<uint8_t[65]> g_HidInReport;

// Every network receive fills this buffer.
constexpr int kNetRxSize = 400;
extern LinkWorkerOnly<uint8_t[kNetRxSize]> g_NetRxBuffer;

constexpr int kDefaultDevicePort = 8899;
extern std::atomic<int> g_DevicePort;
extern std::atomic<int> g_ReconnectCount;

// Firmware update state the worker and the removal handling read.
extern std::atomic<int> g_FirmwareUpdateEnded; // the final step was acknowledged
extern std::atomic<int> g_UpdateTipOff;        // a cancel of the update is in progress
extern std::atomic<int> g_LastFirmwareCode;    // step code of the last firmware packet written

// The transfer window's progress bar, set from the worker when a reply
// arrives. Implementations must be callable from any thread.
class ITransferProgress {
public:
    virtual ~ITransferProgress() = default;
    virtual void SetPos(int pos) = 0;
};
extern std::atomic<ITransferProgress*> g_TransferProgress;

// Said when the device is there but the user may not open it.
extern const BiText g_UsbPermissionText;

// ---------------------------------------------------------------------------
// Device address
// ---------------------------------------------------------------------------

struct DeviceEndpoint {
    std::string host; // dotted IPv4
    int port = kDefaultDevicePort;
};

// "HOST" or "HOST:PORT" (HOST a dotted IPv4 address or a name that resolves
// to one); false for anything else, leaving out untouched.
bool ParseDeviceAddress(const std::string& text, DeviceEndpoint& out);

// The device's default address: the network module's factory address and
// port 8899, or LUMARA_DEVICE_ADDRESS when it is set and valid.
DeviceEndpoint DefaultDeviceEndpoint();

// Sets g_DeviceIpAddress and g_DevicePort to the default device address.
void ResetDeviceAddress();
