// The splash window: a picture from a file, centred on the screen, that goes
// away after a time or at the first key or mouse press. Start-up only records
// whether it may be shown; nothing in the program shows it.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QWidget>

class QEvent;

class CSplashWindow : public QWidget {
public:
    static void EnableSplashScreen(bool enable);
    static bool IsEnabled();
    // Only when enabled, not shown yet and a file is named: shows the file's
    // picture centred and hides it after ms. False when it cannot be shown.
    static bool ShowSplashScreen(int ms, const QString& bitmapFile, QWidget* parent = nullptr);
    // A key or mouse press while the window is shown hides it; true when the
    // event was taken.
    static bool PreTranslateAppMessage(QEvent* event);
    static void HideSplashScreen();
    // The window shown now, or null.
    static CSplashWindow* Current();

    // Replaces the picture of the window with a file's.
    bool LoadBitmapFile(const QString& file);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit CSplashWindow(QWidget* parent);
    ~CSplashWindow() override;

    QImage m_Bitmap;
    int m_TimerId = 0;
};
