#include "controls/EditControls.h"

#include "model/TextCodec.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace {

// Refuses pasted or typed text that GBK cannot hold or that is longer than
// the field's limit in bytes.
class GbkLimitValidator : public QValidator {
public:
    explicit GbkLimitValidator(CPresetNameEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int&) const override {
        const int bytes = CPresetNameEdit::GbkLength(input);
        return bytes < 0 || bytes > edit_->GetLimitText() ? Invalid : Acceptable;
    }

private:
    CPresetNameEdit* edit_;
};

} // namespace

CPresetNameEdit::CPresetNameEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new GbkLimitValidator(this));
}

void CPresetNameEdit::SetLimitText(int bytes) {
    limit_ = bytes > 0 ? bytes : 30000;
}

int CPresetNameEdit::GbkLength(const QString& text) {
    const std::optional<std::string> gbk = Utf8ToGbk(text.toStdString());
    return gbk ? static_cast<int>(gbk->size()) : -1;
}

void CPresetNameEdit::TypeText(const QString& text) {
    // One character at a time; a character outside the basic plane is two
    // code units.
    for (int i = 0; i < text.size();) {
        const int n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        TypeCharacter(text.mid(i, n));
        i += n;
    }
}

void CPresetNameEdit::TypeCharacter(const QString& character) {
    const int bytes = GbkLength(character);
    if (bytes <= 0) return; // GBK cannot hold it: the device could not store it
    // Bytes that stay: the text without the selection the character replaces.
    const int kept = GbkLength(text()) - GbkLength(selectedText());
    QString typed = character;
    if (bytes >= 2) {
        if (!align_) return;
        if (kept % 2 != 0) typed.prepend(QLatin1Char(' '));
    }
    // Refused whole: a space without its character would serve nothing.
    if (kept + GbkLength(typed) > limit_) return;
    insert(typed);
}

void CPresetNameEdit::keyPressEvent(QKeyEvent* e) {
    const QString t = e->text();
    const bool command =
        e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!t.isEmpty() && !command && t.at(0).isPrint()) {
        TypeText(t);
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CPresetNameEdit::inputMethodEvent(QInputMethodEvent* e) {
    const QString commit = e->commitString();
    if (commit.isEmpty() || isReadOnly()) return QLineEdit::inputMethodEvent(e);
    QInputMethodEvent rest(e->preeditString(), e->attributes());
    QLineEdit::inputMethodEvent(&rest);
    TypeText(commit);
}

CPasswordEdit::CPasswordEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Za-z]*")), this));
}
