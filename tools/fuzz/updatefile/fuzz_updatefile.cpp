// The update-file reader on arbitrary bytes, and for every file it accepts
// the whole walk of its steps: each step built, queued and taken as if
// acknowledged, until the sequences have nothing left to send.
//
// The input is the file in the fuzzer's form (UpdateFileInput.h): a DSP
// image is never spelled out.
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
#include "tools/fuzz/updatefile/UpdateFileInput.h"
#include "tools/sim/Offline.h"
#include "tools/sim/SimServer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <tuple>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Engine* engine = new Engine; // one engine: its probe thread starts once
    static auto* files = new updatefuzz::FileOfInput;
    const auto [file, fileSize] = files->Make(data, size);
    if (!file) return 0; // the empty file is the input of one even byte
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
