// The mix page in the program: the Mixer button puts it in front; a fader
// writes its level into the output's object and the image, marks the item
// while synchronised and sets the output strip's mix switch; the speaker
// types' levels at start-up and on request; and a fader dragged with the
// mouse reaches the simulated device as one item frame, byte for byte.
#include "tests/app/DeviceTestSupport.h"

#include "app/ShellMessages.h"

#include "controls/BitmapSlider.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "pages/input/MixPage.h"

#include <QMouseEvent>

namespace {

class MixViewTest : public DeviceTest {
protected:
    // The program without a device, once it has handled what its set-up posted.
    void StartAlone() {
        NetworkModuleAway();
        Start();
        QApplication::processEvents();
    }
    CMixPage* Page() const { return dynamic_cast<CMixPage*>(view->MixPage()); }
    CKTV_OutData* Out(int n) const { return view->Data()->GetOut(n); }
    static uint8_t ImageLevel(int output, int source) {
        return WithDeviceLock([&] { return OutputBlock(output)[kOutMixAOffset - 1 + source]; });
    }
    std::vector<bool> Toggles(int output) const {
        std::vector<bool> t;
        for (int s = 1; s <= 16; ++s)
            t.push_back(view->Strip(output)->Toggle(s) != 0);
        return t;
    }
    static void Mouse(QWidget* w, QEvent::Type type, int x, Qt::MouseButtons held) {
        const QPointF at(x, w->height() / 2);
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
};

TEST_F(MixViewTest, TheMixerButtonPutsTheMixPageInFront) {
    StartAlone();
    ASSERT_NE(Page(), nullptr);
    EXPECT_FALSE(view->MixPage()->isVisibleTo(view));
    view->MixToggle()->click();
    EXPECT_EQ(view->MixToggle()->GetCheck(), 1);
    EXPECT_TRUE(view->MixPage()->isVisibleTo(view));
    EXPECT_FALSE(view->OutputPage()->isVisibleTo(view));
    view->MixToggle()->click();
    EXPECT_FALSE(view->MixPage()->isVisibleTo(view));
    EXPECT_TRUE(view->OutputPage()->isVisibleTo(view));
    // While the data is locked the lock panel stands in front of both.
    view->BitButton(CLumaraView::IDC_LOCK)->SetCheck(1);
    view->SendMessage(WM_PAGE_SHOW_MIX, 0, 1);
    EXPECT_TRUE(view->LockPanel()->isVisibleTo(view));
    EXPECT_FALSE(view->MixPage()->isVisibleTo(view));
    EXPECT_FALSE(view->OutputPage()->isVisibleTo(view));
}

// The fader of each source writes its byte of the output's block and marks
// its item only while synchronised; the strip's mix switch follows sources
// 1..16 and no other.
TEST_F(MixViewTest, AFaderWritesItsByteAndMarksItsItemWhileSynchronised) {
    StartAlone();
    const struct {
        int source, byte, item;
    } cases[] = {{5, 268, 33}, {8, 271, 33}, {9, 272, 34}, {17, 280, 35}, {18, 281, 35}};
    for (int synced : {0, 1}) {
        g_DeviceSynced = synced;
        const int level = synced ? 27 : 63;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.source) + (synced ? " synced" : ""));
            WithDeviceLock([&] { Out(0)->SetAllDirty(0); });
            const std::vector<bool> before = Toggles(0);
            CBitmapSlider* fader = Page()->RowOf(c.source).fader;
            fader->SetValue(level);
            Page()->PostMessage(WM_SLIDER_MOVED, static_cast<WPARAM>(ControlId(fader)), 0);
            ASSERT_TRUE(PumpUntil([&] { return ImageLevel(0, c.source) == level; }));
            EXPECT_EQ(WithDeviceLock([&] { return OutputBlock(0)[c.byte]; }), level);
            EXPECT_EQ(Out(0)->GetMixLevel(c.source), level);
            EXPECT_EQ(Out(0)->IsMixADirty(), c.item == 33 ? synced : 0);
            EXPECT_EQ(Out(0)->IsMixBDirty(), c.item == 34 ? synced : 0);
            EXPECT_EQ(Out(0)->IsDynamicsDirty(), c.item == 35 ? synced : 0);
            std::vector<bool> after = before;
            if (c.source <= 16) after[static_cast<size_t>(c.source - 1)] = true;
            EXPECT_EQ(Toggles(0), after);
        }
    }
    // Level 0 switches the strip's mix switch off.
    Page()->RowOf(5).fader->SetValue(0);
    Page()->PostMessage(WM_SLIDER_MOVED, 2845, 0);
    ASSERT_TRUE(PumpUntil([&] { return !(view->Strip(0)->Toggle(5) != 0); }));
    EXPECT_EQ(ImageLevel(0, 5), 0);
}

// At start-up outputs 0..9 take their speaker types' levels; the view's
// request applies a type's levels to an output (and checks the output).
TEST_F(MixViewTest, SpeakerTypesGiveTheirLevels) {
    StartAlone();
    QApplication::processEvents();
    // Output 8 is the left subwoofer by default.
    EXPECT_EQ(Out(8)->GetMixLevel(1), 100);
    EXPECT_EQ(Out(8)->GetMixLevel(2), 0);
    EXPECT_TRUE(PumpUntil([&] { return (view->Strip(8)->Toggle(1) != 0); }));
    view->SendMessage(WM_PAGE_MIX_PRESET, 8, 23); // right subwoofer
    EXPECT_EQ(Out(8)->GetMixLevel(1), 0);
    EXPECT_EQ(Out(8)->GetMixLevel(2), 100);
    EXPECT_TRUE(PumpUntil(
        [&] { return (view->Strip(8)->Toggle(2) != 0) && !(view->Strip(8)->Toggle(1) != 0); }));
    view->SendMessage(WM_PAGE_MIX_PRESET, 12, 1); // no output 12
    view->SendMessage(WM_PAGE_MIX_PRESET, 0, -1);
    EXPECT_EQ(Out(0)->GetMixLevel(1), 100);
}

// A fader dragged with the mouse: one 24-byte item-33 frame of output 0 with
// the new level reaches the device, which keeps it.
TEST_F(MixViewTest, AFaderDragReachesTheDeviceAsOneItemFrame) {
    StartConnected();
    // The view takes input again once the transfer window has gone.
    ASSERT_TRUE(PumpUntil([this] { return view->isEnabled(); }));
    view->MixToggle()->click();
    ASSERT_TRUE(view->MixPage()->isVisibleTo(view));
    CBitmapSlider* fader = Page()->RowOf(5).fader;
    ASSERT_TRUE(fader->isVisibleTo(view)); // a live row of the high-level inputs
    ASSERT_EQ(fader->GetValue(), 0);
    const size_t before = device.FrameCount();

    Mouse(fader, QEvent::MouseButtonPress, fader->PosToPixel(fader->GetPos()), Qt::LeftButton);
    Mouse(fader, QEvent::MouseMove, fader->PosToPixel(60), Qt::LeftButton);
    Mouse(fader, QEvent::MouseButtonRelease, fader->PosToPixel(60), Qt::NoButton);
    const int level = fader->GetValue();
    ASSERT_GT(level, 0);

    auto itemFrames = [&] {
        std::vector<sim::SeenFrame> out;
        const auto seen = device.Seen();
        for (size_t i = seen.size() - (device.FrameCount() - before); i < seen.size(); ++i)
            if (seen[i].command == 0xA1 && seen[i].group == 4 && seen[i].item == 33)
                out.push_back(seen[i]);
        return out;
    };
    ASSERT_TRUE(PumpUntil([&] { return !itemFrames().empty(); }, 10000));
    // The link goes idle again: status requests follow, and no second frame.
    const size_t sent = device.FrameCount();
    ASSERT_TRUE(PumpUntil(
        [&] {
            const auto seen = device.Seen();
            int polls = 0;
            for (size_t i = seen.size() - (device.FrameCount() - sent); i < seen.size(); ++i)
                polls += IsStatusRead(seen[i]);
            return polls >= 2;
        },
        10000));
    const auto frames = itemFrames();
    ASSERT_EQ(frames.size(), 1u);
    std::vector<uint8_t> payload(8, 0);
    for (int s = 1; s <= 8; ++s)
        payload[static_cast<size_t>(s - 1)] = Out(0)->GetMixLevel(s);
    EXPECT_EQ(payload[4], level);
    EXPECT_EQ(frames[0].raw.size(), 24u);
    EXPECT_EQ(frames[0].raw, RequestFrame(0xA1, 0, 4, 0, 33, payload));
    EXPECT_EQ(device.Image()[static_cast<size_t>(kOutputBlockOffset + kOutMixAOffset + 4)], level);
    EXPECT_TRUE((view->Strip(0)->Toggle(5) != 0));
    EXPECT_EQ(ImageLevel(0, 5), level);
}

} // namespace
