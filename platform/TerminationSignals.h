// SIGTERM and SIGINT (a logout, kill, Ctrl+C) as a call on the user-interface
// thread. The handler only writes the signal's number into a pipe, which is
// all a handler may safely do; a socket notifier on the pipe's other end runs
// the action from the event loop, where the program can close as it always
// does. A signal the process inherited as ignored stays ignored (nohup).
// One watcher at a time; the previous handlers come back when it goes.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

class TerminationSignals : public QObject {
public:
    // action runs on this thread, once per wake-up however many signals came.
    explicit TerminationSignals(std::function<void(int signal)> action, QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe could not be made or another watcher is active.
    bool IsWatching() const { return m_Notifier != nullptr; }

private:
    void Drain();

    std::function<void(int)> m_Action;
    QSocketNotifier* m_Notifier = nullptr;
    int m_ReadFd = -1;
};

} // namespace platform
