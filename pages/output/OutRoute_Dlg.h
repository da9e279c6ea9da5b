// COutRoute_Dlg: one output strip of the main view's row (template 110): the
// output's caption button (a click selects the output), its speaker-type
// button (a click opens the speaker-type popup, where the user assigns the
// output a type), sixteen mix toggles and the link button of the
// joint-editing groups. The strip changes nothing itself: every action goes
// to its owner (the main view) as a posted message, and the owner drives the
// strip's look. Only the caption and the speaker-type button lie in the
// 99 x 47 pixels the view gives a strip; the toggles and the link button sit
// below and keep their states unseen.
#pragma once

#include "pages/PageBase.h"

#include "controls/BitButton.h"

#include <QColor>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>

class QMenu;

// Messages of the strip to its owner (wParam the output index).
enum : unsigned {
    WM_STRIP_SELECT_OUTPUT = WM_USER + 203, // (output, 0): the caption was clicked
    WM_STRIP_COPY = WM_USER + 204,          // to itself on Ctrl+C (no effect)
    WM_STRIP_PASTE = WM_USER + 205,         // to itself on Ctrl+V (no effect)
    WM_STRIP_TOGGLE_FIRST = WM_USER + 209,  // ... +224: (output, new state) of toggle 1..16
    WM_STRIP_SPEAKER_TYPE = WM_USER + 225,  // (output, type 0..24): a type was chosen
};

class COutRoute_Dlg : public CStripBase {
public:
    enum : int {
        IDC_CAPTION = 2636,
        IDC_SPEAKER_TYPE = 2847,
        IDC_LINK = 2830,
    };
    static constexpr QRgb kCurrentFrameColor = 0xFF0EB52A; // RGB(14, 181, 42)

    // owner: the window that receives the strip's messages (null: the parent).
    explicit COutRoute_Dlg(QWidget* parent, QWidget* owner = nullptr);
    ~COutRoute_Dlg() override;

    // ---- what the view calls --------------------------------------------------
    void SetBackgroundBitmap(int normal, int hover, int down, int disabled) override;
    void SetCaptionBitmaps(int normal, int hover, int down) override;
    void UpdateCaption() override;
    void SetCaptionChecked(bool on) override;
    void SetSelected(bool on) override;
    void EnableSpeakerTypeButton(bool on) override;
    void SetToggle(int source, int state) override;
    void ShowLinkGroup(int key) override;
    // Hooks the output page's refresh calls; they show nothing.
    void ShowDelay(int) {}
    void ShowOutputOn(int) {}
    void ShowPolarity(int) {}
    void ShowState(int) {}

    // ---- the speaker-type popup ---------------------------------------------
    // The popup's items set from a snapshot of the type table taken as if
    // this output had no type; the table is left exactly as it was.
    std::unique_ptr<QMenu> BuildSpeakerTypePopup();
    // Builds the popup, shows it under the speaker-type button and acts on
    // the choice.
    void OpenSpeakerTypePopup();
    // A command of the popup (4100 + type): WM_USER+225 to the owner when the
    // type differs from the output's.
    void OnSpeakerTypeCommand(int command);
    // The snapshot the last popup was built from (26 states, 12 output types).
    const uint8_t* TypeSnapshot() const { return m_TypeSnapshot; }
    // Shows a popup at a screen point and returns the chosen command (-1 for
    // none); tests answer without a menu on screen. Returns the previous one.
    using PopupChooser = std::function<int(QMenu& menu, const QPoint& at)>;
    static PopupChooser SetPopupChooser(PopupChooser chooser);

    // ---- the joint-editing groups (their rules come with those groups) -----
    // The link button's clicks: 1 single, 2 double, 3 right.
    virtual void OnLinkClick(int kind) { m_LastLinkClick = kind; }
    // Commands 32771..32774 of the link-group menu.
    virtual void OnLinkGroupCommand(int) {}
    int LastLinkClick() const { return m_LastLinkClick; }

    // ---- parts, for the view and tests ---------------------------------------
    CBitButton* CaptionButton() const { return m_CaptionButton; }
    CBitButton* SpeakerTypeButton() const { return m_TypeButton; }
    CBitButton* LinkButton() const { return m_LinkButton; }
    CBitButton* ToggleButton(int source) const;
    QString SpeakerTypeText() const;
    QWidget* Owner() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnToggleClick(int source);
    void ShowToggle(int source);
    void WatchKeysAndMouse(QWidget* w);

    QPointer<QWidget> m_Owner;
    CBitButton* m_CaptionButton = nullptr;
    CBitButton* m_TypeButton = nullptr;
    CBitButton* m_LinkButton = nullptr;
    CBitButton* m_ToggleButtons[16] = {};
    uint8_t m_TypeSnapshot[38] = {};
    int m_LastLinkClick = 0;
};
