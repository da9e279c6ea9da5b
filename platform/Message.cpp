#include "platform/Message.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace platform {

// A message sent from another thread. Exactly one party claims it: the
// receiver's event, a thread serving its pending sends, or the event's
// destructor (the target went away first). Guarded by g_sendMutex.
struct SendRequest {
    QObject* target = nullptr;
    QThread* thread = nullptr; // the target's thread when the message was sent
    unsigned msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool claimed = false;
    bool done = false;
    LRESULT result = 0;
};

namespace {

std::mutex g_sendMutex;
std::condition_variable g_sendChanged;
std::vector<std::shared_ptr<SendRequest>> g_pendingSends;

bool Claim(SendRequest& r) {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    if (r.claimed) return false;
    r.claimed = true;
    return true;
}

void Complete(const std::shared_ptr<SendRequest>& r, LRESULT result) {
    {
        std::lock_guard<std::mutex> lock(g_sendMutex);
        r->result = result;
        r->done = true;
        g_pendingSends.erase(std::remove(g_pendingSends.begin(), g_pendingSends.end(), r),
                             g_pendingSends.end());
    }
    g_sendChanged.notify_all();
}

// Caller holds g_sendMutex.
std::shared_ptr<SendRequest> ClaimNextFor(QThread* thread) {
    for (const auto& r : g_pendingSends) {
        if (r->thread == thread && !r->claimed) {
            r->claimed = true;
            return r;
        }
    }
    return {};
}

bool HasPendingFor(QThread* thread) {
    return std::any_of(g_pendingSends.begin(), g_pendingSends.end(),
                       [thread](const auto& r) { return r->thread == thread && !r->claimed; });
}

} // namespace

QEvent::Type WindowMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WindowMessageEvent::WindowMessageEvent(unsigned msg, WPARAM wParam, LPARAM lParam,
                                       std::shared_ptr<SendRequest> request)
    : QEvent(EventType()), msg_(msg), wParam_(wParam), lParam_(lParam),
      request_(std::move(request)) {}

WindowMessageEvent::~WindowMessageEvent() {
    // Never delivered (the target was destroyed with the message still queued):
    // the sender must not wait for ever.
    if (request_ && Claim(*request_)) Complete(request_, 0);
}

void WindowMessageEvent::Deliver(IMessageReceiver* receiver) {
    if (request_ && !Claim(*request_)) return; // already handled while its sender waited
    result_ = receiver ? receiver->WindowProc(msg_, wParam_, lParam_) : 0;
    if (request_) Complete(request_, result_);
}

void PostMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target) return;
    QCoreApplication::postEvent(target, new WindowMessageEvent(msg, wParam, lParam));
}

std::shared_ptr<SendRequest> QueueSend(QObject* target, unsigned msg, WPARAM wParam,
                                       LPARAM lParam) {
    auto r = std::make_shared<SendRequest>();
    r->target = target;
    r->thread = target->thread();
    r->msg = msg;
    r->wParam = wParam;
    r->lParam = lParam;
    {
        // Listed and queued together: whoever sees it pending finds it queued.
        // (Qt deletes the events of a destroyed object outside its own locks,
        // so the event's destructor can take this lock.)
        std::lock_guard<std::mutex> lock(g_sendMutex);
        g_pendingSends.push_back(r);
        QCoreApplication::postEvent(target, new WindowMessageEvent(msg, wParam, lParam, r));
    }
    g_sendChanged.notify_all(); // a thread in WaitServingSends may take it at once
    return r;
}

LRESULT AwaitSend(const std::shared_ptr<SendRequest>& r) {
    QThread* self = QThread::currentThread();
    std::unique_lock<std::mutex> lock(g_sendMutex);
    while (!r->done) {
        if (HasPendingFor(self)) {
            lock.unlock();
            ServePendingSends();
            lock.lock();
            continue;
        }
        g_sendChanged.wait(lock);
    }
    return r->result;
}

LRESULT SendMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target) return 0;
    if (target->thread() == QThread::currentThread()) {
        WindowMessageEvent e(msg, wParam, lParam);
        QCoreApplication::sendEvent(target, &e);
        return e.result();
    }
    return AwaitSend(QueueSend(target, msg, wParam, lParam));
}

namespace {

// Eats the messages of one number on their way to the target.
class MessageDropper : public QObject {
public:
    explicit MessageDropper(unsigned msg) : msg_(msg) {}
    bool eventFilter(QObject*, QEvent* e) override {
        return e->type() == WindowMessageEvent::EventType() &&
               static_cast<WindowMessageEvent*>(e)->message() == msg_;
    }

private:
    unsigned msg_;
};

} // namespace

void DeliverPostedMessages(QObject* target, unsigned dropped) {
    if (!target) return;
    MessageDropper dropper(dropped);
    target->installEventFilter(&dropper);
    QCoreApplication::sendPostedEvents(target, WindowMessageEvent::EventType());
    target->removeEventFilter(&dropper);
}

std::size_t PendingSends() {
    std::lock_guard<std::mutex> lock(g_sendMutex);
    return g_pendingSends.size();
}

bool ServePendingSends() {
    QThread* self = QThread::currentThread();
    bool any = false;
    for (;;) {
        std::shared_ptr<SendRequest> r;
        {
            std::lock_guard<std::mutex> lock(g_sendMutex);
            r = ClaimNextFor(self);
        }
        if (!r) return any;
        // The claim keeps the queued event from running the handler again; the
        // target is alive, since destroying it would have claimed the request.
        WindowMessageEvent e(r->msg, r->wParam, r->lParam);
        QCoreApplication::sendEvent(r->target, &e);
        Complete(r, e.result());
        any = true;
    }
}

void WaitServingSends(const std::function<bool()>& done) {
    QThread* self = QThread::currentThread();
    for (;;) {
        ServePendingSends();
        if (done()) return;
        std::unique_lock<std::mutex> lock(g_sendMutex);
        // done() depends on state this lock does not guard: look again soon.
        g_sendChanged.wait_for(lock, std::chrono::milliseconds(2),
                               [self] { return HasPendingFor(self); });
    }
}

} // namespace platform
