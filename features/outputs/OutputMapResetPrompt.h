// COutputMapResetPrompt: the question of the output-map reset: empty the map, restore
// the default map, or neither.
#pragma once

#include "controls/SkinDialog.h"

class QLabel;
class QPushButton;

class COutputMapResetPrompt : public CSkinDialog {
public:
    enum : int { IDC_TEXT = 2769, IDC_DEFAULT = 2768 };
    enum Choice : int { kCancel = 0, kEmpty = 1, kDefault = 2 };

    explicit COutputMapResetPrompt(QWidget* parent = nullptr);

    int Choice() const { return m_Choice; }
    QLabel* Text() const { return m_Text; }
    QPushButton* EmptyButton() const { return m_Empty; }
    QPushButton* DefaultButton() const { return m_Default; }
    QPushButton* CancelButton() const { return m_Cancel; }

    // Cancel, Esc and the close box answer "neither".
    void reject() override;

protected:
    void OnInitDialog() override;

private:
    void Choose(int choice);

    QLabel* m_Text = nullptr;
    QPushButton* m_Empty = nullptr;
    QPushButton* m_Default = nullptr;
    QPushButton* m_Cancel = nullptr;
    int m_Choice = kEmpty;
};
