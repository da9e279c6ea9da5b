// The password dialog of the preset lock (template 1133): in mode 0 it asks
// for the password that locks the stored data, in mode 1 for the password
// that unlocks it, where its second button asks for a reset to the factory
// outputs instead. A password is six printable ASCII characters (the device
// keeps six bytes and they are compared as stored); anything else is refused
// in the dialog with the format message.
#pragma once

#include <QDialog>

#include <string>

class CTransparentStatic;
class QLineEdit;
class QPushButton;

class CLockPasswordDialog : public QDialog {
public:
    enum : int { IDC_PASSWORD = 2818, IDC_PROMPT = 2846, IDC_SECOND = 3 };
    enum Mode : int { kLock = 0, kUnlock = 1 };
    static constexpr int kPasswordLength = 6;

    explicit CLockPasswordDialog(int mode, QWidget* parent = nullptr);

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    // OK: six valid characters end the dialog; anything else is refused.
    void OnOK();
    // Button 3: cancel, or in unlock mode of locked data a reset request.
    void OnResetOrCancel();

    // Six characters from ' ' to '~'.
    static bool IsValidPassword(const std::string& text);

    int Mode() const { return m_Mode; }
    const std::string& Entered() const { return m_Entered; }
    bool EntryGiven() const { return m_EntryGiven; }
    bool ResetRequested() const { return m_ResetRequested; }
    QLineEdit* PasswordEdit() const { return m_Edit; }
    CTransparentStatic* Prompt() const { return m_Prompt; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* SecondButton() const { return m_Second; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_Edit = nullptr;
    CTransparentStatic* m_Prompt = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Second = nullptr;
    std::string m_Entered;
    bool m_EntryGiven = false;
    bool m_ResetRequested = false;
    int m_Mode;
    bool m_Initialised = false;
};
