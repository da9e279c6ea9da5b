// CFactoryResetPrompt: the warning before the factory reset: the device will restart in
// the state it left the factory in. OK goes on, Cancel ("Quit") stops.
#pragma once

#include "controls/SkinDialog.h"

class QLabel;
class QPushButton;

class CFactoryResetPrompt : public CSkinDialog {
public:
    enum : int { IDC_TEXT = 2884, IDC_TITLE = 2885 };

    explicit CFactoryResetPrompt(QWidget* parent = nullptr);

    QLabel* Title() const { return m_Title; }
    QLabel* Text() const { return m_Text; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* CancelButton() const { return m_Cancel; }

protected:
    void OnInitDialog() override;

private:
    QLabel* m_Title = nullptr;
    QLabel* m_Text = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
};
