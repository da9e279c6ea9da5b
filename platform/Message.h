// Window messages on Qt events: WM_USER+N with wParam and lParam, posted
// (queued, in order) or sent (synchronous). A sent message crosses threads:
// the sender waits until the receiver's thread has handled it, and while it
// waits it handles messages sent to its own thread, so two threads sending to
// each other, or a thread stopping a sender, never deadlock.
#pragma once

#include "model/Notify.h"

#include <QEvent>
#include <QObject>

#include <cstddef>
#include <functional>
#include <memory>

namespace platform {

// What a message-handling object implements: one function, its message map.
class IMessageReceiver {
public:
    virtual ~IMessageReceiver() = default;
    virtual LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
};

struct SendRequest;

// The one event type that carries a window message.
class WindowMessageEvent : public QEvent {
public:
    static QEvent::Type EventType();

    WindowMessageEvent(unsigned msg, WPARAM wParam, LPARAM lParam,
                       std::shared_ptr<SendRequest> request = {});
    ~WindowMessageEvent() override;
    WindowMessageEvent(const WindowMessageEvent&) = delete;
    WindowMessageEvent& operator=(const WindowMessageEvent&) = delete;

    unsigned message() const { return msg_; }
    WPARAM wParam() const { return wParam_; }
    LPARAM lParam() const { return lParam_; }
    LRESULT result() const { return result_; }

    // Runs the receiver's handler (null: nobody handles it, the answer is 0)
    // and, for a message sent from another thread, answers the sender.
    void Deliver(IMessageReceiver* receiver);

private:
    unsigned msg_;
    WPARAM wParam_;
    LPARAM lParam_;
    LRESULT result_ = 0;
    std::shared_ptr<SendRequest> request_;
};

// Queues the message for the target's thread; returns at once. Messages from
// one thread to one target arrive in the order they were posted.
void PostMessage(QObject* target, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers the message and returns the handler's result. On the target's own
// thread the handler runs at once; from another thread the call waits. A
// target destroyed before it handled the message answers 0.
LRESULT SendMessage(QObject* target, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

// The two halves of a send from another thread, for callers that must let go
// of a lock between queuing and waiting (see QtViewNotify).
std::shared_ptr<SendRequest> QueueSend(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam);
LRESULT AwaitSend(const std::shared_ptr<SendRequest>& request);

// Handles at once, in order, the messages posted to target that still wait,
// except those numbered `dropped`, which are discarded unhandled.
void DeliverPostedMessages(QObject* target, unsigned dropped);

// How many sends from other threads wait to be handled (diagnostics, tests).
std::size_t PendingSends();

// Handles every message other threads are waiting to have handled by objects
// of the calling thread; returns whether there was any.
bool ServePendingSends();

// Waits until done() holds, handling meanwhile the messages other threads send
// to this thread. A thread that stops a worker waits this way, so a worker
// blocked in a send to it finishes its send and can end.
void WaitServingSends(const std::function<bool()>& done);

// Gives any QObject or QWidget class a message map: PostMessage and
// SendMessage to itself, and WindowProc as the one place it handles them.
template <class Base> class MessageTarget : public Base, public IMessageReceiver {
public:
    using Base::Base;

    void PostMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        platform::PostMessage(this, msg, wParam, lParam);
    }
    LRESULT SendMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return platform::SendMessage(this, msg, wParam, lParam);
    }
    LRESULT WindowProc(unsigned, WPARAM, LPARAM) override { return 0; }

protected:
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            static_cast<WindowMessageEvent*>(e)->Deliver(this);
            return true;
        }
        return Base::event(e);
    }
};

// A table-driven message map for WindowProc:
//   static const MessageMapEntry<COutputPage> kMap[] = {
//       {WM_USER + 100, &COutputPage::OnBandChanged}, ...};
//   LRESULT r = 0;
//   if (DispatchMessageMap(this, kMap, msg, w, l, r)) return r;
template <class T> struct MessageMapEntry {
    unsigned msg;
    LRESULT (T::*handler)(WPARAM, LPARAM);
};

template <class T, std::size_t N>
bool DispatchMessageMap(T* self, const MessageMapEntry<T> (&map)[N], unsigned msg, WPARAM wParam,
                        LPARAM lParam, LRESULT& result) {
    for (const MessageMapEntry<T>& e : map) {
        if (e.msg == msg) {
            result = (self->*e.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

} // namespace platform
