#include "controls/SkinButton.h"

#include "platform/Fonts.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVariant>

#include <algorithm>

namespace {

constexpr const char* kGroupStartProperty = "lumaraGroupStart";

QImage LoadFace(unsigned id) {
    QImage img;
    if (id) LoadBitmapResource(id, img);
    return img;
}

void DrawEdge(QPainter& p, const QRect& r, bool sunken) {
    const QColor outerTL = sunken ? ctl::kButtonShadow : ctl::kButtonLight;
    const QColor innerTL = sunken ? ctl::kButtonDarkShadow : ctl::kButtonHighlight;
    const QColor outerBR = sunken ? ctl::kButtonHighlight : ctl::kButtonDarkShadow;
    const QColor innerBR = sunken ? ctl::kButtonLight : ctl::kButtonShadow;
    auto frame = [&p](const QRect& b, const QColor& tl, const QColor& br) {
        p.setPen(tl);
        p.drawLine(b.topLeft(), b.topRight());
        p.drawLine(b.topLeft(), b.bottomLeft());
        p.setPen(br);
        p.drawLine(b.bottomLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomRight());
    };
    frame(r, outerTL, outerBR);
    frame(r.adjusted(1, 1, -1, -1), innerTL, innerBR);
}

} // namespace

CSkinButton::CSkinButton(QWidget* parent, int id, Behaviour behaviour)
    : SkinButtonBase(parent, id), behaviour_(behaviour), captionFont_(platform::ArialFont(18, 500)),
      holdTimer_([this] {
          if (QWidget* parent = parentWidget())
              platform::PostMessage(parent, WM_HOLD_REPORT, static_cast<WPARAM>(ControlId(this)),
                                    holdValue_);
      }) {}

void CSkinButton::LoadSkin(unsigned normal, unsigned pressed, unsigned hover, unsigned disabled,
                           unsigned focused, unsigned mask, int drawMode, int border, int margin) {
    normal_ = LoadFace(normal);
    pressedFace_ = LoadFace(pressed);
    hoverFace_ = LoadFace(hover);
    disabled_ = LoadFace(disabled ? disabled : normal);
    // A disabled picture the skin lacks: the normal face dimmed, not a blank box.
    if (disabled_.isNull()) disabled_ = ctl::Dimmed(normal_);
    focused_ = LoadFace(focused);
    mask_ = LoadFace(mask);
    drawMode_ = DrawMode(std::clamp(drawMode, 0, 2));
    border_ = border;
    margin_ = std::max(margin, 0);
    region_ = QRegion();
    if (!mask_.isNull()) {
        if (drawMode_ == kNormal) resize(mask_.size());
        region_ = RegionFromMask(drawMode_ == kNormal ? mask_ : mask_.scaled(size()));
        // An empty shape leaves nothing of the button to see.
        setMask(region_.isEmpty() ? QRegion(-1, -1, 1, 1) : region_);
    } else {
        clearMask();
    }
    if (QWidget* parent = parentWidget()) parent->update(geometry());
    update();
}

QColor CSkinButton::SetNormalTextColor(QColor color) {
    const QColor previous = textColor_;
    textColor_ = color;
    return previous;
}

void CSkinButton::EnableHoldNotify(int value) {
    holdOn_ = true;
    holdValue_ = value;
}

void CSkinButton::SetGroupStart(QWidget* control, bool first) {
    control->setProperty(kGroupStartProperty, first);
}

void CSkinButton::SetCheck(int checked) {
    const bool was = checked_;
    checked_ = checked != 0 && behaviour_ != kPush;
    if (behaviour_ == kRadio && checked_ && !was) UncheckGroup();
    update();
}

void CSkinButton::UncheckGroup() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    QList<QWidget*> siblings;
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow()) siblings << w;
    const qsizetype self = siblings.indexOf(this);
    qsizetype first = self;
    while (first > 0 && !siblings[first]->property(kGroupStartProperty).toBool())
        --first;
    for (qsizetype i = first; i < siblings.size(); ++i) {
        QWidget* w = siblings[i];
        if (i > first && w->property(kGroupStartProperty).toBool()) break;
        if (w != this && w->isVisibleTo(parent) && w->isEnabled())
            platform::PostMessage(w, WM_RADIO_UNCHECK, 0, 0);
    }
}

LRESULT CSkinButton::WindowProc(unsigned msg, WPARAM, LPARAM) {
    if (msg == WM_RADIO_UNCHECK && checked_) {
        checked_ = false;
        update();
    }
    return 0;
}

QRegion CSkinButton::RegionFromMask(const QImage& mask, QRgb seeThrough) {
    QRegion region;
    const QImage img = mask.convertToFormat(QImage::Format_RGB32);
    const QRgb clear = seeThrough | 0xFF000000u;
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width();) {
            if (row[x] == clear) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < img.width() && row[x] != clear)
                ++x;
            region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

void CSkinButton::DrawFaceImage(QPainter& p, const QImage& face) {
    if (drawMode_ == kTile) {
        p.drawTiledPixmap(rect(), QPixmap::fromImage(face));
        return;
    }
    QImage shown = drawMode_ == kStretch ? face.scaled(size()) : face.copy(rect());
    if (!mask_.isNull()) {
        // Where the mask is white the background stays.
        const QImage m = (drawMode_ == kStretch ? mask_.scaled(size()) : mask_.copy(rect()))
                             .convertToFormat(QImage::Format_RGB32);
        shown = shown.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < shown.height() && y < m.height(); ++y)
            for (int x = 0; x < shown.width() && x < m.width(); ++x)
                if (m.pixel(x, y) == 0xFFFFFFFFu) shown.setPixel(x, y, 0);
    }
    p.drawImage(0, 0, shown);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    QRect t = r.adjusted(margin_ + 2, 0, -(margin_ + 2), 0);
    const QString caption = text();
    auto face = [&](const QImage& img) {
        if (img.isNull())
            p.fillRect(r, ctl::kButtonFace);
        else
            DrawFaceImage(p, img);
    };
    if (!isEnabled()) {
        face(disabled_);
        if (border_) DrawEdge(p, r, false);
        const QRect at = checked_ ? t.translated(1, 1) : t;
        p.setPen(ctl::kButtonHighlight);
        p.drawText(at, Qt::AlignCenter | Qt::TextSingleLine, caption);
        p.setPen(ctl::kGrayText);
        p.drawText(at.translated(-1, -1), Qt::AlignCenter | Qt::TextSingleLine, caption);
        return;
    }
    if (isDown() || checked_) {
        face(pressedFace_);
        t.translate(1, 1);
        if (border_) DrawEdge(p, r, true);
    } else {
        if (normal_.isNull())
            face(QImage());
        else if (hover_ && !hoverFace_.isNull())
            face(hoverFace_);
        else if (hasFocus() && !focused_.isNull())
            face(focused_);
        else
            face(normal_);
        if (border_) DrawEdge(p, r, false);
    }
    if (hasFocus() && margin_ > 0) {
        p.setPen(QPen(ctl::kWindowText, 1, Qt::DotLine));
        p.drawRect(r.adjusted(margin_, margin_, -margin_ - 1, -margin_ - 1));
    }
    p.setFont(captionFont_);
    p.setPen(hover_ || pressed_ ? highlightColor_ : textColor_);
    p.drawText(t, Qt::AlignCenter | Qt::TextSingleLine, caption);
}

void CSkinButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        hover_ = false; // a press ends the hover look
        if (holdOn_) holdTimer_.Start(kHoldMs);
    }
    SkinButtonBase::mousePressEvent(e);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const bool over = rect().contains(e->position().toPoint());
        if (over && behaviour_ == kRadio) SetCheck(1);
        if (over && behaviour_ == kCheck) SetCheck(checked_ ? 0 : 1);
        if (holdOn_) holdTimer_.Stop();
    }
    SkinButtonBase::mouseReleaseEvent(e);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* e) {
    // No hover look while held; the pushed look follows the pointer instead.
    if (!pressed_ && !hover_ && rect().contains(e->position().toPoint())) SetHover(true);
    QAbstractButton::mouseMoveEvent(e);
}

void CSkinButton::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat()) {
        if (behaviour_ == kCheck) SetCheck(checked_ ? 0 : 1);
        if (behaviour_ == kRadio) SetCheck(1);
    }
    QAbstractButton::keyPressEvent(e);
}

void CSkinButton::focusOutEvent(QFocusEvent* e) {
    if (pressed_) {
        if (holdOn_) holdTimer_.Stop();
        SetPressed(false);
    }
    SkinButtonBase::focusOutEvent(e);
}
