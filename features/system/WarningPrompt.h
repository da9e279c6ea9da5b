// The quit prompt (template 676): a message the opener sets before running
// it, centred over one OK button, captioned "Quit" by language.
#pragma once

#include <QDialog>
#include <QString>

class CTransparentStatic;
class QPushButton;

class CWarningPrompt : public QDialog {
public:
    enum : int { IDC_MESSAGE = 2753 };

    explicit CWarningPrompt(QWidget* parent = nullptr);

    // Set before the dialog runs; no message leaves the text area empty.
    QString m_Message;

    // Runs once, when the dialog is first shown.
    void OnInitDialog();

    CTransparentStatic* MessageText() const { return m_Text; }
    QPushButton* OkButton() const { return m_Ok; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* m_Ok = nullptr;
    CTransparentStatic* m_Text = nullptr;
    bool m_Initialised = false;
};
