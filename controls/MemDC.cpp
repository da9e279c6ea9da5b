#include "controls/MemDC.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>

#include <cassert>

namespace {

// A printer, or a PDF writer: pages, not pixels.
bool IsPrinting(const QPainter* p) {
    if (p->device() && p->device()->devType() == QInternal::Printer) return true;
    return p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Pdf;
}

} // namespace

CMemDC::CMemDC(QPainter* target, const QRect* area, bool copyBackground)
    : target_(target), isMemDC_(!IsPrinting(target)) {
    Init(area, copyBackground ? Start::Copy : Start::Fill);
}

CMemDC::CMemDC(QPainter* target, const QRect* area, Start start)
    : target_(target), isMemDC_(!IsPrinting(target)) {
    Init(area, start);
}

void CMemDC::Init(const QRect* area, Start start) {
    assert(target_ && target_->isActive());
    QPaintDevice* device = target_->device();
    if (area)
        rect_ = *area;
    else if (target_->hasClipping())
        rect_ = target_->clipBoundingRect().toAlignedRect();
    else
        rect_ =
            target_->transform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    if (!isMemDC_) return;

    deviceRect_ = target_->transform().mapRect(rect_);
    const qreal dpr = device->devicePixelRatioF();
    image_ = QImage(deviceRect_.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image_.setDevicePixelRatio(dpr);
    switch (start) {
    case Start::Copy:
        if (device->devType() == QInternal::Image) {
            image_ = static_cast<QImage*>(device)
                         ->copy(QRect(deviceRect_.topLeft() * dpr, deviceRect_.size() * dpr))
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            image_.setDevicePixelRatio(dpr);
        } else if (device->devType() == QInternal::Pixmap) {
            image_ = static_cast<QPixmap*>(device)
                         ->copy(QRect(deviceRect_.topLeft() * dpr, deviceRect_.size() * dpr))
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            image_.setDevicePixelRatio(dpr);
        } else {
            // A window's pixels cannot be read back here: draw on a clear
            // buffer and lay it over what the window already shows.
            image_.fill(Qt::transparent);
            overlay_ = true;
        }
        break;
    case Start::Fill:
        image_.fill(target_->background().color());
        break;
    case Start::Nothing:
        image_.fill(Qt::transparent);
        break;
    }
    buffer_.begin(&image_);
    buffer_.setRenderHints(target_->renderHints());
    buffer_.setFont(target_->font());
    buffer_.setBackground(target_->background());
    // Drawing keeps the target's coordinates.
    buffer_.setTransform(target_->transform() *
                         QTransform::fromTranslate(-deviceRect_.left(), -deviceRect_.top()));
}

void CMemDC::Flush() {
    if (!isMemDC_ || flushed_) return;
    buffer_.end();
    target_->save();
    target_->resetTransform();
    target_->setCompositionMode(overlay_ ? QPainter::CompositionMode_SourceOver
                                         : QPainter::CompositionMode_Source);
    target_->drawImage(deviceRect_.topLeft(), image_);
    target_->restore();
    flushed_ = true;
}

CMemDC::~CMemDC() {
    Flush();
}
