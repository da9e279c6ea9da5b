// Edit fields with rules of their own.
// - CPresetNameEdit: the preset-name field. Its limit counts the device's GBK
//   bytes, and with alignment on it keeps every double-byte character at an
//   even byte offset by typing a space before one that would start at an odd
//   offset (the space counts against the limit). Text GBK cannot hold is
//   refused.
// - CPasswordEdit: accepts only letters and digits (Backspace still deletes).
#pragma once

#include <QLineEdit>

class CPresetNameEdit : public QLineEdit {
public:
    explicit CPresetNameEdit(QWidget* parent = nullptr);

    void EnableDbcsAlign(bool enable) { align_ = enable; }
    bool DbcsAlign() const { return align_; }
    // The limit in GBK bytes.
    void SetLimitText(int bytes);
    int GetLimitText() const { return limit_; }

    // Types the characters one by one as the keyboard would.
    void TypeText(const QString& text);

    // GBK bytes of a text; -1 when GBK cannot hold it.
    static int GbkLength(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void TypeCharacter(const QString& character);

    bool align_ = true;
    int limit_ = 30000;
};

class CPasswordEdit : public QLineEdit {
public:
    explicit CPasswordEdit(QWidget* parent = nullptr);
};
