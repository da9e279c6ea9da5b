// An edit made on the equaliser graph reaches the device: the drag changes
// the filter through its setters, which mark it; the model's poller builds
// the frame; the simulated device takes it, byte for byte as the frame layout
// says, and keeps the values in its memory.
#include "tests/controls/GraphTestSupport.h"
#include "tests/controls/SkinTestSupport.h"

#include "controls/EqGraph.h"
#include "controls/GraphSnapshots.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/ValueScale.h"
#include "link/SendData.h"
#include "tools/sim/SimDevice.h"

#include <future>
#include <memory>

namespace {

// A write frame from the layout: sync, command, id 1, slot, group, channel,
// item, link 0, 0, length, payload, XOR from the command on, 0xAA.
std::vector<uint8_t> WriteFrame(int group, int channel, int item,
                                const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> f = {0x6B,
                              0x6B,
                              0x6B,
                              0xEE,
                              0xA1,
                              1,
                              0,
                              static_cast<uint8_t>(group),
                              static_cast<uint8_t>(channel),
                              static_cast<uint8_t>(item),
                              0,
                              0,
                              static_cast<uint8_t>(payload.size()),
                              0};
    for (uint8_t b : payload)
        f.push_back(b);
    uint8_t x = 0;
    for (size_t i = 4; i < f.size(); ++i)
        x ^= f[i];
    f.push_back(x);
    f.push_back(0xAA);
    return f;
}

void PutWord(std::vector<uint8_t>& v, int value) {
    v.push_back(static_cast<uint8_t>(value & 0xFF));
    v.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

class GraphEditToDeviceTest : public graphtest::OutputGraphTest {
protected:
    void SetUp() override {
        BuildGraph(3);
        g_DeviceSynced = 1; // connected: changes are marked for sending
    }

    // Drags a handle from its centre by (dx, dy) and lets go.
    void DragHandle(CFilter& f, QPoint by) {
        const GraphRect& r = f.GetHandleRect();
        const QPoint c((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        skintest::Move(graph, c);
        skintest::Press(graph, c);
        skintest::Move(graph, c + by, Qt::LeftButton);
        skintest::Release(graph, c + by);
    }
    // Runs the poller until it has nothing left, handing each packet to the device.
    void SendPending() {
        for (int i = 0; i < 16; ++i) {
            PacketPtr p = model->GetNextPacket();
            device.Receive(p->GetData(), static_cast<size_t>(p->GetLength()));
        }
    }
    const sim::SeenFrame* Seen(int group, int channel, int item) {
        seen = device.Seen();
        for (const sim::SeenFrame& f : seen)
            if (f.command == 0xA1 && f.group == group && f.channel == channel && f.item == item)
                return &f;
        return nullptr;
    }
    std::vector<uint8_t> DeviceItem(int channel, int item) const {
        const auto image = device.Image();
        const size_t at =
            kOutputBlockOffset + kOutputBlockSize * static_cast<size_t>(channel) + 8u * item;
        return std::vector<uint8_t>(image.begin() + static_cast<long>(at),
                                    image.begin() + static_cast<long>(at + 8));
    }

    sim::SimDevice device;
    std::vector<sim::SeenFrame> seen;
};

TEST_F(GraphEditToDeviceTest, ABandDraggedOnTheGraph) {
    CFilter& band = *model->GetOut(3)->GetFilter(17);
    const int gw = graph->PlotRect().width(), gh = graph->PlotRect().height();
    const GraphRect r = band.GetHandleRect();
    const QPoint to((r.left + r.right) / 2 + 60, (r.top + r.bottom) / 2 - 40);
    DragHandle(band, QPoint(60, -40));
    // Within an octave of 1 kHz, so the device takes the frequency at once.
    const int freq = GraphXToFreq(to.x() - 40, gw);
    const int gainCode = static_cast<int>(std::lround((GraphYToGain(to.y() - 10, gh) + 20) * 10));
    ASSERT_GT(freq, 500);
    ASSERT_LT(freq, 2000);
    SendPending();

    std::vector<uint8_t> payload;
    PutWord(payload, freq);
    PutWord(payload, gainCode + 400);
    PutWord(payload, band.GetBandwidthCode());
    payload.push_back(static_cast<uint8_t>(band.GetSlope()));
    payload.push_back(0); // a peaking band
    const sim::SeenFrame* f = Seen(kGroupOutput, 3, 17);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->raw, WriteFrame(kGroupOutput, 3, 17, payload));
    EXPECT_EQ(DeviceItem(3, 17), payload);
    EXPECT_EQ(band.IsChanged(), 0); // sent
}

TEST_F(GraphEditToDeviceTest, ACrossoverDraggedOnTheGraph) {
    CKTV_OutData& out = *model->GetOut(3);
    out.GetHighPass()->SetFreq(100, 0);
    out.GetLowPass()->SetFreq(5000, 0);
    graph->Redraw(-1);
    const int gw = graph->PlotRect().width();
    const int x150 = FreqToGraphX(150, gw);
    const GraphRect r = out.GetHighPass()->GetHandleRect();
    const int by = x150 + 40 - (r.left + r.right) / 2;
    DragHandle(*out.GetHighPass(), QPoint(by, 0));
    const int freq = GraphXToFreq((r.left + r.right) / 2 + by - 40, gw);
    ASSERT_EQ(out.GetHighPass()->GetFreq(), freq);
    ASSERT_LT(freq, 200);
    SendPending();

    std::vector<uint8_t> payload;
    PutWord(payload, freq);
    payload.push_back(static_cast<uint8_t>(out.GetHighPass()->GetFamily()));
    payload.push_back(static_cast<uint8_t>(out.GetHighPass()->GetSlope()));
    PutWord(payload, 5000);
    payload.push_back(static_cast<uint8_t>(out.GetLowPass()->GetFamily()));
    payload.push_back(static_cast<uint8_t>(out.GetLowPass()->GetSlope()));
    const sim::SeenFrame* f = Seen(kGroupOutput, 3, 32);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->raw, WriteFrame(kGroupOutput, 3, 32, payload));
    EXPECT_EQ(DeviceItem(3, 32), payload);
}

// The link worker polls the model under the device lock; a drag step holds
// it while it changes the filter, so the worker never sees half a change.
TEST_F(GraphEditToDeviceTest, ADragStepHoldsTheDeviceLock) {
    struct LockProbe : IFilterOwner {
        std::vector<bool> heldElsewhere;
        void SetFrequency(int) override {}
        void SetValue(int) override {
            heldElsewhere.push_back(!std::async(std::launch::async, [] {
                                         if (!g_DeviceLock.try_lock()) return false;
                                         g_DeviceLock.unlock();
                                         return true;
                                     }).get());
        }
    } probe;
    CFilter& band = *model->GetOut(3)->GetFilter(8);
    band.SetOwner(&probe);
    DragHandle(band, QPoint(20, -30));
    band.SetOwner(nullptr);
    ASSERT_FALSE(probe.heldElsewhere.empty());
    for (bool held : probe.heldElsewhere)
        EXPECT_TRUE(held);
}

} // namespace
