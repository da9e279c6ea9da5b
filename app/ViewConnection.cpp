// The main view's side of the link: the connect button and its popups and
// what the user sees of the connection. The device session connects, checks
// the version, closes links and queues the reads (link/DeviceSession.h).
#include "features/connection/TransferWindow.h"
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "controls/ColorMenu.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/MessageBox.h"
#include "model/Globals.h"

#include <QLineEdit>
#include <QMenu>

namespace {

const BiText kNothingToOpenText{"没有连接可以打开", "No connection can be opened"};
const BiText kUnsentChangesText{"未连接设备时修改的数据还没有发送到设备.\n是否把这些数据发送到设备?"
                                "\n(否: 使用设备的数据, 这些修改将丢失)",
                                "Settings were changed while offline.\nSend them to the "
                                "device?\n(NO: the device's data replaces them)"};

} // namespace

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
        m_Session.Disconnect();
        return;
    }
    const std::vector<std::string> free = m_Session.FreeUsbDevices();
    const size_t devices = free.size();
    const bool network = m_Session.Net().IsReachable();

    if (devices == 0) {
        if (network)
            m_Session.NetConnect();
        else
            Say(kNothingToOpenText.Pick(), 2000);
        return;
    }
    if (devices == 1 && !network) {
        if (!m_Session.ConnectUsbPath(free[0])) Say(m_Session.Usb().UsbFailureText(), 2000);
        return;
    }
    // Just below the connect button, at its left edge.
    const QRect button = m_ConnectButton->geometry();
    const QPoint at = mapToGlobal(QPoint(button.left(), button.bottom() + 1 + 2));
    CColorMenu menu(this);
    auto add = [&menu](const QString& text, int command) {
        menu.addAction(text)->setData(command);
    };
    if (devices == 1) {
        // Menu 114 with its network item named for the module.
        add(QStringLiteral("USB"), ID_CONNECT_USB);
        add(QStringLiteral("WIFI"), ID_CONNECT_NETWORK);
    } else {
        for (size_t i = 0; i < devices; ++i)
            add(QStringLiteral("USB%1").arg(i + 1), ID_USB_DEVICE_FIRST + static_cast<int>(i));
        if (network) add(QString::fromStdString(DeviceAddress()), ID_CONNECT_NETWORK);
    }
    if (const int command = TrackConnectPopup(menu, at))
        WindowProc(WM_COMMAND, static_cast<WPARAM>(command), 0);
}

void CLumaraView::OnUsbDeviceChosen(int command) {
    const size_t i = static_cast<size_t>(command - ID_USB_DEVICE_FIRST);
    if (command < ID_USB_DEVICE_FIRST || i >= g_UsbDevicePathsCopy->size()) return;
    if (!m_Session.ConnectUsbPath(g_UsbDevicePathsCopy[i]))
        Say(m_Session.Usb().UsbFailureText(), 2000);
}

bool CLumaraView::ToggleConnection() {
    OnConnectButton();
    return IsConnected();
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
    RefreshAdvancedDialog(false);
}

// ---------------------------------------------------------------------------
// What the session shows
// ---------------------------------------------------------------------------

void CLumaraView::ClearLinkDisplay(int kind) {
    // Timer 1 belongs to a USB link.
    if (kind == kLinkUsb) KillTimer(kLinkTimer);
    m_Progress->SetPos(0);
    m_PresetNameEdit->clear();
    m_PresetNameButton->setText(QString());
    m_PresetNameButton->SetCheck(0);
}

void CLumaraView::Say(const char* text, int ms) {
    ShowMessageBox(nullptr, text, g_ProductTitle, MB_OK, g_LanguageFlag.load(), ms);
}

bool CLumaraView::AskToSendUnsentChanges() {
    const int chinese = g_LanguageFlag.load() ? 1 : 0;
    return ShowMessageBox(nullptr, kUnsentChangesText.Pick(), g_ProductTitle, MB_YESNO, chinese,
                          chinese ? -2 : -3) == IDYES;
}

void CLumaraView::SayRefusedTexts(const TextFieldErrors& refused) {
    CTextFieldMessages messages;
    *messages.Errors() = refused;
}
