// The program's pictures, drawn at run time from the skin catalogue in one
// look (antialiased, dark panels, green for "on") and cached. Every bitmap
// and PNG the program shows is loaded through here.
#pragma once

#include "platform/SkinCatalogue.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>

#include <vector>

class QPainter;

namespace skin {

// Draws a picture afresh (no cache), exactly picture.size; a scale draws it
// that many times larger with the same proportions (the desktop's icons).
QImage Render(const Picture& picture, qreal scale = 1);
// A part of the picture of a program id drawn afresh and not kept, the same
// pixels as that part of the whole (a large picture that is mostly hidden
// is drawn where it shows). A null image for an unknown id.
QImage RenderPart(int id, const QRect& part);

// The picture of a program id, drawn once and kept; a null image for an id
// the catalogue does not know. Safe from any thread. A picture without a
// transparent pixel is kept as Format_RGB32, the form a pixmap of it takes.
QImage Image(int id);
// The same as a pixmap, sharing the kept picture's pixels (user-interface
// thread only).
QPixmap Pixmap(int id);
// The catalogue size of an id; an invalid size for an unknown id.
QSize Size(int id);

void ClearCache();
// Lets go of the kept pictures of the other language's set (after a language
// switch); a window that still holds one keeps it until it lets go.
void ReleaseOtherLanguage(bool chinese);
// The ids of the kept pictures, in order (for tests).
std::vector<int> CachedIds();

// A window's picture with one id per language: drawn at its first use, and
// held in one language only.
class LanguagePixmap {
public:
    LanguagePixmap() = default;
    LanguagePixmap(int english, int chinese) : ids_{english, chinese} {}
    // The picture in that language; one held in the other is let go first.
    const QPixmap& In(bool chinese);
    // Lets go of the picture (a language switch while the window is hidden:
    // the next use draws the new one).
    void Release() { pixmap_ = QPixmap(); }
    bool IsHeld() const { return !pixmap_.isNull(); }

private:
    int ids_[2] = {0, 0};
    QPixmap pixmap_;
    bool chinese_ = false;
};

// A window's large picture with one id per language of which a child window
// covers a part: drawn and kept only in the parts that show, each at its
// first showing (the covered part too if it ever shows), in one language.
class PartedPixmap {
public:
    PartedPixmap(int english, int chinese) : ids_{english, chinese} {}
    // Cuts the picture into the covered part (in the picture's pixels) and
    // the rest; without it the picture is one part.
    void SetCovered(const QRect& covered);
    // Draws the parts that meet the exposed region (in the painter's
    // coordinates) with the picture's corner at origin.
    void Draw(QPainter& p, const QPoint& origin, const QRegion& exposed, bool chinese);
    // Lets go of every part (a language switch).
    void Release();
    // Lets go of the covered part (it is covered again).
    void ReleaseCovered();
    // How many parts are drawn and kept (for tests).
    int HeldParts() const;

private:
    struct Part {
        QRect rect;
        QPixmap pixmap;
    };
    int ids_[2] = {0, 0};
    bool chinese_ = false;
    std::vector<Part> parts_;
};

} // namespace skin

// Loads the picture of a resource id of the given type ("PNG", any case)
// into out and returns 1; returns 0 and leaves out as it was when there is no
// PNG picture of that id.
int LoadPngResource(unsigned id, const char* type, QImage& out);
// The same for bitmap resources.
int LoadBitmapResource(unsigned id, QImage& out);
