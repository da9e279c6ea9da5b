// The program against the simulated device: the shell tests' start-up (a
// private settings file, message boxes answered) with the simulated device's
// network module on 127.0.0.1 (LUMARA_DEVICE_ADDRESS points the program at
// it), a loopback adapter and a ping that answers, the simulated device's USB
// side behind the HID double, and short link timings. The main view records its messages and
// answers its popups without a window; file dialogs take the chooser's scripted answers.
#pragma once

#include "tests/app/ShellTestSupport.h"

#include "features/connection/TransferWindow.h"
#include "link/ViewRelay.h"
#include "tests/link/SimFrames.h"
#include "tests/platform/ScriptedFileChooser.h"

#include <QAction>
#include <QMenu>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class DeviceView : public ShellView {
public:
    using ShellView::ShellView;

    int TrackConnectPopup(QMenu& menu, const QPoint& at) override {
        popupItems.clear();
        for (QAction* a : menu.actions())
            popupItems.emplace_back(a->text().toStdString(), a->data().toInt());
        popupAt = at;
        ++popups;
        return popupChoice;
    }
    // The mix presets asked of the mix page, with the packets queued by then.
    struct MixPreset {
        int output, type, queued;
        bool operator==(const MixPreset& o) const {
            return output == o.output && type == o.type && queued == o.queued;
        }
    };
    void ApplyMixPresetForType(int output, int type) override {
        mixPresets.push_back({output, type, Session().Command().GetCount()});
        CLumaraView::ApplyMixPresetForType(output, type);
    }
    int Count(unsigned msg) const {
        int n = 0;
        for (unsigned m : messages)
            n += m == msg;
        return n;
    }
    // How long the longest message took to handle, in ms.
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        QElapsedTimer t;
        t.start();
        const LRESULT r = ShellView::WindowProc(msg, w, l);
        slowestMessageMs = std::max(slowestMessageMs, t.elapsed());
        return r;
    }
    qint64 slowestMessageMs = 0;

    std::vector<std::pair<std::string, int>> popupItems;
    QPoint popupAt;
    int popups = 0;
    int popupChoice = 0;
    std::vector<MixPreset> mixPresets;
};

class DeviceTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(server.Start(0));
        address = "127.0.0.1:" + std::to_string(server.Port());
        setenv("LUMARA_DEVICE_ADDRESS", address.c_str(), 1);
        adapters.Set({{"127.0.0.1", "255.0.0.0"}});
        pinger.answers = true;
        // Short waits, but long enough that a busy machine (sanitizers, tests
        // in parallel) never takes a slow reply for a lost link.
        LinkTimings t = FastTimings();
        t.usbRead = 2000;
        t.replyLimit = 2000;
        t.netSendTimeout = 1000;
        t.netReceiveTimeout = 1000;
        t.netReplyLimit = 2000;
        t.linkDownSleep = 5;
        t.closePause = 0;
        t.viewReconnectPause = 0;
        app.m_LinkEnvironment.timings = t;
        app.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
            ShellTest::view = view =
                new DeviceView(doc, app.Settings(), app.m_LinkEnvironment, parent);
            return view;
        };
    }
    void TearDown() override {
        ShellTest::TearDown();
        view = nullptr;
        server.Stop();
        unsetenv("LUMARA_DEVICE_ADDRESS");
    }

    // No network module: nothing listens and the ping goes unanswered.
    void NetworkModuleAway() {
        server.Stop();
        pinger.answers = false;
    }
    void Start() {
        ASSERT_TRUE(app.InitInstance({}));
        ASSERT_NE(view, nullptr);
    }
    // Until the device's data is shown and the transfer of it has ended.
    static bool DataShown(DeviceView* v, int loads = 1) {
        return v->Count(WM_DEVICE_DATA_DONE) >= loads && g_DeviceSynced.load() &&
               !g_TransferRunning.load();
    }
    // Starts the program and waits until it shows the device's data and the
    // device has taken the name the output map's handler sends back (twice,
    // one per half). More may follow: data that loads with the left/right
    // link on copies the pairs' blocks, which makes the name "Custom".
    void StartConnected() {
        const size_t before = device.FrameCount();
        Start();
        ASSERT_TRUE(
            PumpUntil([&] { return DataShown(view) && NamesSentBack(before) >= 2; }, 10000));
    }
    // The device runs its stored preset 1 instead of its factory data: the
    // preset as the current data, named "Preset 1", and its outputs' speaker
    // positions as the output map (front tweeter pairs on outputs 1 and 3).
    void DeviceRunsPreset1() {
        const std::vector<uint8_t> preset = device.StoredPreset(1);
        device.SetImageBytes(0, preset);
        device.SetRecord(kRecordPresetSelect, {1});
        std::vector<uint8_t> map(16, 0);
        for (int o = 0; o < kOutputCount; ++o)
            map[static_cast<size_t>(o)] =
                preset[kOutputBlockOffset + kOutputBlockSize * static_cast<size_t>(o) + 255];
        device.SetRecord(kRecordOutputMapA, {map.begin(), map.begin() + 8});
        device.SetRecord(kRecordOutputMapB, {map.begin() + 8, map.end()});
    }
    // Frames of one kind the device took after its first frames.
    int FramesSince(size_t first, const std::function<bool(const sim::SeenFrame&)>& kind) const {
        const auto seen = device.Seen();
        const size_t since = device.FrameCount() - first;
        int n = 0;
        for (size_t i = seen.size() - std::min(since, seen.size()); i < seen.size(); ++i)
            n += kind(seen[i]);
        return n;
    }
    // Writes of the current name the device took after its first frames.
    int NamesSentBack(size_t first) const {
        return FramesSince(first, [](const sim::SeenFrame& f) {
            return f.command == 0xA1 && f.group == 9 && f.channel == 0 && f.slot == 0;
        });
    }
    // Pumps until the device has been asked for its status more times.
    bool StatusReadsAfter(int more) {
        const size_t first = device.FrameCount();
        return PumpUntil([&] { return FramesSince(first, IsStatusRead) >= more; });
    }
    // Ends the program and clears what it leaves in the globals, for a new start.
    void Restart() {
        app.ExitInstance();
        ShellTest::view = view = nullptr;
        ResetShellGlobals();
    }
    static std::string Text(const QString& s) { return s.toStdString(); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes)
            out.push_back(Text(b.text));
        return out;
    }

    // Parks the link worker between exchanges so that the queue stands still.
    void SuspendWorker() {
        view->Session().Worker().Events().Set(CLinkEvents::kSuspend);
        ASSERT_TRUE(PumpUntil([this] { return !view->Session().Worker().IsAwake(); }));
    }
    void ResumeWorker() {
        view->Session().Worker().Events().Reset(CLinkEvents::kSuspend);
        view->Session().Worker().ResumeWorker();
    }

    ScriptedFileChooser chooser; // every file dialog: cancelled unless answered
    sim::SimDevice device;
    sim::SimTcpServer server{device};
    std::string address;
    DeviceView* view = nullptr; // the program's view (ShellTest::view is the same)
};
