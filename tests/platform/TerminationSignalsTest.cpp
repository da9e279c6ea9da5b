// SIGTERM and SIGINT reach the user-interface thread through the watcher's
// pipe, however many arrive and from whichever thread they are sent.
#include "platform/TerminationSignals.h"
#include "tests/platform/GuiTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

struct Call {
    int signal;
    bool onUiThread;
};

class TerminationSignalsTest : public ::testing::TestWithParam<int> {
protected:
    std::function<void(int)> Record() {
        return [this](int signal) {
            calls.push_back(
                {signal, QThread::currentThread() == QCoreApplication::instance()->thread()});
        };
    }
    std::vector<Call> calls;
};

TEST_P(TerminationSignalsTest, ASignalFromAnyThreadRunsTheActionOnceOnTheUiThread) {
    platform::TerminationSignals watcher(Record());
    ASSERT_TRUE(watcher.IsWatching());
    // Three signals, from another thread, before the loop looks: one wake-up.
    std::thread sender([] {
        for (int i = 0; i < 3; ++i)
            kill(getpid(), GetParam());
    });
    sender.join();
    ASSERT_TRUE(PumpUntil([&] { return !calls.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].signal, GetParam());
    EXPECT_TRUE(calls[0].onUiThread);
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, TerminationSignalsTest, ::testing::Values(SIGTERM, SIGINT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

volatile sig_atomic_t g_OwnHandlerRan = 0;
void OwnHandler(int) {
    g_OwnHandlerRan = 1;
}

TEST(TerminationSignalsRestore, ThePreviousHandlerComesBackAndAnIgnoredSignalStaysIgnored) {
    struct sigaction own = {}, ignore = {}, oldTerm = {}, oldInt = {};
    own.sa_handler = OwnHandler;
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGTERM, &own, &oldTerm), 0);
    ASSERT_EQ(sigaction(SIGINT, &ignore, &oldInt), 0);
    int actions = 0;
    {
        platform::TerminationSignals watcher([&](int) { ++actions; });
        ASSERT_TRUE(watcher.IsWatching());
        // One watcher at a time.
        platform::TerminationSignals second([](int) {});
        EXPECT_FALSE(second.IsWatching());
        // Started under nohup or in the background: SIGINT is not the program's.
        kill(getpid(), SIGINT);
        PumpUntil([] { return false; }, 100);
        EXPECT_EQ(actions, 0);
    }
    raise(SIGTERM); // handled on this thread before raise returns
    EXPECT_EQ(g_OwnHandlerRan, 1);
    EXPECT_EQ(actions, 0);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
}

} // namespace
