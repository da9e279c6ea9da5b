// The application object: starts the program in its fixed order (command
// line, network, registration switches, 96-dpi layout, settings, the
// parameter model, fonts and language, the document template, the main
// frame, and the one document with its view) and ends it. It clears the
// tables of the outputs' joint-editing groups at start-up.
#pragma once

#include "model/DeviceLock.h"

#include "app/LumaraView.h"
#include "model/ThreadRole.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class CLumaraDoc;
class CMainWindow;
class QApplication;

namespace platform {
class SettingsStore;
}

class CLumaraApp {
public:
    static constexpr int kOutputs = 12;

    CLumaraApp();
    ~CLumaraApp();
    CLumaraApp(const CLumaraApp&) = delete;
    CLumaraApp& operator=(const CLumaraApp&) = delete;

    // The program: start-up, the message loop, shut-down. Returns the exit code.
    int Run(int argc, char** argv);

    // Start-up with the program's arguments (without the program's name).
    // False ends the program at once; ExitCode() then says how.
    bool InitInstance(const QStringList& args);
    int ExitInstance();
    int ExitCode() const { return m_ExitCode; }
    // SIGTERM or SIGINT (Run watches for them; on the user-interface thread):
    // closes as the view's close button does, so the link stops and the
    // device's in-use mark goes, then ends every event loop with exit code 0.
    void CloseOnSignal();

    // The registration switches: "RegServer" or "UnregServer" after '-' or
    // '/' as the whole rest of the command line, any case. The program keeps
    // no automation server, so a switch registers nothing and ends the
    // program. False when a switch was handled.
    bool InitComServer(const std::string& commandLine);
    // The position just after the first character of text, from `from` on,
    // that is one of set; std::string::npos when there is none.
    static size_t FindOneOf(const std::string& text, const char* set, size_t from = 0);

    // The first joint-editing group not in use, kNoLinkGroup when all are
    // (the tables are the link buttons', model/LinkGroups.h).
    int FindFreeLinkGroup() const;

    // A new unnamed document with its child frame and main view (the
    // document template), made visible in the main frame.
    CLumaraView* OpenDocumentFile();

    CMainWindow* MainFrame() const { return m_MainFrame.get(); }
    platform::SettingsStore& Settings();

    // ---- what start-up uses, replaceable by tests -------------------------
    // Whether the network layer can be used (a socket can be made).
    std::function<bool()> m_NetworkCheck;
    // The view of the document template.
    std::function<CLumaraView*(CLumaraDoc&, QWidget* parent)> m_ViewFactory;
    // What the view's link engine uses.
    LinkEnvironment m_LinkEnvironment;
    // The settings file; empty: the user's.
    QString m_SettingsPath;

    // The network start-up failure's message.
    static const char* const kNetworkFailText;

private:
    void EnsureGui();

    int m_Argc = 0;
    char** m_Argv = nullptr;
    std::unique_ptr<QApplication> m_OwnApp;
    std::unique_ptr<QObject> m_HeapTrimmer;
    std::unique_ptr<platform::SettingsStore> m_Settings;
    std::unique_ptr<CMainWindow> m_MainFrame;
    int m_ExitCode = 0;
};

extern UiThreadOnly<CLumaraApp> g_TheApp;
