#include "link/DeviceSession.h"

#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

const BiText kAbnormalDeviceText{"设备异常 请更新固件!", "Please Update the Firmware!"};
const BiText& kFirmwareFailedText = g_UpdateFailedText;
const BiText kTransferIncompleteText{
    "上次的数据传输未完成, 已恢复主音量开关!",
    "The last data transfer did not complete; the master is switched back as it was."};

// The two firmware families the program drives, by the start of their version texts.
constexpr char kVersionFamilyF[] = "VELK-F";
constexpr char kVersionFamilyW[] = "VELK-W";
constexpr size_t kVersionFamilyLength = 6;

constexpr int kWarningMs = 2001; // under the warning caption

// The prompt caption of the language, without closing by itself.
int PromptNoClose() {
    return g_LanguageFlag.load() ? -2 : -3;
}

bool ValidPreset(int preset) {
    return preset >= 0 && preset <= kStoredPresetCount;
}

void Pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The transfer-marker record brackets every preset written to the device:
// {1, n} before its first packet, {0, n} after its last.
PacketPtr TransferMarker(int begin, int preset) REQUIRES(g_DeviceLock) {
    g_DeviceRecords.SetTransferMarker(begin, preset);
    return BuildSystemPacket(kRecordTransferMarker, 0);
}

} // namespace

CDeviceSession::CDeviceSession(CKTV_Data& model, ISettingsGroup& usbMarks, IViewNotify& notify,
                               std::function<void()> wake, const LinkEnvironment& env)
    : model_(model), notify_(notify), timings_(env.timings), watchHotplug_(env.watchHotplug),
      relay_(notify, std::move(wake)),
      ownHid_(env.hid ? nullptr : std::make_unique<CHidApiBackend>()),
      ownAdapters_(env.adapters ? nullptr : std::make_unique<CSystemAdapters>()),
      ownPinger_(env.pinger ? nullptr : std::make_unique<CSystemPinger>()),
      usb_(env.hid ? *env.hid : *ownHid_, usbMarks),
      net_(env.adapters ? *env.adapters : *ownAdapters_, env.pinger ? *env.pinger : *ownPinger_,
           env.timings),
      worker_(command_, usb_, net_, model, env.timings),
      firmware_(command_, usb_, net_, worker_, env.timings) {
    // While StopIo waits for the worker, what the worker sends is delivered meanwhile.
    worker_.SetWaitPump([this] { relay_.Drain(); });
    // Hot-plug arrivals and removals act on this session from now on.
    usb_.SetHost(this);
    // The model's own start is nothing the device has missed.
    ForgetUnsentChanges();
}

CDeviceSession::~CDeviceSession() {
    hotplug_.reset();
    usb_.SetHost(nullptr);
    worker_.StopIo(false);
    CloseHeldLink();
    Detach();
}

void CDeviceSession::Attach() {
    command_.SetNotifyWnd(&relay_);
    g_MainView = &relay_;
}

void CDeviceSession::Detach() {
    IViewNotify* mine = &relay_;
    g_MainView.compare_exchange_strong(mine, nullptr);
    if (command_.GetNotifyWnd() == &relay_) command_.SetNotifyWnd(nullptr);
}

void CDeviceSession::WatchHotplug(std::function<void(std::function<void()>)> runOnUi) {
    if (!watchHotplug_ || hotplug_) return;
    hotplug_ = std::make_unique<CUdevMonitor>([this, runOnUi](const HotplugEvent& event) {
        runOnUi([this, event] { usb_.OnDeviceChange(event); });
    });
    if (!hotplug_->Start()) hotplug_.reset(); // no hot-plug then; connecting still works
}

void CDeviceSession::StopWatchingHotplug() {
    hotplug_.reset();
    // A hot-plug event still queued must not connect a session that is going.
    usb_.SetHost(nullptr);
}

void CDeviceSession::Say(const char* text, int ms) {
    if (host_) host_->Say(text, ms);
}

// ---------------------------------------------------------------------------
// Connecting
// ---------------------------------------------------------------------------

void CDeviceSession::FinishConnect() {
    command_.Clear();
    model_.ClearChangeFlags(0);
    BeginLink();
    transferCount_ = 0;
    worker_.SetConnected(true);
    {
        DeviceLockGuard lock(g_DeviceLock);
        SendInitialReads(0);
    }
    std::fill(std::begin(g_HidInReport), std::end(g_HidInReport), 0);
    if (host_) host_->ShowLinkState(true);
    StartIo();
}

void CDeviceSession::FirstConnect() {
    CloseHeldLink();
    // The start page may already have connected.
    if (!IsConnected() && g_ConnectionKind.load() == 0 && usb_.OpenUsbDevice()) FinishConnect();
    // Whatever became of USB, the network module is watched from now on.
    net_.StartProbe();
}

void CDeviceSession::ConnectDevice() {
    CloseHeldLink();
    switch (g_ConnectionKind.load()) {
    case kLinkUsb:
        command_.SetNotifyWnd(&relay_);
        if (usb_.OpenUsbDevice())
            FinishConnect();
        else
            ShowConnectionFailure();
        break;
    case kLinkNetwork:
        // A new probe has not seen the module yet: it connects as soon as the
        // module answers, without a failure message meanwhile.
        g_ConnectionKind = kLinkNone;
        net_.StartProbe();
        break;
    default:
        break;
    }
}

bool CDeviceSession::ConnectUsb() {
    CloseHeldLink();
    g_ConnectionKind = kLinkUsb;
    if (usb_.OpenUsbDevice()) {
        FinishConnect();
        return true;
    }
    Say(usb_.UsbFailureText());
    g_ConnectionKind = kLinkNone;
    return false;
}

bool CDeviceSession::ConnectUsbPath(const std::string& path) {
    CloseHeldLink();
    if (!usb_.IsUsbPathFree(path)) return false;
    SetChosenUsbPath(path);
    if (!usb_.OpenHidDevice()) return false;
    g_ConnectionKind = kLinkUsb;
    FinishConnect();
    return true;
}

std::vector<std::string> CDeviceSession::FreeUsbDevices() {
    usb_.EnumerateUsbDevices();
    g_UsbDevicePathsCopy->clear();
    for (const std::string& path : FoundUsbPaths())
        if (usb_.IsUsbPathFree(path)) g_UsbDevicePathsCopy->push_back(path);
    return g_UsbDevicePathsCopy;
}

bool CDeviceSession::NetConnect() {
    int none = kLinkNone;
    if (!g_ConnectionKind.compare_exchange_strong(none, kLinkNetwork)) return false;
    CloseHeldLink();
    if (net_.IsDeviceOnLocalSubnet() && net_.Connect()) {
        g_ReconnectCount = 0;
        command_.SetNotifyWnd(&relay_);
        command_.Clear();
        model_.ClearChangeFlags(0);
        BeginLink();
        transferCount_ = 0;
        worker_.SetConnected(true);
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_NetLinkUp = 1;
            SendInitialReads(0);
        }
        StartIo();
        if (host_) host_->ShowLinkState(true);
        return true;
    }
    Say(g_NetFailText.Pick());
    g_ConnectionKind = kLinkNone;
    return false;
}

bool CDeviceSession::NetReconnect() {
    CloseHeldLink();
    net_.Close();
    Pause(timings_.viewReconnectPause);
    if (!net_.Connect()) return false;
    if (host_) host_->HideTransfer();
    return true;
}

bool CDeviceSession::OnMessage(unsigned msg, WPARAM, LPARAM lParam) {
    switch (msg) {
    case WM_FIRST_CONNECT:
        FirstConnect();
        return true;
    case WM_NET_REACHABLE:
        OnDeviceReachable();
        return true;
    case WM_NET_LINK_UP:
        OnNetConnected();
        return true;
    case WM_DEVICE_VERSION: {
        TextFieldErrors refused;
        OnVersionReceived(&refused);
        if (host_ && !refused.empty()) host_->SayRefusedTexts(refused);
        return true;
    }
    case WM_LINK_LOST:
        OnLinkLost();
        return true;
    case WM_DEVICE_ABNORMAL:
        OnDeviceAbnormal();
        return true;
    case WM_TRANSFER_STEP:
        OnTransferDone();
        return true;
    case WM_LONG_COMMAND_DONE:
        OnLongCommandDone(lParam);
        return true;
    case WM_NET_RECONNECT:
        OnReconnect();
        return true;
    case WM_NET_BYTES:
        OnNetBytes(lParam);
        return true;
    case WM_FIRMWARE_DONE:
        OnFirmwareUpdateDone(lParam);
        return true;
    case WM_FIRMWARE_START_FAILED:
        OnFirmwareStartFailed();
        return true;
    default:
        return false;
    }
}

void CDeviceSession::OnDeviceReachable() {
    if (NetConnect()) notify_.Post(WM_NET_LINK_UP, 0, 0);
}

void CDeviceSession::OnNetConnected() {
    // The probe's thread stays; only its ticks stop while the link is up.
    net_.StopProbe(true);
}

void CDeviceSession::OnReconnect() {
    if (++g_ReconnectCount <= 2 && NetReconnect()) {
        command_.ResetReceive();
        StartIo();
        return;
    }
    StopIo(true);
    CloseNetLink();
    g_ReconnectCount = 0;
    ShowConnectionFailure();
}

void CDeviceSession::OnNetBytes(LPARAM count) {
    command_.FeedNetBytes(static_cast<int>(count));
}

// ---------------------------------------------------------------------------
// Reads of a new connection and the version check
// ---------------------------------------------------------------------------

void CDeviceSession::SendInitialReads(int full) {
    if (!full) {
        g_StateFlags[kFlagInitialRead] = 1;
        command_.AddPacket(BuildSystemReadPacket(kRecordDeviceInfo, 0));
        command_.AddPacket(BuildSystemReadPacket(kRecordVersion, 0));
        return;
    }
    auto read = [this](int record, int slot) {
        QueueWithProgress(BuildSystemReadPacket(record, slot));
    };
    // The stored presets' names, then the current data's records.
    for (int slot = 1; slot <= kStoredPresetCount; ++slot)
        read(kRecordPresetName, slot);
    for (int i = 0; i < 6; ++i)
        read(g_InitialReadCodes[i], 0);
    read(kRecordSourceSetup, 0);
    read(kRecordDeviceKept, 0);
}

void CDeviceSession::OnVersionReceived(TextFieldErrors* refused) {
    // A late reply after the link was closed has nothing to check.
    if (!IsConnected()) return;
    // A copy: the worker stores the next version reply under the lock.
    const auto version = g_DeviceRecords.VersionBytes();
    const char* text = reinterpret_cast<const char*>(version.data());
    int variant = 0;
    if (std::memcmp(text, kVersionFamilyF, kVersionFamilyLength) == 0)
        variant = 1;
    else if (std::memcmp(text, kVersionFamilyW, kVersionFamilyLength) == 0)
        variant = 2;
    if (!variant) {
        // Not a device of ours: let it go without a word.
        Disconnect();
        command_.Clear();
        g_DeviceRecords.BlankVersion();
        return;
    }
    g_DeviceVariant = variant;
    if (HasUnsentChanges()) {
        // The user decides before the device's data replaces the window's.
        const unsigned link = linkNumber_;
        asking_ = true;
        const bool send = host_ && host_->AskToSendUnsentChanges();
        asking_ = false;
        // The link went while the user decided (another may have come): the
        // changes wait for the next connection.
        if (!IsConnected() || link != linkNumber_) return;
        if (send)
            SendUnsentChanges(refused); // the reads below bring them back
        else
            ForgetUnsentChanges();
    }
    {
        DeviceLockGuard lock(g_DeviceLock);
        SendInitialReads(1);
        LoadDevicePreset(0);
    }
    g_DeviceSynced = 1;
}

// ---------------------------------------------------------------------------
// Changes the device has not had
// ---------------------------------------------------------------------------

void CDeviceSession::BeginLink() {
    ++linkNumber_;
    editsOnLink_ = true;
    // Until the user has answered, the poller sends nothing of the window's
    // own: not its name, and no rename of the data to "Custom".
    if (HasUnsentChanges()) {
        g_SendCmd0Pending = 0;
        g_ParamSentFlag = 0;
    }
}

bool CDeviceSession::HasUnsentChanges() const {
    return g_UnsentEdits.load() || !unsentRecords_.empty();
}

void CDeviceSession::NoteUnsentRecord(int record) {
    switch (record) {
    case kRecordSources:
    case kRecordMaster:
    case kRecordOutputMapA:
    case kRecordOutputMapB:
    case kRecordSourceSetup:
    case kRecordDeviceKept:
    case kRecordPageTable:
        if (std::find(unsentRecords_.begin(), unsentRecords_.end(), record) == unsentRecords_.end())
            unsentRecords_.push_back(record);
        break;
    default:
        break; // commands and names: nothing the window keeps
    }
}

void CDeviceSession::ForgetUnsentChanges() {
    g_UnsentEdits = 0;
    unsentRecords_.clear();
}

void CDeviceSession::SendUnsentChanges(TextFieldErrors* refused) {
    {
        // Channel edits made without a link live in the model only.
        DeviceLockGuard lock(g_DeviceLock);
        const TextFieldErrors errors = model_.WriteAllToImage();
        if (refused) refused->insert(refused->end(), errors.begin(), errors.end());
    }
    SendPresetToDevice(0, false, refused);
    for (int record : unsentRecords_) {
        // The preset transfer carries the master and the output map itself.
        if (record == kRecordMaster || record == kRecordOutputMapA || record == kRecordOutputMapB)
            continue;
        SendCommand(record, 0);
    }
}

// ---------------------------------------------------------------------------
// Ending a link
// ---------------------------------------------------------------------------

void CDeviceSession::Disconnect() {
    StopIo(true);
    // The device has always seen its connection go a moment after the last
    // exchange; the window shows the link closed at once and goes on.
    CloseHeldLink();
    heldUsb_ = usb_.ReleaseDevice();
    heldSocket_ = net_.ReleaseSocket();
    CloseCurrentLink();
    const unsigned number = ++heldNumber_;
    if (defer_ && timings_.closePause > 0)
        defer_(timings_.closePause, [this, number] {
            if (number == heldNumber_) CloseHeldLink();
        });
    else
        CloseHeldLink();
}

void CDeviceSession::CloseHeldLink() {
    heldUsb_.reset();
    CNet_Socket::CloseReleased(heldSocket_);
    heldSocket_ = -1;
}

// What closing a link of either kind leaves: not connected, not synchronised,
// no transfer, nothing marked for sending.
void CDeviceSession::ClearLinkState(int kind) {
    NoteInterruptedTransfer();
    NoteEditsLeftUnsent();
    worker_.SetConnected(false);
    g_TransferRunning = 0;
    g_DeviceSynced = 0;
    if (host_) host_->ClearLinkDisplay(kind);
    model_.ClearChangeFlags(0);
    if (host_) {
        host_->HideTransfer();
        host_->ShowLinkState(false);
    }
}

bool CDeviceSession::CloseUsbLink() {
    usb_.CloseHidDevice();
    std::fill(std::begin(g_HidOutReport), std::end(g_HidOutReport), 0);
    std::fill(std::begin(g_HidInReport), std::end(g_HidInReport), 0);
    g_StateFlags[kFlagConnectedCopy] = 0;
    g_StateFlags[kFlagSendCmd5] = 0;
    g_StateFlags[kFlagSendCmd2] = 0;
    ClearLinkState(kLinkUsb);
    usb_.UnmarkUsbDevice();
    g_ConnectionKind = kLinkNone;
    ResetUsbLinkState();
    return true;
}

bool CDeviceSession::CloseNetLink() {
    net_.Close();
    ClearLinkState(kLinkNetwork);
    g_ConnectionKind = kLinkNone;
    ResetNetLinkState();
    return true;
}

void CDeviceSession::CloseCurrentLink() {
    switch (g_ConnectionKind.load()) {
    case kLinkUsb:
        CloseUsbLink();
        break;
    case kLinkNetwork:
        CloseNetLink();
        break;
    default:
        // A serial link is never opened by this program; whatever is left
        // of a link without a kind is ended as a USB link would be.
        CloseUsbLink();
        break;
    }
}

int CDeviceSession::DisconnectDevice() {
    StopIo(true);
    CloseCurrentLink();
    return 0;
}

void CDeviceSession::OnLinkLost() {
    if (!IsConnected()) return;
    StopIo(true);
    if (g_StateFlags[kFlagFirmwareMode].load()) {
        EndFirmwareMode();
        firmware_.Display().SetTip(kFirmwareFailedText.Pick());
        Say(kFirmwareFailedText.Pick(), kWarningMs);
    }
    ShowConnectionFailure();
    CloseCurrentLink();
    command_.Clear();
}

void CDeviceSession::OnDeviceAbnormal() {
    if (IsConnected()) {
        StopIo(true);
        CloseCurrentLink();
    }
    Say(kAbnormalDeviceText.Pick(), kWarningMs);
}

void CDeviceSession::CloseLinkOnDeviceRemoval() {
    if (IsConnected()) {
        StopIo(true);
        CloseCurrentLink();
    }
    if (g_StateFlags[kFlagFirmwareMode].load()) {
        Say(kFirmwareFailedText.Pick(), kWarningMs);
        firmware_.Display().SetTip(kFirmwareFailedText.Pick());
    }
}

void CDeviceSession::OnTransferDone() {
    g_TransferRunning = 0;
}

void CDeviceSession::OnLongCommandDone(LPARAM result) {
    switch (g_ConnectionKind.load()) {
    case kLinkUsb:
        g_TransferRunning = 0;
        Say(result ? g_WifiResetOkText.Pick() : g_WifiResetFailText.Pick());
        break;
    case kLinkNetwork:
        // The module starts again at its factory address.
        ResetDeviceAddress();
        if (host_) host_->PressConnectButton();
        net_.SetReachable(false);
        Say(g_NetFailText.Pick());
        break;
    default:
        break;
    }
}

void CDeviceSession::ShowConnectionFailure() {
    Say(g_ConnectionKind.load() == kLinkNetwork ? g_NetFailText.Pick() : usb_.UsbFailureText());
}

void CDeviceSession::ShowUsbFailureUnlessUpdating() {
    if (!g_StateFlags[kFlagFirmwareMode].load()) Say(usb_.UsbFailureText());
}

// ---------------------------------------------------------------------------
// Command senders
// ---------------------------------------------------------------------------

void CDeviceSession::Queue(PacketPtr frame) {
    if (!frame) return;
    DeviceLockGuard lock(g_DeviceLock);
    command_.AddPacket(std::move(frame));
}

void CDeviceSession::SendCommand(int record, int index) {
    if (!IsConnected()) {
        if (index == 0) NoteUnsentRecord(record);
        return;
    }
    const bool longCommand = record == kRecordLongCommand;
    {
        DeviceLockGuard lock(g_DeviceLock);
        SendDataPtr packet = ToSendData(BuildSystemPacket(record, index));
        if (packet && longCommand) packet->SetLongWait(1);
        command_.AddPacket(std::move(packet));
        if (longCommand) g_TransferRunning = 1;
    }
    if (longCommand && host_) host_->ShowFactoryTransfer();
}

void CDeviceSession::SendOutputMap(int output, int mode) {
    if (mode != 0 && mode != 1) return;
    DeviceLockGuard lock(g_DeviceLock);
    const bool connected = IsConnected();
    if (mode == 0) {
        CKTV_OutData* out = model_.GetOut(output);
        if (!out) return;
        out->SetSpeakerType(g_OutputSpeakerType[output]);
        if (!connected) {
            NoteUnsentRecord(kRecordOutputMapA);
            NoteUnsentRecord(kRecordOutputMapB);
            return;
        }
        command_.AddPacket(BuildSystemPacket(kRecordOutputMapA, 0));
        command_.AddPacket(BuildSystemPacket(kRecordOutputMapB, 0));
        command_.AddPacket(out->WriteCrossoverFromFilters());
        return;
    }
    if (!connected) {
        NoteUnsentRecord(kRecordOutputMapA);
        NoteUnsentRecord(kRecordOutputMapB);
        return;
    }
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapA, 0));
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapB, 0));
    for (int i = 0; i < kOutputCount; ++i)
        if (CKTV_OutData* out = model_.GetOut(i))
            command_.AddPacket(out->WriteCrossoverFromFilters());
}

void CDeviceSession::SendPresetSelect(int preset) {
    if (!IsConnected()) return;
    DeviceLockGuard lock(g_DeviceLock);
    command_.AddPacket(BuildSystemPacket(kRecordPresetName, preset));
    g_DeviceRecords.SetCurrentStoredPreset(0);
    command_.AddPacket(BuildSystemPacket(kRecordPresetSelect, 0));
}

void CDeviceSession::MuteOutputsForTransfer(int restore) {
    DeviceLockGuard lock(g_DeviceLock);
    if (restore) {
        g_DeviceRecords.SetMasterOn(savedMasterOn_);
        QueueMasterRestore();
        return;
    }
    savedMasterOn_ = g_DeviceRecords.MasterOn();
    g_DeviceRecords.SetMasterOn(0);
    SendDataPtr packet = ToSendData(BuildSystemPacket(kRecordMaster, 0));
    if (!packet) return;
    packet->SetMutesMaster(1);
    command_.AddPacket(std::move(packet));
}

void CDeviceSession::QueueMasterRestore() {
    SendDataPtr packet = ToSendData(BuildSystemPacket(kRecordMaster, 0));
    if (!packet) return;
    packet->SetRestoresMaster(1);
    command_.AddPacket(std::move(packet));
}

void CDeviceSession::NoteInterruptedTransfer() {
    command_.ForEachPacket([this](const CSendData& p) {
        const uint8_t* frame = p.GetData();
        if (!p.RestoresMaster() || !frame || p.GetLength() <= kFrameHeaderSize + kMasterOnByte)
            return;
        interrupted_ = true;
        interruptedOn_ = frame[kFrameHeaderSize + kMasterOnByte];
    });
}

void CDeviceSession::NoteEditsLeftUnsent() {
    // Once per link: a later close finds only what this one left queued.
    if (!editsOnLink_) return;
    editsOnLink_ = false;
    if (model_.HasPendingChanges()) g_UnsentEdits = 1;
    if (g_SendCmd5Pending.load()) NoteUnsentRecord(kRecordMaster);
    if (g_SendCmd2Pending.load()) NoteUnsentRecord(kRecordSources);
    bool channels = false;
    std::vector<int> records;
    command_.ForEachPacket([&](const CSendData& p) {
        const uint8_t* frame = p.GetData();
        // Reads, the status request, firmware steps, writes to stored
        // presets and a transfer's muting are no edits of the window's data.
        if (!frame || p.GetLength() < kFrameHeaderSize || frame[4] != kCmdWrite || frame[6] != 0 ||
            p.GetCommand() != 0 || p.MutesMaster() || p.RestoresMaster())
            return;
        if (frame[7] == kGroupSystem)
            records.push_back(frame[8]);
        else
            channels = true;
    });
    if (channels) g_UnsentEdits = 1;
    // Only the records the window keeps are noted.
    for (int record : records)
        NoteUnsentRecord(record);
}

bool CDeviceSession::RestoreAfterInterruptedTransfer() {
    if (!interrupted_ || !IsConnected()) return false;
    interrupted_ = false;
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceRecords.SetMasterOn(interruptedOn_);
        command_.AddPacket(BuildSystemPacket(kRecordMaster, 0));
    }
    Say(kTransferIncompleteText.Pick(), kWarningMs);
    return true;
}

void CDeviceSession::RequestDataResync() {
    Queue(BuildSystemPacket(kRecordResync, 0));
}

// ---------------------------------------------------------------------------
// Device preset transfers. Every operation only queues packets, under
// g_DeviceLock; the replies move the transfer window's bar and the one
// flagged to notify ends the transfer.
// ---------------------------------------------------------------------------

void CDeviceSession::QueueWithProgress(PacketPtr frame, int notify, bool advance) {
    SendDataPtr packet = ToSendData(std::move(frame));
    if (!packet) return;
    packet->SetProgressValue(transferCount_);
    packet->SetBlockFlag(1);
    if (notify == kNotifySent) packet->SetNotifyWhenSent(1);
    if (notify == kNotifyDone) packet->SetNotifyWhenDone(1);
    command_.AddPacket(std::move(packet));
    if (advance) ++transferCount_;
}

void CDeviceSession::StartTransferWindow(bool setViewProgress) {
    if (host_) host_->ResetTransferProgress(transferCount_, setViewProgress);
    g_TransferRunning = 1;
    if (host_) host_->ShowPresetTransfer();
}

void CDeviceSession::SendPresetToDevice(int preset, bool fromModel, TextFieldErrors* refused) {
    if (!IsConnected()) {
        if (preset != 0)
            ShowConnectionFailure();
        else
            g_UnsentEdits = 1; // the current data was replaced (a file, the lock)
        return;
    }
    if (!ValidPreset(preset)) return;
    DeviceLockGuard lock(g_DeviceLock);
    transferCount_ = 0;
    if (fromModel) {
        const TextFieldErrors errors = model_.WriteAllToImage();
        if (refused) refused->insert(refused->end(), errors.begin(), errors.end());
    } else
        MuteOutputsForTransfer(0);
    g_DeviceRecords.SetCurrentStoredPreset(preset);
    command_.AddPacket(TransferMarker(1, preset));
    QueueWithProgress(BuildSystemPacket(kRecordPresetName, preset));
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapA, 0));
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapB, 0));
    if (fromModel) {
        QueueWithProgress(BuildSystemPacket(kRecordPresetName, 0));
        QueueWithProgress(BuildSystemPacket(kRecordPresetSelect, 0));
    }
    for (int i = 0; i < kMusicInputCount; ++i)
        QueueWithProgress(BuildBlockPacket(preset, kGroupMusic, i, 1, 1));
    // The last block carries the final value, so the bar ends at its maximum.
    for (int o = 0; o < kOutputCount; ++o) {
        const bool last = o == kOutputCount - 1;
        QueueWithProgress(BuildBlockPacket(preset, kGroupOutput, o, 1, 1, refused),
                          last ? kNotifySent : kNotifyNone, !last);
    }
    command_.AddPacket(TransferMarker(0, preset));
    if (!fromModel) MuteOutputsForTransfer(1);
    g_ParamSentFlag = 0;
    StartTransferWindow(true);
}

void CDeviceSession::SendAllPresetsToDevice(TextFieldErrors* refused) {
    if (!IsConnected()) {
        g_UnsentEdits = 1;
        return;
    }
    DeviceLockGuard lock(g_DeviceLock);
    transferCount_ = 0;
    const int masterOn = g_DeviceRecords.MasterOn();
    MuteOutputsForTransfer(0);
    command_.AddPacket(TransferMarker(1, 0));
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapA, 0));
    command_.AddPacket(BuildSystemPacket(kRecordOutputMapB, 0));
    for (int i = 0; i < kMusicInputCount; ++i)
        QueueWithProgress(BuildBlockPacket(0, kGroupMusic, i, 1, 1));
    for (int o = 0; o < kOutputCount; ++o)
        QueueWithProgress(BuildBlockPacket(0, kGroupOutput, o, 1, 1, refused));
    command_.AddPacket(TransferMarker(0, 0));
    for (int n = 1; n <= kStoredPresetCount; ++n) {
        command_.AddPacket(TransferMarker(1, n));
        QueueWithProgress(BuildSystemPacket(kRecordPresetName, n));
        for (int i = 0; i < kMusicInputCount; ++i)
            QueueWithProgress(BuildBlockPacket(n, kGroupMusic, i, 0, 1));
        for (int o = 0; o < kOutputCount; ++o) {
            const bool last = n == kStoredPresetCount && o == kOutputCount - 1;
            QueueWithProgress(BuildBlockPacket(n, kGroupOutput, o, 0, 1),
                              last ? kNotifySent : kNotifyNone);
        }
        command_.AddPacket(TransferMarker(0, n));
    }
    g_DeviceRecords.SetMasterOn(masterOn);
    command_.AddPacket(BuildSystemPacket(kRecordSources, 0));
    QueueMasterRestore();
    g_ParamSentFlag = 0;
    StartTransferWindow(true);
}

void CDeviceSession::LoadDevicePreset(int preset) {
    // Edits made until the data is complete are not marked for sending.
    g_DeviceSynced = 0;
    if (!IsConnected()) {
        ShowConnectionFailure();
        return;
    }
    if (!ValidPreset(preset)) return;
    // Preset 0 is the connect sequence's read: its caller holds the lock and
    // the counter goes on from the initial reads.
    DeviceLockGuard lock(g_DeviceLock);
    g_ParamSentFlag = 0;
    g_DeviceRecords.SetCurrentStoredPreset(preset);
    if (preset != 0) {
        transferCount_ = 0;
        MuteOutputsForTransfer(0);
    }
    for (int i = 0; i < kMusicInputCount; ++i)
        QueueWithProgress(BuildBlockReadPacket(preset, kGroupMusic, i, 1, 1));
    for (int o = 0; o < kOutputCount; ++o) {
        const bool last = o == kOutputCount - 1;
        QueueWithProgress(BuildBlockReadPacket(preset, kGroupOutput, o, 1, 1),
                          last ? kNotifyDone : kNotifyNone, !last);
    }
    if (host_) host_->ResetTransferProgress(transferCount_, false);
    g_TransferRunning = 1;
    if (preset != 0) {
        QueueWithProgress(BuildSystemPacket(kRecordPresetName, 0));
        MuteOutputsForTransfer(1);
        if (host_) host_->ShowTransfer(1);
    } else if (host_) {
        host_->ShowTransfer(0);
    }
    g_ParamSentFlag = 0;
}

void CDeviceSession::ReadAllPresetsForFile() {
    DeviceLockGuard lock(g_DeviceLock);
    transferCount_ = 0;
    for (int n = 1; n <= kStoredPresetCount; ++n) {
        for (int i = 0; i < kMusicInputCount; ++i)
            QueueWithProgress(BuildBlockReadPacket(n, kGroupMusic, i, 0, 1));
        for (int o = 0; o < kOutputCount; ++o) {
            const bool last = n == kStoredPresetCount && o == kOutputCount - 1;
            QueueWithProgress(BuildBlockReadPacket(n, kGroupOutput, o, 0, 1),
                              last ? kNotifyDone : kNotifyNone);
        }
    }
    StartTransferWindow(true);
}

// The channel goes off before its block and back on after it, through its own
// setter with the change mark cleared, so the poller sends nothing of its own.
void CDeviceSession::SendInputChannelBlock(int input, TextFieldErrors* refused) {
    if (!IsConnected()) {
        g_UnsentEdits = 1;
        return;
    }
    DeviceLockGuard lock(g_DeviceLock);
    CMusic_InData* in = model_.GetMusic(input);
    if (!in) return;
    MuteOutputsForTransfer(0);
    savedOnOff_ = in->GetOn();
    in->SetOn(0);
    in->SetBasicDirty(0);
    command_.AddPacket(in->WriteBasicItem(1));
    const TextFieldError error = in->WriteAllItems();
    if (refused && error != TextFieldError::None) refused->push_back(error);
    command_.AddPacket(BuildBlockPacket(0, kGroupMusic, input, 1, 1));
    in->SetOn(savedOnOff_);
    in->SetBasicDirty(0);
    command_.AddPacket(in->WriteBasicItem(1));
    MuteOutputsForTransfer(1);
}

// The output's basic item with the output switched off; the value it had is kept.
void CDeviceSession::QueueOutputOff(CKTV_OutData& out) {
    savedOnOff_ = out.GetOutputOn();
    out.SetOutputOn(0);
    out.SetBasicDirty(0);
    command_.AddPacket(out.WriteBasicItem(1));
}

void CDeviceSession::SendOutputBlock(int output, TextFieldErrors* refused) {
    if (!IsConnected()) {
        g_UnsentEdits = 1;
        return;
    }
    DeviceLockGuard lock(g_DeviceLock);
    CKTV_OutData* out = model_.GetOut(output);
    if (!out) return;
    QueueOutputOff(*out);
    out->WriteAllItems();
    command_.AddPacket(BuildBlockPacket(0, kGroupOutput, output, 1, 1, refused));
    out->SetOutputOn(static_cast<uint8_t>(savedOnOff_));
    out->SetBasicDirty(0);
    command_.AddPacket(out->WriteBasicItem(1));
}

void CDeviceSession::SendOutputOffFrame(int output) {
    if (!IsConnected()) return;
    DeviceLockGuard lock(g_DeviceLock);
    CKTV_OutData* out = model_.GetOut(output);
    if (!out) return;
    QueueOutputOff(*out);
    // Back on in the model only: no packet, no mark.
    out->SetOutputOn(static_cast<uint8_t>(savedOnOff_));
    out->SetBasicDirty(0);
}

void CDeviceSession::CopyOutputEq(int from, int to, TextFieldErrors* refused) {
    DeviceLockGuard lock(g_DeviceLock);
    CKTV_OutData* a = model_.GetOut(from);
    CKTV_OutData* b = model_.GetOut(to);
    if (!a || !b || a == b) return;
    b->CopyEqFrom(*a);
    if (!IsConnected()) {
        g_UnsentEdits = 1;
        return;
    }
    b->WriteAllItems();
    command_.AddPacket(BuildBlockPacket(0, kGroupOutput, to, 1, 1, refused));
}

// ---------------------------------------------------------------------------
// Firmware update
// ---------------------------------------------------------------------------

bool CDeviceSession::LoadUpdateFile() {
    // Whatever the file holds, nothing of an earlier file stays.
    firmware_.Reset();
    UpdateImage image;
    switch (ReadUpdateFile(g_HexFilePath, image)) {
    case UpdateFileResult::CannotOpen:
        Say(g_UpdateFileErrorText.Pick(), PromptNoClose());
        g_HexFilePath->clear();
        return false;
    case UpdateFileResult::Refused:
        Say(g_UpdateFileErrorText.Pick(), PromptNoClose());
        return false;
    case UpdateFileResult::Ok:
        break;
    }
    const unsigned range = image.progressRange;
    firmware_.Load(std::move(image));
    if (host_) host_->ShowUpdateRange(static_cast<int>(range));
    return true;
}

std::vector<std::string> CDeviceSession::DetectUsbDevices() {
    usb_.EnumerateUsbDevices();
    g_UsbDevicePathsCopy = FoundUsbPaths();
    return g_UsbDevicePathsCopy;
}

void CDeviceSession::BeginFirmwareMode() {
    command_.Clear();
    editsOnLink_ = false;
    // The bar of this file, before the first step can be acknowledged.
    firmware_.Display().SetRange(firmware_.StepTotal());
    g_StateFlags[kFlagFirmwareMode] = 1;
    StartIo();
}

void CDeviceSession::EndFirmwareMode() {
    g_StateFlags[kFlagFirmwareMode] = 0;
    // A later removal of the device is an ordinary one again.
    g_LastFirmwareCode = 0;
}

bool CDeviceSession::ConnectFirmwareUsb(const std::string& path) {
    CloseHeldLink();
    if (!usb_.IsUsbPathFree(path)) return false;
    SetChosenUsbPath(path);
    if (!usb_.OpenHidDevice()) return false;
    BeginFirmwareMode();
    return true;
}

bool CDeviceSession::ConnectFirmwareNetwork() {
    CloseHeldLink();
    if (!net_.IsReachable() || !net_.Connect()) return false;
    g_NetLinkUp = 1;
    BeginFirmwareMode();
    return true;
}

bool CDeviceSession::FirmwareModuleAnswers(const CancelCheck& cancelled) {
    return net_.IsReachable() && net_.Ping(cancelled);
}

bool CDeviceSession::RetryFirmwareConnect(bool quiet, bool moduleAnswers) {
    CloseHeldLink();
    CUpdateDisplayPort& display = firmware_.Display();
    switch (g_ConnectionKind.load()) {
    case kLinkUsb:
        if (usb_.OpenUsbDevice()) {
            BeginFirmwareMode();
            return true;
        }
        if (quiet) {
            display.SetTip(g_ConnectedUsbText.Pick());
            usb_.UnmarkUsbDevice();
            return false;
        }
        EndFirmwareMode();
        ShowConnectionFailure();
        command_.Clear();
        if (display.HasDisplay()) Say(g_UpdateFailedBangText.Pick(), kWarningMs);
        return false;
    case kLinkNetwork:
        if (moduleAnswers && net_.IsReachable() && net_.Connect()) {
            g_NetLinkUp = 1;
            BeginFirmwareMode();
            return true;
        }
        if (quiet) {
            display.SetTip(g_ConnectedNetText.Pick());
            return false;
        }
        EndFirmwareMode();
        command_.Clear();
        display.SetTip(g_UpdateFailedText.Pick());
        notify_.Post(WM_FIRMWARE_START_FAILED, 0, 0);
        return false;
    default:
        // No serial link is opened by the engine: the attempt fails.
        if (quiet) return false;
        EndFirmwareMode();
        ShowConnectionFailure();
        command_.Clear();
        return false;
    }
}

void CDeviceSession::OnFirmwareStartFailed() {
    ShowConnectionFailure();
    Say(g_UpdateFailedText.Pick(), kWarningMs);
}

void CDeviceSession::OnFirmwareUpdateDone(LPARAM step) {
    // A cancel or a lost link may have ended the update first.
    if (step != kStepEnd || !g_StateFlags[kFlagFirmwareMode].load()) return;
    StopIo(true);
    EndFirmwareMode();
    CloseCurrentLink();
    Say(g_UpdateDoneText.Pick(), 2000);
}

void CDeviceSession::CancelFirmwareUpdate() {
    if (IsConnected()) {
        StopIo(true);
        CloseCurrentLink();
    }
    EndFirmwareMode();
    Say(g_UpdateFailedBangText.Pick(), kWarningMs);
}
