#include "app/MainWindow.h"

#include "app/StartPage.h"
#include "app/LumaraApp.h"
#include "files/LumaraDoc.h"
#include "app/LumaraView.h"
#include "app/ShellMessages.h"
#include "model/Globals.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

UiThreadOnly<int> g_DisplayMode{1};

CMainWindow::CMainWindow(CLumaraApp& app) : MessageTarget(nullptr), m_App(app) {
    // No caption, no menu, no sizing border: the view draws everything.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(0, 0, kWidth, kHeight);
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QString::fromUtf8(g_ProductTitle));
    // Centred on the desktop; back at the corner when the display changes.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
        connect(screen, &QScreen::geometryChanged, this, [this] { OnDisplayChange(); });
    }
}

CMainWindow::~CMainWindow() {
    delete m_Child;
    m_Child = nullptr;
}

void CMainWindow::SetActiveChild(CChildFrame* child) {
    if (m_Child && m_Child != child) CloseActiveDocument();
    m_Child = child;
}

void CMainWindow::CloseActiveDocument() {
    CChildFrame* child = m_Child;
    if (!child) return;
    m_Child = nullptr;
    if (auto* view = dynamic_cast<CLumaraView*>(child->View())) view->OnDestroy();
    child->hide();
    // The command may come from a button of the frame that goes.
    child->deleteLater();
}

void CMainWindow::OnOpenMainView(int mode) {
    CloseActiveDocument();
    g_DisplayMode = mode;
    g_LanguageFlag = 0;
    g_StartChoice = mode;
    CLumaraView* view = m_App.OpenDocumentFile();
    if (m_Child) {
        m_Child->raise();
        m_Child->Maximize();
    }
    setWindowTitle(QString::fromUtf8(g_ProductTitle));
    if (view) view->ConnectDevice();
}

void CMainWindow::OnOpenStartPage() {
    CloseActiveDocument();
    auto doc = std::make_unique<CLumaraDoc>();
    doc->OnNewDocument();
    auto* child = new CChildFrame(this, std::move(doc));
    child->SetView(new CStartPage(child));
    SetActiveChild(child);
    child->Maximize();
    child->raise();
    child->show();
    setWindowTitle(QString::fromUtf8(g_ProductTitle));
}

void CMainWindow::OnDisplayChange() {
    setGeometry(0, 0, kWidth, kHeight);
    show();
}

LRESULT CMainWindow::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND) {
        switch (static_cast<int>(wParam & 0xFFFF)) {
        case ID_OPEN_MAIN_VIEW:
            OnOpenMainView(1);
            break;
        case ID_OPEN_MAIN_VIEW2:
            OnOpenMainView(2);
            break;
        case ID_OPEN_START_PAGE:
            OnOpenStartPage();
            break;
        case ID_FILE_CLOSE:
            CloseActiveDocument();
            break;
        default:
            break;
        }
        return 0;
    }
    if (msg == WM_SYSCOMMAND) {
        if (wParam == SC_MINIMIZE) showMinimized();
        if (wParam == SC_CLOSE) close();
        return 0;
    }
    return 0;
}

void CMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setMask(QRegion(rect().adjusted(kRegionInset, kRegionInset, -kRegionInset, -kRegionInset)));
}

void CMainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowMinimized) &&
        (g_DisplayMode == 1 || g_DisplayMode == 2))
        setWindowTitle(QString::fromUtf8(g_ProductTitle));
}

// ---------------------------------------------------------------------------

CChildFrame::CChildFrame(CMainWindow* frame, std::unique_ptr<CLumaraDoc> doc)
    : QWidget(frame), m_Doc(std::move(doc)) {
    setGeometry(0, 0, 1284, 732);
}

CChildFrame::~CChildFrame() {
    // The view goes before the document it works on.
    delete m_View;
    m_View = nullptr;
}

void CChildFrame::SetView(QWidget* view) {
    m_View = view;
    if (m_View) m_View->setGeometry(rect());
}

void CChildFrame::Maximize() {
    if (QWidget* frame = parentWidget()) setGeometry(frame->rect());
    // A hidden frame gets its resize event only when shown: the view takes the size now.
    if (m_View) m_View->setGeometry(rect());
}

void CChildFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_View) m_View->setGeometry(rect());
}
