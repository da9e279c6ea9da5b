#include "model/ThreadRole.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

// The worker that runs now; a default id when none does.
std::atomic<std::thread::id> g_linkWorkerThread{};

} // namespace

namespace thread_role {

bool OnUiThread() {
    // On Linux the main thread's id is the process id; asked once per thread.
    static thread_local const bool main = gettid() == getpid();
    return main;
}

void EnterLinkWorker() {
    g_linkWorkerThread.store(std::this_thread::get_id());
}

void LeaveLinkWorker() {
    g_linkWorkerThread.store(std::thread::id{});
}

bool MayTouchLinkWorkerState() {
    const std::thread::id worker = g_linkWorkerThread.load();
    return worker == std::thread::id{} || worker == std::this_thread::get_id();
}

void WrongThread(ThreadRole role) {
    std::fputs(role == ThreadRole::Ui
                   ? "thread role broken: UI-thread-only state touched from another thread\n"
                   : "thread role broken: the link worker's buffer touched by another thread while "
                     "it runs\n",
               stderr);
    std::abort();
}

} // namespace thread_role
