#include "features/firmware/SerialPort.h"

#include "link/KTVCommand.h"
#include "model/Globals.h"
#include "controls/MessageBox.h"
#include "model/Notify.h"

#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kQueueSize = 10000;      // input and output queues of the port
constexpr int kWriteTimeout = 1000;    // one frame's bytes leave the port
constexpr LPARAM kSerialLinkLost = 3;  // lParam of the serial link's WM_LINK_LOST
constexpr int kFirmwareEnterStep = 54; // the device restarts after it

QSerialPort::Parity ParityOf(char letter, bool& ok) {
    ok = true;
    switch (letter) {
    case 'N':
    case 'n':
        return QSerialPort::NoParity;
    case 'E':
    case 'e':
        return QSerialPort::EvenParity;
    case 'O':
    case 'o':
        return QSerialPort::OddParity;
    case 'M':
    case 'm':
        return QSerialPort::MarkParity;
    case 'S':
    case 's':
        return QSerialPort::SpaceParity;
    default:
        ok = false;
        return QSerialPort::NoParity;
    }
}

bool IsUsbName(const QString& text) {
    return text.contains(QStringLiteral("USB"), Qt::CaseInsensitive) ||
           text.contains(QStringLiteral("ACM"));
}

} // namespace

// ---------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------

void NormaliseSerialPortRecord(SerialPortInfo& record) {
    if (record.displayName.empty()) record.displayName = record.portName;
    if (record.description.empty()) {
        record.description = record.displayName;
        const size_t at = record.description.find(" (");
        if (at != std::string::npos && at > 0 && record.description.back() == ')')
            record.description.erase(at);
    }
}

void ListSerialPorts(std::vector<SerialPortInfo>& list, bool testOpenable) {
    list.clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (testOpenable) {
            QSerialPort port(info);
            if (!port.open(QIODevice::ReadWrite)) continue;
            port.close();
        }
        SerialPortInfo r;
        r.devicePath = info.systemLocation().toStdString();
        r.portName = info.portName().toStdString();
        r.usb = info.hasVendorIdentifier() || IsUsbName(info.portName());
        r.description = info.description().toStdString();
        NormaliseSerialPortRecord(r);
        list.push_back(std::move(r));
    }
}

// ---------------------------------------------------------------------------
// The transport
// ---------------------------------------------------------------------------

CSerialPort::CSerialPort(const SerialTimings& timings) : timings_(timings) {}

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::Open(void*, const std::string& portName, int baud, char parity, int dataBits,
                       int stopBits, unsigned eventMask, int bufferSize) {
    StopMonitorThread();
    open_ = false;
    failed_ = false;
    portName_ = portName;
    eventMask_ = eventMask;
    bufferSize_ = bufferSize;
    buffer_.assign(static_cast<size_t>(std::max(0, bufferSize)), 0);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = shutdown_ = suspended_ = writeRequested_ = false;
        pendingText_.clear();
        openDone_ = false;
        openFailure_.clear();
        openSystemText_.clear();
    }
    thread_ = std::thread(
        [this, s = Settings{portName, baud, parity, dataBits, stopBits}] { Monitor(s); });
    std::string failure, systemText;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return openDone_; });
        failure = openFailure_;
        systemText = openSystemText_;
    }
    if (!failure.empty()) {
        StopMonitorThread();
        // A port that cannot be opened or queued is only a failed open.
        if (failure != "open" && failure != "queues") ReportError(failure, systemText);
        return false;
    }
    open_ = true;
    return true;
}

bool CSerialPort::StartMonitor() {
    if (!open_.load()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
    }
    changed_.notify_all();
    return true;
}

void CSerialPort::ResumeMonitor() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        suspended_ = false;
    }
    changed_.notify_all();
}

void CSerialPort::SuspendMonitor() {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = true;
}

bool CSerialPort::Close() {
    StopMonitorThread();
    open_ = false;
    return true;
}

void CSerialPort::StopMonitorThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        shutdown_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void CSerialPort::RequestWrite() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        writeRequested_ = true;
    }
    changed_.notify_all();
}

void CSerialPort::WriteText(const std::string& text) {
    if (!open_.load()) return;
    const size_t n = std::min(text.size(), buffer_.size());
    std::copy_n(text.begin(), n, buffer_.begin());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pendingText_.assign(text, 0, n);
    }
    changed_.notify_all();
}

void CSerialPort::ReportError(const std::string& operation, const std::string& systemText) {
    const std::string text = "WARNING:  " + operation + " failed with the following error:\n" +
                             systemText + "\nPort: " + portName_;
    ShowMessageBox(nullptr, text, "Application Error", MB_OK, g_LanguageFlag.load(), 0);
}

void CSerialPort::ReportLinkLost() {
    failed_ = true;
    PostToView(WM_LINK_LOST, 0, kSerialLinkLost);
}

bool CSerialPort::SleepUnlessShutdown(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return shutdown_; });
}

void CSerialPort::Monitor(Settings s) {
    QSerialPort port;
    port.setPortName(QString::fromStdString(s.name));
    auto answer = [&](const char* failure) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            openDone_ = true;
            openFailure_ = failure;
            openSystemText_ = port.errorString().toStdString();
        }
        changed_.notify_all();
        return failure[0] == 0;
    };
    if (!port.open(QIODevice::ReadWrite)) {
        answer("open");
        return;
    }
    bool parityOk = false;
    const QSerialPort::Parity parity = ParityOf(s.parity, parityOk);
    const bool lineOk =
        parityOk && s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2);
    if (!lineOk) {
        answer("BuildCommDCB()");
        return;
    }
    if (!port.setBaudRate(s.baud) || !port.setParity(parity) ||
        !port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) ||
        !port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) ||
        !port.setFlowControl(QSerialPort::NoFlowControl)) {
        answer("SetCommState()");
        return;
    }
    // RTS on, where the line has one (a pseudo-terminal has none).
    port.setRequestToSend(true);
    port.setReadBufferSize(kQueueSize);
    port.clear();
    answer("");

    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_ || shutdown_; });
        if (shutdown_) return;
    }
    monitoring_ = true;
    port.clear();
    bool awaiting = false;
    Clock::time_point deadline;

    // Writes the engine's head whole; false when there is none.
    auto writeHead = [&]() -> bool {
        std::vector<uint8_t> frame;
        int code = 0, notify = 0;
        {
            DeviceLockGuard lock(g_DeviceLock);
            CSendData* head = command_ ? command_->GetHead() : nullptr;
            if (!head || !head->GetData()) return false;
            frame.assign(head->GetData(), head->GetData() + head->GetLength());
            code = head->GetCommand();
            notify = head->IsNotifyDone() || head->IsNotifySent();
            head->SetRetry(head->GetRetry() + 1);
        }
        port.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
        port.waitForBytesWritten(kWriteTimeout);
        const int wait = g_StateFlags[kFlagFirmwareMode].load() ? timings_.firmwareReplyWait
                         : notify                               ? timings_.notifyReplyWait
                                                                : timings_.replyWait;
        deadline = Clock::now() + std::chrono::milliseconds(wait);
        SleepUnlessShutdown(code == kFirmwareEnterStep ? timings_.afterEnter : timings_.afterWrite);
        return true;
    };

    for (;;) {
        bool write = false;
        std::string text;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !suspended_ || shutdown_; });
            if (shutdown_) break;
            write = std::exchange(writeRequested_, false);
            text.swap(pendingText_);
        }
        if (write && writeHead()) awaiting = true;
        if (!text.empty()) {
            port.write(text.data(), static_cast<qint64>(text.size()));
            port.waitForBytesWritten(kWriteTimeout);
        }
        if (port.bytesAvailable() > 0 || port.waitForReadyRead(timings_.slice)) {
            const QByteArray bytes = port.readAll();
            for (char c : bytes) {
                if (!command_) break;
                const int fed = command_->FeedSerialByte(static_cast<uint8_t>(c));
                if (fed == kFeedDone) awaiting = false;
                // Asked for again: the rewound head goes out at once.
                if (fed == kFeedRepeat && awaiting) awaiting = writeHead();
            }
        }
        if (awaiting && Clock::now() > deadline) {
            int writes = 0;
            {
                DeviceLockGuard lock(g_DeviceLock);
                CSendData* head = command_ ? command_->GetHead() : nullptr;
                writes = head ? head->GetRetry() : 0;
            }
            if (writes == 0) {
                awaiting = false; // the head was taken meanwhile
            } else if (writes >= kMaxWrites) {
                awaiting = false;
                ReportLinkLost();
            } else {
                command_->ResetReceive();
                awaiting = writeHead();
            }
        }
    }
    port.close();
    monitoring_ = false;
}
