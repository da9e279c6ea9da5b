#include "platform/Fonts.h"

#include "platform/DialogUnits.h"

#include <QStringList>

#include <algorithm>

namespace platform {

int PixelSizeForHeight(int height) {
    if (height == 0) return 12; // "any size": the usual dialog text size
    int px = height < 0 ? -height : MulDiv(height, 2048, 2288);
    return std::max(px, 1);
}

QFont FaceFont(const QString& face, int height, int weight) {
    QFont f;
    f.setFamilies(
        {face, QString::fromLatin1(kMetricFallbackFace), QString::fromLatin1(kChineseFace)});
    f.setPixelSize(PixelSizeForHeight(height));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    f.setStyleHint(QFont::SansSerif);
    return f;
}

} // namespace platform
