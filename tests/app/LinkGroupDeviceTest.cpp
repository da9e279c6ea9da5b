// Joint-editing groups in the program against the simulated device: the
// link button's clicks reach the strips as the button reports them, the
// dynamics item carries the group number in byte 287, and an edit of one
// member arrives at every member, byte for byte, with the frames' link byte.
#include "tests/app/DeviceTestSupport.h"

#include "controls/BitButton.h"
#include "controls/NumEdit.h"
#include "model/KTV_Data.h"
#include "model/LinkGroups.h"
#include "model/ModelLock.h"
#include "pages/output/OutRoute_Dlg.h"
#include "pages/output/OutputDlg.h"

#include <QFocusEvent>

namespace {

class LinkGroupDeviceTest : public DeviceTest {
protected:
    COutputDlg* Page() const { return dynamic_cast<COutputDlg*>(view->OutputPage()); }
    CKTV_OutData& Out(int n) const { return *view->Data()->GetOut(n); }
    // A click of an output's link button as the button reports it.
    void Click(int output, unsigned kind) {
        platform::PostMessage(view->Strip(output), WM_SPEAKER_CLICK, kind, 0);
        QApplication::processEvents();
    }
    std::vector<sim::SeenFrame> Writes(size_t first, int channel, int item) const {
        std::vector<sim::SeenFrame> out;
        const auto seen = device.Seen();
        const size_t since = device.FrameCount() - first;
        for (size_t i = seen.size() - std::min(since, seen.size()); i < seen.size(); ++i) {
            const sim::SeenFrame& f = seen[i];
            if (f.command == 0xA1 && f.slot == 0 && f.group == kGroupOutput &&
                f.channel == channel && f.item == item)
                out.push_back(f);
        }
        return out;
    }
    uint8_t DeviceByte(int channel, int offset) const {
        return device.Image()[kOutputBlockOffset + kOutputBlockSize * channel + offset];
    }
    void Type(int id, const QString& text) {
        CNumEdit* f = Page()->Field(id);
        ASSERT_NE(f, nullptr);
        f->setText(text);
        f->SetModified(true);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(f, &out);
    }
};

TEST_F(LinkGroupDeviceTest, JoiningSendsTheGroupNumberAndAnEditReachesEveryMember) {
    StartConnected();
    ASSERT_NE(Page(), nullptr);
    size_t first = device.FrameCount();
    // Output 2 opens group 1 with a double click and becomes current.
    Click(2, WM_LBUTTONDBLCLK);
    EXPECT_EQ(g_CurrentOutput, 2);
    // Output 5 joins the current output's group with a single click.
    Click(5, WM_LBUTTONDOWN);
    EXPECT_TRUE(static_cast<COutRoute_Dlg*>(view->Strip(5))->LinkButton()->GetCheck());
    ASSERT_TRUE(PumpUntil(
        [&] {
            return DeviceByte(2, kOutLinkGroupByte) == 1 && DeviceByte(5, kOutLinkGroupByte) == 1;
        },
        10000));
    for (int o : {2, 5}) {
        const std::vector<sim::SeenFrame> dyn = Writes(first, o, 35);
        ASSERT_FALSE(dyn.empty()) << o;
        ASSERT_EQ(dyn.back().payload.size(), 8u);
        EXPECT_EQ(dyn.back().payload[7], 1) << o; // byte 287: group 1
        const std::vector<uint8_t> model = WithDeviceLock(
            [&] { return std::vector<uint8_t>(OutputBlock(o) + 280, OutputBlock(o) + 288); });
        EXPECT_EQ(dyn.back().payload, model) << o;
    }

    // An edit of output 2's band 4 arrives at outputs 2 and 5, not at output 1
    // (whose own index equals the group number).
    first = device.FrameCount();
    Type(COutputDlg::kBandGain + 4, QStringLiteral("-3.5"));
    EXPECT_EQ(Out(5).GetFilter(4)->GetGainCode(), Out(2).GetFilter(4)->GetGainCode());
    ASSERT_TRUE(PumpUntil(
        [&] { return !Writes(first, 2, 4).empty() && !Writes(first, 5, 4).empty(); }, 10000));
    const ItemRecord band = WithDeviceLock([&] { return Out(2).GetEq().PackBand(4); });
    for (int o : {2, 5}) {
        const sim::SeenFrame f = Writes(first, o, 4).back();
        EXPECT_EQ(f.payload, std::vector<uint8_t>(band.begin(), band.end())) << o;
        EXPECT_EQ(f.raw[10], 1) << o; // linked
    }
    EXPECT_TRUE(Writes(first, 1, 4).empty());
    EXPECT_TRUE(Writes(first, 0, 4).empty());

    // Output 5 leaves: byte 287 back to 0; output 2's next edit stays its own.
    first = device.FrameCount();
    Click(5, WM_LBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return DeviceByte(5, kOutLinkGroupByte) == 0; }, 10000));
    EXPECT_EQ(Writes(first, 5, 35).back().payload[7], 0);
    first = device.FrameCount();
    Type(COutputDlg::kBandGain + 4, QStringLiteral("2.0"));
    ASSERT_TRUE(PumpUntil([&] { return !Writes(first, 2, 4).empty(); }, 10000));
    EXPECT_EQ(Writes(first, 2, 4).back().raw[10], 0);
    for (int o = 0; o < 12; ++o)
        if (o != 2) {
            EXPECT_TRUE(Writes(first, o, 4).empty()) << o;
        }
}

} // namespace
