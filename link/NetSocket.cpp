#include "link/NetSocket.h"

#include "model/Globals.h"
#include "model/Notify.h"
#include "link/LinkGlobals.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

constexpr int kPollSlice = 20; // longest blocking wait between looks at a cancel request

bool Cancelled(const CancelCheck& cancelled) {
    return cancelled && cancelled();
}

bool ParseIPv4(const std::string& text, uint8_t (&octets)[4]) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    std::memcpy(octets, &a.s_addr, 4); // network order: first octet first
    return true;
}

bool ContainsTtl(const std::string& text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("ttl=") != std::string::npos;
}

} // namespace

// ---------------------------------------------------------------------------
// Adapters and ping
// ---------------------------------------------------------------------------

std::vector<NetAdapter> CSystemAdapters::List() {
    std::vector<NetAdapter> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    std::set<std::string> seen;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !i->ifa_netmask || i->ifa_addr->sa_family != AF_INET || !i->ifa_name)
            continue;
        if (!seen.insert(i->ifa_name).second) continue; // the first address of each adapter
        char addr[INET_ADDRSTRLEN] = {}, mask[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr, addr,
                  sizeof addr);
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr, mask,
                  sizeof mask);
        out.push_back({addr, mask});
    }
    freeifaddrs(list);
    return out;
}

bool AdapterReachesDevice(const NetAdapter& adapter, const std::string& device) {
    uint8_t a[4], m[4], d[4];
    if (!ParseIPv4(adapter.address, a) || !ParseIPv4(adapter.mask, m) || !ParseIPv4(device, d))
        return false;
    bool anyFull = false;
    for (int i = 0; i < 4; ++i) {
        if (m[i] != 255) continue;
        anyFull = true;
        if (a[i] != d[i]) return false;
    }
    return anyFull;
}

bool CSystemPinger::Ping(const std::string& address, int timeoutMs, const CancelCheck& cancelled) {
    // The address reaches ping as one argument, never through a shell; a
    // leading '-' would be taken for an option.
    if (address.empty() || address[0] == '-' || address.size() > 63) return false;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        return false;
    }
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        const int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, STDIN_FILENO);
        execlp(program_.c_str(), program_.c_str(), "-c", "1", "-W", "3", address.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string output;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool ended = false;
    for (;;) {
        pollfd p{out[0], POLLIN, 0};
        const int r = poll(&p, 1, std::min(kPollSlice, MsLeft(deadline)));
        if (r > 0) {
            char buf[256];
            const ssize_t n = read(out[0], buf, sizeof buf);
            if (n > 0) {
                if (output.size() < 1023) output.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            ended = true; // end of output: the ping has finished
            break;
        }
        if (MsLeft(deadline) == 0 || Cancelled(cancelled)) break;
    }
    close(out[0]);
    int status = 0;
    if (ended) {
        // Output closes as the process ends; give it the rest of the time to exit.
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (MsLeft(deadline) == 0 || Cancelled(cancelled)) {
                ended = false;
                break;
            }
            usleep(1000);
        }
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return ContainsTtl(output);
}

// ---------------------------------------------------------------------------
// Probe thread
// ---------------------------------------------------------------------------

CPing_Net_Thread::CPing_Net_Thread(const LinkTimings& timings)
    : intervalMs_(timings.probeInterval) {
    thread_ = std::thread([this] { Run(); });
}

CPing_Net_Thread::~CPing_Net_Thread() {
    Quit();
}

void CPing_Net_Thread::SetOwner(CNet_Socket* owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = owner;
}

void CPing_Net_Thread::StartTimer(int ms) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        intervalMs_ = ms;
        running_ = true;
    }
    changed_.notify_all();
}

void CPing_Net_Thread::StopTimer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    changed_.notify_all();
    // A step sees running cleared at its next pause or ping slice.
    while (busy_.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void CPing_Net_Thread::Quit() {
    StopTimer();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool CPing_Net_Thread::SleepWhileRunning(int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(ms),
                      [this] { return !running_.load() || quit_; });
    return running_.load() && !quit_;
}

void CPing_Net_Thread::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    auto next = Clock::now();
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || running_.load(); });
        if (quit_) return;
        if (Clock::now() < next) {
            changed_.wait_until(lock, next, [this] { return quit_ || !running_.load(); });
            continue;
        }
        CNet_Socket* owner = owner_;
        busy_ = true;
        lock.unlock();
        if (owner) owner->WatchLink(running_);
        lock.lock();
        busy_ = false;
        next = Clock::now() + std::chrono::milliseconds(intervalMs_);
    }
}

// ---------------------------------------------------------------------------
// Socket
// ---------------------------------------------------------------------------

CNet_Socket::CNet_Socket(INetAdapters& adapters, IPinger& pinger, const LinkTimings& timings)
    : adapters_(adapters), pinger_(pinger), timings_(timings),
      receiveTimeout_(timings.netReceiveTimeout), probe_(timings) {
    ResetDeviceAddress();
}

CNet_Socket::~CNet_Socket() {
    StopProbe(false);
    Close();
}

bool CNet_Socket::IsOpen() const {
    std::lock_guard<std::mutex> lock(socketMutex_);
    return fd_ >= 0;
}

bool CNet_Socket::Close() {
    std::lock_guard<std::mutex> lock(socketMutex_);
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    return true;
}

int CNet_Socket::ReleaseSocket() {
    std::lock_guard<std::mutex> lock(socketMutex_);
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void CNet_Socket::CloseReleased(int fd) {
    if (fd >= 0) close(fd);
}

bool CNet_Socket::Connect(const CancelCheck& cancelled) {
    if (!reachable_.load() || !Ping(cancelled)) return false;
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(g_DevicePort.load()));
    if (inet_pton(AF_INET, DeviceAddress().c_str(), &to.sin_addr) != 1) return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    timeval sendTimeout{timings_.netSendTimeout / 1000, (timings_.netSendTimeout % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    if (!ok && errno == EINPROGRESS) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timings_.netConnectTimeout);
        for (;;) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, std::min(kPollSlice, MsLeft(deadline))) > 0) {
                int error = 0;
                socklen_t len = sizeof error;
                ok = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
                break;
            }
            if (MsLeft(deadline) == 0 || Cancelled(cancelled)) break;
        }
    }
    if (!ok) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::lock_guard<std::mutex> lock(socketMutex_);
    fd_ = fd;
    return true;
}

bool CNet_Socket::Send(const uint8_t* bytes, int length) {
    std::lock_guard<std::mutex> lock(socketMutex_);
    if (fd_ < 0 || !bytes || length < 0) return false;
    int sent = 0;
    while (sent < length) {
        const ssize_t n = send(fd_, bytes + sent, static_cast<size_t>(length - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return false;
        }
        sent += static_cast<int>(n);
    }
    return true;
}

int CNet_Socket::ReceiveInto(uint8_t* buffer, int capacity, int& count,
                             const CancelCheck& cancelled) {
    count = -1;
    int fd;
    {
        std::lock_guard<std::mutex> lock(socketMutex_);
        fd = fd_;
    }
    if (fd < 0) return kNetClosed;
    const auto deadline = Clock::now() + std::chrono::milliseconds(receiveTimeout_.load());
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, std::min(kPollSlice, MsLeft(deadline)));
        if (r > 0) {
            const ssize_t n = recv(fd, buffer, static_cast<size_t>(capacity), 0);
            if (n > 0) {
                count = static_cast<int>(n);
                return count;
            }
            if (n == 0) return kNetClosed;
            switch (errno) {
            case EAGAIN:
            case EINTR:
                continue;
            case ECONNRESET:
                return kNetReset;
            case ECONNABORTED:
                return kNetAborted;
            case ETIMEDOUT:
                return kNetTimedOut;
            default:
                return 0;
            }
        }
        if (r < 0 && errno != EINTR) return 0;
        if (MsLeft(deadline) == 0 || Cancelled(cancelled)) return kNetTimedOut;
    }
}

int CNet_Socket::Receive(int& count, const CancelCheck& cancelled) {
    return ReceiveInto(g_NetRxBuffer, kNetRxSize, count, cancelled);
}

int CNet_Socket::ReceiveShort(int& count, const CancelCheck& cancelled) {
    return ReceiveInto(g_NetRxBuffer, 16, count, cancelled);
}

bool CNet_Socket::SetReceiveTimeout(int ms) {
    if (!IsOpen()) {
        Close();
        return false;
    }
    receiveTimeout_ = ms;
    return true;
}

bool CNet_Socket::IsDeviceOnLocalSubnet() {
    const std::string device = DeviceAddress();
    for (const NetAdapter& a : adapters_.List())
        if (AdapterReachesDevice(a, device)) return true;
    return false;
}

bool CNet_Socket::Ping(const CancelCheck& cancelled) {
    return pinger_.Ping(DeviceAddress(), timings_.pingTimeout, cancelled);
}

int CNet_Socket::WatchLink(const std::atomic<bool>& running) {
    if (!IsDeviceOnLocalSubnet()) {
        if (running.load()) {
            reachable_ = false;
            probe_.SleepWhileRunning(timings_.probePause);
        }
        return 0;
    }
    if (!running.load()) return 0;
    bool answer = reachable_.load();
    if (!answer) {
        answer = Ping([&running] { return !running.load(); });
        if (answer) {
            // After a firmware update the module restarts before it takes connections.
            if (g_FirmwareUpdateEnded.load()) probe_.SleepWhileRunning(timings_.firmwareRestart);
            g_FirmwareUpdateEnded = 0;
            // Before the view hears of it: its connect looks at the flag.
            reachable_ = true;
            PostToView(WM_NET_REACHABLE);
        }
    }
    if (!running.load()) return 0;
    reachable_ = answer;
    probe_.SleepWhileRunning(timings_.probePause);
    return answer ? 1 : 0;
}

void CNet_Socket::StartProbe() {
    probe_.SetOwner(this);
    probe_.StartTimer(timings_.probeInterval);
}

void CNet_Socket::StopProbe(bool keep) {
    probe_.StopTimer();
    if (!keep) probe_.Quit();
}
