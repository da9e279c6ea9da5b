// CJoinGroupDialog: "Join Group" (template 964), which of four joint-debug
// groups to join. The caller enables the group buttons it offers; a click of
// "1" .. "4" sets the result to that group and ends the dialog with IDOK.
// Closing it otherwise leaves the result 0.
#pragma once

#include <QDialog>

class CTransparentStatic;
class QPushButton;

class CJoinGroupDialog : public QDialog {
public:
    enum : int {
        IDD = 964,
        IDC_GROUP1 = 2819,
        IDC_GROUP2 = 2820,
        IDC_GROUP3 = 2821,
        IDC_GROUP4 = 1, // the template's default button (OK), labelled "4"
        IDC_PROMPT = 2834,
    };
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    explicit CJoinGroupDialog(QWidget* parent = nullptr);

    // Runs the dialog (the modal seam of controls/ModalDialog.h).
    int DoModal();
    // The texts and the buttons from the flags (run by DoModal).
    void InitDialog();

    int m_Result = 0;                // the chosen group 1..4, 0 when cancelled
    int m_Enabled[4] = {1, 1, 1, 1}; // per group button, set by the caller

    QPushButton* GroupButton(int n) const { return n >= 1 && n <= 4 ? m_Buttons[n - 1] : nullptr; }
    CTransparentStatic* Prompt() const { return m_Prompt; }

private:
    void Choose(int n);

    QPushButton* m_Buttons[4] = {};
    CTransparentStatic* m_Prompt = nullptr;
};
