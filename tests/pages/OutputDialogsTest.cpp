// The delay unit selector and the phase settings pop-up: their pictures by
// language and state, the selector's choice reaching the page, the pop-up's
// heading, that it changes nothing, that Enter and Escape close neither, and
// both drawn in both languages.
#include "tests/pages/OutputPageTestSupport.h"

#include "controls/BitButton.h"
#include "pages/output/DelayUnitStrip.h"
#include "tools/screenshot/snapshots/OutputSnapshots.h"
#include "pages/output/PhaseSettingsDialog.h"

#include <QDir>
#include <QTemporaryDir>

#include <set>

namespace {

using namespace pagetest;

unsigned Picture(CBitButton* b) {
    return b->Current().bitmap;
}

TEST_F(OutputPageTest, TheDelaySelectorChoosesAUnitForThePage) {
    CDelayUnitStrip* selector = page->DelaySelector();
    ASSERT_NE(selector, nullptr);
    EXPECT_TRUE(selector->isHidden());
    EXPECT_EQ(selector->geometry(), QRect(13, 241, 130, 211));
    ASSERT_TRUE(selector->IsMsSelected());
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_MS)), 4322u); // green Ms
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_CM)), 4323u); // grey Cm
    WithDeviceLock([&] { Out(0).SetDelay(96); });
    page->RefreshChannel();

    platform::SendMessage(selector, WM_COMMAND, CommandWParam(CDelayUnitStrip::IDC_CM, 0), 0);
    EXPECT_FALSE(selector->IsMsSelected());
    EXPECT_TRUE(selector->IsCmSelected());
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_MS)), 4320u);
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_CM)), 4325u);
    QApplication::processEvents(); // the posted choice reaches the page
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "69");

    // The language changes the pictures, not the unit.
    g_LanguageFlag = 1;
    page->FillFilterLists();
    EXPECT_TRUE(selector->IsCmSelected());
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_CM)), 4335u);
    EXPECT_EQ(Picture(selector->Button(CDelayUnitStrip::IDC_RESET)), 1166u);
    // The same unit again is told again; the other buttons do nothing.
    platform::SendMessage(selector, WM_COMMAND, CommandWParam(CDelayUnitStrip::IDC_INCH, 0), 0);
    platform::SendMessage(selector, WM_COMMAND, CommandWParam(CDelayUnitStrip::IDC_RESET, 0), 0);
    QApplication::processEvents();
    EXPECT_EQ(Text(COutputPage::IDC_DELAY), "27");
    EXPECT_TRUE(selector->IsInchSelected());
    EXPECT_FALSE(selector->IsCmSelected());
}

TEST_F(OutputPageTest, ThePhasePopUpShowsTheOutputAndChangesNothing) {
    Connect();
    WithDeviceLock([&] {
        Out(2).SetPolarity(1);
        Out(2).SetAttackTime(100);
        Out(2).SetReleaseTime(1000);
        data->ClearChangeFlags(0);
    });
    for (int language : {0, 1}) {
        g_LanguageFlag = language;
        CPhaseSettingsDialog dialog;
        dialog.Setup(2, &Out(2), QStringLiteral("FR-Tweeter"));
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.HeadingText(), QStringLiteral("CH3  FR-Tweeter"));
        EXPECT_EQ(dialog.windowTitle(),
                  language ? Utf8Text("相位设置") : QStringLiteral("Sets of Phase"));
        // Inverted polarity: 180 degrees.
        EXPECT_EQ(Picture(dialog.PolarityButton()), language ? 4383u : 4373u);
        EXPECT_EQ(dialog.PhaseSlider()->GetRangeMax(), 180);
        EXPECT_EQ(dialog.FrequencySlider()->GetRangeMax(), 19980);
        dialog.Refresh();
        EXPECT_EQ(dialog.PhaseSlider()->GetPos(), 80);      // the attack word 100
        EXPECT_EQ(dialog.FrequencySlider()->GetPos(), 980); // the release word 1000

        // Moving the sliders and clicking the button change nothing and send nothing.
        dialog.PhaseSlider()->SetPos(150);
        EXPECT_EQ(platform::SendMessage(&dialog, WM_SLIDER_MOVED,
                                        CPhaseSettingsDialog::IDC_PHASE_SLIDER, 150),
                  1);
        EXPECT_EQ(platform::SendMessage(&dialog, WM_SLIDER_MOVING,
                                        CPhaseSettingsDialog::IDC_FREQ_SLIDER, 5),
                  1);
        platform::SendMessage(&dialog, WM_COMMAND,
                              CommandWParam(CPhaseSettingsDialog::IDC_POLARITY, 0), 0);
        EXPECT_EQ(Out(2).GetAttackTime(), 100);
        EXPECT_EQ(Out(2).GetReleaseTime(), 1000);
        EXPECT_EQ(Out(2).GetPolarity(), 1);
        EXPECT_FALSE(Out(2).IsDynamicsDirty());
        EXPECT_FALSE(Out(2).IsBasicDirty());
        EXPECT_TRUE(Queued(session->Command()).empty());

        // Enter and Escape close nothing; the caption bar's close ends it as Cancel.
        dialog.show();
        for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
            QTest::keyClick(&dialog, static_cast<Qt::Key>(key));
            EXPECT_TRUE(dialog.isVisible()) << key;
        }
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST_F(OutputPageTest, ThePhasePopUpOfANormalPolarityInChinese) {
    g_LanguageFlag = 1;
    CPhaseSettingsDialog dialog;
    dialog.Setup(0, &Out(0), QString());
    dialog.OnInitDialog();
    EXPECT_EQ(Picture(dialog.PolarityButton()), 4380u);
    EXPECT_EQ(dialog.HeadingText(), QStringLiteral("CH1  "));
}

// The pictures of the pop-up, to look at (LUMARA_SNAPSHOT_DIR).
TEST_F(OutputPageTest, ThePhasePopUpDrawnInBothLanguages) {
    QTemporaryDir temp;
    const QByteArray wanted = qgetenv("LUMARA_SNAPSHOT_DIR");
    const QString folder = wanted.isEmpty() ? temp.path() : QString::fromLocal8Bit(wanted);
    ASSERT_TRUE(SavePhasePopupSnapshots(folder, data.get(), 2, QStringLiteral("FR-Tweeter")));
    for (const char* name : {"phase-popup-en.png", "phase-popup-zh.png"}) {
        const QImage img(QDir(folder).filePath(QString::fromLatin1(name)));
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.size(), QSize(680, 360));
        std::set<QRgb> colours;
        for (int y = 0; y < img.height(); y += 3)
            for (int x = 0; x < img.width(); x += 3)
                colours.insert(img.pixel(x, y));
        EXPECT_GT(colours.size(), 20u) << name;
    }
}

} // namespace
