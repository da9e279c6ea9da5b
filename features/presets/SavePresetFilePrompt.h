// The save prompt (template 719): whether the current presets file is to be
// saved, with YES, NO and Cancel. The caller reads the result code: 6 YES,
// 7 NO, 2 Cancel (also Escape and the close box), 1 before any answer. The
// dialog itself ends accepted on YES and rejected otherwise.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class CSavePresetFilePrompt : public QDialog {
public:
    enum : int { IDC_NO = 2790, IDC_QUESTION = 2774 };
    // The platform's answer codes.
    enum : int { kNotAnswered = 1, kCancel = 2, kYes = 6, kNo = 7 };

    explicit CSavePresetFilePrompt(QWidget* parent = nullptr);

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    int Result() const { return m_Result; }

    QPushButton* YesButton() const { return m_Yes; }
    QPushButton* NoButton() const { return m_No; }
    QPushButton* CancelButton() const { return m_Cancel; }
    QLabel* Question() const { return m_Question; }

    void accept() override; // YES and Enter
    void reject() override; // Cancel, Escape and the close box
    void OnNo();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* m_Yes = nullptr;
    QPushButton* m_Cancel = nullptr;
    QPushButton* m_No = nullptr;
    QLabel* m_Question = nullptr;
    int m_Result = kNotAnswered;
    bool m_Initialised = false;
};
