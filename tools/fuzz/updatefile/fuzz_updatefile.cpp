// The update-file reader on arbitrary bytes, and for every file it accepts
// the whole walk of its steps: each step built, queued and taken as if
// acknowledged, until the sequences have nothing left to send.
//
// The reader never looks inside a DSP image, so an input does not spell one
// out: its first byte picks the form. Even: the rest is the file as it is.
// Odd: the rest's first 4 bytes (the tag), then a whole DSP image of a fixed
// pattern, then what follows in the rest (the unread byte, "WMCU" and the
// controller part). Mutations then change what the reader decides on rather
// than 256 KB of payload, and a full-size file costs one copy of its tail.
//
// The walk's checks (frame lengths, step count, one end step, nothing left)
// depend only on the file's shape: which parts it has and how many steps of
// each kind they make. The payload bytes are copied into the frames and
// never decide a step, so each shape is walked once; a DSP image alone is
// almost 6,000 steps, walked again for every controller part after it.
#include "link/FirmwareUpdate.h"
#include "link/KTVCommand.h"
#include "link/LinkWorker.h"
#include "link/NetSocket.h"
#include "link/SettingsGroup.h"
#include "link/UpdateFile.h"
#include "link/UsbLink.h"
#include "model/PacketPoller.h"
#include "tools/sim/Offline.h"
#include "tools/sim/SimServer.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace {

class NoPoller : public IPacketPoller {
public:
    PacketPtr GetNextPacket() override { return nullptr; }
};

struct Engine {
    sim::SimHidBackend hid; // nothing plugged
    CMemorySettingsGroup marks;
    sim::NoAdapters adapters;
    sim::NoPinger pinger;
    NoPoller poller;
    LinkTimings timings;
    CKTVCommand command;
    CUsbLink usb{hid, marks};
    CNet_Socket net{adapters, pinger, timings};
    CLinkWorker worker{command, usb, net, poller, timings};
    CFirmwareUpdate firmware{command, usb, net, worker, timings};
};

void Check(bool ok) {
    if (!ok) std::abort();
}

// The full-size file an input of the odd form stands for: the tag and the
// tail are written around an image that stays from input to input. The room
// after the file is poisoned, so that a read past its end is still reported
// as it would be on a buffer of the file's own size.
class FullFile {
public:
    FullFile() : bytes_(kFull + kTailRoom) {
        for (size_t i = 0; i < kDspImageSize; ++i)
            bytes_[kUpdateTagSize + i] = static_cast<uint8_t>(i * 7);
    }
    // rest holds the tag and the tail (at least the tag's 4 bytes).
    std::pair<const uint8_t*, size_t> Make(const uint8_t* rest, size_t size) {
        const size_t fileSize = kFull + size - kUpdateTagSize;
        ASAN_UNPOISON_MEMORY_REGION(bytes_.data(), bytes_.size());
        if (fileSize > bytes_.size()) bytes_.resize(fileSize);
        std::memcpy(bytes_.data(), rest, kUpdateTagSize);
        std::memcpy(bytes_.data() + kFull, rest + kUpdateTagSize, size - kUpdateTagSize);
        ASAN_POISON_MEMORY_REGION(bytes_.data() + fileSize, bytes_.size() - fileSize);
        return {bytes_.data(), fileSize};
    }

private:
    static constexpr size_t kFull = kUpdateTagSize + kDspImageSize;
    // Room for any tail the seeds lead to, so that a run does not grow it.
    static constexpr size_t kTailRoom = 64 * 1024;
    std::vector<uint8_t> bytes_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Engine* engine = new Engine; // one engine: its probe thread starts once
    static FullFile* full = new FullFile;
    if (size == 0) return 0; // the empty file is the input of one even byte
    const uint8_t* file = data + 1;
    size_t fileSize = size - 1;
    if ((data[0] & 1) && fileSize >= kUpdateTagSize)
        std::tie(file, fileSize) = full->Make(file, fileSize);
    UpdateImage image;
    if (ParseUpdateFile(file, fileSize, image) != UpdateFileResult::Ok) {
        Check(image.dsp.empty() && image.controller.empty());
        return 0;
    }
    Check(!image.hasDsp || image.dsp.size() == kDspImageSize);
    Check(!image.hasController || image.controller.size() >= kControllerStartSize);
    Check(image.checkByte == ControllerCheckByte(image.controller));
    const size_t dspBytes = image.dsp.size();
    const size_t controllerBytes = image.controller.size();
    // A controller part's size decides its steps only through the number of
    // data steps and whether the last one is full.
    const size_t imageBytes = controllerBytes - std::min(controllerBytes, kControllerStartSize);
    const size_t dataSteps = (imageBytes + kControllerBytesPerStep - 1) / kControllerBytesPerStep;
    using Shape = std::tuple<bool, bool, size_t, size_t, bool>;
    const Shape shape{image.hasDsp, image.hasController, dspBytes, dataSteps,
                      imageBytes % kControllerBytesPerStep == 0};
    static std::set<Shape> walked;
    if (!walked.insert(shape).second) return 0;
    engine->firmware.Load(std::move(image));
    size_t steps = 0, ends = 0;
    for (;;) {
        engine->firmware.QueueNextFirmwareStep();
        if (engine->command.GetCount() == 0) break;
        while (CSendData* head = engine->command.GetHead()) {
            Check(head->GetLength() >= 16 && head->GetLength() <= 80);
            ends += head->GetCommand() == kStepEnd;
            engine->command.RemoveHead();
            ++steps;
        }
        Check(steps < 2 + controllerBytes / 40 + dspBytes / 40 + 8);
    }
    Check(ends == 1);
    Check(engine->firmware.DspLeft() == 0 && engine->firmware.ControllerLeft() == 0);
    // The images go back now: a run that keeps nothing lets libFuzzer's leak
    // check pass without running the input a second time.
    engine->firmware.Load(UpdateImage());
    return 0;
}
