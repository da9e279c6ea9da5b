// The communication monitor: two panes for the data written to and read
// from the device. The view creates it hidden; nothing shows it or writes to
// it in this program.
#pragma once

#include "model/DeviceLock.h"
#include "model/ThreadRole.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CLinkMonitorWindow : public QDialog {
public:
    explicit CLinkMonitorWindow(QWidget* parent = nullptr);

    // Button 1222: empties both panes.
    void OnClear();

    QPlainTextEdit* WrittenPane() const { return m_Written; }
    QPlainTextEdit* ReadPane() const { return m_Read; }

private:
    QPlainTextEdit* m_Written = nullptr; // 1221
    QPlainTextEdit* m_Read = nullptr;    // 1024
    QPushButton* m_Clear = nullptr;      // 1222
    QLineEdit* m_LeftSpareEdit = nullptr;
    QLineEdit* m_RightSpareEdit = nullptr;
};

// The monitor window the view created, or null.
extern UiThreadOnly<CLinkMonitorWindow*> g_MonitorDlg;
