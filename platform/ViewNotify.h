// The engine's report channel (IViewNotify) on the window messages: the link
// worker and the poller post and send WM_USER+N to the main view through it.
#pragma once

#include "model/Notify.h"

#include <QObject>

#include <mutex>

namespace platform {

class QtViewNotify : public IViewNotify {
public:
    // Reports go to view (usually a MessageTarget). When the view is destroyed
    // the endpoint detaches itself and drops later reports.
    explicit QtViewNotify(QObject* view);
    ~QtViewNotify() override;
    QtViewNotify(const QtViewNotify&) = delete;
    QtViewNotify& operator=(const QtViewNotify&) = delete;

    void Post(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT Send(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    // Drops every later report (the view is going away).
    void Detach();

private:
    // Held while a message is queued, so the view cannot be destroyed between
    // the check and the queuing; never held while a sender waits.
    std::mutex mutex_;
    QObject* view_;
    QMetaObject::Connection destroyed_;
};

} // namespace platform
