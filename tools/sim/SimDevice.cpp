#include "tools/sim/SimDevice.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sim {

namespace {

// The device's memory map: a preset is 5000 bytes.
constexpr size_t kNameAt = 0, kNameLen = 16;
constexpr size_t kEffectAt = 32, kEffectLen = 152, kEffectWireLen = 96;
constexpr size_t kMicAt = 184, kMicLen = 112;
constexpr size_t kMusicAt = 296, kMusicLen = 288;
constexpr size_t kOutAt = 1448, kOutLen = 296;
constexpr int kMusicCount = 4, kOutCount = 12, kPresetCount = 6, kDevicePresetCount = 20;
constexpr size_t kDevicePresetLen = 168;

constexpr uint8_t kWrite = 0xA1, kRead = 0xA2;
constexpr uint8_t kAck = 'Q', kRepeat = 'R', kData = 'S';
constexpr size_t kMaxPayload = 1024;

// Firmware steps: their codes and payload lengths.
constexpr int kStepEnter = 54, kStepStart = 55, kStepData = 56, kStepEnd = 57, kStepErase = 58,
              kStepDspData = 59, kStepDspEnd = 60, kStepBurst = 255;
constexpr size_t kDspStepBytes = 44, kControllerStepBytes = 48;
constexpr size_t kBurstReportPairs = 32;

size_t StepPayload(int code) {
    switch (code) {
    case kStepEnter:
    case kStepErase:
        return 16;
    case kStepDspData:
        return 4 + kDspStepBytes;
    case kStepStart:
        return 4;
    case kStepData:
        return kControllerStepBytes;
    case kStepEnd:
        return 1;
    default:
        return 0;
    }
}

constexpr int kBandFreqs[31] = {20,   25,   32,   40,   50,   63,    80,    100,   125,  160,  200,
                                250,  315,  400,  500,  630,  800,   1000,  1250,  1600, 2000, 2500,
                                3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

void Put16(uint8_t* p, unsigned v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// The speaker types of the stored presets' outputs: front tweeters and
// midbasses, centre, rear pair, subwoofer; four outputs free.
constexpr uint8_t kPresetTypes[kOutCount] = {1, 5, 7, 11, 21, 15, 18, 24, 0, 0, 0, 0};

// A stored preset: flat bands at third-octave frequencies in every channel;
// every output on at 0 dB with its speaker type, its crossover open from
// 20 Hz to 20 kHz.
void ShippedPreset(std::vector<uint8_t>& p, const std::string& name) {
    std::fill(p.begin(), p.end(), 0);
    std::copy(name.begin(), name.end(), p.begin() + kNameAt);
    auto bands = [&](size_t at, int count) {
        for (int b = 0; b < count; ++b) {
            uint8_t* band = p.data() + at + 8 * static_cast<size_t>(b);
            Put16(band, static_cast<unsigned>(kBandFreqs[b % 31]));
            Put16(band + 2, 600);
            Put16(band + 4, 14);
        }
    };
    for (int c = 0; c < kMusicCount; ++c)
        bands(kMusicAt + kMusicLen * static_cast<size_t>(c), 31);
    for (int c = 0; c < kOutCount; ++c) {
        const size_t at = kOutAt + kOutLen * static_cast<size_t>(c);
        bands(at, 31);
        uint8_t* out = p.data() + at;
        out[248] = 1;          // on
        Put16(out + 250, 600); // gain
        out[255] = kPresetTypes[c];
        Put16(out + 256, 20); // high-pass
        out[259] = 1;
        Put16(out + 260, 20000); // low-pass
        out[263] = 1;
    }
    bands(kMicAt, 9);
}

// The factory outputs, items 31 to 34 of each (basic settings, crossover,
// mix levels of sources 1..8 and 9..16), as the device keeps them.
// clang-format off
constexpr uint8_t kFactoryOutputItems[kOutCount][4][8] = {
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x01}, {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x05}, {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x07}, {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x0B}, {0x46, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x08},
     {0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x15}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x12}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x15}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x18}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x01}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x05}, {0x14, 0x00, 0x02, 0x01, 0x20, 0x4E, 0x02, 0x01}, {}, {}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x07}, {0x1B, 0x00, 0x02, 0x01, 0x37, 0x00, 0x02, 0x01},
     {0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64, 0x00}},
    {{0x01, 0x00, 0x58, 0x02, 0x00, 0x00, 0x00, 0x0B}, {0x1B, 0x00, 0x02, 0x01, 0x37, 0x00, 0x02, 0x01},
     {0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x64, 0x00, 0x64, 0x00, 0x64}},
};
// clang-format on
// Items 35 (mix bytes of sources 17 and 18, the limiter's attack and release
// times) and 36 (the name field) are the same in every factory output.
constexpr uint8_t kFactoryItem35[8] = {0xA4, 0x01, 0x14, 0x00, 0x14, 0x00, 0x00, 0x00};
constexpr uint8_t kFactoryItem36[8] = {0x20, 0x00, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00};

// The current data of a device in its factory state: flat third-octave
// inputs, the factory outputs (bands flat at third-octave frequencies with
// bandwidth code 14) and no name.
void FactoryData(std::vector<uint8_t>& p) {
    ShippedPreset(p, std::string());
    for (int c = 0; c < kOutCount; ++c) {
        uint8_t* out = p.data() + kOutAt + kOutLen * static_cast<size_t>(c);
        std::fill(out, out + kOutLen, 0);
        for (int b = 0; b < 31; ++b) {
            Put16(out + 8 * b, static_cast<unsigned>(kBandFreqs[b]));
            Put16(out + 8 * b + 2, 600);
            Put16(out + 8 * b + 4, 14);
        }
        for (int i = 0; i < 4; ++i)
            std::copy_n(kFactoryOutputItems[c][i], 8, out + 8 * (31 + i));
        std::copy_n(kFactoryItem35, 8, out + 8 * 35);
        std::copy_n(kFactoryItem36, 8, out + 8 * 36);
    }
}

} // namespace

SimDevice::SimDevice() {
    FactoryState();
}

// The state the device starts in and a factory reset brings back: the
// factory data as the current data, the stored presets and device preset
// records as shipped, and the system records' factory values (the output
// map: the full-range front and rear pairs on outputs 1 to 4, the left and
// right subwoofers on outputs 9 and 10; no stored preset is current).
void SimDevice::FactoryState() {
    image_.assign(kImageSize, 0);
    FactoryData(image_);
    presets_.assign(kPresetCount, std::vector<uint8_t>(kImageSize));
    for (int s = 0; s < kPresetCount; ++s)
        ShippedPreset(presets_[static_cast<size_t>(s)], "Preset " + std::to_string(s + 1));
    devicePresets_.assign(kDevicePresetCount, std::vector<uint8_t>(kDevicePresetLen));
    records_.clear();
    records_[2] = {1, 0, 60, 60, 60, 60, 60, 60};
    records_[5] = {60, 0, 0, 55, 0, 0, 1, 0};
    records_[6] = {6, 12, 15, 18, 0, 0, 0, 0};
    records_[7] = {22, 23, 0, 0, 0, 0, 0, 0};
    records_[8] = {0, 1, 0, 0, 6, 0, 0, 2};
    records_[9] = {0x5A, 0, 0, 0, 0, 0, 0, 0};
    records_[52] = {0};
    records_[64] = std::vector<uint8_t>(98, 0);
    records_[97] = std::vector<uint8_t>(8, 0);
}

// ---------------------------------------------------------------------------
// Taking frames in
// ---------------------------------------------------------------------------

std::vector<uint8_t> SimDevice::Receive(const uint8_t* data, size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> out;
    pending_.insert(pending_.end(), data, data + n);
    for (;;) {
        // Find the sync; everything before it is line noise (report padding).
        size_t start = 0;
        bool found = false;
        for (; start + 4 <= pending_.size(); ++start) {
            if (pending_[start] == 0x6B && pending_[start + 1] == 0x6B &&
                pending_[start + 2] == 0x6B && pending_[start + 3] == 0xEE) {
                found = true;
                break;
            }
        }
        if (!found) {
            // Keep a possible beginning of a sync.
            const size_t keep = std::min<size_t>(3, pending_.size());
            TakeGarbage(pending_.data(), pending_.size() - keep);
            pending_.erase(pending_.begin(), pending_.end() - static_cast<long>(keep));
            return out;
        }
        TakeGarbage(pending_.data(), start);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(start));
        if (pending_.size() < 14) return out;
        const size_t len = pending_[12] | (pending_[13] << 8);
        if (len > kMaxPayload) { // not a frame of ours: look for the next sync
            pending_.erase(pending_.begin());
            continue;
        }
        if (pending_.size() < len + 16) return out;
        SeenFrame f;
        f.command = pending_[4];
        f.slot = pending_[6];
        f.group = pending_[7];
        f.channel = pending_[8];
        f.item = pending_[9];
        f.payload.assign(pending_.begin() + 14, pending_.begin() + 14 + static_cast<long>(len));
        f.raw.assign(pending_.begin(), pending_.begin() + 16 + static_cast<long>(len));
        uint8_t x = 0;
        for (size_t i = 4; i < 14 + len; ++i)
            x ^= pending_[i];
        const bool intact = x == pending_[14 + len] && pending_[15 + len] == 0xAA;
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(len + 16));
        seen_.push_back(f);
        if (seen_.size() > 4096) seen_.pop_front();
        ++frameCount_;
        if (silent_) continue;
        if (f.command == kWrite && f.group == 9 && f.channel >= kStepEnter &&
            f.channel <= kStepDspEnd) {
            if (!intact) {
                FirmwareError("step " + std::to_string(f.channel) + ": checksum or trailer wrong");
                Reply(out, kRepeat, f, {});
                continue;
            }
            HandleFirmware(f, out);
            continue;
        }
        if (ignoreNext_ > 0) {
            --ignoreNext_;
            continue;
        }
        if (dropNext_) { // the connection goes down instead of an answer
            dropNext_ = false;
            dropNow_ = true;
            continue;
        }
        if (!intact || repeatNext_ > 0) {
            if (intact) --repeatNext_;
            Reply(out, kRepeat, f, {});
            continue;
        }
        Handle(f, out);
    }
}

void SimDevice::Handle(const SeenFrame& f, std::vector<uint8_t>& out) {
    if (f.command == kWrite) {
        Write(f);
        Reply(out, kAck, f, {});
    } else if (f.command == kRead) {
        std::vector<uint8_t> data = ReadData(f);
        if (emptyNext_ > 0) {
            --emptyNext_;
            data.clear();
        }
        Reply(out, kData, f, data);
    } else {
        Reply(out, kRepeat, f, {});
    }
}

void SimDevice::Reply(std::vector<uint8_t>& out, uint8_t code, const SeenFrame& f,
                      const std::vector<uint8_t>& payload) {
    const size_t at = out.size();
    const uint8_t head[] = {0x6B,
                            0x6B,
                            0x6B,
                            0xEE,
                            code,
                            1,
                            f.slot,
                            f.group,
                            f.channel,
                            f.item,
                            0,
                            0,
                            static_cast<uint8_t>(payload.size()),
                            static_cast<uint8_t>(payload.size() >> 8)};
    out.insert(out.end(), std::begin(head), std::end(head));
    out.insert(out.end(), payload.begin(), payload.end());
    uint8_t x = 0;
    for (size_t i = at + 4; i < out.size(); ++i)
        x ^= out[i];
    if (corruptAll_ || corruptNext_ > 0) {
        if (corruptNext_ > 0) --corruptNext_;
        x ^= 0x5A;
    }
    out.push_back(x);
    out.push_back(0xAA);
}

// ---------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------

uint8_t* SimDevice::Block(uint8_t* base, int group, int channel, size_t& size) {
    switch (group) {
    case 1:
        size = kMicLen;
        return channel == 0 ? base + kMicAt : nullptr;
    case 2:
        size = kEffectLen;
        return base + kEffectAt;
    case 3:
        size = kMusicLen;
        return channel >= 0 && channel < kMusicCount
                   ? base + kMusicAt + kMusicLen * static_cast<size_t>(channel)
                   : nullptr;
    case 4:
        size = kOutLen;
        return channel >= 0 && channel < kOutCount
                   ? base + kOutAt + kOutLen * static_cast<size_t>(channel)
                   : nullptr;
    default:
        size = 0;
        return nullptr;
    }
}

void SimDevice::Write(const SeenFrame& f) {
    const std::vector<uint8_t>& p = f.payload;
    if (f.group == 9) {
        switch (f.channel) {
        case 0: { // a preset's name
            std::vector<uint8_t>* target = f.slot == 0              ? &image_
                                           : f.slot <= kPresetCount ? &presets_[f.slot - 1u]
                                                                    : nullptr;
            if (target)
                std::copy_n(p.begin(), std::min(p.size(), kNameLen), target->begin() + kNameAt);
            break;
        }
        case 96: // factory reset: the device restarts in its factory state
            FactoryState();
            break;
        case 52: // select a stored preset: it becomes the current data
            if (!p.empty() && p[0] >= 1 && p[0] <= kPresetCount) image_ = presets_[p[0] - 1u];
            if (!p.empty()) records_[52] = {p[0]};
            break;
        default: {
            auto& rec = records_[f.channel];
            if (rec.size() < p.size()) rec.resize(p.size());
            std::copy(p.begin(), p.end(), rec.begin());
            break;
        }
        }
        return;
    }
    // Group 2 frames with slots 21..40 carry a device preset record's effect block.
    if (f.group == 2 && f.slot >= 21 && f.slot < 21 + kDevicePresetCount) {
        auto& rec = devicePresets_[f.slot - 21u];
        std::copy_n(p.begin(), std::min(p.size(), kEffectWireLen), rec.begin() + 16);
        return;
    }
    uint8_t* base = f.slot == 0              ? image_.data()
                    : f.slot <= kPresetCount ? presets_[f.slot - 1u].data()
                                             : nullptr;
    size_t size = 0;
    uint8_t* block = base ? Block(base, f.group, f.channel, size) : nullptr;
    if (!block) return;
    if (p.size() == 8 && f.slot == 0 && (f.item + 1u) * 8 <= size) {
        std::copy(p.begin(), p.end(), block + 8 * f.item); // one item
    } else {
        std::copy_n(p.begin(), std::min(p.size(), size), block); // a whole block
    }
}

std::vector<uint8_t> SimDevice::ReadData(const SeenFrame& f) {
    if (f.group == 9) {
        switch (f.channel) {
        case 0: {
            const std::vector<uint8_t>* src = f.slot == 0              ? &image_
                                              : f.slot <= kPresetCount ? &presets_[f.slot - 1u]
                                                                       : nullptr;
            if (!src) return std::vector<uint8_t>(kNameLen, 0);
            return std::vector<uint8_t>(src->begin() + kNameAt, src->begin() + kNameAt + kNameLen);
        }
        case 3: {
            const auto s = StatusLocked();
            return std::vector<uint8_t>(s.begin(), s.end());
        }
        case 4:
            return std::vector<uint8_t>(version_.begin(), version_.end());
        case 204:
            return {0};
        default: {
            auto it = records_.find(f.channel);
            return it != records_.end() ? it->second : std::vector<uint8_t>(8, 0);
        }
        }
    }
    // A read of a stored preset's block: 'w' keeps the preset where it is;
    // item 0 loads that preset as the current data.
    std::vector<uint8_t>* src = &image_;
    if (f.slot >= 1 && f.slot <= kPresetCount) {
        src = &presets_[f.slot - 1u];
        if (f.item != 0x77) {
            size_t size = 0;
            uint8_t* from = Block(src->data(), f.group, f.channel, size);
            uint8_t* to = Block(image_.data(), f.group, f.channel, size);
            if (from && to) std::copy_n(from, size, to);
        }
    }
    size_t size = 0;
    uint8_t* block = Block(src->data(), f.group, f.channel, size);
    if (!block) return std::vector<uint8_t>(8, 0);
    if (f.group == 2) size = kEffectWireLen;
    return std::vector<uint8_t>(block, block + size);
}

std::array<uint8_t, kStatusSize> SimDevice::StatusLocked() const {
    std::array<uint8_t, kStatusSize> s{};
    const auto& r2 = records_.at(2);
    s[0] = r2[0];
    for (int i = 2; i < 8; ++i)
        s[static_cast<size_t>(i)] = r2[static_cast<size_t>(i)];
    s[14] = records_.at(5)[6];
    s[36] = records_.at(8)[4];
    return s;
}

// ---------------------------------------------------------------------------
// Firmware mode
// ---------------------------------------------------------------------------

FirmwareFault SimDevice::FaultFor(int code, int frame) const {
    auto it = faults_.find(code);
    if (it == faults_.end() || frame < it->second.from) return FirmwareFault::None;
    if (it->second.frames > 0 && frame >= it->second.from + it->second.frames)
        return FirmwareFault::None;
    return it->second.fault;
}

void SimDevice::FirmwareError(const std::string& what) {
    if (firmware_.errors.size() < 64) firmware_.errors.push_back(what);
}

// Bytes that are no frame: the padding of reports, and the burst.
void SimDevice::TakeGarbage(const uint8_t* bytes, size_t n) {
    size_t pairs = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == 0x11 && lastGarbage_ == 0x43) ++pairs;
        lastGarbage_ = bytes[i];
    }
    if (!pairs) return;
    const size_t before = firmware_.burstPairs;
    firmware_.burstPairs += pairs;
    // A whole report's worth of pairs is a burst.
    if (firmware_.listening ||
        firmware_.burstPairs / kBurstReportPairs == before / kBurstReportPairs)
        return;
    const int frame = ++firmwareFrames_[kStepBurst];
    switch (FaultFor(kStepBurst, frame)) {
    case FirmwareFault::Silence:
        return;
    case FirmwareFault::Drop:
        dropNow_ = true;
        return;
    case FirmwareFault::Close:
        endNow_ = ConnectionEnd::Close;
        return;
    case FirmwareFault::Reset:
        endNow_ = ConnectionEnd::Reset;
        return;
    default:
        break;
    }
    firmware_.listening = true;
}

void SimDevice::HandleFirmware(const SeenFrame& f, std::vector<uint8_t>& out) {
    const int code = f.channel;
    firmware_.steps.push_back(code);
    if (!firmware_.listening) return; // the device's own firmware knows no such step
    const int frame = ++firmwareFrames_[code];
    // The frame as the steps lay it out: id 1, slot 0, item 0, link 0, the step's payload.
    const std::vector<uint8_t>& r = f.raw;
    if (r[5] != 1 || r[6] != 0 || r[9] != 0 || r[10] != 0 || r[11] != 0)
        FirmwareError("step " + std::to_string(code) + ": header bytes wrong");
    if (f.payload.size() != StepPayload(code)) {
        FirmwareError("step " + std::to_string(code) + ": payload of " +
                      std::to_string(f.payload.size()));
        Reply(out, kRepeat, f, {});
        return;
    }
    switch (FaultFor(code, frame)) {
    case FirmwareFault::Silence:
        return;
    case FirmwareFault::Repeat:
        Reply(out, kRepeat, f, {});
        return;
    case FirmwareFault::Drop:
        dropNow_ = true;
        return;
    case FirmwareFault::Close:
        endNow_ = ConnectionEnd::Close;
        return;
    case FirmwareFault::Reset:
        endNow_ = ConnectionEnd::Reset;
        return;
    case FirmwareFault::WrongReply: {
        SeenFrame other = f;
        other.channel = static_cast<uint8_t>(code == kStepEnd ? kStepStart : code + 1);
        Reply(out, kAck, other, {});
        return;
    }
    case FirmwareFault::None:
        break;
    }
    const std::vector<uint8_t>& p = f.payload;
    auto inOrder = [&](bool ok, const char* what) {
        if (!ok) FirmwareError(std::string(what) + " out of order");
        return ok;
    };
    switch (code) {
    case kStepEnter:
        if (std::any_of(p.begin(), p.end(), [](uint8_t b) { return b != 0; }))
            FirmwareError("enter: payload not 0");
        ++firmware_.enters;
        firmware_.dsp.clear();
        firmware_.controller.clear();
        firmware_.started = false;
        firmware_.checkByte = -1;
        break;
    case kStepErase:
        if (!inOrder(firmware_.enters > 0, "erase")) break;
        ++firmware_.erases;
        firmware_.dsp.clear();
        nextDspAddress_ = 0;
        break;
    case kStepDspData: {
        if (!inOrder(firmware_.erases > 0, "DSP data")) break;
        const uint32_t address = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
        if (address != nextDspAddress_) {
            FirmwareError("DSP data at " + std::to_string(address) + ", expected " +
                          std::to_string(nextDspAddress_));
            break;
        }
        firmware_.dsp.insert(firmware_.dsp.end(), p.begin() + 4, p.end());
        nextDspAddress_ += kDspStepBytes;
        break;
    }
    case kStepStart:
        if (!inOrder(firmware_.enters > 0, "start")) break;
        std::copy(p.begin(), p.end(), firmware_.start.begin());
        firmware_.started = true;
        firmware_.controller.clear();
        break;
    case kStepData:
        if (!inOrder(firmware_.started, "controller data")) break;
        firmware_.controller.insert(firmware_.controller.end(), p.begin(), p.end());
        break;
    case kStepEnd:
        if (!inOrder(firmware_.enters > 0, "end")) break;
        firmware_.checkByte = p[0];
        break;
    default:
        FirmwareError("step " + std::to_string(code) + " is never sent");
        break;
    }
    Reply(out, kAck, f, {});
    if (code == kStepEnd) {
        // The device restarts with its new firmware.
        ++firmware_.restarts;
        firmware_.listening = false;
        closeAfterAnswer_ = true;
    }
}

void SimDevice::SetFirmwareFault(int code, FirmwareFault fault, int fromFrame, int frames) {
    std::lock_guard<std::mutex> l(mutex_);
    faults_[code] = {fault, fromFrame, frames};
    firmwareFrames_.erase(code);
}

void SimDevice::ClearFirmwareFaults() {
    std::lock_guard<std::mutex> l(mutex_);
    faults_.clear();
    firmwareFrames_.clear();
}

FirmwareRecord SimDevice::Firmware() const {
    std::lock_guard<std::mutex> l(mutex_);
    return firmware_;
}

bool SimDevice::TakeCloseAfterAnswer() {
    std::lock_guard<std::mutex> l(mutex_);
    return std::exchange(closeAfterAnswer_, false);
}

ConnectionEnd SimDevice::TakeConnectionEnd() {
    std::lock_guard<std::mutex> l(mutex_);
    return std::exchange(endNow_, ConnectionEnd::None);
}

// ---------------------------------------------------------------------------
// Faults, controls, inspection
// ---------------------------------------------------------------------------

void SimDevice::SetSilent(bool on) {
    std::lock_guard<std::mutex> l(mutex_);
    silent_ = on;
}
void SimDevice::IgnoreNext(int frames) {
    std::lock_guard<std::mutex> l(mutex_);
    ignoreNext_ = frames;
}
void SimDevice::RepeatNext(int frames) {
    std::lock_guard<std::mutex> l(mutex_);
    repeatNext_ = frames;
}
void SimDevice::CorruptNext(int replies) {
    std::lock_guard<std::mutex> l(mutex_);
    corruptNext_ = replies;
}
void SimDevice::SetCorruptAll(bool on) {
    std::lock_guard<std::mutex> l(mutex_);
    corruptAll_ = on;
}
void SimDevice::EmptyDataNext(int replies) {
    std::lock_guard<std::mutex> l(mutex_);
    emptyNext_ = replies;
}
void SimDevice::SetVersion(const std::string& text) {
    std::lock_guard<std::mutex> l(mutex_);
    version_ = text;
}
void SimDevice::DropConnectionNext() {
    std::lock_guard<std::mutex> l(mutex_);
    dropNext_ = true;
}

bool SimDevice::TakeDropRequest() {
    std::lock_guard<std::mutex> l(mutex_);
    const bool drop = dropNow_;
    dropNow_ = false;
    return drop;
}

void SimDevice::TurnSource(uint8_t source) {
    std::lock_guard<std::mutex> l(mutex_);
    records_[2][0] = source;
}
void SimDevice::TurnVolume(int source, uint8_t volume) {
    std::lock_guard<std::mutex> l(mutex_);
    if (source >= 0 && source < 6) records_[2][2 + static_cast<size_t>(source)] = volume;
}
void SimDevice::TurnMasterOn(bool on) {
    std::lock_guard<std::mutex> l(mutex_);
    records_[5][6] = on ? 1 : 0;
}
void SimDevice::TurnSecondSource(uint8_t source) {
    std::lock_guard<std::mutex> l(mutex_);
    records_[8][4] = source;
}

std::vector<uint8_t> SimDevice::Image() const {
    std::lock_guard<std::mutex> l(mutex_);
    return image_;
}
std::vector<uint8_t> SimDevice::StoredPreset(int slot) const {
    std::lock_guard<std::mutex> l(mutex_);
    return slot >= 1 && slot <= kPresetCount ? presets_[static_cast<size_t>(slot - 1)]
                                             : std::vector<uint8_t>();
}
std::vector<uint8_t> SimDevice::Record(int number) const {
    std::lock_guard<std::mutex> l(mutex_);
    auto it = records_.find(number);
    return it != records_.end() ? it->second : std::vector<uint8_t>();
}
std::array<uint8_t, kStatusSize> SimDevice::Status() const {
    std::lock_guard<std::mutex> l(mutex_);
    return StatusLocked();
}
std::vector<SeenFrame> SimDevice::Seen() const {
    std::lock_guard<std::mutex> l(mutex_);
    return std::vector<SeenFrame>(seen_.begin(), seen_.end());
}
size_t SimDevice::FrameCount() const {
    std::lock_guard<std::mutex> l(mutex_);
    return frameCount_;
}

void SimDevice::SetImageBytes(size_t offset, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> l(mutex_);
    if (offset + bytes.size() <= image_.size())
        std::copy(bytes.begin(), bytes.end(), image_.begin() + static_cast<long>(offset));
}
void SimDevice::SetStoredPresetBytes(int slot, size_t offset, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> l(mutex_);
    if (slot < 1 || slot > kPresetCount) return;
    auto& p = presets_[static_cast<size_t>(slot - 1)];
    if (offset + bytes.size() <= p.size())
        std::copy(bytes.begin(), bytes.end(), p.begin() + static_cast<long>(offset));
}

void SimDevice::SetRecord(int number, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> l(mutex_);
    records_[number] = bytes;
}

} // namespace sim
