#include "platform/ViewNotify.h"

#include "platform/Message.h"

#include <QThread>

namespace platform {

QtViewNotify::QtViewNotify(QObject* view) : view_(view) {
    if (view) destroyed_ = QObject::connect(view, &QObject::destroyed, [this] { Detach(); });
}

QtViewNotify::~QtViewNotify() {
    QObject::disconnect(destroyed_);
    Detach();
}

void QtViewNotify::Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    view_ = nullptr;
}

void QtViewNotify::Post(unsigned msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (view_) PostMessage(view_, msg, wParam, lParam);
}

LRESULT QtViewNotify::Send(unsigned msg, WPARAM wParam, LPARAM lParam) {
    std::unique_lock<std::mutex> lock(mutex_);
    QObject* view = view_;
    if (!view) return 0;
    if (view->thread() == QThread::currentThread()) {
        // The view can only be destroyed on this thread, so it outlives the call;
        // the handler may report again through this endpoint.
        lock.unlock();
        return SendMessage(view, msg, wParam, lParam);
    }
    auto request = QueueSend(view, msg, wParam, lParam);
    lock.unlock();
    return AwaitSend(request);
}

} // namespace platform
