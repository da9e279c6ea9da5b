// The narrow channel by which the engine reports to the main view: window
// messages WM_USER+N with two arguments, posted (queued) or sent (the caller
// waits until the receiver has handled the message).
#pragma once

#include <atomic>
#include <cstdint>

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr unsigned WM_USER = 0x0400;

// Messages from the model and the link to the main view.
enum : unsigned {
    WM_DEVICE_DATA_DONE = WM_USER + 110,
    WM_ALL_PRESETS_READ = WM_USER + 111,
    WM_OUTPUT_MAP = WM_USER + 112,
    WM_DEVICE_STATUS = WM_USER + 113,
    WM_TRANSFER_STEP = WM_USER + 150,
    WM_FIRMWARE_DONE = WM_USER + 151,
    WM_LINK_LOST = WM_USER + 154,
    WM_FIRST_CONNECT = WM_USER + 156,
    WM_NET_LINK_UP = WM_USER + 157,
    WM_FIRMWARE_START_FAILED = WM_USER + 158,
    WM_DEVICE_ABNORMAL = WM_USER + 160,
    WM_DEVICE_VERSION = WM_USER + 161,
    WM_PRESET_NAME_CUSTOM = WM_USER + 162,
    WM_NET_RECONNECT = WM_USER + 153, // reconnect over the network
    WM_LONG_COMMAND_DONE = WM_USER + 300,
    WM_NET_REACHABLE = WM_USER + 500,
    WM_NET_BYTES = WM_USER + 600, // (0, n): n received bytes for the assembler
};

class IViewNotify {
public:
    virtual ~IViewNotify() = default;
    // Queued: returns at once; messages of one sender arrive in order.
    virtual void Post(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
    // Synchronous: returns the receiver's result once it has handled it.
    virtual LRESULT Send(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
};

// The main view's notify endpoint; null until the view exists (and in tests
// that do not install one), in which case reports are dropped.
extern std::atomic<IViewNotify*> g_MainView;

inline void PostToView(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (IViewNotify* v = g_MainView.load()) v->Post(msg, wParam, lParam);
}
inline LRESULT SendToView(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (IViewNotify* v = g_MainView.load()) return v->Send(msg, wParam, lParam);
    return 0;
}
