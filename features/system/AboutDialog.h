// The About box (template 100): the program's icon, its name and version,
// and OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDialog : public QDialog {
public:
    enum : int { IDC_ICON = 128, IDC_VERSION = 1867, IDC_COPYRIGHT = 1868 };

    explicit CAboutDialog(QWidget* parent = nullptr);

    QLabel* Icon() const { return m_Icon; }
    QLabel* VersionText() const { return m_Version; }
    QLabel* SecondText() const { return m_Second; }
    QPushButton* OkButton() const { return m_Ok; }

private:
    QLabel* m_Icon = nullptr;
    QLabel* m_Version = nullptr;
    QLabel* m_Second = nullptr;
    QPushButton* m_Ok = nullptr;
};
