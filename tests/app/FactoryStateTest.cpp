// A device in its factory state (the simulated device's start state: the
// program's own default output blocks and records) against the program: no
// page questions that data, at the first connection nor after the program's
// own factory reset or the lock panel's reset; a keyboard edit typed at once
// reaches the device; a damaged level in a row the mix page shows still asks.
#include "tests/app/PresetTestSupport.h"

#include "features/system/AdvancedSettingsDialog.h"
#include "features/system/FactoryResetPrompt.h"
#include "controls/NumEdit.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "features/system/SystemSettingsDialog.h"
#include "pages/input/InputPage.h"
#include "pages/input/MixPage.h"
#include "pages/leveldelay/LevelDelayPage.h"
#include "pages/output/OutputPage.h"

#include <QTest>

#include <cstring>

namespace {

const QString kQuestion =
    QStringLiteral("Data exception, do you want to restore the default data?");

class FactoryStateTest : public PresetTest {
protected:
    int Questions() const {
        int n = 0;
        for (const auto& b : boxes)
            n += b.text == kQuestion;
        return n;
    }
    CMixPage* MixPage() const { return dynamic_cast<CMixPage*>(view->MixPage()); }
    COutputPage* OutputPage() const { return dynamic_cast<COutputPage*>(view->OutputPage()); }

    // Connected, the device's data shown and nothing left to send.
    void StartSettled() {
        StartConnected();
        ASSERT_TRUE(Settled());
    }
    // The connect button closes the link; pressed again it opens the network link.
    void Reconnect() {
        const int loads = view->Count(WM_DEVICE_DATA_DONE);
        ASSERT_FALSE(view->ToggleConnection());
        view->Session().Net().SetReachable(true);
        view->popupChoice = CLumaraView::ID_CONNECT_NETWORK;
        ASSERT_TRUE(view->ToggleConnection());
        ASSERT_TRUE(PumpUntil([&] { return DataShown(view, loads + 1); }, 10000));
        ASSERT_TRUE(Settled());
    }
    // The device holds other data than its factory's: its stored preset 1.
    void DeviceHoldsPreset1() {
        device.SetImageBytes(0, device.StoredPreset(1));
        ASSERT_NE(device.Image()[kOutputBlockOffset + kOutDynamicsOffset], 0xA4);
    }

    // Every page and dialog that can ask, over every output it shows.
    void VisitEveryPage() {
        // The output page and the mix page, on every output.
        for (int mix : {0, 1}) {
            if (mix) view->MixToggle()->click();
            for (int o = 0; o < kOutputCount; ++o) {
                SCOPED_TRACE(o);
                view->SelectOutput(o);
                QApplication::processEvents();
            }
            if (mix) view->MixToggle()->click();
        }
        view->SelectOutput(0);
        // The input page on each source with a music input.
        {
            CInputPage input;
            input.SetView(view);
            input.SetDataModel(view->Data());
            input.ApplyModeAndSource(0);
            input.show();
            for (int s = 0; s < 4; ++s)
                input.OnSourceButton(s);
            input.OnSourceButton(1);
            QApplication::processEvents();
        }
        // The level and delay page.
        {
            CLevelDelayPage levels;
            levels.SetView(view);
            levels.SetChannelArray(view->Data());
            levels.Refresh();
            levels.UpdateInputArea();
            levels.show();
            QApplication::processEvents();
        }
        // The system dialog (left open: the script rejects it).
        const int opened = user.opened;
        view->OnSystemButton();
        EXPECT_EQ(user.opened, opened + 1);
        // The advanced settings on every channel.
        {
            CAdvancedSettingsDialog advanced(view);
            advanced.m_View = view;
            advanced.SetData(view->Data());
            advanced.show();
            for (int row = 0; row < kOutputCount; ++row)
                advanced.OnChannelClicked(row);
            QApplication::processEvents();
        }
        ASSERT_TRUE(Settled());
    }
};

TEST_F(FactoryStateTest, NoPageQuestionsTheFactoryData) {
    struct Case {
        const char* version;
        bool wholeImage; // the device also holds the program's default inputs
    };
    for (const Case& c :
         {Case{"VELK-FV1.00", false}, Case{"VELK-WV2.10", false}, Case{"VELK-FV1.00", true}}) {
        SCOPED_TRACE(std::string(c.version) + (c.wholeImage ? " whole image" : ""));
        device.SetVersion(c.version);
        if (c.wholeImage) {
            // The image as a fresh start leaves it.
            WithDeviceLock([] { std::memset(g_ParamImage, 0, sizeof g_ParamImage); });
            InitParamModel();
            device.SetImageBytes(
                0, WithDeviceLock([] { return Bytes(g_ParamImage, kParamBlockSize); }));
        }
        view = nullptr;
        boxes.clear();
        ASSERT_NO_FATAL_FAILURE(StartSettled());
        // What the program shows is the device's factory data.
        EXPECT_EQ(WithDeviceLock([] { return Bytes(OutputBlock(4) + kOutDynamicsOffset, 8); }),
                  Bytes(DefaultOutputBlock(4) + kOutDynamicsOffset, 8));
        EXPECT_EQ(Questions(), 0);
        ASSERT_NO_FATAL_FAILURE(VisitEveryPage());
        EXPECT_EQ(Questions(), 0);
        EXPECT_TRUE(boxes.empty()) << Text(boxes.front().text);
        // Source 17's byte of the factory stays as the device holds it.
        EXPECT_EQ(view->Data()->GetOut(0)->GetMixLevel(17), 164);
        EXPECT_EQ(device.Image()[kOutputBlockOffset + kOutDynamicsOffset], 0xA4);
        Restart();
    }
}

// The program's factory reset puts the device into its factory state; the
// next connection reads it without a question.
TEST_F(FactoryStateTest, AfterTheFactoryResetTheNextConnectionAsksNothing) {
    DeviceHoldsPreset1();
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    user.Then<CFactoryResetPrompt>([](CFactoryResetPrompt& d) { d.OkButton()->click(); });
    Mark();
    view->OnFactoryResetCommand();
    ASSERT_TRUE(Settled());
    ExpectFramesStartWith(SinceMark(), {{0xA1, 0, 9, kRecordFactoryReset, 0}});
    EXPECT_EQ(device.Image(), sim::SimDevice().Image());

    ASSERT_NO_FATAL_FAILURE(Reconnect());
    EXPECT_EQ(WithDeviceLock([] { return Bytes(OutputBlock(0), kOutputBlockSize); }),
              Bytes(DefaultOutputBlock(0), kOutputBlockSize));
    ASSERT_NO_FATAL_FAILURE(VisitEveryPage());
    EXPECT_TRUE(boxes.empty()) << Text(boxes.front().text);
}

// The lock panel's reset writes the program's default outputs and sends them;
// neither the reset nor the next connection asks.
TEST_F(FactoryStateTest, AfterTheLockPanelsResetNothingAsks) {
    DeviceHoldsPreset1();
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    user.Password(QStringLiteral("qwerty"));
    view->BitButton(CLumaraView::IDC_LOCK)->click();
    ASSERT_TRUE(Settled());
    user.Then<CLockPasswordDialog>([](CLockPasswordDialog& d) { d.SecondButton()->click(); });
    view->BitButton(CLumaraView::IDC_LOCK)->click();
    ASSERT_TRUE(user.steps.empty());
    ASSERT_TRUE(Settled());
    for (int o = 0; o < kOutputCount; ++o)
        EXPECT_EQ(device.Image()[kOutputBlockOffset + kOutputBlockSize * o + kOutDynamicsOffset],
                  0xA4)
            << o;
    EXPECT_TRUE(boxes.empty()) << Text(boxes.front().text);

    ASSERT_NO_FATAL_FAILURE(Reconnect());
    ASSERT_NO_FATAL_FAILURE(VisitEveryPage());
    EXPECT_TRUE(boxes.empty()) << Text(boxes.front().text);
}

// Seen from outside: keys typed into the mix page right after connecting to
// a device in its factory state make an edit that reaches the device.
TEST_F(FactoryStateTest, AKeyboardEditTypedRightAfterConnectingReachesTheDevice) {
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    ASSERT_TRUE(PumpUntil([this] { return Ready(); }));
    view->MixToggle()->click();
    CNumEdit* edit = MixPage()->RowOf(3).edit;
    ASSERT_TRUE(edit->isVisibleTo(view));
    QApplication::setActiveWindow(view->window());
    edit->setFocus(Qt::MouseFocusReason);
    Mark();
    ASSERT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("37"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

    // Output 0's item 33 with source 3 at 37, the rest as the factory has it.
    std::vector<uint8_t> item(DefaultOutputBlock(0) + kOutMixAOffset,
                              DefaultOutputBlock(0) + kOutMixAOffset + 8);
    item[2] = 37;
    ASSERT_TRUE(PumpUntil(
        [&] {
            return Bytes(device.Image().data() + kOutputBlockOffset + kOutMixAOffset, 8) == item;
        },
        10000));
    ASSERT_TRUE(Settled());
    EXPECT_TRUE(boxes.empty()) << Text(boxes.front().text);
    int writes = 0;
    for (const sim::SeenFrame& f : WithoutStatus(SinceMark())) {
        if (f.command != 0xA1 || f.group != kGroupOutput || f.channel != 0 || f.item != 33)
            continue;
        ++writes;
        EXPECT_EQ(f.payload, item);
    }
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(Bytes(device.Image().data() + kOutputBlockOffset + kOutMixAOffset, 8), item);
}

// A damaged level in a row the mix page shows still asks, once; in a row it
// has no place for it asks nothing and the byte stays as the device holds it.
TEST_F(FactoryStateTest, ADamagedLevelInAShownRowAsksOnce) {
    // No: the program keeps its data and asks the device for nothing.
    CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
        boxes.push_back(s);
        return CMessageBox::Action::Cancel;
    });
    const size_t out0 = kOutputBlockOffset;
    device.SetImageBytes(out0 + kOutMixAOffset + 1, {120}); // source 2
    device.SetImageBytes(out0 + kOutMixBOffset + 0, {150}); // source 9: below the picture
    ASSERT_NO_FATAL_FAILURE(StartSettled());
    EXPECT_EQ(Questions(), 1);
    ASSERT_NO_FATAL_FAILURE(VisitEveryPage());
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(view->Data()->GetOut(0)->GetMixLevel(9), 150);
    EXPECT_EQ(device.Image()[out0 + kOutMixBOffset], 150);
}

} // namespace
