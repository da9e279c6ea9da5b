#include "platform/Message.h"
#include "platform/ViewNotify.h"

#include "tests/platform/GuiTestSupport.h"

#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

using platform::MessageTarget;

namespace {

constexpr unsigned kPing = WM_USER + 1;
constexpr unsigned kAdd = WM_USER + 2;
constexpr unsigned kRelay = WM_USER + 3;

// Records what it handles, and where; answers kAdd with wParam + lParam.
class Recorder : public MessageTarget<QObject> {
public:
    struct Entry {
        unsigned msg;
        WPARAM w;
        LPARAM l;
        QThread* thread;
    };
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            entries.push_back({msg, w, l, QThread::currentThread()});
        }
        count++;
        if (msg == kAdd) return static_cast<LRESULT>(w) + l;
        if (msg == kRelay && relayTo) return platform::SendMessage(relayTo, kAdd, w, l) + 1;
        return 0;
    }
    std::mutex mutex;
    std::vector<Entry> entries;
    std::atomic<int> count{0};
    QObject* relayTo = nullptr;
};

TEST(MessageTest, PostedMessagesArriveInOrderFromEachThread) {
    Watchdog dog(30);
    Recorder r;
    constexpr int kSenders = 3, kEach = 400;
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([&r, s] {
            for (int i = 0; i < kEach; ++i)
                platform::PostMessage(&r, kPing, i, s);
        });
    for (auto& t : senders)
        t.join();
    ASSERT_TRUE(PumpUntil([&] { return r.count == kSenders * kEach; }));

    std::vector<int> next(kSenders, 0);
    for (const auto& e : r.entries) {
        EXPECT_EQ(e.thread, QThread::currentThread()); // handled on the receiver's thread
        EXPECT_EQ(static_cast<int>(e.w), next[e.l]++) << "sender " << e.l;
    }
}

TEST(MessageTest, SendWithinTheThreadRunsAtOnce) {
    Recorder r;
    EXPECT_EQ(r.SendMessage(kAdd, 40, 2), 42);
    EXPECT_EQ(r.count, 1);
    r.PostMessage(kPing);
    EXPECT_EQ(r.count, 1); // a post waits for the event loop
    ASSERT_TRUE(PumpUntil([&] { return r.count == 2; }));
}

TEST(MessageTest, SendFromAnotherThreadReturnsTheHandlersResult) {
    Watchdog dog(30);
    Recorder r;
    struct Case {
        WPARAM w;
        LPARAM l;
    };
    const Case cases[] = {{0, 0}, {40, 2}, {1, -7}, {0xFFFF, 0x10000}};
    for (const Case& c : cases) {
        std::atomic<bool> done{false};
        LRESULT result = -1;
        std::thread sender([&] {
            result = platform::SendMessage(&r, kAdd, c.w, c.l);
            done = true;
        });
        ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
        sender.join();
        EXPECT_EQ(result, static_cast<LRESULT>(c.w) + c.l);
        EXPECT_EQ(r.entries.back().thread, QThread::currentThread());
    }
}

TEST(MessageTest, AStopperWaitingForTheSenderDoesNotDeadlock) {
    // The worker sends to the UI thread while the UI thread, without running
    // its event loop, waits for the worker to end (as stopping the link does).
    Watchdog dog(30);
    Recorder view;
    std::atomic<bool> finished{false};
    LRESULT result = -1;
    std::thread worker([&] {
        result = platform::SendMessage(&view, kAdd, 20, 1);
        finished = true;
    });
    platform::WaitServingSends([&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(result, 21);
    ASSERT_EQ(view.entries.size(), 1u);
    EXPECT_EQ(view.entries[0].thread, QThread::currentThread());
    // The queued copy of the message does not run the handler a second time.
    QCoreApplication::processEvents();
    EXPECT_EQ(view.count, 1);
}

TEST(MessageTest, TwoThreadsSendingToEachOtherDoNotDeadlock) {
    Watchdog dog(30);
    Recorder here;
    QThread other;
    auto there = std::make_unique<Recorder>();
    there->moveToThread(&other);
    there->relayTo = &here; // its handler sends back to this thread
    other.start();
    EXPECT_EQ(platform::SendMessage(there.get(), kRelay, 5, 6), 12);
    EXPECT_EQ(here.entries.size(), 1u);
    EXPECT_EQ(here.entries[0].thread, QThread::currentThread());
    other.quit();
    other.wait();
}

TEST(MessageTest, ASendToAnObjectDestroyedBeforeHandlingItAnswersZero) {
    Watchdog dog(30);
    auto target = std::make_unique<Recorder>();
    std::atomic<bool> finished{false};
    LRESULT result = -1;
    std::thread sender([&, t = target.get()] {
        result = platform::SendMessage(t, kAdd, 1, 1);
        finished = true;
    });
    // Wait until the message is queued, then destroy the target unhandled.
    while (platform::PendingSends() == 0)
        std::this_thread::yield();
    target.reset();
    sender.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(result, 0);
}

TEST(MessageTest, MessageMapDispatchesByNumber) {
    struct Page {
        LRESULT OnBand(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) * 10; }
        LRESULT OnFocus(WPARAM, LPARAM l) { return l; }
    } page;
    static const platform::MessageMapEntry<Page> map[] = {
        {WM_USER + 100, &Page::OnBand},
        {WM_USER + 101, &Page::OnFocus},
    };
    LRESULT r = 0;
    EXPECT_TRUE(platform::DispatchMessageMap(&page, map, WM_USER + 100, 3, 0, r));
    EXPECT_EQ(r, 30);
    EXPECT_TRUE(platform::DispatchMessageMap(&page, map, WM_USER + 101, 0, -4, r));
    EXPECT_EQ(r, -4);
    EXPECT_FALSE(platform::DispatchMessageMap(&page, map, WM_USER + 102, 0, 0, r));
}

TEST(ViewNotifyTest, EngineReportsReachTheViewAndStopWithIt) {
    Watchdog dog(30);
    auto view = std::make_unique<Recorder>();
    platform::QtViewNotify notify(view.get());
    g_MainView = &notify;

    std::atomic<bool> done{false};
    LRESULT sent = -1;
    std::thread worker([&] {
        PostToView(WM_DEVICE_DATA_DONE, 3, 0);
        sent = SendToView(WM_OUTPUT_MAP, 1, 2); // the output map is sent, not posted
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    ASSERT_EQ(view->entries.size(), 2u);
    EXPECT_EQ(view->entries[0].msg, WM_DEVICE_DATA_DONE);
    EXPECT_EQ(view->entries[0].w, 3u);
    EXPECT_EQ(view->entries[1].msg, WM_OUTPUT_MAP);
    EXPECT_EQ(sent, 0); // the recorder answers 0 to what it does not compute

    view.reset(); // the view goes: later reports are dropped, sends answer 0
    PostToView(WM_LINK_LOST);
    EXPECT_EQ(SendToView(WM_OUTPUT_MAP, 1, 0), 0);
    g_MainView = nullptr;
}

} // namespace
