#include "app/SplashWnd.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace {

bool g_splashEnabled = false;
CSplashWnd* g_splash = nullptr;

// Lets the splash window see every key and mouse press of the program.
class PressFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        return CSplashWnd::PreTranslateAppMessage(event);
    }
};

PressFilter& Filter() {
    static PressFilter filter;
    return filter;
}

} // namespace

void CSplashWnd::EnableSplashScreen(bool enable) {
    g_splashEnabled = enable;
}
bool CSplashWnd::IsEnabled() {
    return g_splashEnabled;
}
CSplashWnd* CSplashWnd::Current() {
    return g_splash;
}

CSplashWnd::CSplashWnd(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setCursor(Qt::ArrowCursor);
}

CSplashWnd::~CSplashWnd() {
    if (g_splash == this) {
        g_splash = nullptr;
        if (qApp) qApp->removeEventFilter(&Filter());
    }
}

bool CSplashWnd::LoadBitmapFile(const QString& file) {
    QImage image;
    if (!image.load(file)) return false;
    m_Bitmap = image;
    update();
    return true;
}

bool CSplashWnd::ShowSplashScreen(int ms, const QString& bitmapFile, QWidget* parent) {
    if (!g_splashEnabled || g_splash || bitmapFile.isEmpty()) return false;
    auto* wnd = new CSplashWnd(parent);
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

bool CSplashWnd::PreTranslateAppMessage(QEvent* event) {
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

void CSplashWnd::HideSplashScreen() {
    CSplashWnd* wnd = g_splash;
    if (!wnd) return;
    g_splash = nullptr;
    if (qApp) qApp->removeEventFilter(&Filter());
    QWidget* parent = wnd->parentWidget();
    wnd->hide();
    // It may be in its own timer or in the press that hides it.
    wnd->deleteLater();
    if (parent) parent->window()->update();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_Bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_TimerId) {
        killTimer(m_TimerId);
        m_TimerId = 0;
        HideSplashScreen();
    }
}
