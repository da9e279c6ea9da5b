// CDelayUnitStrip: the delay unit selector (template 103), a narrow child of the
// output page with three exclusive buttons, milliseconds, centimetres and
// inches. A choice posts WM_USER+8025 (own id, 1 ms / 2 cm / 3 inch) to the
// parent, which shows the delay in that unit. Its reset, lock-output and link
// buttons have no action; the lock-output button mirrors the left/right link.
// The output page keeps it hidden: its drop list offers the same choice.
#pragma once

#include "platform/Message.h"
#include "platform/Skin.h"

#include <QPixmap>
#include <QWidget>

class CBitButton;

enum : unsigned {
    WM_DELAY_UNIT = WM_USER + 8025, // (sender id, 1 ms, 2 cm, 3 inch)
};

class CDelayUnitStrip : public platform::MessageTarget<QWidget> {
public:
    enum : int {
        IDC_MS = 2819,
        IDC_CM = 2820,
        IDC_INCH = 2821,
        IDC_RESET = 2851,
        IDC_LOCK_OUTPUT = 2823,
        IDC_LINK = 2824,
    };

    explicit CDelayUnitStrip(QWidget* parent = nullptr);

    // Each stores its unit's flag and gives its button the pictures of the
    // flag in the language of the moment.
    void SetMsSelected(bool selected);
    void SetCmSelected(bool selected);
    void SetInchSelected(bool selected);
    // The three setters, then the pictures of the other buttons (a language change).
    void SetUnits(bool ms, bool cm, bool inch);

    // A click of a unit button (1 ms, 2 cm, 3 inch).
    void OnUnitButton(int unit);

    bool IsMsSelected() const { return m_Ms; }
    bool IsCmSelected() const { return m_Cm; }
    bool IsInchSelected() const { return m_Inch; }
    CBitButton* Button(int id) const;

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyOtherPictures();
    void SetUnitPictures(int id, bool selected);

    CBitButton* m_Buttons[6] = {};
    skin::LanguagePixmap m_Background{1005, 873};
    bool m_Ms = false;
    bool m_Cm = false;
    bool m_Inch = false;
};
