// The version window (the About box of the system menu): the device's
// firmware version and the software version of its firmware family.
#pragma once

#include <QDialog>
#include <QString>

class CHyperlink;
class CTransparentStatic;
class QLabel;
class QPushButton;

class CVersionWindow : public QDialog {
public:
    explicit CVersionWindow(QWidget* parent = nullptr);

    // Fills the two version lines from the device's version text and g_DeviceVariant.
    void ShowVersions();

    QString DeviceText() const;
    QString SoftwareText() const;
    QPushButton* HelpButton() const { return m_Help; }
    QPushButton* QuitButton() const { return m_Quit; }

    // The software version of a firmware family: 1 "VELK-F", 2 "VELK-W";
    // empty for any other.
    static QString SoftwareVersion(int variant);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_Picture = nullptr;                // 2065, picture 275
    CHyperlink* m_Link = nullptr;               // 1895, hidden
    CTransparentStatic* m_NoticeText = nullptr; // 1894, empty in every variant
    QPushButton* m_Help = nullptr;              // 8802
    CTransparentStatic* m_Software = nullptr;   // 1875
    CTransparentStatic* m_Device = nullptr;     // 1877
    CTransparentStatic* m_RemarkText = nullptr; // 1876, empty in every variant
    QPushButton* m_Quit = nullptr;              // 1874
};
