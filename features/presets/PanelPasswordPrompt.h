// The preset panel's password prompt (template 938): a borderless, skinned
// window with a six-character password field, OK, close and minimise. OK
// (or Enter in the field) compares the field with the fixed password, says
// so when it is wrong, and ends the dialog either way; the caller reads the
// accepted flag. The close button cancels; Escape only takes the focus off
// the field.
#pragma once

#include "platform/Message.h"

#include <QDialog>

class CBitButton;
class CPasswordEdit;

class CPanelPasswordPrompt : public platform::MessageTarget<QDialog> {
public:
    enum : int { IDC_PASSWORD = 2818, IDC_CLOSE = 2819, IDC_MINIMISE = 2820, IDC_OK = 1 };
    static constexpr int kPasswordLength = 6;

    explicit CPanelPasswordPrompt(QWidget* parent = nullptr);

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    void OnOK();

    int Accepted() const { return m_Accepted; }
    CPasswordEdit* PasswordEdit() const { return m_Edit; }
    CBitButton* OkButton() const { return m_Ok; }
    CBitButton* CloseButton() const { return m_Close; }
    CBitButton* MinimiseButton() const { return m_Minimise; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CBitButton* m_Close = nullptr;
    CBitButton* m_Minimise = nullptr;
    CPasswordEdit* m_Edit = nullptr;
    CBitButton* m_Ok = nullptr;
    int m_Accepted = 0;
    bool m_Initialised = false;
};

// The panel's fixed password.
extern const char* const g_PanelPassword;
