// The preset lock against the simulated device: locking writes the marker
// into every output block and the password into output 0 and shows the lock
// panel; a wrong password or a malformed one changes nothing; unlocking and
// resetting remove the lock; a locked preset file and locked device data show
// the panel and open with the password they carry, byte for byte.
#include "tests/app/PresetTestSupport.h"

#include "features/presets/LockPanelPage.h"
#include "files/PresetJson.h"
#include "controls/StaticControls.h"
#include "model/KTV_Data.h"
#include "platform/Skin.h"

#include <gmock/gmock.h>

#include <QDir>

#include <cstring>

namespace {

using ::testing::ElementsAre;

constexpr size_t kMarkAt = kOutLockMarkByte;

std::vector<uint8_t> Marks(const std::vector<uint8_t>& block) {
    std::vector<uint8_t> m;
    for (int o = 0; o < kOutputCount; ++o)
        m.push_back(block[kOutputBlockOffset + o * kOutputBlockSize + kMarkAt]);
    return m;
}
std::vector<uint8_t> ImageMarks() {
    DeviceLockGuard lock(g_DeviceLock);
    return Marks(std::vector<uint8_t>(g_ParamImage, g_ParamImage + kParamBlockSize));
}
std::string Password(const std::vector<uint8_t>& block) {
    const uint8_t* p = block.data() + kOutputBlockOffset + kOutPasswordOffset;
    return std::string(reinterpret_cast<const char*>(p), 6);
}
std::string ImagePassword() {
    DeviceLockGuard lock(g_DeviceLock);
    return Password(std::vector<uint8_t>(g_ParamImage, g_ParamImage + kParamBlockSize));
}

class PresetLockTest : public PresetTest {
protected:
    void PressLock() {
        ASSERT_TRUE(PumpUntil([this] { return Ready(); }));
        view->BitButton(CLumaraView::IDC_LOCK)->click();
    }
    // What the view shows: the panel, or the output page, and the button.
    void ExpectLockedView(bool locked) {
        EXPECT_EQ(view->LockPanel()->isVisibleTo(view), locked);
        EXPECT_EQ(view->OutputPage()->isVisibleTo(view), !locked);
        EXPECT_FALSE(view->MixPage()->isVisibleTo(view));
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LOCK)->GetCheck(), locked ? 1 : 0);
        EXPECT_EQ(g_StateFlags[kFlagLockPanelShown].load(), locked ? 1 : 0);
        EXPECT_EQ(g_StateFlags[kFlagDataLocked].load(), locked ? 1 : 0);
    }
    // Until the device holds these marks in every output and the poller is done.
    bool DeviceMarks(uint8_t mark) {
        return PumpUntil([&] { return Marks(device.Image()) == std::vector<uint8_t>(12, mark); },
                         10000) &&
               Settled();
    }
    void Lock(const char* password) {
        user.Password(QString::fromLatin1(password));
        PressLock();
        ASSERT_TRUE(user.steps.empty());
    }
};

TEST_F(PresetLockTest, LockingMarksEveryOutputStoresThePasswordAndShowsThePanel) {
    StartConnected();
    ASSERT_TRUE(Settled());
    ExpectLockedView(false);
    ASSERT_EQ(ImageMarks(), std::vector<uint8_t>(12, 0));
    struct Texts {
        std::string caption, ok, second, prompt;
    };
    Texts seen;
    user.Then<CLockPasswordDialog>([&](CLockPasswordDialog& d) {
        seen = {Text(d.windowTitle()), Text(d.OkButton()->text()), Text(d.SecondButton()->text()),
                Text(d.Prompt()->text())};
        EXPECT_EQ(d.Mode(), CLockPasswordDialog::kLock);
        EXPECT_EQ(d.PasswordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d.PasswordEdit()->maxLength(), 6);
        d.PasswordEdit()->setText(QStringLiteral("ab12C$"));
        d.OkButton()->click();
    });
    Mark();
    PressLock();
    EXPECT_EQ(seen.caption, "Prompted");
    EXPECT_EQ(seen.ok, "OK");
    EXPECT_EQ(seen.second, "Cancel");
    EXPECT_EQ(seen.prompt, "Enter password(6-digit):");
    EXPECT_EQ(g_StateFlags[kFlagLockButtonPressed].load(), 1);
    EXPECT_EQ(g_StateFlags[kFlagDataUnlocked].load(), 0);
    EXPECT_EQ(g_LockPassword, "ab12C$");
    EXPECT_EQ(ImageMarks(), std::vector<uint8_t>(12, 0x21));
    EXPECT_EQ(ImagePassword(), "ab12C$");
    ExpectLockedView(true);
    // The name items carry the marks (and output 0's the password) to the device.
    ASSERT_TRUE(DeviceMarks(0x21));
    EXPECT_EQ(Password(device.Image()), "ab12C$");
    int items = 0;
    for (const auto& f : WithoutStatus(SinceMark()))
        items += f.command == 0xA1 && f.group == 4 && f.item == 36;
    EXPECT_EQ(items, 12);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PresetLockTest, AMalformedOrWrongPasswordChangesNothing) {
    StartConnected();
    Lock("123456");
    ASSERT_TRUE(DeviceMarks(0x21));
    // Malformed entries: the message, the field emptied, the dialog still open.
    for (const char* entry : {"12345", "", "12345\xC3\xA9"}) {
        SCOPED_TRACE(entry);
        boxes.clear();
        bool open = false;
        QString left = QStringLiteral("?");
        user.Then<CLockPasswordDialog>([&](CLockPasswordDialog& d) {
            d.PasswordEdit()->setText(QString::fromUtf8(entry));
            d.OkButton()->click();
            open = d.isVisible();
            left = d.PasswordEdit()->text();
            d.reject(); // the close box
        });
        PressLock();
        EXPECT_TRUE(open);
        EXPECT_TRUE(left.isEmpty());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text), "The password error, Please enter a 6-digit password!");
        EXPECT_EQ(boxes[0].autoCloseMs, 2000);
        ExpectLockedView(true);
    }
    // Six characters that are not the password.
    boxes.clear();
    user.Password(QStringLiteral("654321"));
    PressLock();
    EXPECT_THAT(BoxTexts(),
                ElementsAre("Password and enter the password to encrypt the file does not match!"));
    EXPECT_EQ(boxes[0].autoCloseMs, 2000);
    ExpectLockedView(true);
    EXPECT_EQ(ImageMarks(), std::vector<uint8_t>(12, 0x21));
    // Cancel in unlock mode is a reset request; the close box is not.
    user.Then<CLockPasswordDialog>([](CLockPasswordDialog& d) { d.reject(); });
    PressLock();
    ExpectLockedView(true);
    EXPECT_EQ(ImageMarks(), std::vector<uint8_t>(12, 0x21));
}

TEST_F(PresetLockTest, UnlockingWithThePasswordMarksTheOutputsUnlocked) {
    StartConnected();
    g_LanguageFlag = 1;
    Lock("Zq9 x!");
    ExpectLockedView(true);
    std::string ok, second;
    user.Then<CLockPasswordDialog>([&](CLockPasswordDialog& d) {
        ok = Text(d.OkButton()->text());
        second = Text(d.SecondButton()->text());
        d.PasswordEdit()->setText(QStringLiteral("Zq9 x!"));
        d.OkButton()->click();
    });
    PressLock();
    EXPECT_EQ(ok, "确定");
    EXPECT_EQ(second, "清除数据");
    ExpectLockedView(false);
    EXPECT_EQ(g_StateFlags[kFlagDataUnlocked].load(), 1);
    EXPECT_EQ(ImageMarks(), std::vector<uint8_t>(12, 0x20));
    ASSERT_TRUE(DeviceMarks(0x20));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PresetLockTest, AResetPutsTheFactoryOutputsBackWithoutALockAndSendsThem) {
    StartConnected();
    Lock("qwerty");
    ASSERT_TRUE(DeviceMarks(0x21));
    std::string second;
    user.Then<CLockPasswordDialog>([&](CLockPasswordDialog& d) {
        second = Text(d.SecondButton()->text());
        d.SecondButton()->click();
    });
    Mark();
    PressLock();
    EXPECT_EQ(second, "reset");
    ExpectLockedView(false);
    EXPECT_EQ(g_StateFlags[kFlagDataUnlocked].load(), 0);
    EXPECT_EQ(g_LockPassword, "qwerty"); // kept, but nothing compares against it
    {
        DeviceLockGuard lock(g_DeviceLock);
        for (int o = 0; o < kOutputCount; ++o) {
            SCOPED_TRACE(o);
            // The bands are the factory's; the tweeters' crossovers may have been mended.
            EXPECT_EQ(0, std::memcmp(OutputBlock(o), DefaultOutputBlock(o), 31 * kItemSize));
            EXPECT_EQ(OutputBlock(o)[kOutLockMarkByte], 0);
        }
    }
    ASSERT_TRUE(Settled());
    ExpectFramesStartWith(SinceMark(), StoreCurrentFrames());
    EXPECT_EQ(Marks(device.Image()), std::vector<uint8_t>(12, 0));
    // The next lock takes a new password.
    Lock("newpw1");
    EXPECT_EQ(g_LockPassword, "newpw1");
    EXPECT_EQ(ImagePassword(), "newpw1");
}

TEST_F(PresetLockTest, LockedDeviceDataShowsThePanelAndOpensWithThePasswordAsStored) {
    // Blanks at both ends are part of the password: nothing trims them.
    StartConnected();
    Lock(" a1b2 ");
    ASSERT_TRUE(DeviceMarks(0x21));
    EXPECT_EQ(Password(device.Image()), " a1b2 ");
    Restart();
    g_LockPassword = "other1";
    StartConnected();
    ExpectLockedView(true);
    EXPECT_EQ(g_LockPassword, " a1b2 ");
    user.Password(QStringLiteral("a1b2  "));
    PressLock();
    ExpectLockedView(true);
    user.Password(QStringLiteral(" a1b2 "));
    PressLock();
    ExpectLockedView(false);
}

TEST_F(PresetLockTest, ALockedFileLoadedShowsThePanelAndSendsItsOwnPassword) {
    StartConnected();
    ASSERT_TRUE(Settled());
    // A locked one-preset file made elsewhere.
    const QString file = QDir(dir.path()).filePath(QStringLiteral("locked.jssh"));
    {
        DeviceLockGuard lock(g_DeviceLock);
        uint8_t kept[kParamBlockSize];
        std::memcpy(kept, g_ParamImage, sizeof kept);
        OutputBlock(7)[kOutLockMarkByte] = 0x21; // one marked output is enough
        std::memcpy(OutputBlock(0) + kOutPasswordOffset, "k7Pw#2", 6);
        CPresetJson codec;
        ASSERT_TRUE(codec.SavePresetFile(file.toStdString()));
        std::memcpy(g_ParamImage, kept, sizeof kept);
    }
    g_LockPassword = "stale1";
    ExpectLockedView(false);
    Mark();
    chooser.Answer(file);
    ASSERT_TRUE(view->LoadPresetFile());
    ASSERT_TRUE(PumpUntil([this] { return view->Count(WM_LOCK_STATE_AFTER_LOAD) > 0; }));
    ExpectLockedView(true);
    EXPECT_EQ(g_LockPassword, "k7Pw#2");
    // Output 0's block carries the file's password and the lock byte.
    ASSERT_TRUE(Settled());
    const auto frames = WithoutStatus(SinceMark());
    const auto block0 = std::find_if(frames.begin(), frames.end(), [](const sim::SeenFrame& f) {
        return f.group == 4 && f.channel == 0;
    });
    ASSERT_NE(block0, frames.end());
    EXPECT_EQ(block0->payload[288], '!');
    EXPECT_EQ(
        std::string(block0->payload.begin() + kOutPasswordOffset, block0->payload.begin() + 296),
        "k7Pw#2");
    EXPECT_EQ(Password(device.Image()), "k7Pw#2");
    // And it opens with it.
    user.Password(QStringLiteral("k7Pw#2"));
    PressLock();
    ExpectLockedView(false);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PresetLockTest, TheLockPanelShowsItsPictureInTheLanguage) {
    NetworkModuleAway();
    Start();
    auto* panel = dynamic_cast<CLockPanelPage*>(view->LockPanel());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->size(), QSize(1275, 607));
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        EXPECT_EQ(CLockPanelPage::PictureId(), language ? 1135 : 1136);
        const QImage shot = panel->grab().toImage();
        const QImage picture = skin::Pixmap(CLockPanelPage::PictureId()).toImage();
        EXPECT_EQ(shot.pixelColor(640, 260), picture.pixelColor(640, 260));
        EXPECT_EQ(shot.pixelColor(10, 10), picture.pixelColor(10, 10));
    }
}

} // namespace
