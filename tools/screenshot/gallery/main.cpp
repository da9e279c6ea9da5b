// lumara-gallery: pictures of every window of the program, in English and
// Chinese, against the simulated device (see Gallery.h for adding a shot).
//
//   lumara-gallery [--out DIR] [--only NAME] [--list]
//
// Writes DIR/NAME-en.png and DIR/NAME-zh.png (DIR defaults to
// /tmp/lumara-gallery), each language in a process of its own started from
// this one, then checks that every picture is there and is not blank. Runs
// on Qt's offscreen platform with a 1400 x 800 screen unless
// QT_QPA_PLATFORM names another (an X server: QT_QPA_PLATFORM=xcb).
#include "tools/screenshot/gallery/ProgramGallery.h"

#include "app/MainWindow.h"
#include "platform/Display.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kLanguages[] = {"en", "zh"};

// No network adapter on the device's subnet and no answer to a ping: the
// view links over the simulated USB side only (nothing leaves the process).
class NoAdapters : public INetAdapters {
public:
    std::vector<NetAdapter> List() override { return {}; }
};
class NoAnswer : public IPinger {
public:
    bool Ping(const std::string&, int, const CancelCheck&) override { return false; }
};

class Runner : public ProgramGallery {
public:
    Runner()
        : ProgramGallery("/dev/hidraw-sim", std::make_unique<NoAdapters>(),
                         std::make_unique<NoAnswer>()) {
        hid_.Plug(devicePath_, &device_);
    }

    bool Start(const char* language) {
        app_.Settings().Write("DspMcu", "Language",
                              std::strcmp(language, "zh") == 0 ? "Chinese" : "English");
        if (!app_.InitInstance({}) || !view_) return false;
        // The top-left corner, so that popups open where they would on a desktop.
        app_.MainFrame()->move(0, 0);
        // The first connection attempt links the simulated device and reads its data.
        return WaitForData(0);
    }
    void Stop() { app_.ExitInstance(); }

    bool GoOnline() override {
        const int before = view_->loads;
        view_->Session().ConnectUsb();
        return WaitForData(before);
    }
};

// One language: every shot (or one) into out.
int RunLanguage(const char* language, const QString& out, const QString& only) {
    Runner runner;
    if (!runner.Start(language)) {
        std::fprintf(stderr,
                     "lumara-gallery: the program did not load the simulated device's data\n");
        return 1;
    }
    int failures = 0;
    for (const Shot& shot : Shots()) {
        if (!only.isEmpty() && shot.name != only) continue;
        Pose pose = shot.pose(runner);
        runner.Settle();
        QImage picture = pose.picture;
        if (picture.isNull() && pose.window) picture = Gallery::Compose(pose.window, pose.over);
        const QString file = QDir(out).filePath(shot.name + QLatin1Char('-') +
                                                QLatin1String(language) + QStringLiteral(".png"));
        if (picture.isNull() || !picture.save(file)) {
            std::fprintf(stderr, "lumara-gallery: no picture of %s\n", qPrintable(shot.name));
            ++failures;
        }
        if (pose.undo) pose.undo();
        runner.Settle();
        // The next shot starts linked, as every shot does.
        if (!runner.View().IsConnected() && !runner.GoOnline()) {
            std::fprintf(stderr, "lumara-gallery: %s left the device unlinked\n",
                         qPrintable(shot.name));
            ++failures;
        }
    }
    runner.Stop();
    return failures ? 1 : 0;
}

// A picture that is there, and shows more than a blank or a single colour.
QString CheckPicture(const QString& file) {
    QImage image(file);
    if (image.isNull()) return QStringLiteral("missing or not a picture");
    image = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    // The start page, the plainest window, has six colours; a blank picture one.
    return colours.size() < 4 ? QStringLiteral("blank (%1 colours)").arg(colours.size())
                              : QString();
}

int Usage() {
    std::fprintf(stderr, "usage: lumara-gallery [--out DIR] [--only NAME] [--list]\n");
    return 2;
}

// Qt's offscreen platform with a screen as large as a desktop's, unless
// another platform is asked for.
void ChoosePlatform(const QString& folder) {
    const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
    if (!asked.isEmpty() && asked != "offscreen") return;
    const QString config = QDir(folder).filePath(QStringLiteral("offscreen.json"));
    QFile f(config);
    if (f.open(QIODevice::WriteOnly))
        f.write(R"({"screens": [{"name": "gallery", "x": 0, "y": 0, "width": 1400, "height": 800,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
}

} // namespace

int main(int argc, char** argv) {
    QString out = QStringLiteral("/tmp/lumara-gallery");
    QString only;
    const char* language = nullptr;
    bool list = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            out = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc)
            language = argv[++i];
        else if (std::strcmp(argv[i], "--list") == 0)
            list = true;
        else
            return Usage();
    }
    if (list) {
        for (const Shot& shot : Shots())
            std::printf("%s\n", qPrintable(shot.name));
        return 0;
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "lumara-gallery: cannot make %s\n", qPrintable(out));
        return 1;
    }
    out = QDir(out).absolutePath();

    if (language) {
        // One language, in this process. The offscreen platform's notes on
        // what it cannot do (raise, grab the keyboard, masks) say nothing here.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                  const QString& text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        });
        platform::PrepareDisplay();
        QApplication qt(argc, argv);
        return RunLanguage(language, out, only);
    }

    // Each language in a process of its own: the language is the program's
    // from its start, as a user who set it would see it.
    QCoreApplication self(argc, argv);
    QTemporaryDir scratch;
    ChoosePlatform(scratch.path());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", scratch.path().toLocal8Bit());
    // Both languages at once.
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const char* lang : kLanguages) {
        QStringList args{QStringLiteral("--out"), out, QStringLiteral("--language"),
                         QLatin1String(lang)};
        if (!only.isEmpty()) args << QStringLiteral("--only") << only;
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->setProcessChannelMode(QProcess::ForwardedChannels);
        runs.back()->start(QCoreApplication::applicationFilePath(), args);
    }
    int failures = 0;
    for (auto& run : runs)
        if (!run->waitForFinished(120000) || run->exitStatus() != QProcess::NormalExit ||
            run->exitCode() != 0)
            ++failures;
    int pictures = 0;
    for (const Shot& shot : Shots()) {
        if (!only.isEmpty() && shot.name != only) continue;
        for (const char* lang : kLanguages) {
            const QString file = QDir(out).filePath(shot.name + QLatin1Char('-') +
                                                    QLatin1String(lang) + QStringLiteral(".png"));
            const QString fault = CheckPicture(file);
            if (fault.isEmpty()) {
                ++pictures;
                continue;
            }
            std::fprintf(stderr, "lumara-gallery: %s: %s\n", qPrintable(file), qPrintable(fault));
            ++failures;
        }
    }
    std::printf("%d pictures in %s\n", pictures, qPrintable(out));
    return failures ? 1 : 0;
}
