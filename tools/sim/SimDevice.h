// A simulated DSP: the device's side of the command frames, written from the
// frame and reply layouts on its own (it shares no code with the program's
// frame builders or reply assembler, so that the two check each other).
// It keeps a parameter memory, six stored presets, twenty device preset
// records and the system records, starts in its factory state (record 96,
// the factory reset, brings it back), and answers as the device does:
//   write   -> 'Q'
//   read    -> 'S' with the data, echoing slot, group, channel and item byte
//   status  -> the status record; record 204 -> one zero byte; record 4 -> the version
// Faults can be injected for tests. Thread-safe.
//
// Firmware mode: a burst of reports full of the pairs 43 11 makes the
// device listen for the firmware steps (group 9, the step code as channel);
// enter, erase, the DSP data steps (44 bytes at the next address each),
// start (4 start parameters), the controller data steps (48 bytes each) and
// end (the check byte) are each checked and answered 'Q' naming the step;
// at the end the device restarts (its network module closes the connection
// after the answer) and keeps the images it received. Without the burst the
// steps go unanswered, as the device's own firmware does not know them.
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

// A fault of a firmware step: from its nth frame on, every frame of that
// step (or only so many frames) is answered so. For the burst (code 255)
// Silence makes the device miss it and Drop, Close and Reset end the
// connection when it comes; Repeat and WrongReply send a stray answer and
// take the burst all the same.
enum class FirmwareFault {
    None,
    Silence,    // no answer
    Repeat,     // 'R'
    Drop,       // the connection goes down (network), the USB handle fails
    WrongReply, // 'Q' naming another step
    Close, // the step is not taken; the network module closes the connection (FIN), USB: no answer
    Reset, // the same, the connection reset (RST)
};

// How the network module ends a connection it was asked to end.
enum class ConnectionEnd { None, Close, Reset };

// What the device made of an update.
struct FirmwareRecord {
    size_t burstPairs = 0;  // 43 11 pairs taken in
    bool listening = false; // the burst was recognised, no end yet
    int enters = 0;
    int erases = 0;
    std::vector<uint8_t> dsp; // every DSP byte received, in address order
    bool started = false;
    std::array<uint8_t, 4> start{};  // the controller's start parameters
    std::vector<uint8_t> controller; // every controller byte received (with the last step's fill)
    int checkByte = -1;              // carried by the end step
    int restarts = 0;                // ends taken
    std::vector<int> steps;          // the step codes taken, in order (answered or not)
    std::vector<std::string> errors; // frames the device found wrong
};

class SimDevice {
public:
    SimDevice();

    // Takes bytes as they arrive (any pieces) and returns the device's answer
    // to every frame they complete.
    std::vector<uint8_t> Receive(const uint8_t* data, size_t n);

    // ---- faults --------------------------------------------------------------
    void SetSilent(bool on);         // answers nothing
    void IgnoreNext(int frames);     // answers nothing to the next frames
    void RepeatNext(int frames);     // answers the next frames with 'R'
    void CorruptNext(int replies);   // the next replies carry a wrong checksum
    void SetCorruptAll(bool on);     // every reply fails its checksum
    void EmptyDataNext(int replies); // the next data replies carry no payload
    void SetVersion(const std::string& text);
    // The network module closes the connection at the next frame.
    void DropConnectionNext();
    bool TakeDropRequest();

    // ---- firmware mode ---------------------------------------------------------
    // frames: how many frames from fromFrame on meet the fault (0: every one).
    void SetFirmwareFault(int code, FirmwareFault fault, int fromFrame = 1, int frames = 0);
    void ClearFirmwareFaults();
    FirmwareRecord Firmware() const;
    // The network module closes the connection once its answer is out.
    bool TakeCloseAfterAnswer();
    // The network module ends the connection now, in order or by a reset.
    ConnectionEnd TakeConnectionEnd();

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
    // A whole system record as the device keeps it (records 2, 5 and 8 keep
    // their 8 bytes: the status report is made from them).
    void SetRecord(int number, const std::vector<uint8_t>& bytes);

private:
    void Handle(const SeenFrame& f, std::vector<uint8_t>& out);
    void Reply(std::vector<uint8_t>& out, uint8_t code, const SeenFrame& f,
               const std::vector<uint8_t>& payload);
    std::vector<uint8_t> ReadData(const SeenFrame& f);
    void Write(const SeenFrame& f);
    void FactoryState();
    uint8_t* Block(uint8_t* base, int group, int channel, size_t& size);
    std::array<uint8_t, kStatusSize> StatusLocked() const;
    // The firmware side: the bytes before a frame's sync, and a step's frame.
    void TakeGarbage(const uint8_t* bytes, size_t n);
    void HandleFirmware(const SeenFrame& f, std::vector<uint8_t>& out);
    void FirmwareError(const std::string& what);
    FirmwareFault FaultFor(int code, int frame) const;

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
    bool closeAfterAnswer_ = false;
    ConnectionEnd endNow_ = ConnectionEnd::None;

    FirmwareRecord firmware_;
    uint8_t lastGarbage_ = 0; // the byte before, for a pair split between pieces
    uint32_t nextDspAddress_ = 0;
    std::map<int, int> firmwareFrames_; // frames taken per step code
    struct ArmedFault {
        FirmwareFault fault = FirmwareFault::None;
        int from = 1;
        int frames = 0; // 0: every frame from `from` on
    };
    std::map<int, ArmedFault> faults_;
};

} // namespace sim
