#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// The pipe's write end, read by the handler on whichever thread the signal lands.
std::atomic<int> g_WriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads it");
struct sigaction g_Previous[kSignalCount];
bool g_Installed[kSignalCount] = {};

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    const int fd = g_WriteFd.load();
    // A full pipe already holds a wake-up: losing this byte loses nothing.
    if (fd >= 0) {
        const ssize_t written = write(fd, &number, 1);
        static_cast<void>(written);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> action, QObject* parent)
    : QObject(parent), m_Action(std::move(action)) {
    if (g_WriteFd.load() >= 0) return;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_ReadFd = fds[0];
    g_WriteFd = fds[1];
    m_Notifier = new QSocketNotifier(m_ReadFd, QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, [this] { Drain(); });

    struct sigaction handler = {};
    handler.sa_handler = OnSignal;
    sigemptyset(&handler.sa_mask);
    // The link's threads block in reads and writes: no EINTR for them.
    handler.sa_flags = SA_RESTART;
    for (int i = 0; i < kSignalCount; ++i) {
        struct sigaction current = {};
        if (sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        g_Installed[i] = sigaction(kSignals[i], &handler, &g_Previous[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    if (!m_Notifier) return;
    // The handlers go before the pipe, so that none writes to a closed number.
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_Installed[i]) sigaction(kSignals[i], &g_Previous[i], nullptr);
        g_Installed[i] = false;
    }
    const int writeFd = g_WriteFd.exchange(-1);
    delete m_Notifier;
    m_Notifier = nullptr;
    close(m_ReadFd);
    close(writeFd);
}

void TerminationSignals::Drain() {
    unsigned char buffer[64];
    int last = 0;
    ssize_t n;
    while ((n = read(m_ReadFd, buffer, sizeof buffer)) > 0)
        last = buffer[n - 1];
    if (last && m_Action) m_Action(last);
}

} // namespace platform
