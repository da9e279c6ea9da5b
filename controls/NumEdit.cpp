#include "controls/NumEdit.h"

#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/SpinBtn.h"
#include "model/Globals.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QValidator>

namespace {

int NonAscii(const QString& s) {
    int n = 0;
    for (QChar c : s)
        if (c.unicode() >= 0x80) ++n;
    return n;
}

// No Chinese character can be typed or pasted into a field; its own unit
// words and "关闭" may stay while the number in front of them is edited.
class NoNewWideCharacters : public QValidator {
public:
    NoNewWideCharacters(QObject* parent, const QString* accepted)
        : QValidator(parent), accepted_(accepted) {}
    State validate(QString& input, int&) const override {
        return NonAscii(input) > NonAscii(*accepted_) ? Invalid : Acceptable;
    }

private:
    const QString* accepted_; // the text before the edit
};

// The fields of the mix-parameter dialog draw dark text on its light face.
bool DarkTextId(int id) {
    return id >= 3581 && id <= 3584;
}

} // namespace

CNumEdit::CNumEdit(QWidget* parent) : MessageTarget<QLineEdit>(parent) {
    setFrame(false);
    setValidator(new NoNewWideCharacters(this, &acceptedText_));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { acceptedText_ = t; });
    // Typing marks the text edited; text the field shows itself does not.
    connect(this, &QLineEdit::textEdited, this, [this] {
        modified_ = true;
        update();
    });
    ApplyColors();
}

CNumEdit::~CNumEdit() = default;

void CNumEdit::SetType(int type, const QString& unit) {
    state_.type = type;
    state_.unit = unit.toStdString();
    Format();
}

void CNumEdit::SetRange(int minimum, int maximum) {
    state_.minimum = minimum;
    state_.maximum = maximum;
    value_ = minimum;
}

void CNumEdit::SetValue(int v) {
    if (v < state_.minimum || v > state_.maximum) return;
    value_ = v;
    Format();
}

int CNumEdit::GetValue() {
    if (modified_) {
        const QByteArray text = this->text().toUtf8();
        const numfield::ReadResult r = numfield::ReadText(
            state_, std::string_view(text.constData(), static_cast<size_t>(text.size())),
            numfield::Reading::Quiet);
        if (r.value) value_ = *r.value;
        modified_ = false;
    }
    return value_;
}

void CNumEdit::SetTemperature(int code) {
    state_.temperature = code;
    Format();
}

void CNumEdit::Format() {
    int v = value_;
    const std::optional<std::string> t = numfield::Format(state_, v, g_LanguageFlag.load() != 0);
    value_ = v;
    if (t) SetShownText(*t);
    if (spin_) spin_->setText(text());
    update();
}

void CNumEdit::SetShownText(const std::string& utf8) {
    setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void CNumEdit::ShowField(int showCommand) {
    setVisible(showCommand != 0);
}

void CNumEdit::EnableField(bool enable) {
    setEnabled(enable);
}

void CNumEdit::SetReadOnly(bool readOnly) {
    update();
    if (spin_) spin_->setVisible(readOnly);
    QLineEdit::setReadOnly(readOnly);
}

void CNumEdit::CreateSpinButton(int id) {
    if (spin_) return;
    spin_ = new CSpinBtn(this);
    SetControlId(spin_, id);
    spin_->setGeometry(rect());
    spin_->setFont(font());
    spin_->hide();
}

void CNumEdit::SetSpinTarget(int number, CNumSpin* spin) {
    if (spin_) spin_->SetTarget(number, spin);
}

void CNumEdit::SetBuddySlider(CBitmapSlider* slider) {
    slider_ = slider;
}

CBitmapSlider* CNumEdit::Slider() const {
    return dynamic_cast<CBitmapSlider*>(slider_.data());
}

void CNumEdit::SetFaceColors(QColor box, QColor text) {
    faceBox_ = box;
    faceText_ = text;
    ApplyColors();
    update();
}

void CNumEdit::SetHighlight(bool on) {
    if (on == highlighted_) return;
    highlighted_ = on;
    ApplyColors();
    update();
}

void CNumEdit::UpdateLanguage() {
    const int t = state_.type;
    if (t == numfield::kDelayMs || t == numfield::kDelayCm || t == numfield::kDelayInch) {
        Format();
        return;
    }
    const QByteArray now = text().toUtf8();
    SetShownText(numfield::SwapOffText(now.toStdString(), g_LanguageFlag.load() != 0));
}

void CNumEdit::ApplyColors() {
    QPalette pal = palette();
    if (highlighted_) {
        pal.setColor(QPalette::Base, QColor::fromRgb(kHighlightColor));
        pal.setColor(QPalette::Text, Qt::black);
    } else if (faceBox_.isValid()) {
        pal.setColor(QPalette::Base, faceBox_);
        pal.setColor(QPalette::Text, faceText_);
    } else {
        // The page's picture shows through.
        pal.setColor(QPalette::Base, Qt::transparent);
        pal.setColor(QPalette::Text, DarkTextId(ControlId(this)) ? Qt::black : Qt::white);
    }
    setPalette(pal);
}

void CNumEdit::CommitText() {
    const QByteArray text = this->text().toUtf8();
    const numfield::CommitResult c = numfield::Commit(
        state_, value_, std::string_view(text.constData(), static_cast<size_t>(text.size())),
        modified_);
    if (c.store) value_ = c.value;
    if (c.format) Format(); // shows the value actually kept
    if (c.notify) SendCommand(this);
}

void CNumEdit::OnClick() {
    SendCommand(this);
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
}

LRESULT CNumEdit::WindowProc(unsigned msg, WPARAM, LPARAM) {
    // The spin strip reports every press on it as a click on the field.
    if (msg == WM_LBUTTONDOWN) OnClick();
    return 0;
}

void CNumEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    focusedByClick_ = e->reason() == Qt::MouseFocusReason;
    highlighted_ = true;
    ApplyColors();
    update();
    if (CBitmapSlider* s = Slider()) s->SetFocusState(true);
    if (!isReadOnly())
        selectAll();
    else if (spin_)
        spin_->SetActive(true);
}

void CNumEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    CommitText();
    if (spin_) spin_->SetActive(false);
    highlighted_ = false;
    ApplyColors();
    update();
    if (CBitmapSlider* s = Slider()) s->SetFocusState(false);
}

void CNumEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(e);
        return;
    }
    // The click that focused the field only focuses it, so its whole text
    // stays selected for typing over.
    const bool hadFocus = hasFocus() && !focusedByClick_;
    focusedByClick_ = false;
    OnClick();
    if (hadFocus) QLineEdit::mousePressEvent(e);
}

void CNumEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    if (!isReadOnly()) selectAll();
}
