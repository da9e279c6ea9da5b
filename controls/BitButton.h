// CBitButton: the program's skinned push and toggle button. It draws one
// picture per look (normal, hover, pressed) of each state (off, on) and per
// state while disabled (the state's normal picture dimmed where no disabled
// picture is given or the skin lacks it), with an optional caption in a
// colour and font per look. A click does not toggle it: the owner calls SetCheck. Clicks reach
// the parent as WM_COMMAND (id, BN_CLICKED); two kinds of button report more:
// - the speaker button of an output panel (id 2830) posts WM_USER+220 to its
//   parent: 0x201 for a single click 210 ms after the press (a double click
//   within that time cancels it), 0x203 for a double click, 0x204 when the
//   right button is released over it;
// - the scene picker's slot buttons (ids 2819..2824) post WM_USER+221 (0x204,
//   id) when the right button is released over them while g_ScenePickerOpen
//   is 1.
#pragma once

#include "controls/ControlTimer.h"
#include "controls/SkinButtonBase.h"

#include <QColor>
#include <QPointer>

class QFont;

class CBitButton : public ctl::SkinButtonBase {
public:
    // The looks, in the order of the setters' arguments.
    enum Look {
        OffNormal,
        OffHover,
        OffPressed,
        OnNormal,
        OnHover,
        OnPressed,
        DisabledOff,
        DisabledOn
    };

    // The speaker button's click timer: its 200 ms and the 10 ms the notice
    // waits after it.
    static constexpr int kClickTimerMs = 210;

    // Disabled caption formats (text-drawing flags).
    static constexpr unsigned kDtLeft = 0x0;
    static constexpr unsigned kDtCenter = 0x1;
    static constexpr unsigned kDtRight = 0x2;

    explicit CBitButton(QWidget* parent = nullptr, int id = 0);

    // Off normal, hover, pressed; on normal, hover, pressed. An on id of 0
    // takes the off id of the same look.
    void SetBitmaps(unsigned offNormal, unsigned offHover, unsigned offPressed,
                    unsigned onNormal = 0, unsigned onHover = 0, unsigned onPressed = 0);
    void SetOnBitmap(unsigned id);
    void SetDisabledBitmaps(unsigned off, unsigned on);
    // Normal pictures used instead while UseAltBitmaps is on.
    void SetAltBitmaps(unsigned off, unsigned on);
    void UseAltBitmaps(bool use);

    void SetTextColors(QColor offNormal, QColor offHover, QColor offPressed, QColor onNormal,
                       QColor onHover, QColor onPressed);
    void SetDisabledTextColor(QColor color);
    // Fonts belong to the caller and must outlive the button; null: the
    // button's own font. A null on font takes the off font of the same look.
    void SetFonts(const QFont* offNormal, const QFont* offHover, const QFont* offPressed,
                  const QFont* onNormal, const QFont* onHover, const QFont* onPressed);
    void SetDisabledFont(const QFont* font);
    // kDtLeft, kDtCenter or kDtRight; always vertically centred on one line.
    void SetDisabledTextFormat(unsigned format);
    void SetDisabledTextIndent(int pixels);
    // A multi-line caption is drawn white as a vertically centred block.
    void SetMultiLineText(bool enable, int value = 4);

    // Any non-zero state is on; GetCheck returns the state as given.
    void SetCheck(int state);
    int GetCheck() const { return on_; }
    void SetUserData(int value) { userData_ = value; }
    int GetUserData() const { return userData_; }

    // Buttons that take this button's hover look while it is off.
    void SetPartners(CBitButton* first, CBitButton* second) { SetPartnerButtons(first, second); }

    // 0 hides the button (and forgets its partners); any other value shows it.
    virtual void ShowWindow(int command);

    // What the button shows now.
    struct Shown {
        Look look;
        unsigned bitmap;
        QColor textColor;
        const QFont* font; // null: the button's own font
    };
    Shown Current() const;
    // The speaker button's click timer (tests tick it by hand).
    ControlTimer& ClickTimer() { return clickTimer_; }

    QSize sizeHint() const override;

protected:
    void Refresh() override;
    bool LendsHover() const override { return on_ == 0; } // an on button leaves its partners alone
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnClickTimer();
    bool IsSceneSlot() const;

    // By Look; the disabled colour and font are kept once, at DisabledOff.
    unsigned bitmaps_[8] = {};
    unsigned altBitmaps_[2] = {}; // off, on
    bool useAlt_ = false;
    QColor colors_[7];
    const QFont* fonts_[7] = {};
    unsigned disabledFormat_ = kDtCenter;
    int disabledIndent_ = 0;
    bool multiLine_ = false;
    int multiLineValue_ = 4;

    int on_ = 0;
    int userData_ = -1;
    ControlTimer clickTimer_;
    QPointer<QWidget> clickParent_;
};
