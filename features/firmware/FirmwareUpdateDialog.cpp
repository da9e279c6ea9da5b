#include "features/firmware/FirmwareUpdateDialog.h"

#include "controls/ButtonRadio.h"
#include "controls/ColorMenu.h"
#include "controls/ControlNotify.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/GroupBox.h"
#include "controls/StaticControls.h"
#include "link/DeviceSession.h"
#include "link/LinkGlobals.h"
#include "features/firmware/PortList.h"
#include "model/Globals.h"
#include "controls/MessageBox.h"
#include "platform/FileChooser.h"
#include "platform/Settings.h"
#include "platform/UiGlobals.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

const BiText kNothingToOpenText{"没有连接可以打开", "No connection can be opened"};
const BiText kForceQuitText{
    "更新未完成，强行退出会损坏设备，是否退出?",
    "Update is not completed, will be forced to exit the damaged equipment, whether to exit?"};
const BiText kInterfaceText{"通信接口", "Communication interface"};
const BiText kFileGroupText{"Hex文件", "Update File"};
const BiText kFileLabelText{"Hex文件", "Hex File"};
const BiText kBrowseText{"浏览文件", "Browse file"};
const BiText kUpdateText{"更新", "Update"};
const BiText kQuitText{"退出", "Quit"};
const BiText kTitleText{"设备固件更新", "Device Firmware Update"};

QString Text(const BiText& t) {
    return QString::fromUtf8(t.Pick());
}

// The warning caption of the language, without closing by itself.
int WarningNoClose() {
    return g_LanguageFlag.load() ? -4 : -5;
}

} // namespace

bool ChooseUpdateFile(platform::ViewSettings& settings, QWidget* parent) {
    platform::FileRequest request;
    request.kind = platform::FileRequest::Open;
    request.parent = parent;
    request.folder = QString::fromStdString(settings.Folder(platform::ViewSettings::kUpdateFolder));
    request.filter = QStringLiteral(".bin (*.bin)");
    request.defaultSuffix = QString::fromUtf8(g_UpdateFileExt);
    const std::optional<QString> chosen = platform::ChooseFile(request);
    if (!chosen) return false;
    g_HexFilePath = chosen->toStdString();
    const QFileInfo file(*chosen);
    if (file.suffix() != QString::fromUtf8(g_UpdateFileExt)) return false;
    settings.Folder(platform::ViewSettings::kUpdateFolder) = file.absolutePath().toStdString();
    settings.SaveDspMcuSettings();
    return true;
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

CFirmwareUpdateDialog::CFirmwareUpdateDialog(CDeviceSession& session,
                                             platform::ViewSettings& settings, QWidget* parent)
    : MessageTarget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      m_Session(session), m_Settings(settings) {
    setObjectName(QString::number(IDD));
    setWindowTitle(QStringLiteral("软件升级"));
    setFont(g_FontDialog14);
    CreateControls();
    OnInitDialog();
}

CFirmwareUpdateDialog::~CFirmwareUpdateDialog() {
    EndDialog();
}

void CFirmwareUpdateDialog::CreateControls() {
    auto place = [](QWidget* w, int id, const QRect& r) {
        w->setObjectName(QString::number(id));
        w->setGeometry(r);
    };
    auto button = [&](QPushButton*& member, int id, const QRect& r,
                      void (CFirmwareUpdateDialog::*handler)()) {
        member = new QPushButton(this);
        place(member, id, r);
        member->setAutoDefault(false);
        connect(member, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    auto label = [&](CTransparentStatic*& member, int id, const QRect& r) {
        member = new CTransparentStatic(this);
        place(member, id, r);
    };
    auto radio = [&](CButtonRadio*& member, int id, const QString& text, const QRect& r) {
        member = new CButtonRadio(text, this);
        place(member, id, r);
    };
    // The two frames first, so that what they hold lies over them.
    m_FileGroup = new CGroupBox(this);
    place(m_FileGroup, IDC_FILE_GROUP, QRect(6, 2, 385, 48));
    m_InterfaceGroup = new CGroupBox(this);
    place(m_InterfaceGroup, IDC_INTERFACE_GROUP, QRect(6, 52, 385, 48));

    label(m_FileLabel, IDC_FILE_LABEL, QRect(14, 22, 62, 22));
    m_Path = new QLineEdit(this);
    place(m_Path, IDC_PATH, QRect(80, 22, 224, 22));
    button(m_Browse, IDC_BROWSE, QRect(310, 21, 74, 24), &CFirmwareUpdateDialog::OnBrowse);

    label(m_ToolLabel, IDC_TOOL_LABEL, QRect(14, 72, 150, 22));
    radio(m_UsbRadio, IDC_USB, QStringLiteral("USB"), QRect(166, 72, 50, 22));
    radio(m_WifiRadio, IDC_WIFI, QStringLiteral("WIFI"), QRect(218, 72, 54, 22));
    radio(m_ComRadio, IDC_COM, QStringLiteral("COM"), QRect(274, 72, 52, 22));
    m_UsbRadio->setChecked(true);
    m_Ports = new QComboBox(this);
    place(m_Ports, IDC_PORTS, QRect(328, 71, 56, 24));

    m_Progress = new CGradientProgressCtrl(this);
    place(m_Progress, IDC_PROGRESS, QRect(6, 106, 385, 18));
    label(m_Tip, IDC_TIP, QRect(6, 130, 222, 26));
    button(m_Update, IDC_UPDATE, QRect(234, 130, 76, 26), &CFirmwareUpdateDialog::OnUpdate);
    button(m_Cancel, IDC_CANCEL, QRect(316, 130, 75, 26), &CFirmwareUpdateDialog::OnCancel);
}

void CFirmwareUpdateDialog::OnInitDialog() {
    FillPortList();
    ApplyTexts();
    // The retry: its slow half (the module's ping) on its own thread, the
    // attempt itself here.
    m_Retry = std::make_unique<CUpdateRetryThread>(
        [this](const CancelCheck& cancelled) {
            return g_ConnectionKind.load() != kLinkNetwork ||
                   m_Session.FirmwareModuleAnswers(cancelled);
        },
        [this](int run, int tick, bool ready) {
            QMetaObject::invokeMethod(
                this, [this, run, tick, ready] { OnRetryTick(run, tick, ready); },
                Qt::QueuedConnection);
        });
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    m_Path->setText(QString::fromStdString(g_HexFilePath));
    m_Progress->SetShowText(true);
    m_Progress->SetRange(0, 100);
    m_Tip->SetTextColor(QColor(255, 0, 0));
    m_Tip->setText(QString());
    // The port shows the link's state of the update from now on.
    CUpdateDisplayPort& display = m_Session.Firmware().Display();
    display.SetTip(std::string());
    display.Attach(this);
    setFixedSize(kWidth, kHeight);
}

void CFirmwareUpdateDialog::ApplyTexts() {
    const bool cn = g_LanguageFlag.load() != 0;
    m_InterfaceGroup->SetText(Text(kInterfaceText));
    m_ToolLabel->setText(Text(kInterfaceText));
    m_FileGroup->SetText(Text(kFileGroupText));
    m_FileLabel->setText(Text(kFileLabelText));
    m_Cancel->setText(Text(kQuitText));
    setWindowTitle(Text(kTitleText));
    // In English the browse and update buttons keep the template's texts.
    m_Browse->setText(cn ? Text(kBrowseText) : QString::fromUtf8(kBrowseText.en));
    m_Update->setText(cn ? Text(kUpdateText) : QString::fromUtf8(kUpdateText.en));
}

void CFirmwareUpdateDialog::FillPortList() {
    FillPortList(ListSerialPortsOrNone());
}

void CFirmwareUpdateDialog::FillPortList(const std::vector<SerialPortInfo>& ports) {
    FillSerialPortList(*m_Ports, ports, m_PortName);
}

// ---------------------------------------------------------------------------
// File and start
// ---------------------------------------------------------------------------

void CFirmwareUpdateDialog::OnBrowse() {
    ChooseUpdateFile(m_Settings, this);
    m_Path->setText(QString::fromStdString(g_HexFilePath));
}

int CFirmwareUpdateDialog::TrackPopup(QMenu& menu, const QPoint& at) {
    const QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

void CFirmwareUpdateDialog::OnUpdate() {
    g_StateFlags[kFlagInitialRead] = 0;
    if (g_StateFlags[kFlagFirmwareMode].load() || g_StateFlags[kFlagUpdateRetryRunning].load())
        return;
    // The file first: one that is refused leaves the link to the device as it was.
    g_HexFilePath = m_Path->text().toStdString();
    if (!m_Session.LoadUpdateFile()) return;
    m_Session.DisconnectDevice();
    const std::vector<std::string> devices = m_Session.DetectUsbDevices();
    const bool network = m_Session.Net().IsReachable();
    auto popup = [&](bool withNetwork) {
        CColorMenu menu(this);
        auto add = [&menu](const QString& text, int command) {
            menu.addAction(text)->setData(command);
        };
        if (devices.size() == 1 && withNetwork) {
            // Menu 114, its network entry named by the module's address.
            add(QStringLiteral("USB"), ID_CONNECT_USB);
            add(QString::fromStdString(DeviceAddress()), ID_CONNECT_NETWORK);
        } else {
            for (size_t i = 0; i < devices.size(); ++i)
                add(QStringLiteral("USB%1").arg(i + 1), ID_USB_DEVICE_FIRST + static_cast<int>(i));
            if (withNetwork) add(QString::fromStdString(DeviceAddress()), ID_CONNECT_NETWORK);
        }
        // At the start button's left edge, 2 pixels below it.
        const QRect b = m_Update->geometry();
        const int command = TrackPopup(menu, mapToGlobal(QPoint(b.left(), b.bottom() + 1 + 2)));
        if (command) OnMenuCommand(command);
    };
    if (!devices.empty() && network) {
        popup(true);
    } else if (devices.empty()) {
        if (network)
            StartOverNetwork();
        else
            ShowMessageBox(nullptr, kNothingToOpenText.Pick(), g_ProductTitle, MB_OK,
                           g_LanguageFlag.load(), 2000);
    } else if (devices.size() == 1) {
        StartOverUsb(devices[0]);
    } else {
        popup(false);
    }
}

void CFirmwareUpdateDialog::OnMenuCommand(int command) {
    if (command >= ID_USB_DEVICE_FIRST && command <= ID_USB_DEVICE_LAST) {
        const size_t i = static_cast<size_t>(command - ID_USB_DEVICE_FIRST);
        if (i < g_UsbDevicePathsCopy->size()) StartOverUsb(g_UsbDevicePathsCopy[i]);
    } else if (command == ID_CONNECT_USB) {
        if (!g_UsbDevicePathsCopy->empty()) StartOverUsb(g_UsbDevicePathsCopy[0]);
    } else if (command == ID_CONNECT_NETWORK) {
        StartOverNetwork();
    }
}

void CFirmwareUpdateDialog::StartOverUsb(const std::string& path) {
    StartOver(kLinkUsb, path);
}

void CFirmwareUpdateDialog::StartOverNetwork() {
    StartOver(kLinkNetwork, std::string());
}

void CFirmwareUpdateDialog::StartOver(int kind, const std::string& path) {
    g_UpdateTipOff = 0;
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    g_HexFilePath = m_Path->text().toStdString();
    if (!m_Session.LoadUpdateFile()) return;
    m_Session.DisconnectDevice();
    g_ConnectionKind = kind;
    g_StateFlags[kFlagKindChosenAgain] = 0;
    // Connected: the session has set the bar to this file's steps.
    m_ConnectResult =
        kind == kLinkUsb ? m_Session.ConnectFirmwareUsb(path) : m_Session.ConnectFirmwareNetwork();
    if (!m_ConnectResult) {
        m_Retry->StartTimer(m_Session.Timings().firmware.retryInterval);
        g_StateFlags[kFlagUpdateRetryRunning] = 1;
    }
}

// ---------------------------------------------------------------------------
// Retry
// ---------------------------------------------------------------------------

void CFirmwareUpdateDialog::OnRetryTick(int run, int tick, bool ready) {
    // A tick of an earlier run, or one that comes after the run ended.
    if (m_Ended || run != m_Retry->Run() || !g_StateFlags[kFlagUpdateRetryRunning].load() ||
        g_StateFlags[kFlagFirmwareMode].load())
        return;
    const bool quiet = tick < CUpdateRetryThread::kLastTick;
    const bool result = m_Session.RetryFirmwareConnect(quiet, ready);
    if (result || !quiet) {
        m_Retry->StopTimer();
        PostMessage(WM_RETRY_RESULT, 0, result ? 1 : 0);
    }
}

LRESULT CFirmwareUpdateDialog::OnRetryResult(LPARAM result) {
    // Connected: the session has set the bar to the file's steps.
    if (result) m_Retry->StopTimer();
    g_StateFlags[kFlagUpdateRetryRunning] = 0;
    if (!result) m_Session.Firmware().Display().SetTip(g_UpdateFailedText.Pick());
    return 0;
}

// ---------------------------------------------------------------------------
// Ending
// ---------------------------------------------------------------------------

void CFirmwareUpdateDialog::OnCancel() {
    if (m_Ended) return;
    if (g_StateFlags[kFlagFirmwareMode].load()) {
        const int answer = ShowMessageBox(nullptr, kForceQuitText.Pick(), g_ProductTitle, MB_YESNO,
                                          g_LanguageFlag.load(), WarningNoClose());
        if (answer != IDYES) return;
        // The update may have ended while the question was open.
        if (g_StateFlags[kFlagFirmwareMode].load()) {
            g_UpdateTipOff = 1;
            m_Session.CancelFirmwareUpdate();
            g_UpdateTipOff = 0;
        }
    } else if (g_StateFlags[kFlagUpdateRetryRunning].load()) {
        m_Retry->StopTimer();
    }
    EndDialog();
    done(QDialog::Rejected);
}

void CFirmwareUpdateDialog::EndDialog() {
    if (m_Ended) return;
    m_Ended = true;
    if (m_Retry) m_Retry->Quit();
    // From now on no status text or bar position reaches this dialog.
    CUpdateDisplayPort& display = m_Session.Firmware().Display();
    display.Attach(nullptr);
}

void CFirmwareUpdateDialog::reject() {
    // Esc does not close the dialog; the close box goes through the cancel.
}

void CFirmwareUpdateDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!m_Ended) PostMessage(WM_COMMAND, static_cast<WPARAM>(IDC_CANCEL), 0);
}

void CFirmwareUpdateDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Neither closes the dialog: the focus goes to the dialog itself.
        setFocus();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CFirmwareUpdateDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), g_DialogBkBrush);
}

LRESULT CFirmwareUpdateDialog::WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_RETRY_RESULT:
        return OnRetryResult(lParam);
    case WM_COMMAND:
        switch (static_cast<int>(wParam & 0xFFFF)) {
        case IDC_CANCEL:
            OnCancel();
            break;
        case IDC_UPDATE:
            OnUpdate();
            break;
        case IDC_BROWSE:
            OnBrowse();
            break;
        default:
            OnMenuCommand(static_cast<int>(wParam & 0xFFFF));
            break;
        }
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// What the link shows
// ---------------------------------------------------------------------------

void CFirmwareUpdateDialog::ShowTip(const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, t = QString::fromStdString(text)] { m_Tip->setText(t); },
        Qt::QueuedConnection);
}

void CFirmwareUpdateDialog::ShowProgress(int pos, int upper) {
    m_LatestPos = pos;
    m_LatestUpper = upper;
    if (m_ProgressQueued.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_ProgressQueued = false;
            const int upper = m_LatestUpper.load();
            if (upper != m_Progress->GetUpperRange()) m_Progress->SetRange(0, upper);
            m_Progress->SetPos(m_LatestPos.load());
        },
        Qt::QueuedConnection);
}
