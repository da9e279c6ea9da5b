// The thread marks mean something: in a debug build, state of the UI thread
// touched from another thread, or a link worker's buffer touched by another
// thread while the worker runs, ends the program at once.
#include "model/Globals.h"
#include "model/SourceTable.h"
#include "model/ThreadRole.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

void OnOtherThread(const std::function<void()>& touch) {
    std::thread t(touch);
    t.join();
}

// A buffer of the worker's own, as the link declares its report buffers.
LinkWorkerOnly<uint8_t[4]> s_workerBuffer;

// Stands in for the link worker: claims its buffers from start to end.
class RunningWorker {
public:
    RunningWorker() {
        thread_ = std::thread([this] {
            thread_role::EnterLinkWorker();
            std::unique_lock<std::mutex> lock(mutex_);
            started_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return stop_; });
            thread_role::LeaveLinkWorker();
        });
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_; });
    }
    ~RunningWorker() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    bool stop_ = false;
};

class ThreadRoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LUMARA_THREAD_CHECKS) GTEST_SKIP() << "thread checks are in debug builds only";
        // Other threads run while the statement dies: a fresh process for each.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
};

struct Touch {
    const char* what;
    std::function<void()> touch;
};

const Touch kUiStateTouches[] = {
    {"a number written", [] { g_CurrentOutput = 3; }},
    {"a number read", [] { static_cast<void>(g_CurrentPage + 0); }},
    {"an array element", [] { g_ShowCurve[2] = 1; }},
    {"a text's member", [] { g_LockPassword->clear(); }},
    {"an object's member", [] { g_SourceTable->Init(); }},
};

TEST_F(ThreadRoleTest, UiStateTouchedFromAnotherThreadEndsTheProgram) {
    for (const Touch& t : kUiStateTouches) {
        SCOPED_TRACE(t.what);
        t.touch(); // the UI thread itself may
        EXPECT_DEATH(OnOtherThread(t.touch), "UI-thread-only state touched from another thread");
    }
}

TEST_F(ThreadRoleTest, AWorkerBufferIsTheWorkersWhileItRuns) {
    // While no worker runs, any thread may fill or read it.
    s_workerBuffer[0] = 1;
    OnOtherThread([] { s_workerBuffer[1] = 2; });
    EXPECT_EQ(s_workerBuffer[1], 2);
    EXPECT_DEATH(
        {
            RunningWorker worker;
            s_workerBuffer[0] = 3;
        },
        "the link worker's buffer touched by another thread while it runs");
    // Its end gives the buffer back.
    { RunningWorker worker; }
    s_workerBuffer[0] = 4;
    EXPECT_EQ(s_workerBuffer[0], 4);
}

} // namespace
