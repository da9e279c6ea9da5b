// The transfer window: floats over the main view while a transfer of many
// packets runs, shows its progress and blinks its line of text, and keeps the
// window that started the transfer disabled meanwhile. A second look counts
// up while the device works on a long command (factory defaults). The user
// cannot close it: it hides itself when the transfer has ended.
#pragma once

#include "model/DeviceLock.h"

#include "link/LinkGlobals.h"
#include "model/ThreadRole.h"

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QString>

class CFontStatic;
class CGradientProgressCtrl;

class CTransferWindow : public QDialog {
public:
    static constexpr int kBlinkTimerMs = 200;

    // owner: the main view (disabled while a transfer it started runs).
    explicit CTransferWindow(QWidget* owner);
    ~CTransferWindow() override;

    // fromDialog 0: disables the owner; 1: the open device preset dialog, or
    // in the long-command look the open advanced settings dialog.
    void ShowTransfer(int fromDialog);
    void HideTransfer();
    // The long-command look: the bar counts from 0 to 110.
    void SetFactoryMode();
    // Stops the timer and destroys the window's contents; the object stays.
    void Close();

    int GetFromDialog() const { return m_FromDialog; }
    bool IsShown() const { return isVisible(); }
    CGradientProgressCtrl* Progress() const { return m_Progress; }
    CFontStatic* Text() const { return m_Text; }

    // One tick of the 200 ms timer (public for tests that do not wait).
    void OnTimerTick();

    // Texts of the two looks.
    static QString EndText();
    static QString FactoryDoneText();

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

public:
    void reject() override {} // Escape does not close the window

private:
    void StopTimer();
    void SetLine(const QString& text);

    CGradientProgressCtrl* m_Progress = nullptr;
    CFontStatic* m_Text = nullptr;
    const QColor m_Background{229, 229, 229};
    const QString m_TitleCn = QStringLiteral("数据正在传输中");
    const QString m_TitleEn = QStringLiteral("Data transmission");
    int m_Blink = 0;
    int m_FromDialog = 0;
    int m_LongCommand = 0;
    int m_Creep = 0;
    bool m_EndSeen = false; // the long command has ended: the bar stands at its end
    int m_TimerId = 0;
    QPointer<QWidget> m_Disabled;
};

// The one transfer window (the view creates it) and the dialogs it may
// disable: the device preset dialog and the advanced settings dialog while open.
extern UiThreadOnly<CTransferWindow*> g_TransferDlg;
extern UiThreadOnly<QPointer<QWidget>> g_PresetDlg;
extern UiThreadOnly<QPointer<QWidget>> g_AdvancedDlg;

// What the link's reply dispatcher moves (g_TransferProgress): it lives as
// long as the process and passes positions to the bar of the transfer window
// while one exists, so a worker still running while the window goes away
// never reaches a destroyed bar.
ITransferProgress* TransferProgressSink();
