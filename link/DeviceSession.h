// The program's session with the device, without a window: it owns the link
// engine (command engine, USB and network links, link worker, network probe,
// their time limits), keeps the connection state and runs its life cycle
// (connecting, the reads of a new connection and the version check, closing
// on the user's word, on a lost link, on an abnormal or a removed device),
// and holds the command senders and the device preset transfers. The main
// view owns one session and keeps the operation names as its facade; what
// the user should see of the session reaches the view through ISessionHost.
//
// Threads: every operation runs on the UI thread (the thread that built the
// session). The link worker reports through the relay to the notify endpoint
// given at construction; the owner hands those messages back to the
// session's handlers (OnLinkLost, OnVersionReceived, ...) on the UI thread.
#pragma once

#include "link/FirmwareUpdate.h"
#include "link/HidTransport.h"
#include "link/KTVCommand.h"
#include "link/LinkTimings.h"
#include "link/LinkWorker.h"
#include "link/NetSocket.h"
#include "link/SendData.h"
#include "link/SettingsGroup.h"
#include "link/UsbLink.h"
#include "link/ViewRelay.h"
#include "model/Notify.h"
#include "model/DataDefine.h"
#include "model/Packet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CKTV_Data;
class CKTV_OutData;

// What the link engine talks to. The program leaves everything at its
// default (the system's hidapi, adapters and ping, the real time limits);
// tests give doubles, so that nothing leaves the machine.
struct LinkEnvironment {
    IHidBackend* hid = nullptr;       // null: hidapi
    INetAdapters* adapters = nullptr; // null: the system's network adapters
    IPinger* pinger = nullptr;        // null: the system's ping
    LinkTimings timings;
    bool watchHotplug = true; // watch USB arrival and removal (libudev)
};

// What the session asks of the window that shows it (UI thread).
class ISessionHost {
public:
    virtual ~ISessionHost() = default;
    // The connect button and status text for a link that is up or down.
    virtual void ShowLinkState(bool connected) = 0;
    // A link has closed (kind 1 USB, 2 network): what the window shows of
    // the link's data goes (progress, preset name, transfer window).
    virtual void ClearLinkDisplay(int kind) = 0;
    // A message that closes by itself after ms (2000 under the prompt
    // caption, 2001 under the warning caption).
    virtual void Say(const char* text, int ms) = 0;
    // The transfer window: shown (modal 1: the user waits for it), or hidden.
    virtual void ShowTransfer(int modal) = 0;
    virtual void HideTransfer() = 0;
    // The transfer window for a whole-preset transfer: modal when it comes
    // from the device preset dialog, else the main window waits.
    virtual void ShowPresetTransfer() = 0;
    // The transfer window in its look for the long factory command.
    virtual void ShowFactoryTransfer() = 0;
    // A transfer of count steps begins: the transfer window's bar (and with
    // viewBar the main view's own) from 0 to count.
    virtual void ResetTransferProgress(int count, bool viewBar) = 0;
    // The connect button's action, as if the user pressed it.
    virtual void PressConnectButton() = 0;
    // An update file is loaded: the window's own progress bar runs 0..range.
    virtual void ShowUpdateRange(int range) { (void)range; }
    // A new connection finds settings the device has not had: true sends
    // the window's settings to the device, false takes the device's data.
    virtual bool AskToSendUnsentChanges() { return false; }
    // Texts the window's settings could not pack while they went to a new
    // connection, said once the lock is released.
    virtual void SayRefusedTexts(const TextFieldErrors& refused) { (void)refused; }
};

class CDeviceSession : public IUsbHost {
public:
    // notify: the owner's endpoint for the engine's messages; wake: asks the
    // UI thread to call DrainRelay soon. usbMarks: the settings group where
    // running copies mark the USB devices they hold.
    CDeviceSession(CKTV_Data& model, ISettingsGroup& usbMarks, IViewNotify& notify,
                   std::function<void()> wake, const LinkEnvironment& env);
    ~CDeviceSession() override;
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    void SetHost(ISessionHost* host) { host_ = host; }
    // Runs a task on the UI thread after ms (the owner's timer). Without
    // one, a task that would wait runs at once.
    using Deferrer = std::function<void(int ms, std::function<void()> task)>;
    void SetDeferrer(Deferrer defer) { defer_ = std::move(defer); }
    // Makes this session the one the engine reports to (g_MainView and the
    // command engine's notify endpoint); Detach undoes it if still so.
    void Attach();
    void Detach();

    // ---- the link engine ---------------------------------------------------
    CKTVCommand& Command() { return command_; }
    CLinkWorker& Worker() { return worker_; }
    const CLinkWorker& Worker() const { return worker_; }
    CUsbLink& Usb() { return usb_; }
    CNet_Socket& Net() { return net_; }
    CViewRelay& Relay() { return relay_; }
    const LinkTimings& Timings() const { return timings_; }
    CKTV_Data& Model() { return model_; }

    void StartIo(int unused = 0) { worker_.StartIo(unused); }
    void StopIo(bool release) { worker_.StopIo(release); }
    // A link is open and the worker runs.
    bool IsConnected() override { return worker_.IsConnected(); }
    // Delivers what the worker waits to hand to the owner (UI thread).
    void DrainRelay() { relay_.Drain(); }
    // Watches USB arrival and removal; runOnUi carries each event to the UI
    // thread. Nothing when the environment says not to or libudev cannot.
    void WatchHotplug(std::function<void(std::function<void()>)> runOnUi);
    void StopWatchingHotplug();

    // ---- connection life cycle ---------------------------------------------
    // The first attempt after start: a free USB device, then the network
    // module is watched whatever became of USB.
    void FirstConnect();
    // Reconnects with the current connection kind.
    void ConnectDevice();
    // The connect popup's USB item: the first free device.
    bool ConnectUsb();
    bool ConnectUsbPath(const std::string& path) override;
    // The devices no running copy holds, in enumeration order (also kept in
    // g_UsbDevicePathsCopy for the popup's commands).
    std::vector<std::string> FreeUsbDevices();
    bool NetConnect();
    bool NetReconnect();
    // The connect button of a connected program: the worker stops and the
    // link closes at once; the device's connection itself goes closePause
    // later, as it always has, without the UI thread waiting for it.
    void Disconnect();
    // Stops I/O and closes the link (the firmware update asks for it); 0.
    int DisconnectDevice();
    bool CloseUsbLink();
    bool CloseNetLink();
    void CloseCurrentLink();
    // Queues the reads of a new connection: quick (full 0) or, once the
    // version is accepted, the records and the stored presets' names. The
    // caller holds g_DeviceLock.
    void SendInitialReads(int full);
    void ShowConnectionFailure();
    void ShowUsbFailureUnlessUpdating() override;
    void CloseLinkOnDeviceRemoval() override;

    // Routes one of the engine's messages to its handler below; false for a
    // message the session does not handle (device data, status, output map:
    // those are the window's). The window hands every message here first.
    bool OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam);
    // Handlers of the engine's messages (UI thread).
    void OnDeviceReachable();
    void OnNetConnected();
    // With settings the device has not had, the host is asked first; what
    // the window's settings pack into refused texts goes to *refused.
    void OnVersionReceived(TextFieldErrors* refused = nullptr);
    void OnLinkLost();
    void OnDeviceAbnormal();
    void OnTransferDone();
    void OnLongCommandDone(LPARAM result);
    void OnReconnect();
    void OnNetBytes(LPARAM count);

    // ---- command senders ---------------------------------------------------
    // Queues a built frame under g_DeviceLock; a null frame is ignored.
    void Queue(PacketPtr frame);
    // One system record (the record's sub-type and a preset slot) when connected.
    void SendCommand(int record, int index);
    void SendOutputMap(int output, int mode);
    void SendPresetSelect(int preset);
    void MuteOutputsForTransfer(int restore);
    void RequestDataResync();

    // ---- device preset transfers -------------------------------------------
    // The operations that pack the model's texts append what a text field
    // could not hold to *refused (may be null); the caller says it once the
    // lock is released.
    void SendPresetToDevice(int preset, bool fromModel, TextFieldErrors* refused = nullptr);
    void SendAllPresetsToDevice(TextFieldErrors* refused = nullptr);
    void LoadDevicePreset(int preset);
    // Queues the reads of the six stored presets for a whole-device file.
    void ReadAllPresetsForFile();
    void SendInputChannelBlock(int input, TextFieldErrors* refused = nullptr);
    void SendOutputBlock(int output, TextFieldErrors* refused = nullptr);
    void SendOutputOffFrame(int output);
    // Output to takes from's equaliser, crossover and mode; when connected
    // its block is queued.
    void CopyOutputEq(int from, int to, TextFieldErrors* refused = nullptr);

    // ---- firmware update ----------------------------------------------------
    // The update's images, steps and exchanges, and what its dialog shows.
    CFirmwareUpdate& Firmware() { return firmware_; }
    // Loads the file named by g_HexFilePath and resets the steps; a file that
    // cannot be opened or read (its path is forgotten) or that is no update
    // file is said ("Update file error!") and nothing is loaded.
    bool LoadUpdateFile();
    // Every matching USB device present, held or free, in enumeration order
    // (also kept in g_UsbDevicePathsCopy for the update dialog's popup).
    std::vector<std::string> DetectUsbDevices();
    // The first connection of an update: firmware mode and a worker that
    // runs the firmware steps. g_ConnectionKind says the kind.
    bool ConnectFirmwareUsb(const std::string& path);
    bool ConnectFirmwareNetwork();
    // The slow half of a network retry, safe on any thread: the module counts
    // as reachable and answers a ping now.
    bool FirmwareModuleAnswers(const CancelCheck& cancelled);
    // One retry of the connection by g_ConnectionKind; quiet keeps a failure
    // to the status text, otherwise it is said and the update ends.
    // moduleAnswers: a retry thread's ping (network) found the module.
    bool RetryFirmwareConnect(bool quiet, bool moduleAnswers = true);
    // WM_FIRMWARE_START_FAILED.
    void OnFirmwareStartFailed();
    // WM_FIRMWARE_DONE (lParam the end step; other values are ignored).
    void OnFirmwareUpdateDone(LPARAM step);
    // The dialog's confirmed cancel: the link closes, the update has failed.
    void CancelFirmwareUpdate();

    int TransferCount() const { return transferCount_; }
    int SavedOnOff() const { return savedOnOff_; }

    // ---- changes the device has not had ------------------------------------
    // Channel edits made while the device's data was not in step (the
    // model's marks, g_UnsentEdits), system records no link could take, and
    // presets loaded while no link was open. The next connection whose
    // version is accepted asks about them before the device's data replaces
    // them: the window's settings go to the device as a preset load sends
    // them, or the device's data is taken. Nothing is forgotten without that
    // answer, or until the window shows the device's data. Edits a link
    // still had to send when it closed (in any way) count as well.
    bool HasUnsentChanges() const;
    // A system record changed while no link was open to take it.
    void NoteUnsentRecord(int record);
    // The window holds the device's data, or what the program started with.
    void ForgetUnsentChanges();
    // The question is open: the device's reports must not change the window meanwhile.
    bool IsAskingAboutUnsentChanges() const { return asking_; }

    // ---- a transfer cut short ----------------------------------------------
    // A transfer mutes the master first and gives its on state back only in
    // its last packet: a link that closes before that packet went out leaves
    // the device muted. The session remembers it when the link closes; once
    // the device's data is complete on the next link, the master's on state
    // goes back to the device and the host says that the transfer did not
    // complete. True when it did so.
    bool RestoreAfterInterruptedTransfer();
    bool HasInterruptedTransfer() const { return interrupted_; }

private:
    // The end of every connect sequence once the device is open.
    void FinishConnect();
    // A new link is counted; with changes to ask about, the poller's name
    // write and rename wait for the answer.
    void BeginLink();
    // What closing a link of either kind leaves.
    void ClearLinkState(int kind);
    // Appends a packet of the current transfer: its progress value, the
    // block flag and a notify flag; then the counter advances unless told not to.
    enum TransferNotify { kNotifyNone, kNotifySent, kNotifyDone };
    void QueueWithProgress(PacketPtr frame, int notify = kNotifyNone, bool advance = true);
    // The end of a whole-preset transfer: ranges, running flag, the window.
    void StartTransferWindow(bool setViewProgress);
    void QueueOutputOff(CKTV_OutData& out);
    // The master packet that ends a transfer's muting, marked as such.
    void QueueMasterRestore() REQUIRES(g_DeviceLock);
    // Closing a link: is a transfer's master restore still queued?
    void NoteInterruptedTransfer();
    // Closing a link: the edits it had not sent, or sent without an answer
    // (the model's marks, the queued writes of the current data), become
    // changes the device has not had.
    void NoteEditsLeftUnsent();
    void Say(const char* text, int ms = 2000);
    // Queues the window's settings for the device: the current preset as a
    // preset load sends it, then the system records it does not carry.
    void SendUnsentChanges(TextFieldErrors* refused);
    // Closes the connection a disconnect left to the device for a moment;
    // every new connection closes it first.
    void CloseHeldLink();
    // Firmware mode on with a worker running the steps, from the first step.
    void BeginFirmwareMode();
    // Firmware mode off; the removal handling forgets the last step.
    void EndFirmwareMode();

    CKTV_Data& model_;
    IViewNotify& notify_;
    ISessionHost* host_ = nullptr;
    Deferrer defer_;
    const LinkTimings timings_;
    const bool watchHotplug_;

    // The relay carries the engine's messages to the owner; a synchronous
    // one from the worker waits in it until the UI thread drains it.
    CViewRelay relay_;
    std::unique_ptr<IHidBackend> ownHid_;
    std::unique_ptr<INetAdapters> ownAdapters_;
    std::unique_ptr<IPinger> ownPinger_;
    CKTVCommand command_;
    CUsbLink usb_;
    CNet_Socket net_;
    CLinkWorker worker_;
    CFirmwareUpdate firmware_;
    std::unique_ptr<CUdevMonitor> hotplug_;

    // The connection of the last disconnect until its pause has passed.
    std::shared_ptr<IHidDevice> heldUsb_;
    int heldSocket_ = -1;
    unsigned heldNumber_ = 0; // which disconnect a pending close belongs to

    unsigned linkNumber_ = 0;        // counts the connections opened
    std::vector<int> unsentRecords_; // system records no link has taken, in order
    bool asking_ = false;
    bool editsOnLink_ = false; // an open link of the device's data (no firmware link)

    int transferCount_ = 0;     // packets of the current transfer with a progress value
    int savedOnOff_ = 0;        // a channel's on state while its block goes out
    int savedMasterOn_ = 0;     // the master's on state while outputs are muted for a transfer
    bool interrupted_ = false;  // a transfer's master restore never went out
    uint8_t interruptedOn_ = 0; // the on state it would have given back
};
