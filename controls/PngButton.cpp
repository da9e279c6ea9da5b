#include "controls/PngButton.h"

#include "model/Globals.h"
#include "platform/Skin.h"

#include <QMouseEvent>
#include <QPainter>

bool CPngResImage::Load(unsigned id, const char* type) {
    Free();
    QImage loaded;
    if (!LoadPngResource(id, type, loaded)) return false;
    image_ = loaded;
    return true;
}

CPngButton::CPngButton(QWidget* parent, int id) : SkinButtonBase(parent, id) {}

void CPngButton::Load(State first, std::initializer_list<unsigned> ids) {
    int state = first;
    for (unsigned id : ids)
        images_[state++].Load(id);
    Resolve();
}

void CPngButton::SetImages(unsigned normal, unsigned hover, unsigned pressed) {
    Load(Normal, {normal, hover, pressed});
    if (!images_[Normal].IsNull()) resize(images_[Normal].Image().size());
    raise();
}

void CPngButton::SetCheckedImages(unsigned normal, unsigned hover, unsigned pressed) {
    Load(CheckedNormal, {normal, hover, pressed});
}

void CPngButton::SetChineseImages(unsigned normal, unsigned hover, unsigned pressed,
                                  unsigned checkedNormal, unsigned checkedHover,
                                  unsigned checkedPressed) {
    chineseSet_ = true;
    Load(ZhNormal, {normal, hover, pressed, checkedNormal, checkedHover, checkedPressed});
}

void CPngButton::SetDisabledImages(unsigned unchecked, unsigned checked) {
    Load(Disabled, {unchecked, checked});
    if (!images_[Disabled].IsNull()) resize(images_[Disabled].Image().size());
    raise();
}

void CPngButton::Resolve() {
    // A state without a picture shows the one before it; a disabled state
    // without one shows its enabled normal picture dimmed, not a pressed one.
    for (int s = 0; s < kStateCount; ++s) {
        if (!images_[s].IsNull())
            resolved_[s] = images_[s].Image();
        else if (s == Disabled)
            resolved_[s] = ctl::Dimmed(resolved_[Normal]);
        else if (s == DisabledChecked)
            resolved_[s] = ctl::Dimmed(resolved_[CheckedNormal]);
        else
            resolved_[s] = s > 0 ? resolved_[s - 1] : QImage();
    }
    update();
}

CPngButton::State CPngButton::CurrentState() const {
    if (!isEnabled()) return checked_ ? DisabledChecked : Disabled; // one look in both languages
    State s;
    if (checked_)
        s = hover_ ? (pressed_ ? CheckedPressed : CheckedHover) : CheckedNormal;
    else
        s = hover_ ? (pressed_ ? Pressed : Hover) : Normal;
    if (chineseSet_ && g_LanguageFlag.load())
        s = State(s + ZhNormal); // the same order from ZhNormal on
    return s;
}

QSize CPngButton::sizeHint() const {
    const QSize s = resolved_[Normal].size();
    return s.isEmpty() ? size() : s;
}

void CPngButton::SetCheck(int checked) {
    if (checked == checked_) return;
    checked_ = checked;
    LendHover(checked_ != 0);
    update();
}

void CPngButton::ShowWindow(int command) {
    if (command == 0) ForgetPartners();
    update();
    setVisible(command != 0);
}

void CPngButton::paintEvent(QPaintEvent*) {
    const QImage& picture = resolved_[CurrentState()];
    if (picture.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), picture); // blended over what the parent shows here
}
