// The preset panel (template 874): a small borderless, skinned window for
// using the processor without the main view. Its first page has the
// password, the way to the preset page and the language switch; the preset
// page recalls device presets 1 to 6 and leads back. The USB button connects
// and disconnects, and the window moves when dragged anywhere off its
// buttons. The view does the work (ToggleConnection, LoadDevicePreset,
// ApplyLanguage). An accepted password ends the panel accepted and unlocked;
// only its close button ends it otherwise. Enter, Escape and Tab do nothing.
#pragma once

#include "platform/Message.h"

#include <QDialog>
#include <QPoint>

class CBitButton;
class CLumaraView;

class CPresetPanelDialog : public platform::MessageTarget<QDialog> {
public:
    enum : int {
        IDC_USB = 2819,
        IDC_MINIMISE = 2820,
        IDC_CLOSE = 2821,
        IDC_PRESET1 = 2822, // preset n is 2821 + n, 1 to 10
        IDC_PASSWORD = 2832,
        IDC_TO_PRESETS = 2833,
        IDC_BACK = 2834,
        IDC_LANGUAGE = 2835,
    };
    static constexpr int kButtonCount = 17;
    static constexpr int kPresetCount = 10;
    enum Page : int { kFirstPage = 0, kPresetPage = 1 };

    explicit CPresetPanelDialog(QWidget* parent = nullptr);

    CLumaraView* m_View = nullptr; // the main view (the opener may set another)

    // Runs once, when the panel is first shown.
    void OnInitDialog();
    // Every button with pictures takes its language's; the shown presets,
    // the password, the preset-page, minimise and close buttons go off.
    void ResetBitmaps();
    // The buttons of the current page shown, the others hidden; the language
    // button shows the language.
    void UpdatePage();
    void SetPage(int page);

    void OnUsbButton();
    void OnCloseButton();
    // n 1..10: recalls device preset n when connected, else says the link failed.
    void SelectPreset(int n);
    void OnPasswordButton();
    void OnLanguageButton();

    int PageFlag() const { return m_Page; }
    int Unlocked() const { return m_Unlocked; }
    int CurrentPreset() const { return m_CurrentPreset; }
    CBitButton* Button(int id) const;
    CBitButton* PresetButton(int n) const { return Button(IDC_PRESET1 + n - 1); }
    // The background of the page and language.
    int BackgroundId() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The selection moves to preset n (1..10) without loading.
    void MarkPreset(int n);

    CBitButton* m_Buttons[kButtonCount] = {}; // by id - IDC_USB
    int m_Unlocked = 0;
    int m_CurrentPreset = 0;
    // The panel opens on its first page.
    int m_Page = kFirstPage;
    bool m_Initialised = false;
    bool m_Dragging = false;
    QPoint m_DragOffset;
};
