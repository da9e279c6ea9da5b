// Pictures written as NAME-en.png and NAME-zh.png into a folder.
#pragma once

#include <QDir>
#include <QImage>
#include <QString>

#include <functional>

// The save function a drawing gets: the picture and its name.
using SaveSnapshot = std::function<void(const QImage&, const char*)>;

// Calls draw for English (0) and Chinese (1); every picture it saves is
// written into the folder. False when the folder or a picture could not be
// written, or a picture is empty.
inline bool SaveInBothLanguages(const QString& folder,
                                const std::function<void(int, const SaveSnapshot&)>& draw) {
    if (!QDir().mkpath(folder)) return false;
    const QDir dir(folder);
    bool ok = true;
    for (int language : {0, 1}) {
        const QString lang = language ? QStringLiteral("zh") : QStringLiteral("en");
        draw(language, [&](const QImage& image, const char* name) {
            ok &= !image.isNull() &&
                  image.save(
                      dir.filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(name), lang)));
        });
    }
    return ok;
}
