// CNumEdit: the numeric field of every parameter page. It holds one device
// value inside a range and shows it as the text of its value type (units,
// "OFF", language); typed text is read back when the field loses the focus,
// and the page is told with WM_COMMAND (id, 0). A CNumSpin steps it, a
// CBitmapSlider may share its focus look, and a read-only delay field shows
// its own bitmap spin strip (CSpinBtn) over itself.
#pragma once

#include "controls/core/NumValue.h"
#include "platform/Message.h"

#include <QColor>
#include <QLineEdit>
#include <QPointer>

class CBitmapSlider;
class CNumSpin;
class CSpinBtn;

class CNumEdit : public platform::MessageTarget<QLineEdit> {
public:
    explicit CNumEdit(QWidget* parent = nullptr);
    ~CNumEdit() override;

    // Type and unit suffix; shows the value again.
    void SetType(int type, const QString& unit = QString());
    int GetType() const { return state_.type; }
    // Range, inclusive; the value becomes the minimum, shown at the next format.
    void SetRange(int minimum, int maximum);
    int GetMinimum() const { return state_.minimum; }
    int GetMaximum() const { return state_.maximum; }
    // Takes v only inside the range, and shows it; any other v is ignored.
    void SetValue(int v);
    // The value, reading typed text back first (quietly: no notice).
    int GetValue();
    void SetScale(double scale) { state_.scale = scale; }
    void SetOffset(double offset) { state_.offset = offset; }
    void SetTemperature(int code);
    int GetTemperature() const { return state_.temperature; }
    // The rounding of the time and distance texts (half up at `digits`).
    static double RoundDigits(double x, int digits) { return numfield::RoundDigits(x, digits); }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // Builds the text of the value and shows it (also on the spin strip).
    virtual void Format();
    // 0 hides, any other show command shows.
    virtual void ShowField(int showCommand);
    virtual void EnableField(bool enable);
    // Read-only: the spin strip (when created) covers the field.
    virtual void SetReadOnly(bool readOnly);
    void SetLocked(bool locked) { SetReadOnly(locked); }

    // The embedded spin strip, created hidden over the field.
    void CreateSpinButton(int id);
    CSpinBtn* SpinButton() const { return spin_; }
    void SetSpinTarget(int number, CNumSpin* spin);

    // The slider whose focus look follows this field's focus.
    void SetBuddySlider(CBitmapSlider* slider);
    void SetBuddySpin(CBitmapSlider* slider) { SetBuddySlider(slider); }
    // The focus look; repaints when it changes.
    void SetHighlight(bool on);
    // The field's own box and text colours while it is not highlighted, for a
    // field on a light dialog face; without them the page's picture shows
    // through under white text.
    void SetFaceColors(QColor box, QColor text);
    bool IsHighlighted() const { return highlighted_; }

    // After a language switch: unit words and "OFF" follow the language.
    void UpdateLanguage();

    static constexpr QRgb kHighlightColor = 0xFF89ACD1; // RGB(137, 172, 209)

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    // The reading on focus loss: store, show and tell as the type says.
    void CommitText();
    void OnClick();
    void ApplyColors();
    void SetShownText(const std::string& utf8);

    numfield::State state_;
    int value_ = 0;
    bool modified_ = false;
    bool highlighted_ = false;
    QColor faceBox_; // invalid: the page shows through
    QColor faceText_;
    bool focusedByClick_ = false; // the focus came with the press being handled
    QString acceptedText_;
    CSpinBtn* spin_ = nullptr; // child widget, owned by Qt's parent chain
    QPointer<QWidget> slider_; // a CBitmapSlider while it lives
    CBitmapSlider* Slider() const;
};
