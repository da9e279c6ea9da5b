#include "app/LumaraApp.h"

#include "files/LumaraDoc.h"
#include "app/MainWindow.h"
#include "app/SplashWindow.h"
#include "controls/MessageBox.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/LinkGroups.h"
#include "platform/Display.h"
#include "platform/Settings.h"
#include "platform/Skin.h"
#include "platform/TerminationSignals.h"
#include "platform/UiGlobals.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

UiThreadOnly<CLumaraApp> g_TheApp;

const char* const CLumaraApp::kNetworkFailText =
    "网络初始化失败!\nThe network could not be started.";

namespace {

// When a window closes, the small blocks it freed lie between live ones in
// the heap, which glibc gives back only when asked: it is asked once the
// closing is over.
class HeapTrimmer : public QObject {
public:
    HeapTrimmer() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !pending_ && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            pending_ = true;
            QTimer::singleShot(0, this, [this] {
                pending_ = false;
                malloc_trim(0);
            });
        }
        return false;
    }

private:
    bool pending_ = false;
};

bool CanMakeSocket() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool EqualIgnoringCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The class library's command-line record: only whether a splash window may show.
bool ShowSplashFromArgs(const QStringList& args) {
    for (const QString& a : args) {
        if (!a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1Char('/'))) continue;
        const QString flag = a.mid(1).toLower();
        if (flag == QLatin1String("embedding") || flag == QLatin1String("automation") ||
            flag == QLatin1String("dde"))
            return false;
    }
    return true;
}

} // namespace

CLumaraApp::CLumaraApp() {
    m_NetworkCheck = CanMakeSocket;
    m_ViewFactory = [this](CLumaraDoc& doc, QWidget* parent) {
        return new CLumaraView(doc, Settings(), m_LinkEnvironment, parent);
    };
}

CLumaraApp::~CLumaraApp() = default;

platform::SettingsStore& CLumaraApp::Settings() {
    if (!m_Settings)
        m_Settings = m_SettingsPath.isEmpty()
                         ? std::make_unique<platform::SettingsStore>()
                         : std::make_unique<platform::SettingsStore>(m_SettingsPath);
    return *m_Settings;
}

size_t CLumaraApp::FindOneOf(const std::string& text, const char* set, size_t from) {
    for (size_t i = from; i < text.size(); ++i)
        if (text[i] != '\0' && std::strchr(set, text[i])) return i + 1;
    return std::string::npos;
}

bool CLumaraApp::InitComServer(const std::string& commandLine) {
    for (size_t pos = FindOneOf(commandLine, "-/"); pos != std::string::npos;
         pos = FindOneOf(commandLine, "-/", pos)) {
        const std::string rest = commandLine.substr(pos);
        // No automation class is registered: there is nothing to add or remove.
        if (EqualIgnoringCase(rest, "UnregServer") || EqualIgnoringCase(rest, "RegServer"))
            return false;
    }
    return true;
}

int CLumaraApp::FindFreeLinkGroup() const {
    return ::FindFreeLinkGroup();
}

void CLumaraApp::EnsureGui() {
    if (QCoreApplication::instance()) return;
    // Every measurement at 96 dots per inch: set before the application exists.
    platform::PrepareDisplay();
    m_OwnApp = std::make_unique<QApplication>(m_Argc, m_Argv);
}

bool CLumaraApp::InitInstance(const QStringList& args) {
    m_ExitCode = 0;
    // Pictures and print pages take megabytes each and come and go with the
    // windows. A fixed threshold keeps every such block in a mapping of its
    // own, given back when freed; glibc would otherwise raise it to the
    // largest block freed so far, and the next ones would land in the heap,
    // which keeps what is freed there.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // The command line.
    CSplashWindow::EnableSplashScreen(ShowSplashFromArgs(args));
    // The network layer.
    if (!m_NetworkCheck || !m_NetworkCheck()) {
        EnsureGui();
        ShowMessageBox(nullptr, kNetworkFailText, std::string(), MB_OK, g_LanguageFlag.load(), -4);
        m_ExitCode = 1;
        return false;
    }
    // The registration switches end the program without a window.
    if (!InitComServer(args.join(QLatin1Char(' ')).toStdString())) return false;
    // The 96-dpi layout.
    EnsureGui();
    m_HeapTrimmer = std::make_unique<HeapTrimmer>();
    // The settings.
    Settings();
    g_PerfFrequency =
        std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num;
    ResetLinkGroups();
    InitParamModel();
    // Fonts, the language of the system, the speaker-type menu.
    InitUiGlobals();
    // The main frame.
    m_MainFrame = std::make_unique<CMainWindow>(*this);
    m_MainFrame->setWindowIcon(skin::Pixmap(273));
    // The one document with its child frame and view.
    OpenDocumentFile();
    m_MainFrame->show();
    if (CChildFrame* child = m_MainFrame->ActiveChild()) child->Maximize();
    return true;
}

CLumaraView* CLumaraApp::OpenDocumentFile() {
    if (!m_MainFrame) return nullptr;
    auto doc = std::make_unique<CLumaraDoc>();
    doc->OnNewDocument();
    CLumaraDoc& document = *doc;
    auto* child = new CChildFrame(m_MainFrame.get(), std::move(doc));
    CLumaraView* view = m_ViewFactory(document, child);
    child->SetView(view);
    m_MainFrame->SetActiveChild(child);
    child->Maximize();
    child->show();
    view->OnInitialUpdate();
    return view;
}

int CLumaraApp::ExitInstance() {
    // The view stops its link before anything it uses goes away.
    m_MainFrame.reset();
    m_HeapTrimmer.reset();
    return m_ExitCode;
}

void CLumaraApp::CloseOnSignal() {
    if (m_MainFrame) {
        CChildFrame* child = m_MainFrame->ActiveChild();
        if (auto* view = child ? dynamic_cast<CLumaraView*>(child->View()) : nullptr)
            view->SendMessage(WM_COMMAND, CLumaraView::IDC_CLOSE);
        else
            m_MainFrame->close(); // the start page holds no link
    }
    // A message box or dialog may run a loop of its own: every loop ends.
    QCoreApplication::exit(0);
}

int CLumaraApp::Run(int argc, char** argv) {
    m_Argc = argc;
    m_Argv = argv;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int result = m_ExitCode;
    if (InitInstance(args)) {
        // Still watched while ExitInstance runs: a late signal cannot cut it short.
        platform::TerminationSignals watcher([this](int) { CloseOnSignal(); });
        result = QApplication::exec();
        ExitInstance();
    } else {
        result = ExitInstance();
    }
    m_OwnApp.reset();
    return result;
}
