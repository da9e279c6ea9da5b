// The program's pictures, drawn at run time from the skin catalogue in one
// look (antialiased, dark panels, green for "on") and cached. Every bitmap
// and PNG the program shows is loaded through here.
#pragma once

#include "platform/SkinCatalogue.h"

#include <QImage>
#include <QPixmap>

namespace skin {

// Draws a picture afresh (no cache), exactly picture.size; a scale draws it
// that many times larger with the same proportions (the desktop's icons).
QImage Render(const Picture& picture, qreal scale = 1);

// The picture of a program id, drawn once and kept; a null image for an id
// the catalogue does not know. Safe from any thread.
QImage Image(int id);
// The same as a pixmap (user-interface thread only).
QPixmap Pixmap(int id);
// The catalogue size of an id; an invalid size for an unknown id.
QSize Size(int id);

void ClearCache();

} // namespace skin

// Loads the picture of a resource id of the given type ("PNG", any case)
// into out and returns 1; returns 0 and leaves out as it was when there is no
// PNG picture of that id.
int LoadPngResource(unsigned id, const char* type, QImage& out);
// The same for bitmap resources.
int LoadBitmapResource(unsigned id, QImage& out);
