#include "app/SplashWindow.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace {

bool g_splashEnabled = false;
CSplashWindow* g_splash = nullptr;

// Lets the splash window see every key and mouse press of the program.
class PressFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        return CSplashWindow::PreTranslateAppMessage(event);
    }
};

PressFilter& Filter() {
    static PressFilter filter;
    return filter;
}

} // namespace

void CSplashWindow::EnableSplashScreen(bool enable) {
    g_splashEnabled = enable;
}
bool CSplashWindow::IsEnabled() {
    return g_splashEnabled;
}
CSplashWindow* CSplashWindow::Current() {
    return g_splash;
}

CSplashWindow::CSplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setCursor(Qt::ArrowCursor);
}

CSplashWindow::~CSplashWindow() {
    if (g_splash == this) {
        g_splash = nullptr;
        if (qApp) qApp->removeEventFilter(&Filter());
    }
}

bool CSplashWindow::LoadBitmapFile(const QString& file) {
    QImage image;
    if (!image.load(file)) return false;
    m_Bitmap = image;
    update();
    return true;
}

bool CSplashWindow::ShowSplashScreen(int ms, const QString& bitmapFile, QWidget* parent) {
    if (!g_splashEnabled || g_splash || bitmapFile.isEmpty()) return false;
    auto* wnd = new CSplashWindow(parent);
    if (!wnd->LoadBitmapFile(bitmapFile)) {
        delete wnd;
        return false;
    }
    g_splash = wnd;
    wnd->setFixedSize(wnd->m_Bitmap.size());
    const QRect screen = wnd->screen()->availableGeometry();
    wnd->move(screen.center() - QPoint(wnd->width() / 2, wnd->height() / 2));
    wnd->show();
    wnd->update();
    wnd->m_TimerId = wnd->startTimer(ms);
    qApp->installEventFilter(&Filter());
    return true;
}

bool CSplashWindow::PreTranslateAppMessage(QEvent* event) {
    if (!g_splash || !event) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        HideSplashScreen();
        return true;
    default:
        return false;
    }
}

void CSplashWindow::HideSplashScreen() {
    CSplashWindow* wnd = g_splash;
    if (!wnd) return;
    g_splash = nullptr;
    if (qApp) qApp->removeEventFilter(&Filter());
    QWidget* parent = wnd->parentWidget();
    wnd->hide();
    // It may be in its own timer or in the press that hides it.
    wnd->deleteLater();
    if (parent) parent->window()->update();
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_Bitmap);
}

void CSplashWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_TimerId) {
        killTimer(m_TimerId);
        m_TimerId = 0;
        HideSplashScreen();
    }
}
