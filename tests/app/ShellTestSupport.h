// The program started for a test: the application's start-up with a private
// settings file, a simulated USB device and network doubles (nothing leaves
// the machine), and a main view that records what it is asked to do.
#pragma once

#include "app/LumaraApp.h"
#include "app/MainWindow.h"
#include "controls/MessageBox.h"
#include "link/LinkGlobals.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/LinkGroups.h"
#include "platform/UiGlobals.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/platform/GuiTestSupport.h"

#include "tools/sim/SimDevice.h"
#include "tools/sim/SimServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <string>
#include <vector>

// The main view with its link steps and the first connection recorded.
class ShellView : public CLumaraView {
public:
    ShellView(CLumaraDoc& doc, platform::SettingsStore& settings, const LinkEnvironment& env,
              QWidget* parent)
        : CLumaraView(doc, settings, env, parent) {
        sinceCreated.start();
    }
    void StopIo(bool release) override {
        calls.push_back(release ? "StopIo(1)" : "StopIo(0)");
        CLumaraView::StopIo(release);
    }
    void UnmarkUsbDevice() override {
        calls.push_back("UnmarkUsbDevice");
        CLumaraView::UnmarkUsbDevice();
    }
    void StopProbe(bool keep) override {
        calls.push_back(keep ? "StopProbe(1)" : "StopProbe(0)");
        CLumaraView::StopProbe(keep);
    }
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM l) override {
        messages.push_back(msg);
        if (msg == WM_FIRST_CONNECT && firstConnects++ == 0)
            firstConnectMs = sinceCreated.elapsed();
        return CLumaraView::WindowProc(msg, w, l);
    }

    std::vector<std::string> calls;
    std::vector<unsigned> messages;
    QElapsedTimer sinceCreated;
    qint64 firstConnectMs = -1;
    int firstConnects = 0;
};

inline void ResetShellGlobals() {
    ResetLinkGlobals();
    g_LanguageFlag = 0;
    g_LanguageSetting->clear();
    g_DeviceSynced = 0;
    g_DisplayMode = 1;
    g_StartChoice = 1;
    for (auto& f : g_StateFlags)
        f = 0;
    ResetLinkGroups();
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetShellGlobals();
        ASSERT_TRUE(dir.isValid());
        app.m_SettingsPath = dir.filePath(QStringLiteral("lumara.ini"));
        adapters.Set({});
        pinger.answers = false;
        app.m_LinkEnvironment.hid = &hid;
        app.m_LinkEnvironment.adapters = &adapters;
        app.m_LinkEnvironment.pinger = &pinger;
        app.m_LinkEnvironment.watchHotplug = false;
        app.m_LinkEnvironment.timings.linkDownSleep = 5;
        app.m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
            view = new ShellView(doc, app.Settings(), app.m_LinkEnvironment, parent);
            return view;
        };
        previousResponder_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            return CMessageBox::Action::Ok;
        });
    }
    void TearDown() override {
        app.ExitInstance();
        CMessageBox::SetResponder(previousResponder_);
        ResetShellGlobals();
    }

    // Starts the program; the stored language first when one is given.
    void Start(const char* language = nullptr, const QStringList& args = {}) {
        if (language) app.Settings().Write("DspMcu", "Language", language);
        ASSERT_TRUE(app.InitInstance(args));
        ASSERT_NE(view, nullptr);
        QApplication::processEvents();
    }

    static std::vector<QWidget*> VisibleWindows() {
        std::vector<QWidget*> shown;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) shown.push_back(w);
        return shown;
    }

    QTemporaryDir dir;
    sim::SimHidBackend hid;
    AdaptersDouble adapters;
    PingerDouble pinger;
    CLumaraApp app;
    ShellView* view = nullptr;
    std::vector<CMessageBox::Shown> boxes;

private:
    CMessageBox::Responder previousResponder_;
};
