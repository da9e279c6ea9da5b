// CGroupBox: a group box that paints its own frame, one or two lines in
// colours of its own, with a gap in the top edge where its caption (bold
// Arial 10 pt) sits. CCaptionFont describes such a caption font.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

// A logical font record: height in tenths of a point (as a point font is
// asked for), weight, italic, and a face name of at most 31 characters.
struct CCaptionFont {
    static constexpr int kFaceChars = 32; // with the terminating zero

    CCaptionFont(int height, int weight, bool italic, const char* face);

    int lfHeight = 0;
    int lfWeight = 0;
    unsigned char lfItalic = 0;
    unsigned char lfOutPrecision = 0;
    unsigned char lfClipPrecision = 0;
    unsigned char lfQuality = 0;
    unsigned char lfPitchAndFamily = 0;
    char lfFaceName[kFaceChars] = {};

    // The font at 96 dpi.
    QFont PointFont() const;
};

// Button styles the group box reads.
constexpr unsigned BS_LEFT = 0x100;
constexpr unsigned BS_RIGHT = 0x200;
constexpr unsigned BS_CENTER = 0x300;
constexpr unsigned BS_FLAT = 0x8000;
// Extended styles that narrow the frame or hide the caption.
constexpr unsigned WS_EX_DLGMODALFRAME = 0x1;
constexpr unsigned WS_EX_CLIENTEDGE = 0x200;
constexpr unsigned WS_EX_STATICEDGE = 0x20000;

class CGroupBox : public QWidget {
public:
    enum Alignment { kLeft = 0x100, kRight = 0x200, kCentre = 0x300 };
    enum Frame { kEtched = 11, kDouble = 12, kFlat = 0x8000 };

    // style: BS_LEFT / BS_RIGHT / BS_CENTER and BS_FLAT of the template.
    explicit CGroupBox(QWidget* parent = nullptr, unsigned style = BS_CENTER, unsigned exStyle = 0);

    void SetText(const QString& text, bool redraw = true);
    QString Text() const { return caption_; }

    Alignment GetAlignment() const { return alignment_; }
    Frame GetFrame() const { return frame_; }
    // The frame's rectangle in the control (left, top, right, bottom as
    // points on the lines).
    QRect FrameRect() const;
    // Where the caption's gap in the top edge lies, [x0, x1).
    std::pair<int, int> CaptionGap() const;
    int TopEdgeY() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    unsigned exStyle_;
    QColor line_;
    QColor secondLine_;
    QColor shadow_;
    QColor highlight_;
    bool captionHidden_;
    int lineWidth_ = 1;
    QColor captionColor_{0, 0, 0};
    QFont captionFont_;
    QString caption_;
    Alignment alignment_;
    int margin_ = 8;
    int lift_ = 0;
    Frame frame_;
};
