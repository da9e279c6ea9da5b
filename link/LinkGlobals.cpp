#include "link/LinkGlobals.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

LinkWorkerOnly<uint8_t[65]> g_HidOutReport;
LinkWorkerOnly<uint8_t[65]> g_HidInReport;
LinkWorkerOnly<uint8_t[kNetRxSize]> g_NetRxBuffer;

std::atomic<int> g_DevicePort{kDefaultDevicePort};
std::atomic<int> g_ReconnectCount{0};
std::atomic<int> g_FirmwareUpdateEnded{0};
std::atomic<int> g_UpdateTipOff{0};
std::atomic<int> g_LastFirmwareCode{0};
std::atomic<ITransferProgress*> g_TransferProgress{nullptr};

const BiText g_UsbPermissionText{
    "连接失败  设备已找到, 但没有打开它的权限!\n请安装udev规则 (见README) 后重新插入设备。",
    "Connection failure: the device is there, but you have no permission to open it.\n"
    "Install the udev rule (see the README) and plug the device in again."};

namespace {

bool ToDottedIPv4(const std::string& host, std::string& dotted) {
    in_addr a{};
    if (inet_pton(AF_INET, host.c_str(), &a) == 1) {
        dotted = host;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return false;
    char text[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
    const bool ok = inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(res);
    if (ok) dotted = text;
    return ok;
}

} // namespace

bool ParseDeviceAddress(const std::string& text, DeviceEndpoint& out) {
    std::string host = text;
    int port = kDefaultDevicePort;
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        port = std::atoi(digits.c_str());
        if (port < 1 || port > 65535) return false;
    }
    // A leading '-' would reach the ping command as an option.
    if (host.empty() || host[0] == '-' || host.size() > 63) return false;
    std::string dotted;
    if (!ToDottedIPv4(host, dotted)) return false;
    out.host = dotted;
    out.port = port;
    return true;
}

DeviceEndpoint DefaultDeviceEndpoint() {
    DeviceEndpoint ep{g_DefaultDeviceAddress, kDefaultDevicePort};
    if (const char* env = std::getenv("LUMARA_DEVICE_ADDRESS"); env && *env) {
        if (!ParseDeviceAddress(env, ep))
            std::fprintf(
                stderr,
                "lumara: LUMARA_DEVICE_ADDRESS \"%s\" is not HOST or HOST:PORT; using %s:%d\n", env,
                g_DefaultDeviceAddress, kDefaultDevicePort);
    }
    return ep;
}

void ResetDeviceAddress() {
    const DeviceEndpoint ep = DefaultDeviceEndpoint();
    DeviceLockGuard lock(g_DeviceLock);
    g_DeviceIpAddress = ep.host;
    g_DevicePort = ep.port;
}
