// Static texts of the skinned dialogs.
// - CTransparentStatic: text in a colour of its own straight on the parent's
//   picture; a new text repaints the parent under it first, so the old text
//   goes.
// - CHyperlink: a hyperlink: its text turns red under the pointer and a click
//   opens the text (an address) with the desktop's handler.
// Both lay their text out by the static styles of the templates.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

// Static styles that shape the text.
constexpr unsigned SS_CENTER = 0x1;
constexpr unsigned SS_RIGHT = 0x2;
constexpr unsigned SS_LEFTNOWORDWRAP = 0xC;
constexpr unsigned SS_NOPREFIX = 0x80;
constexpr unsigned SS_NOTIFY = 0x100;
constexpr unsigned SS_CENTERIMAGE = 0x200;
constexpr unsigned SS_ENDELLIPSIS = 0x4000;
constexpr unsigned SS_PATHELLIPSIS = 0x8000;
constexpr unsigned SS_WORDELLIPSIS = 0xC000;

// How a static style lays its text out.
struct StaticTextLayout {
    int flags;               // Qt alignment and text flags
    Qt::TextElideMode elide; // Qt::ElideNone when the text is not cut
};
StaticTextLayout LayoutOfStaticStyle(unsigned style);
void DrawStaticText(QPainter& painter, const QRect& rect, const QString& text, unsigned style);

class CTransparentStatic : public QWidget {
public:
    explicit CTransparentStatic(QWidget* parent = nullptr, unsigned style = 0);

    void SetTextColor(QColor color);
    QColor TextColor() const { return textColor_; }
    // Sets the text only when it differs from the last one set here.
    void SetText(const QString& text);
    void setText(const QString& text);
    QString text() const { return text_; }
    unsigned Style() const { return style_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    unsigned style_;
    QColor textColor_{0, 0, 0};
    QString text_;
    QString lastSet_;
};

class CHyperlink : public QWidget {
public:
    using Opener = std::function<void(const QString& address)>;

    explicit CHyperlink(QWidget* parent = nullptr, unsigned style = SS_NOTIFY);

    void setText(const QString& text);
    QString text() const { return text_; }
    bool IsHover() const { return hover_; }
    QColor CurrentTextColor() const { return hover_ ? hoverColor_ : normalColor_; }

    // How addresses are opened (tests keep them from reaching the desktop).
    static Opener SetOpener(Opener opener);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHover(bool hover);

    unsigned style_;
    QString text_;
    bool hover_ = false;
    QColor normalColor_{0, 0, 0};
    QColor hoverColor_{255, 0, 0};
    QColor background_{229, 229, 229};
};
