// Edits on the output page carried to the simulated device: the field, the
// model, the frame the device takes and its memory afterwards, byte for byte.
#include "tests/app/DeviceTestSupport.h"

#include "controls/NumEdit.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "pages/output/OutputDlg.h"

#include <QFocusEvent>

namespace {

class OutputPageDeviceTest : public DeviceTest {
protected:
    COutputDlg* Page() const { return dynamic_cast<COutputDlg*>(view->OutputPage()); }
    CKTV_OutData& Out(int n) const { return *view->Data()->GetOut(n); }

    // Types text into a field of the page and leaves it.
    void Type(int id, const QString& text) {
        CNumEdit* f = Page()->Field(id);
        ASSERT_NE(f, nullptr);
        f->setText(text);
        f->SetModified(true);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(f, &out);
    }
    // Writes of one output item the device took since frame `first`.
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
    std::vector<uint8_t> DeviceItem(int channel, int item) const {
        const std::vector<uint8_t> image = device.Image();
        const size_t at = kOutputBlockOffset + kOutputBlockSize * channel + kItemSize * item;
        return {image.begin() + static_cast<long>(at),
                image.begin() + static_cast<long>(at + kItemSize)};
    }
};

TEST_F(OutputPageDeviceTest, AGainTypedIntoBand5OfOutput2ArrivesAsThatBandsItem) {
    StartConnected();
    ASSERT_NE(Page(), nullptr);
    view->SelectOutput(2);
    ASSERT_EQ(g_CurrentOutput, 2);
    const size_t first = device.FrameCount();
    Type(COutputDlg::kBandGain + 5, QStringLiteral("4.5"));
    EXPECT_EQ(Out(2).GetFilter(5)->GetGainCode(), 245);
    ASSERT_TRUE(PumpUntil([&] { return !Writes(first, 2, 5).empty(); }, 10000));
    const std::vector<sim::SeenFrame> writes = Writes(first, 2, 5);
    ASSERT_EQ(writes.size(), 1u);
    const ItemRecord record = WithDeviceLock([&] { return Out(2).GetEq().PackBand(5); });
    EXPECT_EQ(writes[0].payload, std::vector<uint8_t>(record.begin(), record.end()));
    EXPECT_EQ(GetU16(&writes[0].payload[2]), 645); // +4.5 dB: 600 + 45
    EXPECT_EQ(DeviceItem(2, 5), std::vector<uint8_t>(record.begin(), record.end()));
    // No other output's band 5 went out.
    for (int n = 0; n < 12; ++n) {
        if (n == 2) continue;
        EXPECT_TRUE(Writes(first, n, 5).empty()) << n;
    }
}

TEST_F(OutputPageDeviceTest, ACrossoverChangeArrivesAsTheCrossoverItem) {
    StartConnected();
    view->SelectOutput(2);
    const size_t first = device.FrameCount();
    Type(COutputDlg::IDC_HPF_FREQ, QStringLiteral("150"));
    EXPECT_EQ(Out(2).GetHighPass()->GetFreq(), 150);
    // The device's frequency follows by at most an octave per frame.
    ASSERT_TRUE(PumpUntil([&] { return GetU16(DeviceItem(2, 32).data()) == 150; }, 10000));
    const std::vector<sim::SeenFrame> writes = Writes(first, 2, 32);
    ASSERT_FALSE(writes.empty());
    const ItemRecord record = WithDeviceLock([&] { return Out(2).GetCrossoverRecord(); });
    EXPECT_EQ(writes.back().payload, std::vector<uint8_t>(record.begin(), record.end()));
    EXPECT_EQ(DeviceItem(2, 32), std::vector<uint8_t>(record.begin(), record.end()));
}

} // namespace
