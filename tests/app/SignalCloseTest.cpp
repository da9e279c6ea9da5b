// A logout or Ctrl+C (SIGTERM, SIGINT) closes the program as its close button
// does: the link stops, the device's in-use mark goes, the settings stay
// written and the program ends with exit code 0. Once with the application
// object in this process (a marked USB device), once with the program itself
// against the simulated device on 127.0.0.1.
#include "tests/app/ShellTestSupport.h"

#include <QDialog>
#include <QProcess>
#include <QSettings>
#include <QTimer>

#include <gmock/gmock.h>

#include <csignal>

#include <unistd.h>

using ::testing::ElementsAre;

namespace {

class SignalCloseTest : public ShellTest, public ::testing::WithParamInterface<int> {};

TEST_P(SignalCloseTest, ASignalClosesTheProgramAsItsCloseButtonDoes) {
    Watchdog watchdog(30);
    sim::SimDevice device;
    hid.Plug("/dev/hidraw-test", &device);
    app.Settings().Write("DspMcu", "Language", "English");
    bool linked = false;
    struct AtQuit {
        std::vector<std::string> calls;
        bool worker = true;
        bool marked = true;
        bool frameVisible = true;
    } atQuit;
    // The first connection attempt opens the device and marks it as this
    // copy's; then the signal comes, from outside.
    QTimer::singleShot(0, [&] {
        linked = PumpUntil(
            [&] {
                return view && view->Session().Worker().HasWorker() &&
                       app.Settings().Read("USB", "/dev/hidraw-test");
            },
            10000);
        if (view) view->calls.clear();
        kill(getpid(), GetParam());
    });
    const auto quitting = QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [&] {
        if (!view) return;
        atQuit = {view->calls, view->Session().Worker().HasWorker(),
                  app.Settings().Read("USB", "/dev/hidraw-test").has_value(),
                  app.MainFrame()->isVisible()};
    });
    char name[] = "lumara";
    char* argv[] = {name, nullptr};
    const int exitCode = app.Run(1, argv);
    QObject::disconnect(quitting);

    ASSERT_TRUE(linked);
    EXPECT_EQ(exitCode, 0);
    EXPECT_THAT(atQuit.calls, ElementsAre("StopIo(0)", "UnmarkUsbDevice", "StopProbe(0)"));
    EXPECT_FALSE(atQuit.worker);
    EXPECT_FALSE(atQuit.marked);
    EXPECT_FALSE(atQuit.frameVisible);
    EXPECT_EQ(app.Settings().Read("DspMcu", "Language"), "English");
    EXPECT_TRUE(app.Settings().ValueNames("USB").empty());
}

// A logout while a dialog waits for the user: its loop ends too, and so
// does the program.
TEST_F(ShellTest, ASignalEndsTheProgramWhileAModalWindowIsOpen) {
    Watchdog watchdog(30);
    app.Settings().Write("DspMcu", "Language", "English");
    int dialogResult = 1;
    bool frameVisible = true;
    QTimer::singleShot(0, [&] {
        QDialog dialog(app.MainFrame());
        QTimer::singleShot(50, [] { kill(getpid(), SIGTERM); });
        dialogResult = dialog.exec();
        frameVisible = app.MainFrame()->isVisible();
    });
    char name[] = "lumara";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(app.Run(1, argv), 0);
    EXPECT_EQ(dialogResult, QDialog::Rejected);
    EXPECT_FALSE(frameVisible);
}

// The program and the simulated device's network module: a logout's SIGTERM
// (SIGINT takes the same way, above).
TEST_F(ShellTest, TheProgramEndsOnSigtermWithExitCodeZeroAndItsSettingsWritten) {
    Watchdog watchdog(60);
    sim::SimDevice device;
    sim::SimTcpServer server(device);
    ASSERT_TRUE(server.Start(0));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LUMARA_DEVICE_ADDRESS"),
               QStringLiteral("127.0.0.1:%1").arg(server.Port()));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(LUMARA_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted());
    // Linked once the device has answered the reads of a new connection.
    const bool linked = PumpUntil([&] { return device.FrameCount() > 12; }, 30000);
    kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_TRUE(linked);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QSettings written(dir.filePath(QStringLiteral("lumara/lumara.ini")), QSettings::IniFormat);
    EXPECT_FALSE(written.value(QStringLiteral("DspMcu/Language")).toString().isEmpty());
    EXPECT_FALSE(written.value(QStringLiteral("PC_File/File_Path")).toString().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, SignalCloseTest, ::testing::Values(SIGTERM, SIGINT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

} // namespace
