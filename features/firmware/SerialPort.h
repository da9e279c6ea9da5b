// The serial (COM) side of the link: the list of the computer's serial
// ports that the update dialog shows, and a serial transport that carries
// command frames over a port, with a monitor thread of its own that writes
// the command engine's head packet whole and feeds what comes back to the
// engine's assembler byte by byte. No command of the program opens a serial
// link (no connection kind 3 is ever chosen); the transport is whole and
// tested all the same. Built on Qt SerialPort; the port object lives on the
// monitor's thread and is touched by no other.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class CKTVCommand;

// One listed port.
struct SerialPortInfo {
    std::string devicePath;  // what the port is opened with
    std::string portName;    // the system's name of the port
    std::string displayName; // what the lists show; the port name when the system gives none
    bool usb = false;        // the port belongs to a USB device
    std::string description; // the device's description; the display name without " (...)" when
                             // there is none
};

// A listing that failed, with its text.
class CSerialPortListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills list with the computer's serial ports, in the order found; with
// testOpenable only those that open now (each is closed again). Throws
// CSerialPortListError when the system cannot be asked.
void ListSerialPorts(std::vector<SerialPortInfo>& list, bool testOpenable);
// The names a record shows: an empty display name becomes the port name; an
// empty description the display name, cut before a trailing " (...)".
void NormaliseSerialPortRecord(SerialPortInfo& record);

// Waits of the monitor, in milliseconds (tests shorten them).
struct SerialTimings {
    int replyWait = 500;          // a reply after a write
    int notifyReplyWait = 2000;   // the same for a packet that notifies when done
    int firmwareReplyWait = 5000; // the same in firmware mode
    int afterEnter = 4000;        // after the firmware's enter step: the device restarts
    int afterWrite = 10;
    int slice = 20; // longest wait between looks at the shutdown request
};

class CSerialPort {
public:
    // A packet goes out at most this many times before the link counts as lost.
    static constexpr int kMaxWrites = 4;

    explicit CSerialPort(const SerialTimings& timings = SerialTimings());
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // The engine whose head goes out and whose assembler takes the replies.
    void SetCommand(CKTVCommand* command) { command_ = command; }

    // Opens the port (stopping a monitor that runs first) with its line
    // settings (parity 'N', 'E', 'O', 'M' or 'S'); a failed setting is
    // reported with ReportError. owner is kept and not used.
    bool Open(void* owner, const std::string& portName, int baud, char parity, int dataBits,
              int stopBits, unsigned eventMask, int bufferSize);
    // Starts the monitor on the open port.
    bool StartMonitor();
    void ResumeMonitor();
    void SuspendMonitor();
    // Stops the monitor and closes the port.
    bool Close();
    bool IsOpen() const { return open_.load(); }
    bool IsMonitorRunning() const { return monitoring_.load(); }
    // The link was lost (too many writes without a reply).
    bool HasFailed() const { return failed_.load(); }

    // The write request: the monitor writes the engine's head packet.
    void RequestWrite();
    // Queues a text for writing (the port must be open).
    void WriteText(const std::string& text);

    unsigned GetEventMask() const { return eventMask_; }
    int GetBufferSize() const { return bufferSize_; }
    const std::string& PortName() const { return portName_; }

    // Says that an operation on the port failed, with the system's text.
    void ReportError(const std::string& operation, const std::string& systemText);
    // Marks the port failed and tells the main view (WM_LINK_LOST, lParam 3).
    void ReportLinkLost();

private:
    struct Settings {
        std::string name;
        int baud;
        char parity;
        int dataBits;
        int stopBits;
    };
    void Monitor(Settings settings);
    void StopMonitorThread();
    bool SleepUnlessShutdown(int ms);

    CKTVCommand* command_ = nullptr;
    const SerialTimings timings_;
    std::string portName_;
    unsigned eventMask_ = 0;
    int bufferSize_ = 0;
    std::vector<uint8_t> buffer_;

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Set by Open's caller, read by the monitor's thread.
    bool started_ = false;
    bool shutdown_ = false;
    bool suspended_ = false;
    bool writeRequested_ = false;
    std::string pendingText_;
    // The monitor's answer to Open: "" when the port opened, else the failed step.
    bool openDone_ = false;
    std::string openFailure_;
    std::string openSystemText_;

    std::atomic<bool> open_{false};
    std::atomic<bool> monitoring_{false};
    std::atomic<bool> failed_{false};
};
