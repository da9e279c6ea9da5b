// The output page offscreen with the program's own model: a host in place of
// the main view that records what the page asks of it (and whether the page
// held g_DeviceLock at that moment) and hands the senders to a real device
// session, whose command engine then holds the frames the page queued.
#pragma once

#include "tests/pages/PageHostStub.h"

#include "controls/BitmapSlider.h"
#include "controls/DropListButton.h"
#include "controls/EqGraph.h"
#include "controls/FontStatic.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/PngButton.h"
#include "controls/PictureButton.h"
#include "link/DeviceSession.h"
#include "link/LinkGlobals.h"
#include "link/SettingsGroup.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"
#include "model/ModelLock.h"
#include "model/SpeakerTypes.h"
#include "model/ValueScale.h"
#include "pages/output/OutputPage.h"
#include "platform/UiGlobals.h"
#include "tests/link/LinkTestSupport.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pagetest {

// Whether another thread could take g_DeviceLock now (false while the caller
// or anyone else holds it).
inline bool LockFree() {
    bool free = false;
    std::thread probe([&] {
        if (g_DeviceLock.try_lock()) {
            free = true;
            g_DeviceLock.unlock();
        }
    });
    probe.join();
    return free;
}

// One frame of the command engine's queue, as the device will see it.
struct Frame {
    int command, group, channel, item;
    std::vector<uint8_t> payload;
};

inline std::vector<Frame> Queued(CKTVCommand& command) {
    std::vector<Frame> out;
    command.ForEachPacket([&](const CSendData& p) {
        const uint8_t* d = p.GetData();
        const int n = p.GetLength();
        if (!d || n < 16) return;
        Frame f{d[4], d[7], d[8], d[9], {}};
        const int len = d[12] | (d[13] << 8);
        f.payload.assign(d + 14, d + 14 + std::min(len, n - 16));
        out.push_back(f);
    });
    return out;
}

// An output's basic item (item 31) with the on flag given.
inline bool IsBasicFrame(const Frame& f, int channel, int on) {
    return f.group == kGroupOutput && f.channel == channel && f.item == 31 &&
           f.payload.size() == 8 && f.payload[0] == on;
}

class RecordingHost : public PageHostStub {
public:
    // The calls in order, each with "(locked)" when g_DeviceLock was held.
    std::vector<std::string> calls;
    std::vector<std::tuple<unsigned, WPARAM, LPARAM>> posted;
    int resyncs = 0;
    int masterFocus = 0;
    int modified[12] = {};
    CDeviceSession* session = nullptr; // the senders' target, when set
    COutputPage* page = nullptr;

    std::function<void()> onCall; // runs at every call, before it is recorded

    void Record(const std::string& what) {
        if (onCall) onCall();
        calls.push_back(what + (LockFree() ? "" : " (locked)"));
    }

    CDeviceSession& Session() override { return *session; }
    bool IsConnected() override { return session && session->IsConnected(); }
    void SendCommand(int record, int index) override {
        Record("command " + std::to_string(record));
        if (session) session->SendCommand(record, index);
    }
    void SendOutputBlock(int output) override {
        Record("block " + std::to_string(output));
        if (session) session->SendOutputBlock(output);
    }
    void StartEditGuardTimer() override { Record("edit guard"); }
    void SelectPage(int page, bool) override { Record("page " + std::to_string(page)); }
    void RequestDataResync() override {
        ++resyncs;
        Record("resync");
        if (session) session->RequestDataResync();
    }
    void SendOutputOffFrame(int output) override {
        Record("off frame " + std::to_string(output));
        if (session) session->SendOutputOffFrame(output);
    }
    void SendOutputBlockLocked(int output) override {
        Record("block locked " + std::to_string(output));
        if (session) session->SendOutputBlock(output);
    }
    void QueuePacket(PacketPtr packet) override {
        Record("queue");
        if (session) session->Command().AddPacket(std::move(packet));
    }
    void CopyOutputEq(int from, int to) override {
        Record("copy " + std::to_string(from) + " " + std::to_string(to));
        if (session) session->CopyOutputEq(from, to);
    }
    void PasteOutputEq(int from, int to) override {
        Record("paste " + std::to_string(from) + " " + std::to_string(to));
    }
    void ResetOutputEq() override { Record("reset eq"); }
    void SelectOutput(int output) override {
        Record("select " + std::to_string(output));
        if (page) page->SelectOutput(output);
    }
    void FocusMasterVolumeField() override {
        ++masterFocus;
        Record("master focus");
    }
    void SetChannelModified(int output) override {
        if (output >= 0 && output < 12) modified[output] = 1;
    }
    void PostViewMessage(unsigned msg, WPARAM w, LPARAM l) override {
        posted.emplace_back(msg, w, l);
    }

    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& c : calls)
            n += c.rfind(prefix, 0) == 0;
        return n;
    }
};

// Answers the program's message boxes and records them.
class Boxes {
public:
    explicit Boxes(CMessageBox::Action answer = CMessageBox::Action::Ok) : answer_(answer) {
        previous_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            shown.push_back(s);
            return answer_;
        });
    }
    ~Boxes() { CMessageBox::SetResponder(previous_); }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;
    // Yes is the box's first button (Ok), No its second (Cancel).
    void AnswerYes() { answer_ = CMessageBox::Action::Ok; }
    void AnswerNo() { answer_ = CMessageBox::Action::Cancel; }
    int Count(const QString& text) const {
        int n = 0;
        for (const auto& s : shown)
            n += s.text == text;
        return n;
    }

    std::vector<CMessageBox::Shown> shown;

private:
    CMessageBox::Action answer_;
    CMessageBox::Responder previous_;
};

inline QString Utf8Text(const char* s) {
    return QString::fromUtf8(s);
}

// What a Q field shows for a bandwidth code.
inline QString QText(int code) {
    const double q = BandwidthCodeToQ(code);
    return QString::number(q, 'f', q > 10 ? 2 : 3);
}

inline const QString kDataException =
    QStringLiteral("Data exception, do you want to restore the default data?");

// A device session that counts as connected (no worker runs): the frames a
// page queues stay in its command engine.
struct ConnectedSession {
    LinkEnvironment env;
    sim::SimHidBackend hid;
    AdaptersDouble adapters;
    PingerDouble pinger;
    CMemorySettingsGroup marks;
    RecordingView notify;
    std::unique_ptr<CDeviceSession> session;

    void Open(CKTV_Data& data, RecordingHost& host) {
        env.hid = &hid;
        env.adapters = &adapters;
        env.pinger = &pinger;
        env.watchHotplug = false;
        session = std::make_unique<CDeviceSession>(
            data, marks, notify, [] {}, env);
        session->Worker().SetConnected(true);
        host.session = session.get();
        g_DeviceSynced = 1;
    }
};

// Types text into a field and leaves it: the field commits what was typed.
inline void TypeInto(CNumEdit* f, const QString& text) {
    ASSERT_NE(f, nullptr);
    f->setText(text);
    f->SetModified(true);
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(f, &out);
}

// The page with a fresh model and the recording host.
class OutputPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        ResetLinkGlobals();
        static bool ui = false;
        if (!ui) {
            CreateSharedFonts();
            ui = true;
        }
        g_CurrentOutput = 0;
        g_DelayUnit = 0;
        std::fill(std::begin(g_ShowCurve), std::end(g_ShowCurve), 0);
        data = std::make_unique<CKTV_Data>();
        page = std::make_unique<COutputPage>();
        page->resize(1275, 607);
        page->SetView(&host);
        host.page = page.get();
        page->SetChannelArray(data.get());
        page->RefreshAll();
        host.calls.clear();
    }
    void TearDown() override {
        page.reset();
        session.reset();
        data.reset();
        g_DeviceSynced = 0;
        g_CurrentOutput = 0;
        ResetLinkGlobals();
    }

    void Connect() { link.Open(*data, host); }

    CKTV_OutData& Out(int n) { return *data->GetOut(n); }
    CFilter& Band(int n, int band) { return *Out(n).GetFilter(band); }

    void Type(int id, const QString& text) {
        SCOPED_TRACE(id);
        TypeInto(page->Field(id), text);
    }
    void Command(int id, int code = 0) {
        platform::SendMessage(page.get(), WM_COMMAND, CommandWParam(id, code), 0);
    }
    QString Text(int id) { return page->Field(id)->text(); }

    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<COutputPage> page;
    RecordingHost host;

    ConnectedSession link;
    std::unique_ptr<CDeviceSession>& session = link.session;
};

} // namespace pagetest
