// The firmware update on the link: the update file's two images and the
// step state, the firmware steps and their frames, and the exchanges the
// link worker runs instead of its own while firmware mode is on.
//
// Order on the wire: the enter-boot burst; for a DSP part enter, erase and
// the DSP data steps; for a controller part (enter when there was no DSP
// part) start and the controller data steps; then end with the check byte.
// Each step is one frame of group 9 whose channel byte names the step; the
// device acknowledges it with 'Q' naming the same step, and only then does
// the next step go out.
//
// What the update dialog shows (its status text and bar) goes through the
// display port; the port hands every change to the dialog as a queued call,
// so the worker never waits for the user-interface thread.
#pragma once

#include "link/KTVCommand.h"
#include "link/LinkTimings.h"
#include "link/LinkWorker.h"
#include "link/NetSocket.h"
#include "link/UpdateFile.h"
#include "link/UsbLink.h"
#include "model/DeviceLock.h"
#include "model/Globals.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Step codes: the channel byte of a step's frame and of its reply.
enum FirmwareStep : int {
    kStepEnter = 54,   // '6': the device restarts as its boot loader
    kStepStart = 55,   // '7': the controller's 4 start parameters
    kStepData = 56,    // '8': 48 controller image bytes
    kStepEnd = 57,     // '9': the check byte; the device restarts
    kStepErase = 58,   // ':'
    kStepDspData = 59, // ';': DSP address and 44 image bytes
    kStepDspEnd = 60,  // '<': never queued
    kStepBurst = 255,  // the enter-boot burst: 32 pairs 43 11 per report, no frame on the wire
};

constexpr int kDspBytesPerStep = 44;
constexpr int kControllerBytesPerStep = 48;

// Texts of the update (Chinese / English).
extern const BiText g_UpdateBeginsText;     // "Firmware update begins Do not interrupt"
extern const BiText g_ProgrammingText;      // "Programming Do not interrupt"
extern const BiText g_UpdateDoneText;       // "Update successfully"
extern const BiText g_ErasingText;          // "Erasing......"
extern const BiText g_ConnectedUsbText;     // "Connected Usb"
extern const BiText g_ConnectedNetText;     // "Connected NetWork"
extern const BiText g_UpdateFailedText;     // "The firmware update failed"
extern const BiText g_UpdateFailedBangText; // "The firmware update failed!"
extern const BiText g_UpdateFileErrorText;  // "Update file error!"

// The dialog's side of the display port. Both calls come from any thread
// and must only queue their work for the dialog's own thread.
class IUpdateDisplay {
public:
    virtual ~IUpdateDisplay() = default;
    virtual void ShowTip(const std::string& text) = 0;
    virtual void ShowProgress(int pos, int upper) = 0;
};

// The update dialog's status text and progress bar as the link keeps them.
// The bar's position and range live here, so that the progress step reads
// them without asking the dialog. Thread-safe.
class CUpdateDisplayPort {
public:
    // null detaches; once Attach returns, no call reaches the display it replaced.
    void Attach(IUpdateDisplay* display);
    bool HasDisplay() const;
    // Only a changed text goes to the display.
    void SetTip(const std::string& text);
    std::string Tip() const;
    // Range 0..upper, position 0.
    void SetRange(int upper);
    // Limited to the upper end.
    void SetPos(int pos);
    int Pos() const { return pos_.load(); }
    int Upper() const { return upper_.load(); }

private:
    void ShowProgressLocked();

    mutable std::mutex mutex_;
    IUpdateDisplay* display_ = nullptr;
    std::string tip_;
    std::atomic<int> pos_{0};
    std::atomic<int> upper_{100};
};

class CFirmwareUpdate : public IFirmwareExchange {
public:
    CFirmwareUpdate(CKTVCommand& command, CUsbLink& usb, CNet_Socket& net, CLinkWorker& worker,
                    const LinkTimings& timings);
    ~CFirmwareUpdate() override;
    CFirmwareUpdate(const CFirmwareUpdate&) = delete;
    CFirmwareUpdate& operator=(const CFirmwareUpdate&) = delete;

    // ---- the update file's images and the step state ----------------------
    // Empties both images and resets the step state (burst pending, both
    // sequences at their start, DSP address 0, the update not ended).
    void Reset();
    // Reset, then takes a loaded file's images.
    void Load(UpdateImage image);
    int StepTotal() const;
    unsigned ProgressRange() const;
    uint8_t CheckByte() const;
    size_t DspLeft() const;
    size_t ControllerLeft() const;

    // ---- the sequences (each takes g_DeviceLock) ---------------------------
    // The next step(s) into the queue: the burst, else the DSP sequence,
    // else the controller sequence, else nothing.
    void QueueNextFirmwareStep();
    void QueueBootBurst();
    void QueueDspStep();
    void QueueControllerStep();

    // ---- the exchanges (link worker) ---------------------------------------
    void UsbFirmwareExchange() override;
    void NetFirmwareExchange() override;
    // True when the reply is to be read.
    bool UsbFirmwareWrite();
    bool NetFirmwareWrite();
    // True when the step's reply took it (or, over the network, a reply ended
    // the read or the step is to go out again).
    bool UsbFirmwareRead();
    bool NetFirmwareRead();

    // The progress step of a step the device acknowledged (the reply
    // dispatcher's hook, on the worker).
    void UpdateProgress(int code);
    // The end over the network: reported done without waiting for a reply.
    void FinishFirmwareOverNetwork();

    CUpdateDisplayPort& Display() { return display_; }
    int CurrentCode() const { return currentCode_.load(); }
    int ReplyCount() const { return replyCount_.load(); }
    bool DataPhase() const { return dataPhase_.load(); }

    // The frame of a step (its payload as given); built in its own buffer
    // under g_DeviceLock, link byte 0.
    static SendDataPtr BuildFirmwarePacket(int code, const uint8_t* payload, int length);

private:
    void Queue(int code, const uint8_t* payload, int length) REQUIRES(g_DeviceLock);
    // The head to write (asking the sequences for the next step when the
    // queue is empty), counting this write; null when there is none.
    CSendData* TakeHeadForWrite(int& code, int& writes);
    // Sleeps ms unless the worker is ending; false when it is.
    bool Pause(int ms);
    bool Ending() const;
    long long MsSinceExchangeStart() const;
    // Reads one report within ms in short slices: 1 a report, 0 time-out,
    // -1 the device failed, -2 the link went down or the worker is ending.
    int ReadReportWithin(int ms);
    // The link is lost: the worker parks and the view hears of it.
    void ReportLost();
    // After enter: wait for the device to come back as its boot loader and open it again.
    bool ReopenAfterEnter();
    // A step's reply is awaited in so many USB waits, or within the network time-out.
    struct StepWait {
        int usbWaits;
        int netTimeout;
    };
    StepWait WaitOf(int code) const;

    CKTVCommand& command_;
    CUsbLink& usb_;
    CNet_Socket& net_;
    CLinkWorker& worker_;
    const FirmwareTimings timings_;
    const int waitSlice_;
    CUpdateDisplayPort display_;

    // The images, consumed from the front as the steps go out.
    std::vector<uint8_t> dsp_ GUARDED_BY(g_DeviceLock);
    size_t dspAt_ GUARDED_BY(g_DeviceLock) = 0;
    std::vector<uint8_t> controller_ GUARDED_BY(g_DeviceLock);
    size_t controllerAt_ GUARDED_BY(g_DeviceLock) = 0;
    uint8_t checkByte_ GUARDED_BY(g_DeviceLock) = kCheckByteSeed;
    bool burstPending_ GUARDED_BY(g_DeviceLock) = false;
    int dspStep_ GUARDED_BY(g_DeviceLock) = 0;
    int controllerStep_ GUARDED_BY(g_DeviceLock) = 0;
    uint32_t dspAddress_ GUARDED_BY(g_DeviceLock) = 0;
    std::atomic<int> stepTotal_{6};
    std::atomic<unsigned> progressRange_{0};

    std::atomic<int> currentCode_{0};
    std::atomic<int> replyCount_{0};
    std::atomic<bool> dataPhase_{false};
    std::chrono::steady_clock::time_point exchangeStart_;
};
