// The output page: switching it to another output (the whole refresh and the
// repaint of the page with its graph), and a gain typed into a band field
// until its frame reaches the simulated device on 127.0.0.1, against one
// exchange of the link (the 5 ms pause after every exchange plus its round
// trip, measured over requests queued back to back). Offscreen.
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "controls/EqGraph.h"
#include "controls/NumEdit.h"
#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "pages/output/OutputPage.h"
#include "platform/UiGlobals.h"
#include "tools/bench/QtBenchMain.h"
#include "tools/bench/ProgramOnSim.h"
#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QApplication>
#include <QFocusEvent>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kVisibleOutputs = 10; // the outputs the main view shows panels for

// A model with the simulated device's data and every band of every output
// set, so that each output draws a curve of its own.
void LoadBusyModel(CKTV_Data& model) {
    sim::SimDevice device;
    const std::vector<uint8_t> image = device.Image();
    WithDeviceLock([&] {
        model.LoadFromImage(image.data(), 0);
        for (int n = 0; n < kOutputCount; ++n)
            for (int b = 0; b < 31; ++b) {
                CFilter* f = model.GetOut(n)->GetFilter(b);
                f->SetGainCode(120 + (n * 31 + b) * 37 % 160);
                f->SetBandwidthCode((n * 7 + b * 11) % 120);
            }
    });
}

// The view: the page is only refreshed and painted here.
class NullHost : public IPageHost {
public:
    CDeviceSession& Session() override { std::abort(); }
    bool IsConnected() override { return false; }
    void SendCommand(int, int) override {}
    void SendOutputBlock(int) override {}
    void StartEditGuardTimer() override {}
    void SelectPage(int, bool) override {}
    CStripBase* OutputStrip(int) override { return nullptr; }
    CViewPage* OutputPageWindow() override { return nullptr; }
    CViewPage* MixPageWindow() override { return nullptr; }
    void SelectOutput(int) override {}
    void RepaintStrips() override {}
    void MarkMasterChanged(int) override {}
    void RequestDataResync() override {}
    void SendOutputOffFrame(int) override {}
    void SendOutputBlockLocked(int) override {}
    void QueuePacket(PacketPtr) override {}
    void CopyOutputEq(int, int) override {}
    void PasteOutputEq(int, int) override {}
    void ResetOutputEq() override {}
    void FocusMasterVolumeField() override {}
    void SetChannelModified(int) override {}
    void PostViewMessage(unsigned, WPARAM, LPARAM) override {}
};

void BM_OutputPageSwitchOutput(benchmark::State& state) {
    CreateSharedFonts();
    CKTV_Data model;
    LoadBusyModel(model);
    NullHost host;
    COutputPage page;
    page.resize(1275, 607);
    page.SetView(&host);
    page.SetChannelArray(&model);
    page.RefreshAll();
    page.show();
    QCoreApplication::processEvents();
    int n = 0;
    for (auto _ : state) {
        n = (n + 1) % kVisibleOutputs;
        page.SelectOutput(n);
        page.repaint(); // the page with its graph, as the screen shows it
    }
    g_CurrentOutput = 0;
}

void BM_TypedBandValueToDevice(benchmark::State& state) {
    ProgramOnSim<> program;
    if (!program.Start() || !program.Connect(15000)) {
        state.SkipWithError(program.error.c_str());
        return;
    }
    sim::SimDevice& device = program.device;
    CLumaraView* view = program.view;
    const auto waitFor = [](const std::function<bool()>& done, int ms) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (!done() && Clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        return done();
    };
    auto* page = dynamic_cast<COutputPage*>(view->OutputPage());
    view->SelectOutput(2);
    CNumEdit* field = page->Field(COutputPage::kBandGain + 5);

    waitFor([] { return false; }, 300);
    const double exchangeMs = program.ExchangeMs();

    const auto bandWord = [&] {
        const std::vector<uint8_t> image = device.Image();
        return GetU16(&image[kOutputBlockOffset + kOutputBlockSize * 2 + kItemSize * 5 + 2]);
    };
    double totalMs = 0;
    int round = 0;
    for (auto _ : state) {
        const int code = 150 + (round++ % 2) * 100; // -5.0 dB and +5.0 dB in turn
        field->setText(QString::number(code * 0.1 - 20.0, 'f', 1));
        field->SetModified(true);
        const auto start = Clock::now();
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(field, &out);
        size_t frames = device.FrameCount();
        // The device's memory holds the band's new gain word.
        while (true) {
            if (device.FrameCount() != frames) {
                frames = device.FrameCount();
                if (bandWord() == code + 400) break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        state.SetIterationTime(ms / 1000.0);
        totalMs += ms;
    }
    state.counters["exchange_ms"] = exchangeMs;
    state.counters["exchange_ratio"] =
        totalMs / static_cast<double>(state.iterations()) / exchangeMs;
}

} // namespace

BENCHMARK(BM_OutputPageSwitchOutput)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedBandValueToDevice)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
