// CPairLinkDialog: "Link" (template 370), the question which channel of a pair
// of outputs is applied to the other. The caller sets the pair (0: CH1 and
// CH2, 1: CH3 and CH4, 2: CH5 and CH6) before DoModal; a click of either
// radio button is taken at once, and after IDOK the choice says which
// channel is applied (0 the first of the pair, 1 the second).
#pragma once

#include <QDialog>

class CButtonRadio;
class CTransparentStatic;
class QPushButton;

class CPairLinkDialog : public QDialog {
public:
    enum : int {
        IDD = 370,
        IDC_FIRST = 2259, // starts the radio group
        IDC_SECOND = 2258,
    };
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    explicit CPairLinkDialog(QWidget* parent = nullptr);

    // Runs the dialog (the modal seam of controls/ModalDialog.h).
    int DoModal();
    // The pair's texts and the language (run by DoModal).
    void InitDialog();

    int m_Choice = 0; // 0 radio 2259, 1 radio 2258
    int m_Pair = 0;   // 0..2; other values keep the template's texts

    CButtonRadio* First() const { return m_First; }
    CButtonRadio* Second() const { return m_Second; }
    CTransparentStatic* Question() const { return m_Question; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* CancelButton() const { return m_Cancel; }

private:
    // The checked radio button into the choice (dialog data exchange).
    void TakeChoice();

    CButtonRadio* m_First = nullptr;
    CButtonRadio* m_Second = nullptr;
    CTransparentStatic* m_Question = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
};
