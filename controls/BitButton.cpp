#include "controls/BitButton.h"

#include "model/Globals.h"

#include <QMouseEvent>
#include <QPainter>

CBitButton::CBitButton(QWidget* parent, int id)
    : SkinButtonBase(parent, id), clickTimer_([this] { OnClickTimer(); }) {
    for (QColor& c : colors_)
        c = QColor(0, 0, 0);
}

void CBitButton::SetBitmaps(unsigned offNormal, unsigned offHover, unsigned offPressed,
                            unsigned onNormal, unsigned onHover, unsigned onPressed) {
    bitmaps_[OffNormal] = offNormal;
    bitmaps_[OffHover] = offHover;
    bitmaps_[OffPressed] = offPressed;
    bitmaps_[OnNormal] = onNormal ? onNormal : offNormal;
    bitmaps_[OnHover] = onHover ? onHover : offHover;
    bitmaps_[OnPressed] = onPressed ? onPressed : offPressed;
    Refresh();
}

void CBitButton::SetOnBitmap(unsigned id) {
    bitmaps_[OnNormal] = bitmaps_[OnHover] = bitmaps_[OnPressed] = id;
    Refresh();
}

void CBitButton::SetDisabledBitmaps(unsigned off, unsigned on) {
    bitmaps_[DisabledOff] = off;
    bitmaps_[DisabledOn] = on;
    Refresh();
}

void CBitButton::SetAltBitmaps(unsigned off, unsigned on) {
    altBitmaps_[0] = off;
    altBitmaps_[1] = on;
}

void CBitButton::UseAltBitmaps(bool use) {
    if (use == useAlt_) return;
    useAlt_ = use;
    Refresh();
}

void CBitButton::SetTextColors(QColor offNormal, QColor offHover, QColor offPressed,
                               QColor onNormal, QColor onHover, QColor onPressed) {
    colors_[OffNormal] = offNormal;
    colors_[OffHover] = offHover;
    colors_[OffPressed] = offPressed;
    colors_[OnNormal] = onNormal;
    colors_[OnHover] = onHover;
    colors_[OnPressed] = onPressed;
}

void CBitButton::SetDisabledTextColor(QColor color) {
    colors_[DisabledOff] = color;
}

void CBitButton::SetFonts(const QFont* offNormal, const QFont* offHover, const QFont* offPressed,
                          const QFont* onNormal, const QFont* onHover, const QFont* onPressed) {
    fonts_[OffNormal] = offNormal;
    fonts_[OffHover] = offHover;
    fonts_[OffPressed] = offPressed;
    fonts_[OnNormal] = onNormal ? onNormal : offNormal;
    fonts_[OnHover] = onHover ? onHover : offHover;
    fonts_[OnPressed] = onPressed ? onPressed : offPressed;
}

void CBitButton::SetDisabledFont(const QFont* font) {
    fonts_[DisabledOff] = font;
}
void CBitButton::SetDisabledTextFormat(unsigned format) {
    disabledFormat_ = format;
}
void CBitButton::SetDisabledTextIndent(int pixels) {
    disabledIndent_ = pixels;
}

void CBitButton::SetMultiLineText(bool enable, int value) {
    multiLine_ = enable;
    multiLineValue_ = value;
}

void CBitButton::SetCheck(int state) {
    on_ = state;
    LendHover(on_ != 0);
    Refresh();
}

void CBitButton::ShowWindow(int command) {
    if (command == 0) ForgetPartners();
    setVisible(command != 0);
}

CBitButton::Shown CBitButton::Current() const {
    Look look;
    if (!isEnabled())
        look = on_ ? DisabledOn : DisabledOff;
    else if (hover_) // a press whose pointer has left the button shows the normal look
        look = Look((on_ ? OnNormal : OffNormal) + (pressed_ ? 2 : 1));
    else
        look = on_ ? OnNormal : OffNormal;
    unsigned bitmap = bitmaps_[look];
    if (useAlt_ && (look == OnNormal || look == OffNormal)) bitmap = altBitmaps_[look == OnNormal];
    const int style = look == DisabledOn ? DisabledOff : look;
    return {look, bitmap, colors_[style], fonts_[style]};
}

QSize CBitButton::sizeHint() const {
    const QSize size = ctl::Picture(Current().bitmap).size();
    return size.isEmpty() ? QAbstractButton::size() : size;
}

void CBitButton::Refresh() {
    ctl::FitToPicture(this, Current().bitmap);
    update();
}

void CBitButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const Shown shown = Current();
    if (shown.look == DisabledOff || shown.look == DisabledOn) {
        // Without a disabled picture of its own the button shows its normal face dimmed.
        const bool on = shown.look == DisabledOn;
        const unsigned normal =
            useAlt_ ? altBitmaps_[on ? 1 : 0] : bitmaps_[on ? OnNormal : OffNormal];
        const QPixmap face = ctl::DisabledFace(shown.bitmap, normal);
        if (face.isNull())
            ctl::DrawFace(p, this, 0);
        else
            p.drawPixmap(0, 0, face);
    } else {
        ctl::DrawFace(p, this, shown.bitmap);
    }
    const QString caption = text();
    p.setFont(shown.font ? *shown.font : font());
    p.setPen(shown.textColor);
    if (!isEnabled()) {
        // Drawn even when empty, as the disabled caption always is.
        const int h = disabledFormat_ & kDtRight    ? Qt::AlignRight
                      : disabledFormat_ & kDtCenter ? Qt::AlignHCenter
                                                    : Qt::AlignLeft;
        const QRect box = rect().adjusted(disabledIndent_, 3, 0, 3);
        p.drawText(box, h | Qt::AlignVCenter | Qt::TextSingleLine, caption);
        return;
    }
    if (caption.isEmpty()) return;
    if (multiLine_) {
        p.setPen(QColor(255, 255, 255));
        const QRect need = p.boundingRect(rect(), Qt::AlignHCenter | Qt::AlignTop, caption);
        const QRect box = rect().adjusted(0, (height() - need.height()) / 2, 0, 0);
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, caption);
    } else {
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
}

bool CBitButton::IsSceneSlot() const {
    const int id = ControlId(this);
    return id >= kSceneSlotFirstId && id <= kSceneSlotLastId;
}

void CBitButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        e->accept(); // the release reports it
        return;
    }
    if (e->button() == Qt::LeftButton && ControlId(this) == kSpeakerButtonId) {
        clickParent_ = parentWidget();
        clickTimer_.Start(kClickTimerMs);
    }
    SkinButtonBase::mousePressEvent(e);
}

void CBitButton::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return mousePressEvent(e);
    if (ControlId(this) == kSpeakerButtonId) {
        if (QWidget* parent = parentWidget())
            platform::PostMessage(parent, WM_SPEAKER_CLICK, WM_LBUTTONDBLCLK, 0);
        clickTimer_.Stop();
    }
    // The second press of a double click is a press like any other, without
    // starting the single-click timer again.
    SkinButtonBase::mousePressEvent(e);
}

void CBitButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::RightButton) return SkinButtonBase::mouseReleaseEvent(e);
    e->accept();
    QWidget* parent = parentWidget();
    if (!parent || !rect().contains(e->position().toPoint())) return;
    if (ControlId(this) == kSpeakerButtonId)
        platform::PostMessage(parent, WM_SPEAKER_CLICK, WM_RBUTTONDOWN, 0);
    else if (IsSceneSlot() && g_ScenePickerOpen == 1)
        platform::PostMessage(parent, WM_SLOT_RIGHT_CLICK, WM_RBUTTONDOWN, ControlId(this));
}

void CBitButton::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) Refresh();
    SkinButtonBase::changeEvent(e);
}

void CBitButton::OnClickTimer() {
    clickTimer_.Stop();
    if (clickParent_) platform::PostMessage(clickParent_, WM_SPEAKER_CLICK, WM_LBUTTONDOWN, 0);
}
