// The system dialog, the mix parameter settings and the input source volumes
// alone: a stand-in for the main view that records what they send, the
// default model, message boxes answered at once, and typed values committed
// with Enter as a user commits them.
#include "controls/BitmapSlider.h"
#include "controls/DynamicsGraph.h"
#include "controls/ControlTimer.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "model/Music_InData.h"
#include "tests/pages/PageHostStub.h"
#include "features/system/SystemSettingsDialog.h"
#include "features/system/MixParametersDialog.h"
#include "features/sources/SourceVolumesDialog.h"
#include "platform/UiGlobals.h"
#include "tests/controls/ControlPage.h"
#include "tests/model/ModelFixture.h"
#include "tests/platform/GuiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The main view as the dialogs see it: the records they ask it to send.
class DialogHostDouble : public PageHostStub {
public:
    bool IsConnected() override { return true; }
    void SendCommand(int record, int) override { sent.push_back(record); }
    void MarkMasterChanged(int flag) override { masterMarks.push_back(flag); }

    int Sent(int record) const {
        int n = 0;
        for (int r : sent)
            n += r == record;
        return n;
    }

    std::vector<int> sent;
    std::vector<int> masterMarks;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        CreateSharedFonts();
        previous_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            return CMessageBox::Action::Ok;
        });
    }
    void TearDown() override {
        CMessageBox::SetResponder(previous_);
        ResetModelState();
    }

    static std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
    // Types into a field and commits it with Enter, as the user does.
    static void Type(QLineEdit* edit, const char* text) {
        edit->setFocus();
        QApplication::processEvents();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromUtf8(text));
        QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }

    DialogHostDouble host;
    std::vector<CMessageBox::Shown> boxes;

private:
    CMessageBox::Responder previous_;
};

// ---------------------------------------------------------------------------
// The system dialog
// ---------------------------------------------------------------------------

class SystemDialogTest : public DialogTest {
protected:
    void Open(bool fromImage = true) {
        data = std::make_unique<CKTV_Data>();
        if (fromImage) WithDeviceLock([&] { data->LoadFromImage(g_ParamImage, -1); });
        dialog = std::make_unique<CSystemSettingsDialog>();
        dialog->SetData(data.get());
        ShowActive(dialog.get());
    }
    void TearDown() override {
        dialog.reset();
        data.reset();
        DialogTest::TearDown();
    }
    CNumEdit* Field(int row, CSystemSettingsDialog::Field f) const { return dialog->Edit(row, f); }
    std::string Shown(int row, CSystemSettingsDialog::Field f) const { return Text(Field(row, f)); }

    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<CSystemSettingsDialog> dialog;
};

TEST_F(SystemDialogTest, OpensWithTheModelsValuesInItsTexts) {
    Open(false); // the channel objects' own defaults
    EXPECT_EQ(dialog->windowTitle().toStdString(), "System");
    EXPECT_EQ(dialog->Group(0)->title().toStdString(), "CH1  Limiter &&Compression");
    EXPECT_EQ(dialog->Group(7)->title().toStdString(), "CH8  Limiter && Compression");
    EXPECT_EQ(dialog->SourceList()->count(), 4);
    EXPECT_EQ(dialog->SourceList()->currentIndex(), -1);
    EXPECT_EQ(Text(dialog->GateEdit()), "-80.0dB");
    for (int row : {0, 7}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kLimiterLevel), "-30.0dBu");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kLimiterAttack), "14ms");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kLimiterRelease), "70ms");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kCompLevel), "-30.0dBu");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kRatio), "1:1");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kCompAttack), "14ms");
        EXPECT_EQ(Shown(row, CSystemSettingsDialog::kCompRelease), "70ms");
    }
    EXPECT_EQ(dialog->Curve(3)->GetChannel(), 3);
    EXPECT_TRUE(boxes.empty());

    g_LanguageFlag = 1;
    Open(false);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "系统");
    EXPECT_EQ(Text(dialog->GateEdit()), "-80.0dB");
}

// Typed times and levels are read in the units shown; the release goes to the
// model less 50 ms and is marked for sending while synchronised.
TEST_F(SystemDialogTest, TypedTimesAndLevelsReachTheOutputObject) {
    g_DeviceSynced = 1;
    Open();
    CKTV_OutData* out = data->GetOut(0);
    WithDeviceLock([&] { out->SetAllDirty(0); });
    const struct {
        CSystemSettingsDialog::Field field;
        const char* typed;
        const char* shown;
        int release;
        int attack;
    } cases[] = {
        {CSystemSettingsDialog::kLimiterRelease, "2000", "2000ms", 1950, -1},
        {CSystemSettingsDialog::kLimiterRelease, "20", "50ms", 0, -1},
        {CSystemSettingsDialog::kLimiterRelease, "9000", "5000ms", 4950, -1},
        {CSystemSettingsDialog::kLimiterAttack, "1", "1ms", -1, 7},
        {CSystemSettingsDialog::kLimiterAttack, "0.9", "0.9ms", -1, 6},
        {CSystemSettingsDialog::kLimiterAttack, "200", "200ms", -1, 206},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(Field(0, c.field), c.typed);
        EXPECT_EQ(Shown(0, c.field), c.shown);
        if (c.release >= 0) {
            EXPECT_EQ(out->GetReleaseTime(), c.release);
        }
        if (c.attack >= 0) {
            EXPECT_EQ(out->GetAttackTime(), c.attack);
        }
        EXPECT_TRUE(out->IsDynamicsDirty());
        WithDeviceLock([&] { out->SetAllDirty(0); });
    }
    Type(Field(0, CSystemSettingsDialog::kLimiterLevel), "-10");
    EXPECT_EQ(dialog->KeptValues(0).limiterLevel, 200);
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kLimiterLevel), "-10.0dBu");
    // The values the device never receives mark nothing.
    EXPECT_FALSE(out->IsDynamicsDirty());
    EXPECT_TRUE(dialog->isVisible()); // Enter committed and closed nothing
}

TEST_F(SystemDialogTest, RatioTextsAndSteps) {
    Open();
    CNumEdit* ratio = Field(0, CSystemSettingsDialog::kRatio);
    CNumSpin* spin = dialog->Spin(0, CSystemSettingsDialog::kRatio);
    const struct {
        int value;
        const char* text;
    } texts[] = {{1, "1:1"}, {2, "1.1:1"}, {11, "2.0:1"}, {191, "20.0:1"}};
    for (const auto& t : texts) {
        spin->SetValueChecked(t.value);
        EXPECT_EQ(Text(ratio), t.text);
    }
    // A step is 1 up to 10 and 5 above it.
    const struct {
        int from;
        Qt::Key key;
        int to;
    } steps[] = {{11, Qt::Key_Up, 16},
                 {10, Qt::Key_Up, 11},
                 {11, Qt::Key_Down, 6},
                 {10, Qt::Key_Down, 9},
                 {191, Qt::Key_Up, 191}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.from);
        spin->SetValueChecked(s.from);
        ratio->setFocus();
        QTest::keyClick(ratio, s.key);
        EXPECT_EQ(spin->GetBuddyValue(), s.to);
        EXPECT_EQ(dialog->KeptValues(0).ratio, s.to);
        EXPECT_EQ(dialog->Curve(0)->GetLevels().ratio, s.to);
    }
}

// Rows of a link key show a change again: the ratio carried over, every other
// field from the row's own output or slot; rows of other keys stay.
TEST_F(SystemDialogTest, LinkedRowsShowTheChangeAgain) {
    Open(); // the new device-data object unlinks every output
    WithDeviceLock([] {
        g_LinkKey[0] = g_LinkKey[1] = 20;
        g_LinkKey[2] = g_LinkKey[8] = g_LinkKey[9] = g_LinkKey[10] = g_LinkKey[11] = 30;
    });
    WithDeviceLock(
        [&] { data->GetOut(1)->SetAttackTime(40); }); // the dialog still shows the old one
    ASSERT_NE(Shown(1, CSystemSettingsDialog::kLimiterAttack), "34ms");

    // A ratio is stepped (its text is not read back).
    QTest::keyClick(Field(0, CSystemSettingsDialog::kRatio), Qt::Key_Up);
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kRatio), "1.1:1");
    EXPECT_EQ(Shown(1, CSystemSettingsDialog::kRatio), "1.1:1");
    EXPECT_EQ(dialog->Curve(1)->GetLevels().ratio, 2);
    EXPECT_EQ(Shown(3, CSystemSettingsDialog::kRatio), "1:1");

    Type(Field(0, CSystemSettingsDialog::kLimiterAttack), "10");
    EXPECT_EQ(Shown(1, CSystemSettingsDialog::kLimiterAttack), "34ms"); // output 2's own
    EXPECT_EQ(data->GetOut(1)->GetAttackTime(), 40);

    Type(Field(0, CSystemSettingsDialog::kLimiterLevel), "-10");
    EXPECT_EQ(Shown(1, CSystemSettingsDialog::kLimiterLevel), "-30.0dBu");

    // Output 3 shares its key only with outputs 9 to 12, which have no rows.
    QTest::keyClick(Field(2, CSystemSettingsDialog::kRatio), Qt::Key_Up);
    QTest::keyClick(Field(2, CSystemSettingsDialog::kRatio), Qt::Key_Up);
    EXPECT_EQ(Shown(2, CSystemSettingsDialog::kRatio), "1.2:1");
    for (int row : {0, 1, 3, 4, 5, 6, 7})
        EXPECT_NE(Shown(row, CSystemSettingsDialog::kRatio), "1.2:1") << row;
}

// The five values the model keeps no place for stay as typed while the dialog
// is open, each shown from the slot it was written to: the compressor rises
// up to the limiter, the limiter never sits below the compressor.
TEST_F(SystemDialogTest, UnsentValuesKeepWhatWasTyped) {
    Open();
    WithDeviceLock([] { g_LinkKey[0] = g_LinkKey[1] = 20; });
    Type(Field(0, CSystemSettingsDialog::kLimiterLevel), "-10"); // 200
    Type(Field(0, CSystemSettingsDialog::kCompLevel), "-20");    // 100, below the limiter
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kCompLevel), "-20.0dBu");
    Type(Field(0, CSystemSettingsDialog::kCompLevel), "0"); // 300: held at the limiter
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kCompLevel), "-10.0dBu");
    Type(Field(0, CSystemSettingsDialog::kLimiterLevel), "-25"); // 50: raised to the compressor
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kLimiterLevel), "-10.0dBu");
    Type(Field(0, CSystemSettingsDialog::kCompAttack), "5");
    Type(Field(0, CSystemSettingsDialog::kCompRelease), "900");

    // A change in the linked row shows row 1's fields again from row 1's slots.
    Type(Field(1, CSystemSettingsDialog::kLimiterLevel), "-12");
    Type(Field(1, CSystemSettingsDialog::kCompLevel), "-15");
    Type(Field(1, CSystemSettingsDialog::kCompAttack), "2");
    Type(Field(1, CSystemSettingsDialog::kCompRelease), "300");
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kLimiterLevel), "-10.0dBu");
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kCompLevel), "-10.0dBu");
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kCompAttack), "5ms");
    EXPECT_EQ(Shown(0, CSystemSettingsDialog::kCompRelease), "900ms");
    EXPECT_EQ(Shown(1, CSystemSettingsDialog::kCompLevel), "-15.0dBu");
    const CSystemSettingsDialog::Kept& kept = dialog->KeptValues(0);
    EXPECT_EQ(kept.limiterLevel, 200);
    EXPECT_EQ(kept.compLevel, 200);
    EXPECT_EQ(dialog->Curve(0)->GetLevels(), (dynamics::Levels{200, 200, 1}));
    EXPECT_EQ(dialog->Curve(1)->GetLevels(), (dynamics::Levels{180, 150, 1}));
}

TEST_F(SystemDialogTest, EnterAndEscCommitAndLeaveItOpen) {
    Open();
    const struct {
        Qt::Key key;
        const char* typed;
        int release;
    } keys[] = {
        {Qt::Key_Return, "100", 50}, {Qt::Key_Enter, "200", 150}, {Qt::Key_Escape, "300", 250}};
    CNumEdit* release = Field(4, CSystemSettingsDialog::kLimiterRelease);
    for (const auto& k : keys) {
        SCOPED_TRACE(k.typed);
        release->setFocus();
        release->selectAll();
        QTest::keyClicks(release, QString::fromLatin1(k.typed));
        QTest::keyClick(release, k.key);
        QApplication::processEvents();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(data->GetOut(4)->GetReleaseTime(), k.release);
    }
}

// The gate of music input 1 only; 0 shows "OFF". The Source list changes nothing.
TEST_F(SystemDialogTest, TheNoiseGateIsMusicInputOnesAndTheSourceListDoesNothing) {
    g_DeviceSynced = 1;
    Open();
    for (int i = 0; i < 4; ++i)
        WithDeviceLock([&] { data->GetMusic(i)->SetAllDirty(0); });
    Type(dialog->GateEdit(), "-150");
    EXPECT_EQ(Text(dialog->GateEdit()), "OFF");
    EXPECT_EQ(data->GetMusic(0)->GetNoiseGate(), 0);
    EXPECT_TRUE(data->GetMusic(0)->IsGateDirty());
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(data->GetMusic(i)->IsGateDirty()) << i;
    Type(dialog->GateEdit(), "-50");
    EXPECT_EQ(data->GetMusic(0)->GetNoiseGate(), 70);

    for (int i = 0; i < 12; ++i)
        WithDeviceLock([&] { data->GetOut(i)->SetAllDirty(0); });
    dialog->SourceList()->setCurrentIndex(2);
    QApplication::processEvents();
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(data->GetOut(i)->IsDynamicsDirty()) << i;
}

// ---------------------------------------------------------------------------
// The mix parameter settings
// ---------------------------------------------------------------------------

class MixParametersTest : public DialogTest {
protected:
    void Open() {
        dialog = std::make_unique<CMixParametersDialog>(&host);
        ShowActive(dialog.get());
        host.sent.clear();
    }
    void TearDown() override {
        dialog.reset();
        DialogTest::TearDown();
    }
    static int Byte8(int i) {
        return WithDeviceLock(
            [i] { return static_cast<int>(g_DeviceRecords.Bytes().sourceSetup[i]); });
    }
    static int GateByte() {
        return WithDeviceLock([] { return static_cast<int>(g_DeviceRecords.Bytes().master[3]); });
    }

    ControlTimer::ManualTime manualTime; // the 300 ms timer ticks when the test says
    std::unique_ptr<CMixParametersDialog> dialog;
};

TEST_F(MixParametersTest, OpensWithTheRecordsAndMarksItselfOpen) {
    Open();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Mix parameter settings");
    EXPECT_EQ(Text(dialog->AttenuationEdit()), "100%");
    EXPECT_EQ(Text(dialog->GateEdit()), "-65dBu");
    EXPECT_TRUE(dialog->AttenuationEdit()->isVisible());
    EXPECT_FALSE(dialog->LevelEdit()->isVisible());
    EXPECT_FALSE(dialog->TimeEdit()->isVisible());
    EXPECT_EQ(g_StateFlags[kFlagMixParamDlg].load(), 1);
    // A refresh shows the records as they stand now.
    WithDeviceLock([] {
        g_DeviceRecords.Bytes().sourceSetup[6] = 30;
        g_DeviceRecords.Bytes().master[3] = 80;
    });
    dialog->Refresh();
    EXPECT_EQ(Text(dialog->AttenuationEdit()), "70%");
    EXPECT_EQ(Text(dialog->GateEdit()), "-40dBu");
    dialog.reset();
    EXPECT_EQ(g_StateFlags[kFlagMixParamDlg].load(), 0);
}

// A typed attenuation is read as the percentage shown and sent at once; the
// same value again sends nothing.
TEST_F(MixParametersTest, ATypedAttenuationIsSentOnce) {
    Open();
    Type(dialog->AttenuationEdit(), "0");
    EXPECT_EQ(Byte8(6), 100);
    EXPECT_EQ(host.sent, std::vector<int>{kRecordSourceSetup});
    Type(dialog->AttenuationEdit(), "0");
    EXPECT_EQ(host.sent.size(), 1u);
    EXPECT_FALSE(dialog->AttenuationTimer().IsActive());
    EXPECT_TRUE(dialog->isVisible());
}

// Each arrow step stores its value; record 8 goes once, when 300 ms have
// passed since the last step (each step starts the period again).
TEST_F(MixParametersTest, SpinStepsSendOnceAfterTheLastStep) {
    WithDeviceLock([] { g_DeviceRecords.Bytes().sourceSetup[6] = 50; });
    Open();
    for (int step = 1; step <= 5; ++step) {
        QTest::keyClick(dialog->AttenuationEdit(), Qt::Key_Down);
        EXPECT_EQ(Byte8(6), 50 - step);
        EXPECT_TRUE(dialog->AttenuationTimer().IsActive());
        EXPECT_EQ(dialog->AttenuationTimer().Period(), CMixParametersDialog::kAttenuationDelayMs);
        EXPECT_TRUE(host.sent.empty());
    }
    EXPECT_EQ(Text(dialog->AttenuationEdit()), "55%");
    EXPECT_TRUE(dialog->AttenuationTimer().Fire());
    EXPECT_EQ(host.sent, std::vector<int>{kRecordSourceSetup});
    EXPECT_FALSE(dialog->AttenuationTimer().IsActive());
    dialog.reset();
    EXPECT_EQ(host.sent.size(), 1u);
}

// Closing the dialog while a step waits for its timer sends the value at
// once: it is in the record and the device would never hear of it.
TEST_F(MixParametersTest, ClosingWithinThe300MsSendsThePendingValue) {
    WithDeviceLock([] { g_DeviceRecords.Bytes().sourceSetup[6] = 50; });
    Open();
    QTest::keyClick(dialog->AttenuationEdit(), Qt::Key_Up);
    ASSERT_TRUE(host.sent.empty());
    dialog->close(); // the close box
    EXPECT_EQ(host.sent, std::vector<int>{kRecordSourceSetup});
    EXPECT_FALSE(dialog->AttenuationTimer().IsActive());
    dialog.reset();
    EXPECT_EQ(host.sent.size(), 1u);

    // Destroyed without being closed, it sends too.
    Open();
    QTest::keyClick(dialog->AttenuationEdit(), Qt::Key_Up);
    dialog.reset();
    EXPECT_EQ(host.sent, std::vector<int>{kRecordSourceSetup});
}

// The gate is read in dBu and marks the master record; above -40 dBu it holds at 80.
TEST_F(MixParametersTest, TypedGatesMarkTheMasterRecord) {
    Open();
    Type(dialog->GateEdit(), "-50");
    EXPECT_EQ(GateByte(), 70);
    EXPECT_EQ(host.masterMarks, std::vector<int>{1});
    Type(dialog->GateEdit(), "-20");
    EXPECT_EQ(GateByte(), 80);
    EXPECT_EQ(Text(dialog->GateEdit()), "-40dBu");
    Type(dialog->GateEdit(), "-120");
    EXPECT_EQ(GateByte(), 0);
    EXPECT_EQ(Text(dialog->GateEdit()), "OFF");
    EXPECT_EQ(host.masterMarks.size(), 3u);
    EXPECT_TRUE(host.sent.empty()); // record 5 goes with the link's next idle pass
    QTest::keyClick(dialog->GateEdit(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
}

// ---------------------------------------------------------------------------
// The input source volumes
// ---------------------------------------------------------------------------

class SourceVolumesTest : public DialogTest {
protected:
    void Open() {
        dialog = std::make_unique<CSourceVolumesDialog>(&host);
        ShowActive(dialog.get());
    }
    void TearDown() override {
        dialog.reset();
        DialogTest::TearDown();
    }
    static int Byte2(int i) {
        return WithDeviceLock([i] { return static_cast<int>(g_DeviceRecords.Bytes().sources[i]); });
    }

    std::unique_ptr<CSourceVolumesDialog> dialog;
};

TEST_F(SourceVolumesTest, EachColumnSetsItsByteAndSendsTheRecord) {
    Open();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Input source volume");
    for (int c = 0; c < CSourceVolumesDialog::kColumns; ++c) {
        EXPECT_EQ(Text(dialog->Edit(c)), "0dB") << c;
        EXPECT_EQ(dialog->Fader(c)->GetValue(), 60) << c;
    }
    const int bytes[CSourceVolumesDialog::kColumns] = {3, 5, 2, 4, 7};
    for (int c = 0; c < CSourceVolumesDialog::kColumns; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(kSourceVolumeFirstByte + CSourceVolumesDialog::SourceOfColumn(c), bytes[c]);
        host.sent.clear();
        Type(dialog->Edit(c), "-20");
        EXPECT_EQ(Byte2(bytes[c]), 40);
        EXPECT_EQ(dialog->Fader(c)->GetValue(), 40);
        EXPECT_EQ(host.sent, std::vector<int>{kRecordSources});
    }
    // Bytes 0, 1 and 6 are not the dialog's.
    EXPECT_EQ(Byte2(0),
              WithDeviceLock([] { return static_cast<int>(g_DeviceRecords.Bytes().sources[0]); }));
    Type(dialog->Edit(0), "-60");
    EXPECT_EQ(Text(dialog->Edit(0)), "OFF");
    EXPECT_EQ(Byte2(3), 0);
    Type(dialog->Edit(0), "5");
    EXPECT_EQ(Byte2(3), 60);
}

// Each source's name sits centred over its fader, in both languages.
TEST_F(SourceVolumesTest, EachLabelIsCentredOverItsFader) {
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        Open();
        const QImage img = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int c = 0; c < CSourceVolumesDialog::kColumns; ++c) {
            SCOPED_TRACE(testing::Message() << language << "/" << c);
            const int centre = dialog->Fader(c)->geometry().center().x();
            // The labels' row, above the fields.
            int left = img.width(), right = -1;
            for (int x = std::max(0, centre - 32); x <= std::min(img.width() - 1, centre + 32); ++x)
                for (int y = 18; y < 42; ++y)
                    if (qGray(img.pixel(x, y)) > 150) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            ASSERT_LE(left, right);
            EXPECT_NEAR((left + right) / 2.0, centre, 3.0);
        }
        dialog.reset();
    }
    g_LanguageFlag = 0;
}

// Every report of a moving fader stores and sends, the same value too.
TEST_F(SourceVolumesTest, AFaderSendsAtEveryReport) {
    Open();
    host.sent.clear();
    CBitmapSlider* phone = dialog->Fader(3);
    for (int v : {30, 31, 31}) {
        phone->SetValue(v);
        dialog->SendMessage(WM_SLIDER_MOVING,
                            static_cast<WPARAM>(CSourceVolumesDialog::IDC_FADER + 3), 0);
        EXPECT_EQ(Byte2(4), v);
        EXPECT_EQ(Text(dialog->Edit(3)), "-" + std::to_string(60 - v) + "dB");
    }
    dialog->SendMessage(WM_SLIDER_MOVED, static_cast<WPARAM>(CSourceVolumesDialog::IDC_FADER + 3),
                        0);
    EXPECT_EQ(host.Sent(kRecordSources), 4);
}

// Enter and Tab go to the next field, Left and Right around the five; Esc
// only commits.
TEST_F(SourceVolumesTest, KeysMoveTheFocusAroundTheFields) {
    Open();
    const struct {
        int from;
        Qt::Key key;
        int to;
    } moves[] = {{0, Qt::Key_Return, 1},
                 {0, Qt::Key_Tab, 1},
                 {0, Qt::Key_Left, 4},
                 {4, Qt::Key_Right, 0},
                 {2, Qt::Key_Right, 3}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.from);
        dialog->Edit(m.from)->setFocus();
        QApplication::processEvents();
        QTest::keyClick(dialog->Edit(m.from), m.key);
        QApplication::processEvents();
        EXPECT_TRUE(dialog->Edit(m.to)->hasFocus());
    }
    // Typed, then Enter: the field takes its value on the way to the next one.
    host.sent.clear();
    dialog->Edit(0)->setFocus();
    dialog->Edit(0)->selectAll();
    QTest::keyClicks(dialog->Edit(0), QStringLiteral("-10"));
    QTest::keyClick(dialog->Edit(0), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Byte2(3), 50);
    EXPECT_TRUE(dialog->Edit(1)->hasFocus());
    QTest::keyClick(dialog->Edit(1), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(dialog->isVisible());
}

} // namespace
