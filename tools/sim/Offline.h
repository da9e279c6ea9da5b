// A machine without the device: no network adapter, no ping that answers.
// With an empty sim::SimHidBackend (nothing plugged) nothing is on USB
// either. For tools and fuzzers that build the link engine and never reach
// a device; and the link environment a tool gives its session.
#pragma once

#include "link/DeviceSession.h"
#include "link/NetSocket.h"

#include <string>
#include <vector>

namespace sim {

class NoAdapters : public INetAdapters {
public:
    std::vector<NetAdapter> List() override { return {}; }
};

class NoPinger : public IPinger {
public:
    bool Ping(const std::string&, int, const CancelCheck&) override { return false; }
};

// The link's environment of a tool: the transports given, no hot-plug watch.
inline LinkEnvironment ToolEnvironment(IHidBackend& hid, INetAdapters& adapters, IPinger& pinger) {
    LinkEnvironment env;
    env.hid = &hid;
    env.adapters = &adapters;
    env.pinger = &pinger;
    env.watchHotplug = false;
    return env;
}

} // namespace sim
