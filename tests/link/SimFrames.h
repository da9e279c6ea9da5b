// Frames as the device sees them, for tests against the simulated device:
// a request built from the frame layout (not by the program's builders), and
// the device's record of what it took in without the idle status requests.
#pragma once

#include "tools/sim/SimDevice.h"

#include <cstdint>
#include <vector>

// A frame as the program writes it, from the layout: sync, command, id 1,
// slot, group, channel, item, link 0, 0, length, payload, XOR, 0xAA.
inline std::vector<uint8_t>
RequestFrame(uint8_t command, int slot, int group, int channel, int item,
             const std::vector<uint8_t>& payload = std::vector<uint8_t>(8, 0)) {
    const size_t n = payload.size();
    std::vector<uint8_t> f(16 + n, 0);
    const uint8_t head[14] = {0x6B,
                              0x6B,
                              0x6B,
                              0xEE,
                              command,
                              1,
                              static_cast<uint8_t>(slot),
                              static_cast<uint8_t>(group),
                              static_cast<uint8_t>(channel),
                              static_cast<uint8_t>(item),
                              0,
                              0,
                              static_cast<uint8_t>(n & 0xFF),
                              static_cast<uint8_t>(n >> 8)};
    std::copy(std::begin(head), std::end(head), f.begin());
    std::copy(payload.begin(), payload.end(), f.begin() + 14);
    uint8_t x = 0;
    for (size_t i = 4; i < 14 + n; ++i)
        x ^= f[i];
    f[14 + n] = x;
    f[15 + n] = 0xAA;
    return f;
}

inline bool IsStatusRead(const sim::SeenFrame& f) {
    return f.command == 0xA2 && f.group == 9 && f.channel == 3;
}

// The frames the device took in, without the idle link's status requests.
inline std::vector<sim::SeenFrame> WithoutStatus(const std::vector<sim::SeenFrame>& frames) {
    std::vector<sim::SeenFrame> out;
    for (const auto& f : frames)
        if (!IsStatusRead(f)) out.push_back(f);
    return out;
}
