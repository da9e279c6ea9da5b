// The numeric field, its spin and its spin strip as the user meets them.
#include "tests/controls/ControlPage.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/SpinBtn.h"
#include "model/Globals.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <QTest>

#include <memory>

namespace {

constexpr int kFieldId = 2827, kSpinId = 2829, kOtherId = 100, kStripId = 4016;

class NumFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        page = std::make_unique<RecordingPage>();
        field = new CNumEdit(page.get());
        SetControlId(field, kFieldId);
        field->setGeometry(10, 10, 93, 18);
        spin = new CNumSpin(page.get());
        SetControlId(spin, kSpinId);
        spin->setGeometry(110, 8, 16, 22);
        spin->SetClock(clock.Fn());
        other = new QLineEdit(page.get());
        other->setGeometry(10, 60, 80, 18);
        ShowActive(page.get());
        other->setFocus(); // the window gave its first child the focus
        QCoreApplication::processEvents();
    }
    void TearDown() override { g_LanguageFlag = 0; }

    // Set up as most pages do: buddy, range, then scale, offset and type (so
    // the spin keeps plain steps).
    void Setup(int type, int lo, int hi, double scale = 1, double offset = 0,
               const char* unit = "") {
        spin->SetBuddy(field);
        spin->SetRange32(lo, hi);
        field->SetScale(scale);
        field->SetOffset(offset);
        field->SetType(type, QString::fromUtf8(unit));
    }
    // The type first: the spin steps by the type's rule.
    void SetupTypeFirst(int type, int lo, int hi) {
        spin->SetBuddy(field);
        field->SetType(type);
        spin->SetRange32(lo, hi);
    }
    void Type(const char* text) {
        field->setFocus();
        QCoreApplication::processEvents();
        QTest::keyClicks(field, QString::fromUtf8(text));
    }
    void Leave() {
        other->setFocus();
        QCoreApplication::processEvents();
    }
    QPoint UpArrow() const { return QPoint(spin->width() / 2, 2); }
    QPoint DownArrow() const { return QPoint(spin->width() / 2, spin->height() - 3); }

    FakeClock clock;
    std::unique_ptr<RecordingPage> page;
    CNumEdit* field = nullptr;
    CNumSpin* spin = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace

TEST_F(NumFieldTest, TypedLevelIsKeptAsTheCodeItShows) {
    Setup(23, 0, 600, 0.1, 60.0);
    spin->SetValueWithCheck(300);
    EXPECT_EQ(field->text(), "-30.0dB");
    Type("-59.7");
    EXPECT_TRUE(field->IsModified());
    Leave();
    const auto notices = page->Take(WM_COMMAND);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, CommandWParam(kFieldId, 0));
    EXPECT_EQ(field->text(), "-59.7dB");
    EXPECT_EQ(spin->GetBuddyValue(), 3);
    EXPECT_FALSE(field->IsModified());
}

TEST_F(NumFieldTest, LeavingAnUneditedFieldSaysNothingButAClickAlwaysDoes) {
    Setup(4, 0, 1000);
    spin->SetValueWithCheck(500);
    field->setFocus();
    QCoreApplication::processEvents();
    Leave();
    EXPECT_EQ(page->Count(WM_COMMAND), 0u);
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(page->Count(WM_COMMAND), 1u);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), field->text()); // the first click selects everything
}

TEST_F(NumFieldTest, ValuesOutsideTheRangeAreIgnoredAndTheRangeResetsTheValue) {
    Setup(0, 0, 720);
    field->SetValue(5);
    EXPECT_EQ(field->text(), "0.104");
    field->SetValue(721);
    EXPECT_EQ(field->GetValue(), 5);
    EXPECT_EQ(field->text(), "0.104");
    field->SetRange(10, 720);
    EXPECT_EQ(field->GetValue(), 10);
    EXPECT_EQ(field->text(), "0.104"); // until the next format
}

TEST_F(NumFieldTest, ChineseCharactersCannotBeTyped) {
    Setup(4, 0, 1000);
    spin->SetValueWithCheck(12);
    field->setFocus();
    QCoreApplication::processEvents();
    field->end(false);
    QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("关"));
    QApplication::sendEvent(field, &wide);
    field->insert(QString::fromUtf8("中"));
    QTest::keyClicks(field, "3");
    EXPECT_EQ(field->text(), "123");
}

TEST_F(NumFieldTest, TheUnitWordsOfAShownValueCanBeEditedAround) {
    g_LanguageFlag = 1;
    Setup(0, 0, 720, 1, 0, "x");
    spin->SetValueWithCheck(48);
    ASSERT_EQ(field->text(), QString::fromUtf8("1.000毫秒"));
    field->setFocus();
    QCoreApplication::processEvents();
    field->home(false);
    field->del(); // the "1"
    QTest::keyClicks(field, "2");
    EXPECT_EQ(field->text(), QString::fromUtf8("2.000毫秒"));
    Leave();
    EXPECT_EQ(field->GetValue(), 96);
}

TEST_F(NumFieldTest, DoubleClickSelectsTheWholeText) {
    Setup(23, 0, 600, 0.1, 60.0);
    spin->SetValueWithCheck(450);
    field->setFocus();
    QCoreApplication::processEvents();
    field->deselect();
    QTest::mouseDClick(field, Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_EQ(field->selectedText(), "-15.0dB");
}

TEST_F(NumFieldTest, LanguageSwitchFollowsUnitsAndOff) {
    Setup(23, 0, 600, 0.1, 60.0);
    spin->SetValueWithCheck(0);
    EXPECT_EQ(field->text(), "OFF");
    g_LanguageFlag = 1;
    field->UpdateLanguage();
    EXPECT_EQ(field->text(), QString::fromUtf8("关闭"));
    g_LanguageFlag = 0;
    field->UpdateLanguage();
    EXPECT_EQ(field->text(), "OFF");

    field->SetType(0, "x");
    field->SetValue(48);
    EXPECT_EQ(field->text(), "1.000MS");
    g_LanguageFlag = 1;
    field->UpdateLanguage();
    EXPECT_EQ(field->text(), QString::fromUtf8("1.000毫秒"));
}

TEST_F(NumFieldTest, FocusLookIsSharedWithTheSlider) {
    Setup(10, 80, 320, 0.1, 20.0);
    auto* fader = new CBitmapSlider(page.get());
    fader->setGeometry(200, 10, 20, 150);
    fader->show();
    field->SetBuddySpin(fader);
    fader->SetBuddyEdit(field);
    field->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(field->IsHighlighted());
    EXPECT_TRUE(fader->GetFocusState());
    EXPECT_EQ(field->palette().color(QPalette::Base), QColor::fromRgb(CNumEdit::kHighlightColor));
    Leave();
    EXPECT_FALSE(field->IsHighlighted());
    EXPECT_FALSE(fader->GetFocusState());
    fader->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(field->IsHighlighted());
    Leave();
    EXPECT_FALSE(field->IsHighlighted());
}

// --- The spin ---------------------------------------------------------------

TEST_F(NumFieldTest, SingleClickChangesTheFieldAtOnceAndTellsThePageOnRelease) {
    Setup(4, 0, 1000);
    spin->SetValueWithCheck(10);
    page->Clear();
    QTest::mousePress(spin, Qt::LeftButton, {}, UpArrow());
    EXPECT_EQ(field->GetValue(), 11);
    EXPECT_EQ(page->Count(WM_COMMAND), 0u);
    clock.now += 120;
    spin->OnHoldTimer();
    QTest::mouseRelease(spin, Qt::LeftButton, {}, UpArrow());
    const auto notices = page->Take(WM_COMMAND);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, CommandWParam(kSpinId, 0));
}

TEST_F(NumFieldTest, HoldingAnArrowRepeatsAfterADelayAndTellsThePageEvery400Ms) {
    Setup(4, 0, 1000);
    spin->SetValueWithCheck(100);
    page->Clear();
    QTest::mousePress(spin, Qt::LeftButton, {}, UpArrow());
    const int64_t pressed = clock.now;
    std::vector<int64_t> notices;
    for (int t = 20; t <= 2000; t += 20) {
        clock.now = pressed + t;
        spin->OnHoldTimer();
        if (!page->Take(WM_COMMAND).empty()) notices.push_back(t);
        if (t == CNumSpin::kFirstRepeatMs - 20) {
            EXPECT_EQ(field->GetValue(), 101); // only the press so far
        }
    }
    // The press, then one step at 500 ms and every 100 ms after it.
    EXPECT_EQ(field->GetValue(), 101 + 1 + (2000 - CNumSpin::kFirstRepeatMs) / CNumSpin::kRepeatMs);
    EXPECT_EQ(notices, (std::vector<int64_t>{400, 800, 1200, 1600, 2000}));
    clock.now = pressed + 2050;
    spin->OnHoldTimer(); // a step at 2100 is not due yet
    QTest::mouseRelease(spin, Qt::LeftButton, {}, UpArrow());
    EXPECT_EQ(page->Count(WM_COMMAND), 0u); // nothing pending at the release
}

TEST_F(NumFieldTest, TheSpinStepsFromWhatTheFieldShows) {
    Setup(4, 0, 1000);
    spin->SetValueWithCheck(100);
    // The page writes the field alone; the spin's own copy is stale.
    field->SetValue(700);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->GetValue(), 701);
    // Typed text counts too.
    Type("500");
    QTest::mousePress(spin, Qt::LeftButton, {}, UpArrow());
    QTest::mouseRelease(spin, Qt::LeftButton, {}, UpArrow());
    EXPECT_EQ(field->GetValue(), 501);
}

TEST_F(NumFieldTest, ArrowKeysInTheFieldStepAndTellThePageAtOnce) {
    SetupTypeFirst(40, 1, 191);
    spin->SetValueWithCheck(10);
    page->Clear();
    field->setFocus();
    QCoreApplication::processEvents();
    const int expected[] = {11, 16, 21};
    for (int e : expected) {
        QTest::keyClick(field, Qt::Key_Up);
        EXPECT_EQ(field->GetValue(), e);
    }
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->GetValue(), 16);
    EXPECT_EQ(field->text(), "2.5:1");
    EXPECT_EQ(page->Count(WM_COMMAND), 4u);
    spin->hide(); // a hidden spin still steps its field
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->GetValue(), 11);
}

TEST_F(NumFieldTest, ACrossoverSpinTypedBeforeItsRangeStepsThroughTheTable) {
    SetupTypeFirst(8, 20, 20000);
    spin->SetValueWithCheck(1000);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->GetValue(), 1030);
    EXPECT_EQ(field->text(), "1030Hz");
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(field->GetValue(), 972);
}

TEST_F(NumFieldTest, ABandFrequencySpinRangedBeforeItsTypeStepsByUnits) {
    Setup(4, 20, 20000);
    spin->SetValueWithCheck(1000);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->GetValue(), 1001);
}

TEST_F(NumFieldTest, DelaySpinInCentimetresStepsWholeUnitsByKeyAndOneCodeByClick) {
    Setup(1, 0, 720, 1, 0, "x");
    spin->SetValueType(2);
    spin->SetValueWithCheck(100);
    const QString before = field->text();
    page->Clear();
    QTest::keyClick(field, Qt::Key_Up);
    const int afterKey = field->GetValue();
    EXPECT_GT(afterKey, 100);
    EXPECT_NE(field->text(), before);
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(page->received.size(), 2u);
    EXPECT_EQ(page->received[0].msg, WM_COMMAND);
    EXPECT_EQ(page->received[1].msg, WM_DELAY_SPIN_STEP);
    EXPECT_EQ(page->received[1].wParam, static_cast<WPARAM>(kSpinId));
    EXPECT_EQ(page->received[1].lParam, 1);
    page->Clear();

    QTest::mousePress(spin, Qt::LeftButton, {}, DownArrow());
    QTest::mouseRelease(spin, Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(field->GetValue(), afterKey - 1);
    EXPECT_EQ(page->Count(WM_DELAY_SPIN_STEP), 0u);
    EXPECT_EQ(page->Count(WM_COMMAND), 1u);
}

TEST_F(NumFieldTest, StepsStopAtTheEndsAndADisabledFieldIsNotStepped) {
    Setup(4, 0, 10);
    spin->SetValueWithCheck(10);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(field->GetValue(), 10);
    field->EnableField(false);
    spin->StepBy(-1);
    QTest::mousePress(spin, Qt::LeftButton, {}, DownArrow());
    QTest::mouseRelease(spin, Qt::LeftButton, {}, DownArrow());
    EXPECT_EQ(field->GetValue(), 10);
}

TEST_F(NumFieldTest, DeviceValueOutsideTheRangeAsksWhetherToRestoreDefaults) {
    Setup(4, 0, 1000);
    {
        MessageBoxCapture box(CMessageBox::Action::Ok); // Yes
        EXPECT_FALSE(spin->SetValueChecked(1200));
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, "Data exception, do you want to restore the default data?");
        EXPECT_EQ(box.shown[0].buttons, QStringList({"YES", "NO"}));
        EXPECT_EQ(box.shown[0].caption, "Prompting");
        EXPECT_EQ(box.shown[0].autoCloseMs, 0);
        EXPECT_EQ(field->text(), "1000");
    }
    {
        g_LanguageFlag = 1;
        MessageBoxCapture box(CMessageBox::Action::Cancel); // No
        EXPECT_TRUE(spin->SetValueChecked(-5));
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, QString::fromUtf8("数据异常,是否恢复默认数据?"));
        EXPECT_EQ(box.shown[0].buttons,
                  QStringList({QString::fromUtf8("是"), QString::fromUtf8("否")}));
        EXPECT_EQ(box.shown[0].caption, QString::fromUtf8("提示"));
        EXPECT_EQ(field->GetValue(), 0);
    }
    MessageBoxCapture none(CMessageBox::Action::Ok);
    EXPECT_TRUE(spin->SetValueChecked(999));
    EXPECT_TRUE(none.shown.empty());
}

TEST_F(NumFieldTest, RightAlignedSpinSitsAtTheFieldsRightEdge) {
    spin->resize(14, 10);
    spin->SetAlignRight(true);
    spin->SetBuddy(field);
    EXPECT_EQ(field->geometry().right() + 1, spin->geometry().left());
    EXPECT_EQ(spin->geometry().right(), 10 + 93 - 1);
    EXPECT_EQ(spin->height(), field->height());
}

// --- The spin strip of a read-only field ------------------------------------

class SpinStripTest : public NumFieldTest {
protected:
    void SetUp() override {
        NumFieldTest::SetUp();
        Setup(0, 0, 720, 1, 0, "x");
        spin->SetValueType(2);
        field->CreateSpinButton(kStripId);
        strip = field->SpinButton();
        ASSERT_NE(strip, nullptr);
        strip->SetBitmaps(804, 805, 806, 807);
        strip->SetClock(clock.Fn());
        field->SetSpinTarget(kSpinId, spin);
        field->SetLocked(true);
        spin->SetValueWithCheck(100);
        field->setFocus();
        QCoreApplication::processEvents();
        page->Clear();
    }
    void Hold(QPoint at, int ms) {
        QTest::mousePress(strip, Qt::LeftButton, {}, at);
        const int64_t pressed = clock.now;
        for (int t = 10; t <= ms; t += 10) {
            clock.now = pressed + t;
            strip->OnRepeatTimer();
        }
        QTest::mouseRelease(strip, Qt::LeftButton, {}, at);
    }
    const QPoint kDown{5, 9}, kMiddle{46, 9}, kUp{88, 9};
    CSpinBtn* strip = nullptr;
};

TEST_F(SpinStripTest, ShowsTheFieldsTextOverAReadOnlyField) {
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->size(), QSize(93, 18));
    EXPECT_EQ(strip->text(), "2.083MS");
    EXPECT_TRUE(strip->IsActive());
    EXPECT_EQ(strip->ZoneAt(15, 5), CSpinBtn::kDown);
    EXPECT_EQ(strip->ZoneAt(16, 5), CSpinBtn::kMiddle);
    EXPECT_EQ(strip->ZoneAt(75, 5), CSpinBtn::kMiddle);
    EXPECT_EQ(strip->ZoneAt(76, 5), CSpinBtn::kUp);
    field->SetLocked(false);
    EXPECT_FALSE(strip->isVisible());
}

TEST_F(SpinStripTest, HoldingStepsAfterTheFirstDelayThenEvery100Ms) {
    Hold(kUp, 1000); // a click that rests under the first delay steps nothing
    EXPECT_EQ(field->GetValue(), 100);
    Hold(kUp, CSpinBtn::kFirstStepMs + 3 * CSpinBtn::kRepeatMs);
    EXPECT_EQ(field->GetValue(), 104);
    // Strip steps tell the page at once, and delay steps are passed on.
    EXPECT_EQ(page->Count(WM_COMMAND), 4u + 2u); // four steps and two clicks on the field
    EXPECT_EQ(page->Count(WM_DELAY_SPIN_STEP), 4u);
    EXPECT_EQ(field->text(), "2.167MS");
}

TEST_F(SpinStripTest, DoubleClickStepsOnceAndTheMiddleAndTheWheelNever) {
    QTest::mouseDClick(strip, Qt::LeftButton, {}, kDown);
    EXPECT_EQ(field->GetValue(), 99);
    Hold(kMiddle, 3000);
    EXPECT_EQ(field->GetValue(), 99);
    QWheelEvent wheel(QPointF(kUp), strip->mapToGlobal(QPointF(kUp)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(strip, &wheel);
    EXPECT_EQ(field->GetValue(), 99);
}

TEST_F(SpinStripTest, AnInactiveStripFollowsNoZone) {
    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(strip->IsActive());
    QTest::mouseMove(strip, kUp);
    EXPECT_EQ(strip->CurrentZone(), CSpinBtn::kNone);
    EXPECT_EQ(field->GetValue(), 100);
}
