// A simulated DSP: the device's side of the command frames, written from the
// frame and reply layouts on its own (it shares no code with the program's
// frame builders or reply assembler, so that the two check each other).
// It keeps a parameter memory, six stored presets, twenty device preset
// records and the system records, and answers as the device does:
//   write   -> 'Q'
//   read    -> 'S' with the data, echoing slot, group, channel and item byte
//   status  -> the status record; record 204 -> one zero byte; record 4 -> the version
// Faults can be injected for tests. Thread-safe.
#pragma once

#include <array>
#include <deque>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

constexpr size_t kImageSize = 5000;
constexpr size_t kStatusSize = 37;

// One frame the device took in.
struct SeenFrame {
    uint8_t command = 0;
    uint8_t slot = 0;
    uint8_t group = 0;
    uint8_t channel = 0;
    uint8_t item = 0;
    std::vector<uint8_t> payload;
    std::vector<uint8_t> raw; // the whole frame as it arrived, sync to trailer
};

class SimDevice {
public:
    SimDevice();

    // Takes bytes as they arrive (any pieces) and returns the device's answer
    // to every frame they complete.
    std::vector<uint8_t> Receive(const uint8_t* data, size_t n);

    // ---- faults --------------------------------------------------------------
    void SetSilent(bool on);        // answers nothing
    void IgnoreNext(int frames);    // answers nothing to the next frames
    void RepeatNext(int frames);    // answers the next frames with 'R'
    void CorruptNext(int replies);  // the next replies carry a wrong checksum
    void SetCorruptAll(bool on);    // every reply fails its checksum
    void EmptyDataNext(int replies); // the next data replies carry no payload
    void SetVersion(const std::string& text);
    // The network module closes the connection at the next frame.
    void DropConnectionNext();
    bool TakeDropRequest();

    // ---- the device's own controls (as if someone turned its knob) ------------
    void TurnSource(uint8_t source);
    void TurnVolume(int source, uint8_t volume); // source 0..5
    void TurnMasterOn(bool on);
    void TurnSecondSource(uint8_t source);

    // ---- inspection ------------------------------------------------------------
    std::vector<uint8_t> Image() const;
    std::vector<uint8_t> StoredPreset(int slot) const; // 1..6
    std::vector<uint8_t> Record(int number) const;
    std::array<uint8_t, kStatusSize> Status() const;
    std::vector<SeenFrame> Seen() const; // the latest few thousand
    size_t FrameCount() const;
    void SetImageBytes(size_t offset, const std::vector<uint8_t>& bytes);
    void SetStoredPresetBytes(int slot, size_t offset, const std::vector<uint8_t>& bytes);

private:
    void Handle(const SeenFrame& f, std::vector<uint8_t>& out);
    void Reply(std::vector<uint8_t>& out, uint8_t code, const SeenFrame& f, const std::vector<uint8_t>& payload);
    std::vector<uint8_t> ReadData(const SeenFrame& f);
    void Write(const SeenFrame& f);
    uint8_t* Block(uint8_t* base, int group, int channel, size_t& size);
    std::array<uint8_t, kStatusSize> StatusLocked() const;

    mutable std::mutex mutex_;
    std::vector<uint8_t> pending_; // bytes of a frame still arriving
    std::vector<uint8_t> image_;
    std::vector<std::vector<uint8_t>> presets_;       // 6 stored presets
    std::vector<std::vector<uint8_t>> devicePresets_; // 20 records of 168 bytes
    std::map<int, std::vector<uint8_t>> records_;
    std::string version_ = "VELK-FV1.00";
    std::deque<SeenFrame> seen_; // the latest frames
    size_t frameCount_ = 0;

    bool silent_ = false;
    int ignoreNext_ = 0;
    int repeatNext_ = 0;
    int corruptNext_ = 0;
    bool corruptAll_ = false;
    int emptyNext_ = 0;
    bool dropNext_ = false;
    bool dropNow_ = false;
};

} // namespace sim
