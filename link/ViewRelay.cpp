#include "link/ViewRelay.h"

CViewRelay::CViewRelay(IViewNotify& target, std::function<void()> wake)
    : target_(target), wake_(std::move(wake)), uiThread_(std::this_thread::get_id()) {}

void CViewRelay::Post(unsigned msg, WPARAM wParam, LPARAM lParam) {
    target_.Post(msg, wParam, lParam);
}

LRESULT CViewRelay::Send(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (std::this_thread::get_id() == uiThread_) return target_.Send(msg, wParam, lParam);
    Request request{msg, wParam, lParam};
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_.push_back(&request);
    lock.unlock();
    if (wake_) wake_();
    lock.lock();
    done_.wait(lock, [&] { return request.done; });
    return request.result;
}

void CViewRelay::Drain() {
    for (;;) {
        Request* request;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (waiting_.empty()) return;
            request = waiting_.front();
            waiting_.pop_front();
        }
        const LRESULT result = target_.Send(request->msg, request->w, request->l);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            request->result = result;
            request->done = true;
        }
        done_.notify_all();
    }
}

size_t CViewRelay::Waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_.size();
}
