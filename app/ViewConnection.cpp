// The main view's side of the link: making a connection (at start, on a
// plugged-in device, when the network module becomes reachable, from the
// connect button and its popups), the reads of a new connection and the
// version check, ending a link (by the user, on a lost link, on an abnormal
// device), and the command senders the pages use.
#include "app/DisplayDlg.h"
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "controls/ColorMenu.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/SpeakerTypes.h"

#include <QLineEdit>
#include <QMenu>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

const BiText kNothingToOpenText{"没有连接可以打开", "No connection can be opened"};
const BiText kAbnormalDeviceText{"设备异常 请更新固件!", "Please Update the Firmware!"};
const BiText kFirmwareFailedText{"固件更新失败", "The firmware update failed"};

// The two firmware families the program drives, by the start of their version texts.
constexpr char kVersionFamilyF[] = "VELK-F";
constexpr char kVersionFamilyW[] = "VELK-W";
constexpr size_t kVersionFamilyLength = 6;

// Shown for 2000 ms (prompt caption) or 2001 ms (warning caption).
void Say(const char* text, int milliseconds = 2000) {
    ShowMessageBox(nullptr, text, g_ProductTitle, MB_OK, g_LanguageFlag.load(), milliseconds);
}

void Pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

// ---------------------------------------------------------------------------
// Connecting
// ---------------------------------------------------------------------------

void CLumaraView::FinishConnect() {
    m_Command.Clear();
    m_Data->ClearChangeFlags(0);
    m_TransferCount = 0;
    m_Worker.SetConnected(true);
    {
        DeviceLockGuard lock(g_DeviceLock);
        SendInitialReads(0);
    }
    std::fill(std::begin(g_HidInReport), std::end(g_HidInReport), 0);
    SetLinkStatusDisplay(1);
    StartIo();
}

LRESULT CLumaraView::OnFirstConnect(WPARAM, LPARAM) {
    // The start page may already have connected this view.
    if (!IsConnected() && g_ConnectionKind.load() == 0 && OpenUsbDevice()) FinishConnect();
    // Whatever became of USB, the network module is watched from now on.
    m_Net.StartProbe();
    return 0;
}

void CLumaraView::ConnectDevice() {
    switch (g_ConnectionKind.load()) {
    case 1:
        m_Command.SetNotifyWnd(&m_Relay);
        if (OpenUsbDevice())
            FinishConnect();
        else
            ShowConnectionFailure();
        break;
    case 2:
        // A new view's probe has not seen the module yet: it connects as soon
        // as the module answers, without a failure message meanwhile.
        g_ConnectionKind = 0;
        m_Net.StartProbe();
        break;
    default: break;
    }
}

void CLumaraView::OnConnectUsb() {
    g_ConnectionKind = 1;
    if (OpenUsbDevice()) {
        FinishConnect();
        return;
    }
    Say(m_Usb.UsbFailureText());
    g_ConnectionKind = 0;
}

bool CLumaraView::ConnectUsbPath(const std::string& path) {
    if (!IsUsbPathFree(path)) return false;
    g_UsbDevicePath = path;
    if (!OpenHidDevice()) return false;
    g_ConnectionKind = 1;
    FinishConnect();
    return true;
}

void CLumaraView::OnUsbDeviceChosen(int command) {
    const size_t i = static_cast<size_t>(command - ID_USB_DEVICE_FIRST);
    if (command < ID_USB_DEVICE_FIRST || i >= g_UsbDevicePathsCopy.size()) return;
    if (!ConnectUsbPath(g_UsbDevicePathsCopy[i])) Say(m_Usb.UsbFailureText());
}

bool CLumaraView::NetConnect() {
    int none = 0;
    if (!g_ConnectionKind.compare_exchange_strong(none, 2)) return false;
    if (m_Net.IsDeviceOnLocalSubnet() && m_Net.Connect()) {
        g_ReconnectCount = 0;
        m_Command.SetNotifyWnd(&m_Relay);
        m_Command.Clear();
        m_Data->ClearChangeFlags(0);
        m_TransferCount = 0;
        m_Worker.SetConnected(true);
        {
            DeviceLockGuard lock(g_DeviceLock);
            g_NetLinkUp = 1;
            SendInitialReads(0);
        }
        StartIo();
        SetLinkStatusDisplay(1);
        return true;
    }
    Say(g_NetFailText.Pick());
    g_ConnectionKind = 0;
    return false;
}

bool CLumaraView::NetReconnect() {
    m_Net.Close();
    Pause(m_Timings.viewReconnectPause);
    if (!m_Net.Connect()) return false;
    if (g_TransferDlg) g_TransferDlg->HideTransfer();
    return true;
}

LRESULT CLumaraView::OnDeviceReachable(WPARAM, LPARAM) {
    if (NetConnect()) PostMessage(WM_NET_LINK_UP, 0, 0);
    return 0;
}

LRESULT CLumaraView::OnNetConnected(WPARAM, LPARAM) {
    // The probe's thread stays; only its ticks stop while the link is up.
    StopProbe(true);
    return 0;
}

LRESULT CLumaraView::OnReconnect(WPARAM, LPARAM) {
    if (++g_ReconnectCount <= 2 && NetReconnect()) {
        m_Command.ResetReceive();
        StartIo();
        return 0;
    }
    StopIo(true);
    CloseNetLink();
    g_ReconnectCount = 0;
    ShowConnectionFailure();
    return 0;
}

LRESULT CLumaraView::OnNetBytes(WPARAM, LPARAM count) {
    m_Command.FeedNetBytes(static_cast<int>(count));
    return 0;
}

// ---------------------------------------------------------------------------
// The connect button and its popups
// ---------------------------------------------------------------------------

int CLumaraView::TrackConnectPopup(QMenu& menu, const QPoint& at) {
    const QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

void CLumaraView::OnConnectButton() {
    g_StateFlags[kFlagInitialRead] = 0;
    if (IsConnected()) {
        StopIo(true);
        Pause(m_Timings.closePause);
        CloseCurrentLink();
        return;
    }
    EnumerateUsbDevices();
    g_UsbDevicePathsCopy.clear();
    for (const std::string& path : g_UsbDevicePaths)
        if (IsUsbPathFree(path)) g_UsbDevicePathsCopy.push_back(path);
    const size_t devices = g_UsbDevicePathsCopy.size();
    const bool network = m_Net.IsReachable();

    if (devices == 0) {
        if (network)
            NetConnect();
        else
            Say(kNothingToOpenText.Pick());
        return;
    }
    if (devices == 1 && !network) {
        if (!ConnectUsbPath(g_UsbDevicePathsCopy[0])) Say(m_Usb.UsbFailureText());
        return;
    }
    // Just below the connect button, at its left edge.
    const QRect button = m_ConnectButton->geometry();
    const QPoint at = mapToGlobal(QPoint(button.left(), button.bottom() + 1 + 2));
    CColorMenu menu(this);
    auto add = [&menu](const QString& text, int command) { menu.addAction(text)->setData(command); };
    if (devices == 1) {
        // Menu 114 with its network item named for the module.
        add(QStringLiteral("USB"), ID_CONNECT_USB);
        add(QStringLiteral("WIFI"), ID_CONNECT_NETWORK);
    } else {
        for (size_t i = 0; i < devices; ++i)
            add(QStringLiteral("USB%1").arg(i + 1), ID_USB_DEVICE_FIRST + static_cast<int>(i));
        if (network) add(QString::fromStdString(g_DeviceIpAddress), ID_CONNECT_NETWORK);
    }
    if (const int command = TrackConnectPopup(menu, at)) WindowProc(WM_COMMAND, static_cast<WPARAM>(command), 0);
}

bool CLumaraView::ToggleConnection() {
    OnConnectButton();
    return IsConnected();
}

// ---------------------------------------------------------------------------
// Reads of a new connection and the version check
// ---------------------------------------------------------------------------

void CLumaraView::SendInitialReads(int full) {
    if (!full) {
        g_StateFlags[kFlagInitialRead] = 1;
        m_Command.AddPacket(BuildSystemReadPacket(204, 0));
        m_Command.AddPacket(BuildSystemReadPacket(4, 0));
        return;
    }
    auto read = [this](int record, int slot) { QueueWithProgress(BuildSystemReadPacket(record, slot)); };
    for (int slot = 1; slot <= kStoredPresetCount; ++slot) read(0, slot);
    // Records 0, 52, 2, 5, 6 and 7, then 8 and 9, all of the current data.
    for (int i = 0; i < 6; ++i) read(g_InitialReadCodes[i], 0);
    read(8, 0);
    read(9, 0);
}

LRESULT CLumaraView::OnVersionReceived(WPARAM, LPARAM) {
    // A late reply after the link was closed has nothing to check.
    if (!IsConnected()) return 0;
    const char* text = reinterpret_cast<const char*>(g_DeviceVersionText);
    int variant = 0;
    if (std::memcmp(text, kVersionFamilyF, kVersionFamilyLength) == 0)
        variant = 1;
    else if (std::memcmp(text, kVersionFamilyW, kVersionFamilyLength) == 0)
        variant = 2;
    if (!variant) {
        // Not a device of ours: let it go without a word.
        OnConnectButton();
        m_Command.Clear();
        std::memset(g_DeviceVersionText, ' ', sizeof g_DeviceVersionText);
        return 0;
    }
    g_DeviceVariant = variant;
    {
        DeviceLockGuard lock(g_DeviceLock);
        SendInitialReads(1);
        LoadDevicePreset(0);
    }
    g_DeviceSynced = 1;
    return 0;
}

// ---------------------------------------------------------------------------
// Ending a link
// ---------------------------------------------------------------------------

// What closing a link of either kind leaves: not connected, not synchronised,
// no transfer, no preset name, nothing marked for sending.
void CLumaraView::ClearLinkState() {
    m_Worker.SetConnected(false);
    g_TransferRunning = 0;
    g_DeviceSynced = 0;
    m_Progress->SetPos(0);
    m_PresetNameEdit->clear();
    m_PresetNameButton->setText(QString());
    m_PresetNameButton->SetCheck(0);
    m_Data->ClearChangeFlags(0);
    if (g_TransferDlg) g_TransferDlg->HideTransfer();
    SetLinkStatusDisplay(0);
}

bool CLumaraView::CloseUsbLink() {
    KillTimer(kLinkTimer);
    CloseHidDevice();
    std::fill(std::begin(g_HidOutReport), std::end(g_HidOutReport), 0);
    std::fill(std::begin(g_HidInReport), std::end(g_HidInReport), 0);
    g_StateFlags[23] = 0;
    g_StateFlags[kFlagSendCmd5] = 0;
    g_StateFlags[kFlagSendCmd2] = 0;
    ClearLinkState();
    UnmarkUsbDevice();
    g_ConnectionKind = 0;
    ResetUsbLinkState();
    return true;
}

bool CLumaraView::CloseNetLink() {
    m_Net.Close();
    ClearLinkState();
    g_ConnectionKind = 0;
    ResetNetLinkState();
    return true;
}

void CLumaraView::CloseCurrentLink() {
    switch (g_ConnectionKind.load()) {
    case 1: CloseUsbLink(); break;
    case 2: CloseNetLink(); break;
    default:
        // A serial link is never opened by this program; whatever is left
        // of a link without a kind is ended as a USB link would be.
        CloseUsbLink();
        break;
    }
}

int CLumaraView::DisconnectDevice() {
    StopIo(true);
    CloseCurrentLink();
    return 0;
}

LRESULT CLumaraView::OnLinkLost(WPARAM, LPARAM) {
    if (!IsConnected()) return 0;
    StopIo(true);
    if (g_StateFlags[kFlagFirmwareMode].exchange(0)) Say(kFirmwareFailedText.Pick(), 2001);
    ShowConnectionFailure();
    CloseCurrentLink();
    m_Command.Clear();
    return 0;
}

LRESULT CLumaraView::OnDeviceAbnormal(WPARAM, LPARAM) {
    if (IsConnected()) {
        StopIo(true);
        CloseCurrentLink();
    }
    Say(kAbnormalDeviceText.Pick(), 2001);
    return 0;
}

void CLumaraView::CloseLinkOnDeviceRemoval() {
    if (IsConnected()) {
        StopIo(true);
        CloseCurrentLink();
    }
    if (g_StateFlags[kFlagFirmwareMode].load()) Say(kFirmwareFailedText.Pick(), 2001);
}

LRESULT CLumaraView::OnTransferDone(WPARAM, LPARAM) {
    g_TransferRunning = 0;
    return 0;
}

LRESULT CLumaraView::OnLongCommandDone(WPARAM, LPARAM result) {
    switch (g_ConnectionKind.load()) {
    case 1:
        g_TransferRunning = 0;
        Say(result ? g_WifiResetOkText.Pick() : g_WifiResetFailText.Pick());
        break;
    case 2:
        // The module starts again at its factory address.
        ResetDeviceAddress();
        OnConnectButton();
        m_Net.SetReachable(false);
        Say(g_NetFailText.Pick());
        break;
    default: break;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// What the user sees of the link
// ---------------------------------------------------------------------------

void CLumaraView::SetLinkStatusDisplay(int connected) {
    const bool cn = g_LanguageFlag.load() != 0;
    if (connected) {
        if (cn)
            m_ConnectButton->SetBitmaps(8741, 8750, 8750, 0, 0, 0);
        else
            m_ConnectButton->SetBitmaps(8743, 8752, 8752, 0, 0, 0);
        m_LinkStatus->SetText(QString::fromUtf8(g_ConnectedText.Pick()));
        m_LinkStatus->StopBlink();
    } else {
        if (cn)
            m_ConnectButton->SetBitmaps(8751, 8740, 8740, 0, 0, 0);
        else
            m_ConnectButton->SetBitmaps(8753, 8742, 8742, 0, 0, 0);
        m_LinkStatus->SetText(QString::fromUtf8(g_NotConnectedText.Pick()));
        m_LinkStatus->StartBlink();
    }
    m_LinkStatus->show();
}

void CLumaraView::ShowConnectionFailure() {
    Say(g_ConnectionKind.load() == 2 ? g_NetFailText.Pick() : m_Usb.UsbFailureText());
}

void CLumaraView::ShowUsbFailureUnlessUpdating() {
    if (!g_StateFlags[kFlagFirmwareMode].load()) Say(m_Usb.UsbFailureText());
}

// ---------------------------------------------------------------------------
// Command senders
// ---------------------------------------------------------------------------

void CLumaraView::SendCommand(int code, int index) {
    if (!IsConnected()) return;
    {
        DeviceLockGuard lock(g_DeviceLock);
        PacketPtr packet = BuildSystemPacket(code, index);
        if (packet && code == 65) packet->SetLongWait(1);
        m_Command.AddPacket(std::move(packet));
        if (code == 65) g_TransferRunning = 1;
    }
    if (code == 65 && g_TransferDlg) {
        g_TransferDlg->SetFactoryMode();
        g_TransferDlg->ShowTransfer(1);
    }
}

void CLumaraView::SendOutputMap(int output, int mode) {
    if (mode != 0 && mode != 1) return;
    DeviceLockGuard lock(g_DeviceLock);
    const bool connected = IsConnected();
    if (mode == 0) {
        CKTV_OutData* out = m_Data->GetOut(output);
        if (!out) return;
        out->SetSpeakerType(g_OutputSpeakerType[output]);
        if (!connected) return;
        m_Command.AddPacket(BuildSystemPacket(6, 0));
        m_Command.AddPacket(BuildSystemPacket(7, 0));
        m_Command.AddPacket(out->WriteCrossoverFromFilters());
        return;
    }
    if (!connected) return;
    m_Command.AddPacket(BuildSystemPacket(6, 0));
    m_Command.AddPacket(BuildSystemPacket(7, 0));
    for (int i = 0; i < kOutputCount; ++i)
        if (CKTV_OutData* out = m_Data->GetOut(i)) m_Command.AddPacket(out->WriteCrossoverFromFilters());
}

void CLumaraView::SendPresetSelect(int preset) {
    if (!IsConnected()) return;
    DeviceLockGuard lock(g_DeviceLock);
    m_Command.AddPacket(BuildSystemPacket(0, preset));
    g_SysBlock52[0] = 0;
    m_Command.AddPacket(BuildSystemPacket(52, 0));
}

void CLumaraView::MuteOutputsForTransfer(int restore) {
    DeviceLockGuard lock(g_DeviceLock);
    if (restore) {
        g_SysBlock5[6] = static_cast<uint8_t>(m_SavedMasterOn);
    } else {
        m_SavedMasterOn = g_SysBlock5[6];
        g_SysBlock5[6] = 0;
    }
    m_Command.AddPacket(BuildSystemPacket(5, 0));
}

void CLumaraView::RequestDataResync() {
    DeviceLockGuard lock(g_DeviceLock);
    m_Command.AddPacket(BuildSystemPacket(98, 0));
}
