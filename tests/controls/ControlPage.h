// A page for the control tests: it records every window message its
// controls send or post to it, and drives time by hand.
#pragma once

#include "controls/ControlNotify.h"
#include "controls/MessageBox.h"
#include "controls/core/Timing.h"
#include "platform/Message.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct Received {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingPage : public platform::MessageTarget<QWidget> {
public:
    RecordingPage() { resize(400, 300); }
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        received.push_back({msg, wParam, lParam});
        return 0;
    }
    // Delivers what was posted and returns the messages of one number.
    std::vector<Received> Take(unsigned msg) {
        QCoreApplication::sendPostedEvents();
        std::vector<Received> out, rest;
        for (const Received& r : received)
            (r.msg == msg ? out : rest).push_back(r);
        received = rest;
        return out;
    }
    size_t Count(unsigned msg) { return Take(msg).size(); }
    void Clear() {
        QCoreApplication::sendPostedEvents();
        received.clear();
    }

    std::vector<Received> received;
};

// A clock the test moves by hand.
struct FakeClock {
    int64_t now = 1000;
    ctltime::Clock Fn() {
        return [this] { return now; };
    }
};

// Records the message boxes the controls show and answers them (Ok: the
// positive button, OK or Yes; Cancel: the negative one).
class MessageBoxCapture {
public:
    explicit MessageBoxCapture(CMessageBox::Action answer) {
        previous_ = CMessageBox::SetResponder([this, answer](const CMessageBox::Shown& s) {
            shown.push_back(s);
            return answer;
        });
    }
    ~MessageBoxCapture() { CMessageBox::SetResponder(previous_); }
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    std::vector<CMessageBox::Shown> shown;

private:
    CMessageBox::Responder previous_;
};

// Shows a top-level page and makes it the active window, so focus moves.
inline void ShowActive(QWidget* page) {
    page->show();
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page));
}
