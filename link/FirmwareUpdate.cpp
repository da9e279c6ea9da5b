#include "link/FirmwareUpdate.h"

#include "link/LinkGlobals.h"
#include "model/FrameBuilder.h"
#include "model/Notify.h"

#include <algorithm>
#include <cstring>
#include <thread>

const BiText g_UpdateBeginsText{"固件更新开始 请勿中断", "Firmware update begins Do not interrupt"};
const BiText g_ProgrammingText{"数据传输中 请勿中断", "Programming Do not interrupt"};
const BiText g_UpdateDoneText{"更新完成", "Update successfully"};
const BiText g_ErasingText{"擦除中......", "Erasing......"};
const BiText g_ConnectedUsbText{"连接Usb", "Connected Usb"};
const BiText g_ConnectedNetText{"连接网络", "Connected NetWork"};
const BiText g_UpdateFailedText{"固件更新失败", "The firmware update failed"};
const BiText g_UpdateFailedBangText{"固件更新失败!", "The firmware update failed!"};
const BiText g_UpdateFileErrorText{"更新文件错误!", "Update file error!"};

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStepPayload = 16; // enter and erase: 16 zero bytes
constexpr int kDspAddressBytes = 4;
constexpr int kBurstPairs = 24; // the burst packet's payload (never sent)
constexpr uint8_t kBurstPair[2] = {0x43, 0x11};
constexpr uint8_t kControllerFill = 0xFF;
constexpr int kMaxEraseWrites = 4; // the erase may be asked for again
constexpr int kMaxWrites = 2;

// A report of the burst: report id 0, then 32 pairs 43 11.
void FillBurstReport(uint8_t (&report)[kHidReportSize]) {
    report[0] = 0;
    for (int i = 1; i < kHidReportSize; i += 2) {
        report[i] = kBurstPair[0];
        report[i + 1] = kBurstPair[1];
    }
}

bool AllZero(const uint8_t* bytes, size_t n) {
    return std::all_of(bytes, bytes + n, [](uint8_t b) { return b == 0; });
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

// ---------------------------------------------------------------------------
// Display port
// ---------------------------------------------------------------------------

void CUpdateDisplayPort::Attach(IUpdateDisplay* display) {
    std::lock_guard<std::mutex> lock(mutex_);
    display_ = display;
}

bool CUpdateDisplayPort::HasDisplay() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return display_ != nullptr;
}

void CUpdateDisplayPort::SetTip(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (text == tip_) return;
    tip_ = text;
    if (display_) display_->ShowTip(tip_);
}

std::string CUpdateDisplayPort::Tip() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tip_;
}

void CUpdateDisplayPort::SetRange(int upper) {
    std::lock_guard<std::mutex> lock(mutex_);
    upper_ = upper;
    pos_ = 0;
    ShowProgressLocked();
}

void CUpdateDisplayPort::SetPos(int pos) {
    std::lock_guard<std::mutex> lock(mutex_);
    pos_ = std::min(pos, upper_.load());
    ShowProgressLocked();
}

void CUpdateDisplayPort::ShowProgressLocked() {
    if (display_) display_->ShowProgress(pos_.load(), upper_.load());
}

// ---------------------------------------------------------------------------
// Images and step state
// ---------------------------------------------------------------------------

CFirmwareUpdate::CFirmwareUpdate(CKTVCommand& command, CUsbLink& usb, CNet_Socket& net,
                                 CLinkWorker& worker, const LinkTimings& timings)
    : command_(command), usb_(usb), net_(net), worker_(worker), timings_(timings.firmware),
      waitSlice_(timings.waitSlice) {
    command_.SetFirmwareProgressHook([this](int code) { UpdateProgress(code); });
    worker_.SetFirmwareExchange(this);
}

CFirmwareUpdate::~CFirmwareUpdate() {
    worker_.SetFirmwareExchange(nullptr);
    command_.SetFirmwareProgressHook(nullptr);
    display_.Attach(nullptr);
}

void CFirmwareUpdate::Reset() {
    DeviceLockGuard lock(g_DeviceLock);
    dsp_.clear();
    dspAt_ = 0;
    controller_.clear();
    controllerAt_ = 0;
    checkByte_ = kCheckByteSeed;
    burstPending_ = true;
    dspStep_ = 0;
    controllerStep_ = 0;
    dspAddress_ = 0;
    stepTotal_ = 6;
    progressRange_ = 0;
    g_StateFlags[kFlagUpdateHasDsp] = 0;
    g_StateFlags[kFlagUpdateHasMcu] = 0;
    g_FirmwareUpdateEnded = 0;
    g_LastFirmwareCode = 0;
    currentCode_ = 0;
    replyCount_ = 0;
    dataPhase_ = false;
}

void CFirmwareUpdate::Load(UpdateImage image) {
    Reset();
    DeviceLockGuard lock(g_DeviceLock);
    dsp_ = std::move(image.dsp);
    controller_ = std::move(image.controller);
    checkByte_ = image.checkByte;
    // After a DSP part the controller sequence skips its own enter step.
    controllerStep_ = image.hasDsp ? 1 : 0;
    stepTotal_ = image.StepTotal();
    progressRange_ = image.progressRange;
    g_StateFlags[kFlagUpdateHasDsp] = image.hasDsp ? 1 : 0;
    g_StateFlags[kFlagUpdateHasMcu] = image.hasController ? 1 : 0;
}

int CFirmwareUpdate::StepTotal() const {
    return stepTotal_.load();
}
unsigned CFirmwareUpdate::ProgressRange() const {
    return progressRange_.load();
}

uint8_t CFirmwareUpdate::CheckByte() const {
    DeviceLockGuard lock(g_DeviceLock);
    return checkByte_;
}

size_t CFirmwareUpdate::DspLeft() const {
    DeviceLockGuard lock(g_DeviceLock);
    return dsp_.size() - dspAt_;
}

size_t CFirmwareUpdate::ControllerLeft() const {
    DeviceLockGuard lock(g_DeviceLock);
    return controller_.size() - controllerAt_;
}

// ---------------------------------------------------------------------------
// Frames and sequences
// ---------------------------------------------------------------------------

SendDataPtr CFirmwareUpdate::BuildFirmwarePacket(int code, const uint8_t* payload, int length) {
    DeviceLockGuard lock(g_DeviceLock);
    std::vector<uint8_t> frame(static_cast<size_t>(length + kFrameOverhead), 0);
    std::copy(std::begin(kFrameSync), std::end(kFrameSync), frame.begin());
    frame[4] = kCmdWrite;
    frame[5] = static_cast<uint8_t>(g_DeviceId);
    frame[6] = 0;
    frame[7] = kGroupSystem;
    frame[8] = static_cast<uint8_t>(code);
    frame[9] = 0;
    frame[10] = 0; // the link byte: no output is linked in a firmware step
    frame[11] = 0;
    frame[12] = static_cast<uint8_t>(length & 0xFF);
    frame[13] = static_cast<uint8_t>(length >> 8);
    if (length > 0)
        std::memcpy(frame.data() + kFrameHeaderSize, payload, static_cast<size_t>(length));
    auto packet = std::make_unique<CSendData>();
    FinishFrame(frame.data(), static_cast<int>(frame.size()));
    packet->SetLength(static_cast<int>(frame.size()));
    packet->SetData(std::move(frame));
    packet->SetCommand(code);
    // Only its being non-zero counts: the reply goes to the firmware progress step.
    packet->SetProgressValue(1);
    packet->SetRetry(0);
    return packet;
}

void CFirmwareUpdate::Queue(int code, const uint8_t* payload, int length) {
    command_.AddPacket(BuildFirmwarePacket(code, payload, length));
}

void CFirmwareUpdate::QueueNextFirmwareStep() {
    DeviceLockGuard lock(g_DeviceLock);
    if (burstPending_) {
        QueueBootBurst();
        burstPending_ = false;
    } else if (dspAt_ < dsp_.size()) {
        QueueDspStep();
    } else if (controllerAt_ < controller_.size()) {
        QueueControllerStep();
    }
}

void CFirmwareUpdate::QueueBootBurst() {
    DeviceLockGuard lock(g_DeviceLock);
    uint8_t payload[2 * kBurstPairs];
    for (int i = 0; i < kBurstPairs; ++i) {
        payload[2 * i] = kBurstPair[0];
        payload[2 * i + 1] = kBurstPair[1];
    }
    Queue(kStepBurst, payload, sizeof payload);
}

void CFirmwareUpdate::QueueDspStep() {
    DeviceLockGuard lock(g_DeviceLock);
    const uint8_t zeros[kStepPayload] = {};
    if (dspStep_ == 0) {
        Queue(kStepEnter, zeros, kStepPayload);
        Queue(kStepErase, zeros, kStepPayload);
        dspStep_ = 1;
    }
    if (dspStep_ == 1) {
        const size_t left = dsp_.size() - dspAt_;
        if (left == 0) return;
        uint8_t payload[kDspAddressBytes + kDspBytesPerStep] = {};
        PutU32(payload, dspAddress_);
        const size_t n = std::min<size_t>(left, kDspBytesPerStep);
        std::memcpy(payload + kDspAddressBytes, dsp_.data() + dspAt_, n);
        dspAt_ += n;
        Queue(kStepDspData, payload, sizeof payload);
        if (left > static_cast<size_t>(kDspBytesPerStep)) {
            dspAddress_ += kDspBytesPerStep;
            return;
        }
        // The last DSP step: the controller sequence follows, or the end.
        dspStep_ = controllerAt_ < controller_.size() ? 3 : 2;
    }
    if (dspStep_ == 2) {
        Queue(kStepEnd, &checkByte_, 1);
        dspStep_ = 4;
    }
}

void CFirmwareUpdate::QueueControllerStep() {
    DeviceLockGuard lock(g_DeviceLock);
    if (controllerStep_ == 0) {
        const uint8_t zeros[kStepPayload] = {};
        Queue(kStepEnter, zeros, kStepPayload);
        controllerStep_ = 1;
    }
    if (controllerStep_ == 1) {
        // The load refuses a controller part without its start parameters.
        const size_t n = std::min(kControllerStartSize, controller_.size() - controllerAt_);
        uint8_t start[kControllerStartSize] = {};
        std::memcpy(start, controller_.data() + controllerAt_, n);
        controllerAt_ += n;
        Queue(kStepStart, start, sizeof start);
        controllerStep_ = 2;
    }
    if (controllerStep_ == 2) {
        const size_t left = controller_.size() - controllerAt_;
        uint8_t payload[kControllerBytesPerStep];
        std::memset(payload, kControllerFill, sizeof payload);
        const size_t n = std::min<size_t>(left, kControllerBytesPerStep);
        if (n) std::memcpy(payload, controller_.data() + controllerAt_, n);
        controllerAt_ += n;
        Queue(kStepData, payload, sizeof payload);
        if (left > static_cast<size_t>(kControllerBytesPerStep)) return;
        controllerStep_ = 3;
    }
    if (controllerStep_ == 3) {
        Queue(kStepEnd, &checkByte_, 1);
        controllerStep_ = 4;
    }
}

// ---------------------------------------------------------------------------
// Shared helpers of the exchanges
// ---------------------------------------------------------------------------

bool CFirmwareUpdate::Ending() const {
    return worker_.Events().EndRequested();
}

bool CFirmwareUpdate::Pause(int ms) {
    return worker_.Events().SleepUnlessEnded(ms);
}

long long CFirmwareUpdate::MsSinceExchangeStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - exchangeStart_)
        .count();
}

void CFirmwareUpdate::ReportLost() {
    worker_.Events().Set(CLinkEvents::kSuspend);
    PostToView(WM_LINK_LOST);
}

CSendData* CFirmwareUpdate::TakeHeadForWrite(int& code, int& writes) {
    DeviceLockGuard lock(g_DeviceLock);
    if (!command_.GetHead()) QueueNextFirmwareStep();
    CSendData* head = command_.GetHead();
    if (!head) return nullptr;
    code = head->GetCommand();
    head->SetRetry(head->GetRetry() + 1);
    writes = head->GetRetry();
    currentCode_ = code;
    g_LastFirmwareCode = code;
    return head;
}

CFirmwareUpdate::StepWait CFirmwareUpdate::WaitOf(int code) const {
    const FirmwareTimings& t = timings_;
    switch (code) {
    case kStepEnter:
        return {t.usbEnterWaits, t.netEnterTimeout};
    case kStepStart:
        return {t.usbStartWaits, t.netStartTimeout};
    case kStepData:
        return {t.usbDataWaits, t.netDataTimeout};
    case kStepEnd:
        return {t.usbEndWaits, t.netEndTimeout};
    case kStepErase:
        return {t.usbEraseWaits, t.netEraseTimeout};
    case kStepDspData:
        return {t.usbDspDataWaits, t.netDspDataTimeout};
    case kStepDspEnd:
        return {t.usbDspEndWaits, t.netDspEndTimeout};
    default:
        return {0, 0};
    }
}

// ---------------------------------------------------------------------------
// USB
// ---------------------------------------------------------------------------

void CFirmwareUpdate::UsbFirmwareExchange() {
    exchangeStart_ = Clock::now();
    if (UsbFirmwareWrite()) UsbFirmwareRead();
}

bool CFirmwareUpdate::UsbFirmwareWrite() {
    if (!usb_.IsOpen() || !g_UsbLinkUp.load()) return false;
    int code = 0, writes = 0;
    CSendData* head = TakeHeadForWrite(code, writes);
    if (!head) {
        Pause(timings_.idleSleep);
        return false;
    }
    const int limit = code == kStepErase ? kMaxEraseWrites : kMaxWrites;
    if (writes > limit) {
        // Once: the worker parks until the view has ended the link.
        if (writes == limit + 1) ReportLost();
        return false;
    }
    if (code == kStepBurst) {
        FillBurstReport(g_HidOutReport);
        for (;;) {
            usb_.WriteReport(g_HidOutReport); // a device in its application may refuse them
            if (!Pause(timings_.burstPause)) return false;
            display_.SetTip(g_ConnectedUsbText.Pick());
            if (MsSinceExchangeStart() > timings_.usbBurst) {
                command_.RemoveHead();
                return false;
            }
            if (!g_UsbLinkUp.load()) return false;
        }
    }
    int chunk;
    {
        DeviceLockGuard lock(g_DeviceLock);
        // A step written again (after a repeat request) starts afresh.
        if (head->GetChunk() == 0) head->SetResend(0);
        chunk = head->NextChunk(g_HidOutReport);
    }
    if (!chunk) return true;
    // A failed write shows as the read's failure.
    usb_.WriteReport(g_HidOutReport);
    return g_UsbLinkUp.load() != 0 && !Ending();
}

int CFirmwareUpdate::ReadReportWithin(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    const int slice = std::max(1, waitSlice_);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int n =
            usb_.ReadReport(g_HidInReport, static_cast<int>(std::clamp<long long>(left, 0, slice)));
        if (n > 0) return 1;
        if (n < 0) return -1;
        if (Ending() || !g_UsbLinkUp.load()) return -2;
        if (left <= 0) return 0;
    }
}

bool CFirmwareUpdate::ReopenAfterEnter() {
    // The device leaves and comes back as its boot loader meanwhile.
    if (!Pause(timings_.bootRestart)) return false;
    usb_.UnmarkUsbDevice();
    if (!usb_.ReopenUsbDevice()) {
        ReportLost();
        return false;
    }
    return true;
}

bool CFirmwareUpdate::UsbFirmwareRead() {
    const int code = currentCode_.load();
    const int waits = WaitOf(code).usbWaits;
    const long long limitMs = static_cast<long long>(waits) * timings_.usbWaitUnit;
    if (code == kStepErase) display_.SetTip(g_ErasingText.Pick());
    for (;;) {
        if (!g_UsbLinkUp.load()) return false;
        int got = 0;
        for (int w = 0; w < waits && got == 0; ++w)
            got = ReadReportWithin(timings_.usbWaitUnit);
        if (got == -2) {
            // The link went down between waits (or the worker is ending): the
            // step is not done. During enter the device is on its way to its
            // boot loader.
            if (code == kStepEnter) ReopenAfterEnter();
            return false;
        }
        if (got == 0) {
            if (!g_UsbLinkUp.load()) return false;
            g_UsbLinkUp = 0;
            ReportLost();
            // The device may have left for its boot loader without a word.
            if (code == kStepEnter) ReopenAfterEnter();
            return false;
        }
        if (got < 0) {
            // The device failed: reading on would only fail again.
            ReportLost();
            if (code == kStepEnter) ReopenAfterEnter();
            return false;
        }
        if (AllZero(g_HidInReport, sizeof g_HidInReport)) Pause(timings_.emptyReportPause);
        // During a cancel the replies are not looked at.
        if (g_UpdateTipOff.load()) return true;
        const int before = replyCount_.load();
        // Only a report whose frame names this step is fed.
        if (g_HidInReport[9] == static_cast<uint8_t>(code)) command_.FeedUsbReport(kHidReportSize);
        if (replyCount_.load() != before) return code == kStepEnter ? ReopenAfterEnter() : true;
        bool resend;
        {
            DeviceLockGuard lock(g_DeviceLock);
            CSendData* head = command_.GetHead();
            resend = head && head->GetResend();
        }
        if (resend) {
            // The erase goes out again at the next exchange; any other step
            // asked for again ends the update.
            if (code != kStepErase) ReportLost();
            return false;
        }
        if (MsSinceExchangeStart() > limitMs) {
            Pause(timings_.lateReplySleep);
            if (g_UsbLinkUp.load()) ReportLost();
            return false;
        }
    }
}

// ---------------------------------------------------------------------------
// Network
// ---------------------------------------------------------------------------

void CFirmwareUpdate::NetFirmwareExchange() {
    if (!net_.IsReachable()) {
        Pause(timings_.unreachableSleep);
        return;
    }
    exchangeStart_ = Clock::now();
    if (NetFirmwareWrite()) NetFirmwareRead();
}

bool CFirmwareUpdate::NetFirmwareWrite() {
    if (!net_.IsReachable()) return false;
    int code = 0, writes = 0;
    CSendData* head = TakeHeadForWrite(code, writes);
    if (!head) {
        Pause(timings_.idleSleep);
        return false;
    }
    if (writes > kMaxWrites) {
        if (writes == kMaxWrites + 1) ReportLost();
        return false;
    }
    const CancelCheck cancelled = [this] { return Ending(); };
    uint8_t block[kHidReportSize] = {};
    if (code == kStepBurst) {
        FillBurstReport(block);
        for (;;) {
            if (!net_.Send(block, kHidReportSize)) {
                net_.Close();
                if (!Pause(timings_.burstReconnectSleep)) return false;
                net_.Connect(cancelled);
            }
            display_.SetTip(g_ConnectedNetText.Pick());
            if (MsSinceExchangeStart() > timings_.netBurst) {
                command_.RemoveHead();
                return false;
            }
            if (!net_.IsReachable() || Ending()) return false;
        }
    }
    {
        DeviceLockGuard lock(g_DeviceLock);
        head->RewindChunks();
        head->SetResend(0);
    }
    for (;;) {
        int chunk;
        {
            DeviceLockGuard lock(g_DeviceLock);
            chunk = head->NextChunk(block);
        }
        if (!chunk) return true;
        // Firmware frames travel in 65-byte blocks, as USB reports do.
        if (!net_.Send(block, kHidReportSize)) {
            net_.Close();
            if (!Pause(timings_.sendReconnectSleep)) return false;
            if (!net_.IsReachable() || !net_.Connect(cancelled)) {
                // No connection to send the step on: the update cannot go on.
                if (!Ending()) ReportLost();
                return false;
            }
            DeviceLockGuard lock(g_DeviceLock);
            head->RewindChunks();
        }
        if (!net_.IsReachable()) return false;
    }
}

bool CFirmwareUpdate::NetFirmwareRead() {
    const int code = currentCode_.load();
    if (code == kStepEnd) {
        // The device restarts at once: no reply is waited for.
        FinishFirmwareOverNetwork();
        return true;
    }
    if (code == kStepErase) display_.SetTip(g_ErasingText.Pick());
    const CancelCheck cancelled = [this] { return Ending(); };
    // Every receive failure ends at the step's time-out at the latest.
    const auto deadline = Clock::now() + std::chrono::milliseconds(WaitOf(code).netTimeout);
    auto reconnect = [&] {
        if (net_.IsReachable()) {
            net_.Close();
            net_.Connect(cancelled);
        } else {
            ReportLost();
        }
    };
    for (;;) {
        const long long left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            reconnect();
            return true;
        }
        net_.SetReceiveTimeout(static_cast<int>(left));
        if (!net_.IsReachable()) return false;
        int count = 0;
        const int result = net_.ReceiveShort(count, cancelled);
        if (Ending()) return false;
        if (count > 0) {
            if (command_.FeedNetBytes(count) != kFeedMore) return true;
            continue;
        }
        switch (result) {
        case kNetReset:
        case kNetClosed:
            // The module ends a connection in order (FIN) as readily as by a
            // reset: either way the step is sent again on a new connection.
            if (!Pause(timings_.resetSleep)) return false;
            reconnect();
            return true; // the step is still the head: it goes out again
        case kNetTimedOut:
            reconnect();
            return true;
        default:
            break; // receive again, until the time-out
        }
    }
}

// ---------------------------------------------------------------------------
// Progress
// ---------------------------------------------------------------------------

void CFirmwareUpdate::UpdateProgress(int code) {
    const bool quiet = g_UpdateTipOff.load() != 0;
    const int upper = display_.Upper();
    const int p = display_.Pos() + 1;
    const bool hasController = g_StateFlags[kFlagUpdateHasMcu].load() != 0;
    auto tip = [&](const BiText& text) {
        if (!quiet) display_.SetTip(text.Pick());
    };
    // The bar stops one short of its end until the end step is acknowledged.
    auto shortOfEnd = [&] { return !quiet && p == upper ? p - 1 : p; };
    bool finished = false;
    int pos = p;
    switch (code) {
    case kStepEnter:
        tip(g_UpdateBeginsText);
        dataPhase_ = false;
        break;
    case kStepStart:
        dataPhase_ = false;
        break;
    case kStepData:
        if (!dataPhase_.load()) {
            tip(g_ProgrammingText);
            pos = shortOfEnd();
        }
        dataPhase_ = true;
        break;
    case kStepErase:
        tip(g_ProgrammingText);
        dataPhase_ = true;
        break;
    case kStepDspData:
        tip(g_ProgrammingText);
        dataPhase_ = true;
        pos = shortOfEnd();
        break;
    case kStepEnd:
        tip(g_UpdateDoneText);
        dataPhase_ = false;
        pos = upper;
        finished = true;
        break;
    case kStepDspEnd:
        if (!hasController) {
            tip(g_UpdateDoneText);
            pos = upper;
            finished = true;
        }
        dataPhase_ = false;
        break;
    default:
        return;
    }
    if (finished) {
        g_FirmwareUpdateEnded = 1;
        PostToView(WM_FIRMWARE_DONE, 0, kStepEnd);
    }
    ++replyCount_;
    if (!quiet) display_.SetPos(pos);
}

void CFirmwareUpdate::FinishFirmwareOverNetwork() {
    display_.SetTip(g_UpdateDoneText.Pick());
    display_.SetPos(display_.Upper());
    dataPhase_ = false;
    g_FirmwareUpdateEnded = 1;
    PostToView(WM_FIRMWARE_DONE, 0, kStepEnd);
    command_.RemoveHead();
}
