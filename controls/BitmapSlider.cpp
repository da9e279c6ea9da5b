#include "controls/BitmapSlider.h"

#include "controls/ControlNotify.h"
#include "controls/NumEdit.h"
#include "controls/SkinControl.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

CBitmapSlider::CBitmapSlider(QWidget* parent)
    : MessageTarget<QWidget>(parent), moveTimer_(new QTimer(this)) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::ClickFocus);
    moveTimer_->setInterval(slider::kMovingIntervalMs);
    connect(moveTimer_, &QTimer::timeout, this, &CBitmapSlider::OnMoveTimer);
    UpdateTravel();
}

CBitmapSlider::~CBitmapSlider() = default;

void CBitmapSlider::SetRange(int, int maximum, bool redraw) {
    model_.SetRange(maximum);
    if (redraw) update();
}

void CBitmapSlider::SetPos(int pos) {
    model_.SetPos(pos);
    update();
}

void CBitmapSlider::SetValue(int value) {
    model_.SetValue(value);
    repaint();
}

void CBitmapSlider::SetFrequency(int hz) {
    model_.SetFrequency(hz);
    update();
}

void CBitmapSlider::SetVertical(bool vertical) {
    model_.SetVertical(vertical);
    UpdateTravel();
    update();
}

void CBitmapSlider::SetMargin(int left, int top, int right, int bottom) {
    margins_[0] = left;
    margins_[1] = top;
    margins_[2] = right;
    margins_[3] = bottom;
    UpdateTravel();
}

void CBitmapSlider::EnableMoveNotify(bool on) {
    moveNotify_ = on;
    setMouseTracking(on);
}

void CBitmapSlider::EnableInput(bool on) {
    if (model_.EnableInput(on)) moveTimer_->stop(); // the drag ended
    // A click on a slider whose input is off does not take the focus either.
    setFocusPolicy(on ? Qt::ClickFocus : Qt::NoFocus);
    update();
}

namespace {

// The keyed pictures of all sliders, one copy of each: a page has a dozen
// faders with the same channel. A picture no slider holds any more goes at
// the next load.
struct KeyedPicture {
    int id;
    bool transparent;
    QRgb key;
    QImage image;
};
std::vector<KeyedPicture>& KeyedPictures() {
    static std::vector<KeyedPicture> pictures;
    return pictures;
}

} // namespace

bool CBitmapSlider::Load(int id, bool transparent, QRgb color, int x, int y, QImage& out) {
    QImage image;
    if (!LoadBitmapResource(static_cast<unsigned>(id), image) || image.isNull()) return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    QRgb key = 0;
    if (transparent) {
        key = color;
        if (color == kColorAtPoint) key = image.valid(x, y) ? image.pixel(x, y) : image.pixel(0, 0);
        key &= RGB_MASK;
    }
    auto& pictures = KeyedPictures();
    pictures.erase(std::remove_if(pictures.begin(), pictures.end(),
                                  [](const KeyedPicture& kept) { return kept.image.isDetached(); }),
                   pictures.end());
    for (const KeyedPicture& kept : pictures) {
        if (kept.id == id && kept.transparent == transparent && kept.key == key) {
            out = kept.image;
            return true;
        }
    }
    if (transparent) {
        for (int row = 0; row < image.height(); ++row) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int col = 0; col < image.width(); ++col)
                if ((line[col] & RGB_MASK) == key) line[col] = 0;
        }
    }
    pictures.push_back({id, transparent, key, image});
    out = image;
    return true;
}

bool CBitmapSlider::SetBitmapChannel(int id, int activeId, bool transparent, QRgb color, int x,
                                     int y) {
    if (id == 0) {
        channelLoaded_ = false;
        channel_ = activeChannel_ = QImage();
        update();
        return true;
    }
    channel_ = QImage();
    if (!Load(id, transparent, color, x, y, channel_)) return false;
    activeChannel_ = QImage();
    if (activeId != 0 && !Load(activeId, transparent, color, x, y, activeChannel_)) {
        channel_ = QImage();
        return false;
    }
    resize(channel_.size());
    channelTransparent_ = transparent;
    channelLoaded_ = true;
    UpdateTravel();
    update();
    return true;
}

bool CBitmapSlider::SetBitmapThumb(int id, int activeId, bool transparent, QRgb color, int x,
                                   int y) {
    if (id == thumbId_) return true;
    if (id == 0) {
        thumbLoaded_ = false;
        thumb_ = activeThumb_ = QImage();
        thumbId_ = -1;
        update();
        return true;
    }
    thumb_ = QImage();
    if (!Load(id, transparent, color, x, y, thumb_)) return false;
    activeThumb_ = QImage();
    if (activeId != 0 && !Load(activeId, transparent, color, x, y, activeThumb_)) {
        thumb_ = QImage();
        return false;
    }
    thumbSize_ = thumb_.size();
    thumbLoaded_ = true;
    thumbId_ = id;
    UpdateTravel();
    update();
    return true;
}

void CBitmapSlider::SetThumbMask(int id) {
    disabledThumb_ = QImage();
    Load(id, true, kColorAtPoint, 0, 0, disabledThumb_);
    update();
}

void CBitmapSlider::SetBuddyEdit(CNumEdit* field) {
    buddy_ = field;
}

CNumEdit* CBitmapSlider::Buddy() const {
    return dynamic_cast<CNumEdit*>(buddy_.data());
}

void CBitmapSlider::SetFocusState(bool focused) {
    if (focused == focused_) return;
    focused_ = focused;
    update();
}

void CBitmapSlider::UpdateTravel() {
    slider::Travel t;
    if (model_.Vertical()) {
        t.length = height();
        t.marginStart = margins_[1];
        t.marginEnd = margins_[3];
        t.thumb = thumbSize_.height();
    } else {
        t.length = width();
        t.marginStart = margins_[0];
        t.marginEnd = margins_[2];
        t.thumb = thumbSize_.width();
    }
    model_.SetTravel(t);
}

int CBitmapSlider::Along(const QPointF& p) const {
    return static_cast<int>(model_.Vertical() ? p.y() : p.x());
}

void CBitmapSlider::Post(unsigned msg) {
    if (parentWidget())
        platform::PostMessage(parentWidget(), msg, static_cast<WPARAM>(ControlId(this)),
                              model_.Pos());
}

QPoint CBitmapSlider::ThumbOrigin() const {
    const int p = model_.PosToPixel(model_.Pos());
    if (model_.Vertical()) return QPoint(margins_[0], p - thumbSize_.height() / 2);
    return QPoint(p - thumbSize_.width() / 2, margins_[1]);
}

void CBitmapSlider::OnMoveTimer() {
    if (model_.Tick(clock_())) Post(WM_SLIDER_MOVING);
}

LRESULT CBitmapSlider::WindowProc(unsigned msg, WPARAM, LPARAM) {
    if (msg == WM_SLIDER_TAKE_FOCUS) {
        setFocus(Qt::OtherFocusReason);
        SetFocusState(true);
    }
    return 0;
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A disabled fader (a transfer disables its window) looks as one whose input is off.
    const bool input = model_.InputEnabled() && isEnabled();
    if (channelLoaded_ && !channel_.isNull()) {
        if (!activeChannel_.isNull() && input) {
            // From the position-0 end to the thumb the active picture, beyond it the normal one.
            const int split = model_.PosToPixel(model_.Pos());
            const QRect all(QPoint(0, 0), channel_.size());
            const QRect head = model_.Vertical() ? QRect(0, 0, all.width(), split)
                                                 : QRect(0, 0, split, all.height());
            const QRect tail = model_.Vertical()
                                   ? QRect(0, split, all.width(), all.height() - split)
                                   : QRect(split, 0, all.width() - split, all.height());
            p.drawImage(head, activeChannel_, head);
            p.drawImage(tail, channel_, tail);
        } else {
            p.drawImage(0, 0, channel_);
        }
    }
    const QPoint at = ThumbOrigin();
    if (thumbLoaded_ && input && !thumb_.isNull()) {
        const bool active = focused_ || model_.Dragging();
        p.drawImage(at, active && !activeThumb_.isNull() ? activeThumb_ : thumb_);
    } else if (!disabledThumb_.isNull()) {
        p.drawImage(at, disabledThumb_);
    } else if (!thumb_.isNull()) {
        // No picture for a thumb whose input is off: the thumb, faded.
        p.setOpacity(0.4);
        p.drawImage(at, thumb_);
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (!model_.Press(Along(e->position()), clock_())) return;
    setFocus(Qt::MouseFocusReason);
    moveTimer_->start();
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* e) {
    if (model_.Dragging() && model_.InputEnabled()) {
        if (model_.Move(Along(e->position()), clock_())) Post(WM_SLIDER_MOVING);
        update();
        return;
    }
    const QPoint at = e->position().toPoint();
    if (!moveNotify_ || at == lastMouse_ || !parentWidget()) return;
    lastMouse_ = at;
    ctl::MoveReport::Send(this, ctl::MouseKeyFlags(e));
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !model_.Release()) return;
    moveTimer_->stop();
    Post(WM_SLIDER_MOVED);
    update();
}

void CBitmapSlider::keyPressEvent(QKeyEvent* e) {
    slider::Key k;
    switch (e->key()) {
    case Qt::Key_PageUp:
        k = slider::Key::PageUp;
        break;
    case Qt::Key_PageDown:
        k = slider::Key::PageDown;
        break;
    case Qt::Key_End:
        k = slider::Key::End;
        break;
    case Qt::Key_Home:
        k = slider::Key::Home;
        break;
    case Qt::Key_Left:
        k = slider::Key::Left;
        break;
    case Qt::Key_Up:
        k = slider::Key::Up;
        break;
    case Qt::Key_Right:
        k = slider::Key::Right;
        break;
    case Qt::Key_Down:
        k = slider::Key::Down;
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    if (!model_.KeyPress(k)) {
        QWidget::keyPressEvent(e);
        return;
    }
    Post(WM_SLIDER_MOVED); // also when the position did not change
    update();
}

void CBitmapSlider::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (!model_.Wheel(e->angleDelta().y())) return;
    Post(WM_SLIDER_MOVED);
    update();
}

void CBitmapSlider::focusInEvent(QFocusEvent*) {
    focused_ = true;
    if (CNumEdit* field = Buddy()) field->SetHighlight(true);
    Post(WM_SLIDER_MOVING);
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent*) {
    focused_ = false;
    if (CNumEdit* field = Buddy()) field->SetHighlight(false);
    update();
}

void CBitmapSlider::resizeEvent(QResizeEvent*) {
    UpdateTravel();
}
