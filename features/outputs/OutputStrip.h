// COutputStrip: one output strip of the main view's row (template 110): the
// output's caption button (a click selects the output), its speaker-type
// button (a click opens the speaker-type popup, where the user assigns the
// output a type), sixteen mix toggles and the link button of the
// joint-editing groups. The strip changes nothing itself: every action goes
// to its owner (the main view) as a posted message, and the owner drives the
// strip's look. Only the caption and the speaker-type button lie in the
// 99 x 47 pixels the view gives a strip; the toggles and the link button sit
// below and keep their states unseen; the link button moves up to the right
// end of the caption row so that it can be clicked. A right click on the strip shows the
// link-group menu of the joint-debug settings.
#pragma once

#include "pages/PageBase.h"

#include "controls/BitButton.h"

#include <QColor>
#include <QPointer>

#include <cstdint>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class COutputPage;
class QContextMenuEvent;
class QMenu;

// Messages of the strip to its owner (wParam the output index).
enum : unsigned {
    WM_STRIP_SELECT_OUTPUT = WM_USER + 203, // (output, 0): the caption was clicked
    WM_STRIP_COPY = WM_USER + 204,          // to itself on Ctrl+C (no effect)
    WM_STRIP_PASTE = WM_USER + 205,         // to itself on Ctrl+V (no effect)
    WM_STRIP_TOGGLE_FIRST = WM_USER + 209,  // ... +224: (output, new state) of toggle 1..16
    WM_STRIP_SPEAKER_TYPE = WM_USER + 225,  // (output, type 0..24): a type was chosen
};

class COutputStrip : public CStripBase {
public:
    enum : int {
        IDC_CAPTION = 2636,
        IDC_SPEAKER_TYPE = 2847,
        IDC_LINK = 2830,
    };
    static constexpr QRgb kCurrentFrameColor = 0xFF0EB52A; // RGB(14, 181, 42)

    // owner: the window that receives the strip's messages (null: the parent).
    explicit COutputStrip(QWidget* parent, QWidget* owner = nullptr);
    ~COutputStrip() override;

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
    // Shows a popup (the speaker-type popup, the link-group menu) at a screen
    // point and returns the chosen command (-1 for none); tests answer
    // without a menu on screen. Returns the previous one.
    using PopupChooser = std::function<int(QMenu& menu, const QPoint& at)>;
    static PopupChooser SetPopupChooser(PopupChooser chooser);

    // ---- the joint-editing groups and joint-debug settings (OutputStripLinks.cpp)
    // The link button's clicks.
    enum LinkClick : int { kLinkSingle = 1, kLinkDouble = 2, kLinkRight = 3 };
    // A single click joins a group or leaves it (and may rejoin while the
    // output is unedited), a double click opens a new group with this output
    // current, a right click leaves for good.
    virtual void OnLinkClick(int kind);
    // The commands of the link-group menu (resource 962).
    enum : int {
        kCmdNewJointGroup = 32771,     // the joint-debug dialog, new-group mode
        kCmdJoinJointGroup = 32772,    // the joint-debug dialog, join mode
        kCmdLeaveJointGroup = 32773,   // this output leaves its joint-debug group
        kCmdDissolveJointGroup = 32774 // the group falls apart
    };
    virtual void OnLinkGroupCommand(int command);
    int LastLinkClick() const { return m_LastLinkClick; }
    // The link button's picture of group index 0..11; the unlinked picture
    // for any other index.
    static unsigned LinkGroupPicture(int group, bool chinese);
    // The group whose picture the checked link button shows (-1: none).
    int LinkPictureGroup() const { return m_LinkPictureGroup; }
    // Joint-debug masks: the keys of outputs 1..8 all hold all eight; this
    // output's key links it with another of them.
    static bool AreAllMasksFull();
    bool HasMaskPartner() const;
    // The link-group menu with its items enabled for this output (null for
    // outputs 9..12, which the masks do not cover), and its showing.
    std::unique_ptr<QMenu> BuildLinkGroupMenu();
    void OpenLinkGroupMenu(const QPoint& at);

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
    // A strip cut short of its template (the view shows 99 x 47 pixels)
    // would hide its link button: it moves to the right end of the caption
    // row, where it can be clicked.
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A right click on the strip (not on its link button) shows the
    // link-group menu.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static const PopupChooser& CurrentPopupChooser();
    // The joint-editing steps (OutputStripLinks.cpp).
    COutputPage* OutputPage() const;
    COutputStrip* StripOf(int output) const;
    void SetCaption(int output, bool checked);
    void CheckGroupCaptionsTogether(int group);
    void JoinVia(int source);
    void MakeCurrentAlone();
    void UncheckCaptionsOnLeave();
    void FinishLinkClick(bool checked);
    void ShowLinkPicture(bool chinese);
    void RefuseNewGroup();
    void LeaveJointDebugGroup(COutputPage& page);
    void StoreJointDebugMasks(COutputPage& page, const std::array<int, 8>& masks,
                              const std::vector<int>& written);
    void DissolveJointDebugGroup(COutputPage& page);

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
    int m_LinkPictureGroup = -1;
};
