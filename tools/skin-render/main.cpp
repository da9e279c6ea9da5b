// skin-render: draws pictures of the skin catalogue into PNG files, so that
// anyone can look at them.
//
//   skin-render [--out DIR] [--scale FACTOR] [--list] [ID ...]
//
// Without ids it draws every picture the catalogue knows, as DIR/ID.png
// (DIR defaults to the current folder); --scale draws them that many times
// larger (the build draws the desktop's icons so). --list prints the
// catalogue instead: id, set, size, role, look and what the picture shows.
#include "platform/Display.h"
#include "platform/Skin.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* SetName(skin::Set set) {
    switch (set) {
    case skin::Set::Chinese:
        return "zh";
    case skin::Set::English:
        return "en";
    case skin::Set::Both:
        return "zh+en";
    }
    return "";
}

int Usage() {
    std::fprintf(stderr, "usage: skin-render [--out DIR] [--scale FACTOR] [--list] [ID ...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareDisplay();
    QGuiApplication app(argc, argv);

    QString out = QStringLiteral(".");
    bool list = false;
    double scale = 1;
    std::vector<int> ids;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            bool ok = false;
            scale = QString::fromLocal8Bit(argv[++i]).toDouble(&ok);
            if (!ok || scale <= 0 || scale > 64) return Usage();
        } else if (std::strcmp(argv[i], "--list") == 0) {
            list = true;
        } else {
            bool ok = false;
            const int id = QString::fromLocal8Bit(argv[i]).toInt(&ok);
            if (!ok) return Usage();
            ids.push_back(id);
        }
    }

    const skin::Catalogue& catalogue = skin::Catalogue::Program();
    for (const QString& e : catalogue.Errors())
        std::fprintf(stderr, "catalogue: %s\n", qPrintable(e));
    if (ids.empty())
        for (const skin::Picture& p : catalogue.Pictures())
            ids.push_back(p.id);

    if (list) {
        QTextStream s(stdout);
        for (int id : ids) {
            const skin::Picture* p = catalogue.Find(id);
            if (!p) continue;
            s << p->id << '\t' << SetName(p->set) << '\t' << p->size.width() << 'x'
              << p->size.height() << '\t' << skin::RoleName(p->role) << '\t'
              << (p->state.isEmpty() ? QStringLiteral("-") : p->state) << '\t' << p->shows << '\n';
        }
        return catalogue.Errors().isEmpty() ? 0 : 1;
    }

    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "skin-render: cannot make %s\n", qPrintable(out));
        return 1;
    }
    int failures = 0;
    for (int id : ids) {
        const skin::Picture* picture = catalogue.Find(id);
        const QImage img = !picture     ? QImage()
                           : scale == 1 ? skin::Image(id)
                                        : skin::Render(*picture, scale);
        const QString file = QDir(out).filePath(QString::number(id) + QStringLiteral(".png"));
        // An opaque picture is kept without an alpha channel; its file has one all the same.
        if (img.isNull()) {
            std::fprintf(stderr, "skin-render: no picture %d\n", id);
            ++failures;
        } else if (!img.convertToFormat(QImage::Format_ARGB32_Premultiplied).save(file)) {
            std::fprintf(stderr, "skin-render: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    std::printf("%zu pictures drawn into %s\n", ids.size() - failures, qPrintable(out));
    return failures || !catalogue.Errors().isEmpty() ? 1 : 0;
}
