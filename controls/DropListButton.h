// CDropListButton: a picture button that works as a drop-down list. Its caption is
// the current choice; a click opens the list of choices just below it (above
// it when the work area has no room below). Choosing an item with the mouse
// closes the list, puts the item on the caption and posts WM_USER+802
// (notification id, index) to the button's parent, exactly once. The mouse
// wheel over the button steps through the choices and reports each step the
// same way. The list is a CDropListPopup popup holding a CDropListBox.
#pragma once

#include "controls/SkinButtonBase.h"

#include <QColor>
#include <QFont>
#include <QListWidget>
#include <QPointer>

class CDropListButton;

// The list of the popup: owner-drawn items on a dark background; the item
// under the mouse is highlighted and becomes the selection.
class CDropListBox : public QListWidget {
public:
    static constexpr int kId = 1825;
    static constexpr int kDefaultItemHeight = 16;

    explicit CDropListBox(QWidget* parent = nullptr);

    int AddString(const QString& text);
    void ResetContent();
    // Only the first call counts. height: the item height (negative: the
    // font's own).
    void SetItemFont(const QFont& font, int height = -1);
    int ItemHeight() const { return itemHeight_; }
    void SetCommittedSel(int index) { committed_ = index; }
    int GetCommittedSel() const { return committed_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int committed_ = 0;
    bool fontSet_ = false;
    int itemHeight_ = kDefaultItemHeight;
    bool pressedInside_ = false;
};

// The popup window of a drop-list button. It closes when the user clicks
// anywhere outside it.
class CDropListPopup : public QWidget {
public:
    explicit CDropListPopup(CDropListButton* owner);

    CDropListBox* List() const { return list_; }
    // The list tells the popup that the user changed its selection: by the
    // mouse the choice goes to the owner, by a key the popup closes and the
    // list returns to the committed choice.
    void OnSelectionChange(int index, bool byMouse);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPointer<CDropListButton> owner_;
    CDropListBox* list_;
};

class CDropListButton : public ctl::SkinButtonBase {
public:
    static constexpr int kMaxListHeight = 130;

    explicit CDropListButton(QWidget* parent = nullptr, int id = 0);
    ~CDropListButton() override;

    // The button takes the normal picture's size.
    void SetBitmaps(unsigned normal, unsigned hover);
    // Without it (or with one the skin lacks) a disabled button shows its
    // normal picture dimmed.
    void SetDisabledBitmap(unsigned id) { disabledBitmap_ = id; }
    // Makes the popup, as wide as the button now is. owner is kept but not
    // used; notificationId is the wParam of WM_USER+802.
    bool CreateDropList(QWidget* owner, int notificationId);
    void AddString(const QString& text);
    void ResetContent();
    // Clamped to the items; the caption shows the item. On an empty list the
    // caption is empty and nothing is selected. Posts nothing.
    void SetCurSel(int index);
    // -1 while nothing is selected.
    int GetCurSel() const;
    int GetCount() const { return count_; }
    void ShowDropList();
    // The warning look, which the owner decides: the caption in the
    // highlight colour, struck out with struckOut. Repaints when it changes.
    void SetWarning(bool on, bool struckOut);
    bool IsWarning() const { return warning_; }

    // Where the popup opens, in screen coordinates: one pixel over the
    // button's bottom edge, n items high but at most maxHeight (an empty list
    // opens maxHeight high); above the button when it would reach past the
    // bottom of the work area.
    static QRect DropRect(const QRect& button, const QRect& workArea, int listWidth, int itemHeight,
                          int count, int maxHeight = kMaxListHeight);

    // What the button shows now.
    enum class FontKind { Own, Normal, StruckOut }; // Own: the button's font
    struct Shown {
        unsigned bitmap;
        FontKind font;
        QColor textColor;
    };
    Shown Current() const;
    CDropListPopup* DropWindow() const { return popup_; }
    int NotificationId() const { return notifyId_; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnChoice(int index);

    unsigned normalBitmap_ = 0;
    unsigned hoverBitmap_ = 0;
    unsigned disabledBitmap_ = 0;
    QColor normalColor_{255, 255, 255};
    QColor hoverColor_{255, 255, 255};
    QColor highlightColor_{255, 0, 0};
    QColor disabledColor_{155, 155, 155};
    QFont normalFont_;
    QFont struckFont_;
    QPointer<QWidget> owner_;
    CDropListPopup* popup_ = nullptr; // a top-level window, owned here
    int listWidth_ = 0;
    int notifyId_ = 0;
    int count_ = 0;
    int wheel_ = 0;
    bool warning_ = false;
    bool warningStruck_ = false;
};
