#include "tools/sim/SimServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace sim {

// ---------------------------------------------------------------------------
// TCP
// ---------------------------------------------------------------------------

SimTcpServer::SimTcpServer(SimDevice& device) : device_(device) {}

SimTcpServer::~SimTcpServer() {
    Stop();
}

bool SimTcpServer::Start(uint16_t port) {
    if (listenFd_ >= 0) return true;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // loopback only, never a real network
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return false;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        close(fd);
        return false;
    }
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SimTcpServer::Stop() {
    if (listenFd_ < 0) return;
    const uint64_t one = 1;
    if (write(wakeFd_, &one, sizeof one) < 0) {
    }
    if (thread_.joinable()) thread_.join();
    close(listenFd_);
    close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
}

void SimTcpServer::Run() {
    // Named, so that a measurement of the program's own threads can leave it out.
    pthread_setname_np(pthread_self(), kThreadName);
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        const int one = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ++connections_;
        Serve(client);
        close(client);
        if (fds[1].revents) return;
    }
}

void SimTcpServer::Serve(int client) {
    uint8_t buf[2048];
    for (;;) {
        pollfd fds[2] = {{client, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        const ssize_t n = recv(client, buf, sizeof buf, 0);
        if (n <= 0) return;
        const std::vector<uint8_t> answer = device_.Receive(buf, static_cast<size_t>(n));
        if (device_.TakeDropRequest()) return;
        switch (device_.TakeConnectionEnd()) {
        case ConnectionEnd::Close:
            // FIN now, whatever the program sends afterwards.
            shutdown(client, SHUT_WR);
            return;
        case ConnectionEnd::Reset: {
            // Closing with a zero linger time sends RST instead of FIN.
            const linger abort{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            return;
        }
        case ConnectionEnd::None:
            break;
        }
        const size_t piece = pieceSize_.load() ? pieceSize_.load() : answer.size();
        for (size_t at = 0; at < answer.size(); at += piece) {
            const size_t k = std::min(piece, answer.size() - at);
            if (send(client, answer.data() + at, k, MSG_NOSIGNAL) < 0) return;
            if (piece < answer.size()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        // A device that restarts closes its end once it has answered.
        if (device_.TakeCloseAfterAnswer()) return;
    }
}

// ---------------------------------------------------------------------------
// HID
// ---------------------------------------------------------------------------

SimHidDevice::SimHidDevice(SimDevice& device, std::shared_ptr<std::atomic<bool>> present)
    : device_(device), present_(std::move(present)) {}

int SimHidDevice::Write(const uint8_t* data, size_t length) {
    // As hidraw: one output report, the report id 0 first.
    if (!present_->load() || failed_.load() || length != 65 || data[0] != 0) return -1;
    ++writes_;
    const std::vector<uint8_t> answer = device_.Receive(data + 1, 64);
    device_.TakeCloseAfterAnswer(); // the program closes a restarted device itself
    device_.TakeConnectionEnd();    // no connection to end: the step just goes unanswered
    if (device_.TakeDropRequest()) {
        // The device falls off the bus: this handle fails from now on.
        failed_ = true;
        arrived_.notify_all();
        return -1;
    }
    if (answer.empty()) return static_cast<int>(length);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t at = 0; at < answer.size(); at += 64) {
            std::array<uint8_t, 64> report{};
            std::copy_n(answer.begin() + static_cast<long>(at),
                        std::min<size_t>(64, answer.size() - at), report.begin());
            reports_.push_back(report);
        }
    }
    arrived_.notify_all();
    return static_cast<int>(length);
}

int SimHidDevice::ReadTimeout(uint8_t* data, size_t length, int ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::milliseconds(std::max(0, ms)),
                      [this] { return !reports_.empty() || !present_->load() || failed_.load(); });
    if (!present_->load() || failed_.load()) return -1;
    if (reports_.empty()) return 0;
    const size_t n = std::min<size_t>(length, 64);
    std::copy_n(reports_.front().begin(), n, data);
    reports_.pop_front();
    return static_cast<int>(n);
}

void SimHidBackend::Plug(const std::string& path, SimDevice* device, uint16_t vendor,
                         uint16_t product, uint16_t release) {
    std::lock_guard<std::mutex> lock(mutex_);
    Entry e;
    e.info = {path, vendor, product, release};
    e.device = device;
    e.present = std::make_shared<std::atomic<bool>>(true);
    entries_.push_back(std::move(e));
}

void SimHidBackend::Unplug(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->info.path != path) continue;
        it->present->store(false);
        entries_.erase(it);
        return;
    }
}

void SimHidBackend::DenyPermission(const std::string& path, bool deny) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_)
        if (e.info.path == path) e.denied = deny;
}

std::shared_ptr<SimHidDevice> SimHidBackend::LastOpened(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_)
        if (e.info.path == path) return e.opened;
    return nullptr;
}

std::vector<HidDeviceInfo> SimHidBackend::Enumerate() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HidDeviceInfo> out;
    for (const Entry& e : entries_)
        out.push_back(e.info);
    return out;
}

std::shared_ptr<IHidDevice> SimHidBackend::Open(const std::string& path, HidOpenError& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& e : entries_) {
        if (e.info.path != path) continue;
        if (e.denied || !e.device) {
            error = e.denied ? HidOpenError::Permission : HidOpenError::Other;
            return nullptr;
        }
        error = HidOpenError::None;
        e.opened = std::make_shared<SimHidDevice>(*e.device, e.present);
        return e.opened;
    }
    error = HidOpenError::NotFound;
    return nullptr;
}

} // namespace sim
