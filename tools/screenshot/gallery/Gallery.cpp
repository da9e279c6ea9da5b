#include "tools/screenshot/gallery/Gallery.h"

#include "model/Globals.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <map>

namespace {

std::map<QString, PoseFunction>& Registry() {
    static std::map<QString, PoseFunction> shots;
    return shots;
}

} // namespace

ShotRegistration::ShotRegistration(const char* name, PoseFunction pose) {
    Registry()[QString::fromUtf8(name)] = std::move(pose);
}

std::vector<Shot> Shots() {
    std::vector<Shot> shots;
    for (const auto& [name, pose] : Registry())
        shots.push_back({name, pose});
    return shots;
}

bool Gallery::Chinese() const {
    return g_LanguageFlag.load() != 0;
}

void Gallery::Settle(int ms) {
    WaitFor([] { return false; }, ms);
}

bool Gallery::WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

QImage Gallery::Compose(QWidget* window, const std::vector<QWidget*>& over) {
    QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // Only the window's region shows on a screen (the main frame's is cut
    // inside its edges); not every platform cuts it.
    if (!window->mask().isEmpty()) p.setClipRegion(window->mask());
    p.drawPixmap(0, 0, window->grab());
    p.setClipping(false);
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    for (QWidget* w : over)
        if (w && w->isVisible()) p.drawPixmap(w->mapToGlobal(QPoint(0, 0)) - origin, w->grab());
    return image;
}

QImage Gallery::WhileModal(const std::function<void()>& open) {
    QImage picture;
    QTimer poll;
    poll.setInterval(20);
    int seen = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        // A few ticks shown first, so that it has laid itself out and painted.
        if (!modal || ++seen < 4) return;
        poll.stop();
        picture = modal->grab().toImage();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
    });
    poll.start();
    open();
    return picture;
}
