// CMixAccessCodePrompt: the prompt for the access code that guards the mix
// parameter settings. It takes up to eight characters; OK with fewer says so
// and keeps the prompt open. Whether the code is right is the caller's test.
#pragma once

#include "controls/SkinDialog.h"

#include <QString>

class CTransparentStatic;
class QLineEdit;
class QPushButton;

class CMixAccessCodePrompt : public CSkinDialog {
public:
    enum : int { IDC_CODE = 2818, IDC_PROMPT = 2931, IDC_CANCEL = 3 };
    static constexpr int kCodeLength = 8;

    explicit CMixAccessCodePrompt(QWidget* parent = nullptr);

    // The text given with OK, and whether one was given.
    const QString& Entered() const { return m_Entered; }
    bool EntryGiven() const { return m_EntryGiven; }

    QLineEdit* CodeEdit() const { return m_Edit; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* CancelButton() const { return m_Cancel; }
    CTransparentStatic* Prompt() const { return m_Prompt; }

    void OnOK();

protected:
    void OnInitDialog() override;

private:
    QLineEdit* m_Edit = nullptr;
    CTransparentStatic* m_Prompt = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
    QString m_Entered;
    bool m_EntryGiven = false;
};
