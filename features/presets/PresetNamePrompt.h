// The name prompt (template 666): asks for the name under which the current
// settings are stored as device preset n. It shows the name preset n has in
// the program's copy of the stored presets and returns the edited text on OK;
// checking the name is the caller's. The field takes at most 13 GBK bytes
// and keeps double-byte characters at even byte offsets.
#pragma once

#include <QDialog>

#include <string>

class CPresetNameEdit;
class QLabel;
class QPushButton;

class CPresetNamePrompt : public QDialog {
public:
    enum : int { IDC_NAME = 2726, IDC_NUMBER = 2725 };

    explicit CPresetNamePrompt(QWidget* parent = nullptr);

    // Before the dialog runs: the stored preset 1..6 to be named.
    void SetPresetNumber(int n) { m_Number = n; }
    int PresetNumber() const { return m_Number; }
    // The initial name, and after OK the name entered (UTF-8).
    const std::string& Name() const { return m_Name; }

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    void InitTexts();

    CPresetNameEdit* NameEdit() const { return m_NameEdit; }
    QLabel* NumberLabel() const { return m_NumberLabel; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* CancelButton() const { return m_Cancel; }

    // OK: the field's text becomes the name.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
    CPresetNameEdit* m_NameEdit = nullptr;
    QLabel* m_NumberLabel = nullptr;
    int m_Number = 1;
    std::string m_Name;
    bool m_Initialised = false;
};
