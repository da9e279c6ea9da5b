// The program's start-up and end, its one window, the main view's layout,
// pages, keys, timers, dragging and close button, and the main frame's
// commands.
#include "tests/app/ShellTestSupport.h"

#include "controls/NumEdit.h"
#include "pages/output/OutputPage.h"

#include "app/StartPage.h"
#include "features/connection/TransferWindow.h"
#include "features/connection/LinkMonitorWindow.h"
#include "files/LumaraDoc.h"
#include "app/ShellMessages.h"
#include "app/SplashWindow.h"
#include "controls/GradientProgressCtrl.h"
#include "controls/SkinButton.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryFile>

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

// ---------------------------------------------------------------------------
// Start-up and the command line
// ---------------------------------------------------------------------------

TEST_F(ShellTest, OneFramelessWindowOfTheFixedSize) {
    Start();
    const std::vector<QWidget*> windows = VisibleWindows();
    ASSERT_EQ(windows.size(), 1u);
    CMainWindow* frame = app.MainFrame();
    EXPECT_EQ(windows[0], frame);
    EXPECT_TRUE(frame->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame->size(), QSize(1283, 732));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Quellmark"));
    // The region cuts 2 pixels off every edge: (2, 2) to (1281, 730).
    EXPECT_EQ(frame->mask(), QRegion(2, 2, 1279, 728));
    // The child frame and the view fill it.
    ASSERT_NE(frame->ActiveChild(), nullptr);
    EXPECT_EQ(frame->ActiveChild()->geometry(), QRect(0, 0, 1283, 732));
    EXPECT_EQ(view->geometry(), QRect(0, 0, 1283, 732));
    EXPECT_EQ(view->DragRect(), QRect(0, 0, 1283, 732));
    EXPECT_EQ(g_ActiveView, view);
    EXPECT_NE(g_MainView.load(), nullptr);
    EXPECT_EQ(g_CommandEngine, &view->Session().Command());
}

TEST_F(ShellTest, RegistrationSwitchesEndTheProgramWithoutAWindow) {
    struct Case {
        QStringList args;
        bool runs;
    };
    const Case cases[] = {
        {{"-RegServer"}, false},           {{"/unregserver"}, false},
        {{"/REGSERVER"}, false},           {{"-UnregServer"}, false},
        {{"--RegServer"}, false},          {{"-RegServer", "more"}, true},
        {{"-RegServerX"}, true},           {{"RegServer"}, true},
        {{"file", "-x/RegServer"}, false}, {{}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(app.InitComServer(c.args.join(' ').toStdString()), c.runs);
    }
    for (const char* sw : {"-RegServer", "/unregserver"}) {
        EXPECT_FALSE(app.InitInstance({QString::fromLatin1(sw)}));
        EXPECT_EQ(app.ExitCode(), 0);
        EXPECT_EQ(app.MainFrame(), nullptr);
        EXPECT_TRUE(VisibleWindows().empty());
        EXPECT_EQ(view, nullptr);
    }
}

TEST_F(ShellTest, FindOneOfGivesThePlaceAfterTheHit) {
    EXPECT_EQ(CLumaraApp::FindOneOf("a-b/c", "-/"), 2u);
    EXPECT_EQ(CLumaraApp::FindOneOf("a-b/c", "-/", 2), 4u);
    EXPECT_EQ(CLumaraApp::FindOneOf("abc", "-/"), std::string::npos);
    EXPECT_EQ(CLumaraApp::FindOneOf("", "-/"), std::string::npos);
    EXPECT_EQ(CLumaraApp::FindOneOf("-", "-/", 1), std::string::npos);
}

TEST_F(ShellTest, AFailedNetworkStartShowsTheWarningAndEnds) {
    app.m_NetworkCheck = [] { return false; };
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_EQ(app.ExitCode(), 1);
    EXPECT_EQ(app.MainFrame(), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(CLumaraApp::kNetworkFailText));
    EXPECT_EQ(boxes[0].autoCloseMs, 0);
}

// All twelve groups taken is "none", never group 1 (index 0).
TEST_F(ShellTest, FreeLinkGroupIsNoneWhenAllAreTaken) {
    EXPECT_EQ(app.FindFreeLinkGroup(), 0);
    g_LinkGroupInUse[0] = 1;
    g_LinkGroupInUse[1] = 1;
    EXPECT_EQ(app.FindFreeLinkGroup(), 2);
    for (int& g : g_LinkGroupInUse)
        g = 1;
    EXPECT_EQ(app.FindFreeLinkGroup(), kNoLinkGroup);
    ResetLinkGroups();
}

TEST_F(ShellTest, StartUpClearsTheGroupTablesAndSetsTheModel) {
    g_LinkGroupMask[3] = 9;
    g_ChannelModified[11] = 1;
    g_LinkGroupOrigin = 4;
    g_LinkKey[5] = 1;
    Start();
    EXPECT_EQ(g_LinkGroupMask[3], 0);
    EXPECT_EQ(g_ChannelModified[11], 0);
    EXPECT_EQ(g_LinkGroupOrigin, -1);
    EXPECT_EQ(g_LinkKey[5], 5);
    EXPECT_EQ(g_PerfFrequency.load(), 1000000000);
    EXPECT_EQ(view->Data(),
              &static_cast<CChildFrame*>(app.MainFrame()->ActiveChild())->Document()->Data());
}

// The stored language wins over the system's; an empty one is stored.
TEST_F(ShellTest, TheStoredLanguagePaintsTheView) {
    struct Case {
        const char* stored;
        int flag;
        int background;
        unsigned lock, mixToggle, fileMenu, connect, levelBar;
        const char* firstSource;
        const char* linkText;
    };
    const Case cases[] = {
        {"English", 0, 284, 1129, 1013, 8720, 8753, 1153, "Optical", "Not connected devices"},
        {"Chinese", 1, 285, 1125, 1011, 8701, 8751, 739, "光纤", "未连接设备"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        Start(c.stored);
        EXPECT_EQ(g_LanguageFlag.load(), c.flag);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_LOCK)->Current().bitmap, c.lock);
        EXPECT_EQ(view->BitButton(CLumaraView::IDC_MIX_TOGGLE)->Current().bitmap, c.mixToggle);
        EXPECT_EQ(view->findChild<CPictureButton*>(QStringLiteral("8801"))->CurrentBitmap(),
                  c.fileMenu);
        EXPECT_EQ(view->ConnectButton()->CurrentBitmap(), c.connect);
        EXPECT_EQ(view->LevelBar()->Background(), int(c.levelBar));
        view->InputSourceList()->SetCurSel(0);
        EXPECT_EQ(view->InputSourceList()->text(), QString::fromUtf8(c.firstSource));
        EXPECT_EQ(view->LinkStatus()->Text(), QString::fromUtf8(c.linkText));
        EXPECT_FALSE(view->LinkStatus()->isVisibleTo(view)); // the language switch hides it
        // A stretch of background with no control over it; the picture starts at x = 2.
        const QRect bare(900, 0, 100, 28);
        ASSERT_EQ(view->childAt(bare.center()), nullptr);
        const QImage shown = view->grab(bare).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = skin::Image(c.background)
                                   .copy(bare.translated(-2, 0))
                                   .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown, picture);
        app.ExitInstance();
        view = nullptr;
    }
}

// Only the shown language's pictures are drawn and kept; a switch at run
// time lets go of the other's and draws the new ones.
TEST_F(ShellTest, OnlyTheShownLanguagesPicturesAreKept) {
    const auto keptOf = [](skin::Set set) {
        std::vector<int> ids;
        for (int id : skin::CachedIds())
            if (skin::Catalogue::Program().Find(id)->set == set) ids.push_back(id);
        return ids;
    };
    skin::ClearCache();
    Start("English");
    view->SelectPage(1, true); // the output page, with its own background
    view->grab();
    EXPECT_THAT(keptOf(skin::Set::Chinese), ElementsAre());
    EXPECT_THAT(keptOf(skin::Set::English), ::testing::Not(ElementsAre()));
    // The window's and the output page's backgrounds are not kept whole:
    // they are drawn where they show, in the window.
    EXPECT_THAT(keptOf(skin::Set::English), ::testing::Not(::testing::Contains(284)));
    EXPECT_THAT(keptOf(skin::Set::English), ::testing::Not(::testing::Contains(286)));
    const QRect bare(900, 0, 100, 28);
    struct Step {
        skin::Set gone;
        int background;
    };
    for (const Step& step : {Step{skin::Set::English, 285}, Step{skin::Set::Chinese, 284}}) {
        SCOPED_TRACE(step.background);
        view->SwitchLanguage(true);
        const QImage shown = view->grab(bare).toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_THAT(keptOf(step.gone), ElementsAre());
        EXPECT_EQ(shown, skin::Image(step.background)
                             .copy(bare.translated(-2, 0))
                             .convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(ShellTest, AFirstStartStoresTheSystemsLanguage) {
    Start();
    EXPECT_EQ(app.Settings().Read("DspMcu", "Language"), std::optional<std::string>("English"));
}

// ---------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------

TEST_F(ShellTest, StripsLevelBarAndPageAreaSitAtTheirPlaces) {
    Start();
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        CStripBase* s = view->Strip(i);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->geometry(), QRect(128 * i + 15, 67, 99, 47));
        EXPECT_EQ(s->isVisibleTo(view), i < 10);
        EXPECT_EQ(s->m_OutputIndex, i);
        EXPECT_EQ(s->m_Mask, 1 << i);
        EXPECT_EQ(s->m_Output, view->Data()->GetOut(i));
        EXPECT_EQ(s->IsSelected(), i == g_CurrentOutput);
    }
    EXPECT_EQ(view->LevelBar()->geometry(), QRect(830, 29, 438, 31));
    EXPECT_TRUE(view->LevelBar()->isVisibleTo(view));
    EXPECT_EQ(view->LevelBar()->RangeLower(), 0);
    EXPECT_EQ(view->LevelBar()->RangeUpper(), 66);
    EXPECT_EQ(view->LevelBar()->ListStrings(), QStringList({"毫秒", "厘米", "英寸"}));
    EXPECT_EQ(view->LevelBar()->ListSelection(), 0);
    // The page area: tab control 1368 at (1, 70) 850 x 347 dialog units.
    EXPECT_EQ(view->PageArea()->geometry(), QRect(2, 123, 1275, 607));
    for (CViewPage* page : {view->OutputPage(), view->MixPage(), view->LockPanel()}) {
        EXPECT_EQ(page->parentWidget(), view->PageArea());
        EXPECT_EQ(page->geometry(), QRect(0, 0, 1275, 607));
    }
}

TEST_F(ShellTest, TemplateControlsInPixels) {
    struct Case {
        int id;
        QRect pixels;
        bool visible;
    };
    const Case cases[] = {
        {CLumaraView::IDC_CLOSE, QRect(1247, 2, 20, 18), true},
        {CLumaraView::IDC_MINIMISE, QRect(1221, 2, 20, 18), true},
        {CLumaraView::IDC_LOCK, QRect(546, 35, 23, 19), true},
        {CLumaraView::IDC_BRIDGE, QRect(669, 0, 23, 19), false},
        {CLumaraView::IDC_SCENE_SLOT1, QRect(260, 0, 42, 18), false},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(CLumaraView::TemplateRect(c.id), c.pixels);
        QWidget* w = view->findChild<QWidget*>(QString::number(c.id));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->pos(), c.pixels.topLeft());
        EXPECT_EQ(w->isVisibleTo(view), c.visible);
    }
    EXPECT_FALSE(view->findChild<QWidget*>(QStringLiteral("1414"))->isVisibleTo(view));
    EXPECT_TRUE(CLumaraView::TemplateRect(1234).isNull());
}

// ---------------------------------------------------------------------------
// Pages
// ---------------------------------------------------------------------------

TEST_F(ShellTest, PageSelectionRules) {
    Start();
    auto checked = [this] {
        return std::vector<int>{view->PageButton(0)->GetCheck(), view->PageButton(1)->GetCheck(),
                                view->PageButton(2)->GetCheck()};
    };
    // Start-up shows page 1: its button checked, the output page shown.
    EXPECT_EQ(g_CurrentPage, 1);
    EXPECT_THAT(checked(), ElementsAre(0, 1, 0));
    EXPECT_TRUE(view->OutputPage()->isVisibleTo(view));

    struct Step {
        const char* what;
        std::function<void()> act;
        int page;
        std::vector<int> buttons;
        bool outputPage;
    };
    auto press = [this](int id) { view->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); };
    const Step steps[] = {
        {"2561 on page 1 does nothing", [&] { press(CLumaraView::IDC_PAGE1); }, 1, {0, 1, 0}, true},
        {"WM_USER+301 shows page 2",
         [&] { view->SendMessage(WM_SELECT_PAGE2); },
         2,
         {0, 0, 1},
         false},
        {"WM_USER+301 again stays on page 2",
         [&] { view->SendMessage(WM_SELECT_PAGE2); },
         2,
         {0, 0, 1},
         false},
        {"2563 on page 2 does nothing",
         [&] { press(CLumaraView::IDC_PAGE2); },
         2,
         {0, 0, 1},
         false},
        {"2562 shows page 0", [&] { press(CLumaraView::IDC_PAGE0); }, 0, {1, 0, 0}, false},
        {"2562 on page 0 does nothing",
         [&] { press(CLumaraView::IDC_PAGE0); },
         0,
         {1, 0, 0},
         false},
        {"2561 shows page 1", [&] { press(CLumaraView::IDC_PAGE1); }, 1, {0, 1, 0}, true},
        {"2562 leaves page 1", [&] { press(CLumaraView::IDC_PAGE0); }, 0, {1, 0, 0}, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(g_CurrentPage, s.page);
        EXPECT_EQ(checked(), s.buttons);
        EXPECT_EQ(view->OutputPage()->isVisibleTo(view), s.outputPage);
    }
    // No page beyond the three.
    view->SelectPage(3, true);
    EXPECT_EQ(g_CurrentPage, 0);
}

// ---------------------------------------------------------------------------
// Keys, dragging, minimise
// ---------------------------------------------------------------------------

TEST_F(ShellTest, EnterAndEscapeMoveTheFocusToTheViewTabToTheFirstBand) {
    Start();
    QApplication::setActiveWindow(app.MainFrame());
    auto* field = new QLineEdit(view->OutputPage());
    field->show();
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(field, &press);
        EXPECT_TRUE(view->hasFocus()) << key;
    }
    // Tab on page 1 with no field focused: the output page's first band field.
    view->OutputPage()->setFocus();
    ASSERT_TRUE(view->OutputPage()->hasFocus());
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(view->OutputPage(), &tab);
    QApplication::processEvents();
    auto* page = dynamic_cast<COutputPage*>(view->OutputPage());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->Field(COutputPage::kBandFreq)->hasFocus());
    // On page 2 Tab moves nothing.
    view->SendMessage(WM_SELECT_PAGE2);
    field->setParent(view);
    field->show();
    field->setFocus();
    QKeyEvent tab2(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(field, &tab2);
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(ShellTest, DraggingTheBackgroundMovesTheWindow) {
    Start();
    CMainWindow* frame = app.MainFrame();
    frame->move(100, 50);
    QApplication::processEvents();
    const QPoint start(1000, 8); // the background between the top-bar controls
    ASSERT_EQ(view->childAt(start), nullptr);
    const QPoint global = view->mapToGlobal(start);
    QMouseEvent press(QEvent::MouseButtonPress, start, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent move(QEvent::MouseMove, start + QPoint(30, 20), global + QPoint(30, 20),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_EQ(frame->pos(), QPoint(130, 70));
    QMouseEvent release(QEvent::MouseButtonRelease, start, global + QPoint(30, 20), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
    QMouseEvent after(QEvent::MouseMove, start, global + QPoint(90, 90), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &after);
    EXPECT_EQ(frame->pos(), QPoint(130, 70));
    // A press on a strip is the strip's.
    const QPoint onStrip = view->Strip(2)->geometry().center();
    QMouseEvent pressStrip(
        QEvent::MouseButtonPress, QPointF(view->Strip(2)->mapFrom(view, onStrip)),
        QPointF(view->mapToGlobal(onStrip)), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->Strip(2), &pressStrip);
    QMouseEvent moveAgain(QEvent::MouseMove, onStrip, view->mapToGlobal(onStrip) + QPoint(40, 40),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &moveAgain);
    EXPECT_EQ(frame->pos(), QPoint(130, 70));
}

TEST_F(ShellTest, MinimiseButtonMinimisesAndRestoringKeepsTheTitleAndRegion) {
    Start();
    view->SendMessage(WM_COMMAND, CLumaraView::IDC_MINIMISE);
    ASSERT_TRUE(PumpUntil([&] { return app.MainFrame()->isMinimized(); }, 2000));
    app.MainFrame()->setWindowTitle(QStringLiteral("x"));
    app.MainFrame()->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Quellmark"));
    EXPECT_EQ(app.MainFrame()->mask(), QRegion(2, 2, 1279, 728));
}

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------

TEST_F(ShellTest, FirstConnectionAttemptAbout300msAfterTheInitialUpdate) {
    Start();
    EXPECT_TRUE(view->HasTimer(CLumaraView::kFirstConnectTimer));
    EXPECT_EQ(view->firstConnects, 0);
    ASSERT_TRUE(PumpUntil([&] { return view->firstConnects > 0; }, 8000));
    // Not at once; the upper bound only catches a timer that never fires on
    // its own (a loaded machine or a sanitizer build is slow to start).
    EXPECT_GE(view->firstConnectMs, 290);
    EXPECT_LT(view->firstConnectMs, 5000);
    // Once only.
    PumpUntil([] { return false; }, 700);
    EXPECT_EQ(view->firstConnects, 1);
    EXPECT_FALSE(view->HasTimer(CLumaraView::kFirstConnectTimer));
}

TEST_F(ShellTest, EditGuardLastsUntilItsTimerFires) {
    Start();
    g_StateFlags[kFlagStatusGuard] = 1;
    view->StartEditGuardTimer();
    view->OnTimer(CLumaraView::kLinkTimer); // timer 1 has no effect
    EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 1);
    view->OnTimer(CLumaraView::kEditGuardTimer);
    EXPECT_EQ(g_StateFlags[kFlagStatusGuard].load(), 0);
    EXPECT_FALSE(view->HasTimer(CLumaraView::kEditGuardTimer));
}

// ---------------------------------------------------------------------------
// The link engine and the close button
// ---------------------------------------------------------------------------

TEST_F(ShellTest, CloseButtonStopsTheLinkReleasesTheDeviceAndClosesTheWindow) {
    Watchdog watchdog(30);
    sim::SimDevice device;
    hid.Plug("/dev/hidraw-test", &device);
    Start();
    // A linked device: opened, marked as this copy's, the worker running.
    ASSERT_TRUE(view->Session().Usb().OpenUsbDevice());
    view->Session().StartIo();
    ASSERT_TRUE(view->Session().Worker().HasWorker());
    ASSERT_TRUE(PumpUntil([&] { return hid.LastOpened("/dev/hidraw-test")->Writes() > 2; }));
    ASSERT_TRUE(app.Settings().Read("USB", "/dev/hidraw-test").has_value());
    ASSERT_NE(g_TransferDlg, nullptr);
    ASSERT_NE(g_MonitorDlg, nullptr);

    view->calls.clear();
    view->SendMessage(WM_COMMAND, CLumaraView::IDC_CLOSE);
    EXPECT_THAT(view->calls, ElementsAre("StopIo(0)", "UnmarkUsbDevice", "StopProbe(0)"));
    EXPECT_FALSE(view->Session().Worker().HasWorker());
    EXPECT_FALSE(app.Settings().Read("USB", "/dev/hidraw-test").has_value());
    EXPECT_EQ(g_TransferDlg, nullptr);
    EXPECT_EQ(g_MonitorDlg, nullptr);
    EXPECT_EQ(view->InputSourceList()->GetCount(), 0);
    EXPECT_TRUE(view->IsClosing());
    EXPECT_FALSE(app.MainFrame()->isVisible());
    // Releasing stays with the link: the flags are as they were.
    EXPECT_EQ(g_UsbLinkUp.load(), 1);
}

TEST_F(ShellTest, TheViewForwardsItsLinkOperationsToTheEngine) {
    Watchdog watchdog(30);
    sim::SimDevice device;
    hid.Plug("/dev/hidraw-a", &device);
    Start();
    EXPECT_EQ(view->Session().Usb().EnumerateUsbDevices(), 1);
    EXPECT_TRUE(view->Session().Usb().IsUsbPathFree("/dev/hidraw-a"));
    EXPECT_TRUE(view->Session().Usb().ChooseUsbDevice());
    EXPECT_EQ(g_UsbDevicePath, "/dev/hidraw-a");
    EXPECT_TRUE(view->Session().Usb().OpenHidDevice());
    EXPECT_TRUE(view->Session().Usb().IsOpen());
    view->Session().StartIo();
    EXPECT_TRUE(view->IsConnected());
    // Messages the engine sends reach the view while StopIo waits.
    view->StopIo(true);
    EXPECT_FALSE(view->IsConnected());
    EXPECT_FALSE(view->Session().Worker().HasWorker());
    view->UnmarkUsbDevice();
    EXPECT_TRUE(app.Settings().ValueNames("USB").empty());
    view->Session().Usb().CloseHidDevice();
    EXPECT_FALSE(view->Session().Usb().IsOpen());
}

TEST_F(ShellTest, ClosingWhileTheWorkerWaitsForTheViewDoesNotHang) {
    Watchdog watchdog(30);
    sim::SimDevice device;
    hid.Plug("/dev/hidraw-test", &device);
    Start();
    // The reply to this read is the first half of the output map, which the
    // worker sends to the view and waits for; this thread does not take it
    // before the user closes.
    view->Session().Command().AddPacket(BuildSystemReadPacket(6, 0));
    ASSERT_TRUE(view->Session().Usb().OpenUsbDevice());
    view->Session().StartIo();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    view->SendMessage(WM_COMMAND, CLumaraView::IDC_CLOSE);
    EXPECT_FALSE(view->Session().Worker().HasWorker());
    EXPECT_THAT(view->messages, ::testing::Contains(WM_OUTPUT_MAP));
}

// ---------------------------------------------------------------------------
// Frame commands, start page, splash window
// ---------------------------------------------------------------------------

TEST_F(ShellTest, StartPageAndTheCommandsThatOpenTheMainView) {
    Start();
    CMainWindow* frame = app.MainFrame();
    frame->SendMessage(WM_COMMAND, ID_OPEN_START_PAGE);
    QApplication::processEvents();
    auto* start = dynamic_cast<CStartPage*>(frame->ActiveChild()->View());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->RightButton()->geometry(),
              platform::DluToPixels(QRect(346, 133, 46, 17), platform::kArial10));
    // The right button opens the main view in display mode 1, in English.
    g_LanguageFlag = 1;
    view = nullptr;
    start->RightButton()->click();
    QApplication::processEvents();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->ActiveChild()->View(), view);
    EXPECT_EQ(g_DisplayMode, 1);
    EXPECT_EQ(g_StartChoice.load(), 1);
    EXPECT_EQ(g_LanguageFlag.load(), 0);
    EXPECT_EQ(g_ActiveView, view);
    // Command 8001: display mode 2.
    frame->SendMessage(WM_COMMAND, ID_OPEN_MAIN_VIEW2);
    QApplication::processEvents();
    EXPECT_EQ(g_DisplayMode, 2);
    EXPECT_EQ(g_StartChoice.load(), 2);
    EXPECT_EQ(frame->ActiveChild()->View(), view);
}

TEST_F(ShellTest, DisplayChangePutsTheWindowBackInTheCorner) {
    Start();
    app.MainFrame()->move(300, 200);
    app.MainFrame()->OnDisplayChange();
    EXPECT_EQ(app.MainFrame()->pos(), QPoint(0, 0));
    EXPECT_EQ(app.MainFrame()->size(), QSize(1283, 732));
}

TEST(SplashTest, ShownOnlyWhenEnabledAndGoneAtTheFirstPress) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/splashXXXXXX.png"));
    ASSERT_TRUE(file.open());
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(file.fileName(), "PNG"));

    CSplashWindow::EnableSplashScreen(false);
    EXPECT_FALSE(CSplashWindow::ShowSplashScreen(5000, file.fileName()));
    CSplashWindow::EnableSplashScreen(true);
    EXPECT_FALSE(CSplashWindow::ShowSplashScreen(5000, QString()));
    EXPECT_FALSE(CSplashWindow::ShowSplashScreen(5000, QStringLiteral("/nonexistent/splash.png")));
    ASSERT_TRUE(CSplashWindow::ShowSplashScreen(5000, file.fileName()));
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    EXPECT_EQ(CSplashWindow::Current()->size(), QSize(120, 80));
    EXPECT_FALSE(CSplashWindow::ShowSplashScreen(5000, file.fileName())); // one at a time
    QEvent other(QEvent::Enter);
    EXPECT_FALSE(CSplashWindow::PreTranslateAppMessage(&other));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    EXPECT_TRUE(CSplashWindow::PreTranslateAppMessage(&key));
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    // The timer hides it too.
    ASSERT_TRUE(CSplashWindow::ShowSplashScreen(50, file.fileName()));
    EXPECT_TRUE(PumpUntil([] { return CSplashWindow::Current() == nullptr; }, 2000));
    CSplashWindow::EnableSplashScreen(false);
}

} // namespace
