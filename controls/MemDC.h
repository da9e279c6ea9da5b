// Double-buffered drawing: a CMemDC stands in for a painter, collects the
// drawing in an off-screen image in the target's coordinates and copies it to
// the target in one block (at Flush or when it goes out of scope). A painter
// on a printer or PDF draws straight into its target instead.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

class CMemDC {
public:
    // area: the buffered area in the target's logical coordinates (null: the
    // target's clip box, or its whole device without clipping).
    // copyBackground: start from what the target shows there (an image or
    // pixmap target is copied; over a window the buffer starts clear and is
    // laid over what is there); false: start filled with the target's
    // background colour.
    CMemDC(QPainter* target, const QRect* area = nullptr, bool copyBackground = false);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // Copies the picture to the target now; later nothing more is copied.
    void Flush();

    // The painter to draw with.
    QPainter* operator->() { return painter(); }
    QPainter& operator*() { return *painter(); }
    QPainter* painter() { return isMemDC_ ? &buffer_ : target_; }

    bool IsMemDC() const { return isMemDC_; }
    QRect Rect() const { return rect_; }

protected:
    enum class Start { Copy, Fill, Nothing };
    CMemDC(QPainter* target, const QRect* area, Start start);

private:
    void Init(const QRect* area, Start start);

    QPainter* target_;
    QRect rect_;       // logical
    QRect deviceRect_; // in the target's device pixels
    bool isMemDC_;
    bool flushed_ = false;
    bool overlay_ = false; // the buffer is laid over the target, not copied
    QImage image_;
    QPainter buffer_;
};

// The progress bar's lighter buffer: over the target's clip box, in default
// coordinates, and without initial content (the drawing covers it all).
class CClipMemDC : public CMemDC {
public:
    explicit CClipMemDC(QPainter* target) : CMemDC(target, nullptr, Start::Nothing) {}
};
