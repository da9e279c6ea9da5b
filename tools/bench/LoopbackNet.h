// Network doubles for the benchmarks: the only adapter is loopback and the
// simulated device always answers its ping (nothing leaves 127.0.0.1).
#pragma once

#include "link/NetSocket.h"

#include <string>
#include <vector>

class LoopbackAdapters : public INetAdapters {
public:
    std::vector<NetAdapter> List() override { return {{"127.0.0.1", "255.0.0.0"}}; }
};

class LoopbackPinger : public IPinger {
public:
    bool Ping(const std::string&, int, const CancelCheck&) override { return true; }
};
