// What the program's small dialogs share: built from their template (its font
// and fixed size in dialog units, on the dialog background), each control
// named by its id and placed from its dialog units, set up once when first
// shown (OnInitDialog, after the caller has handed the dialog its data), and
// a message map for the controls' notices. A parameter dialog has no OK
// button: Enter and Esc give the focus to the dialog itself, so that the
// field being typed in takes its value, and never close it; it closes through
// its close box.
#pragma once

#include "controls/ControlNotify.h"
#include "platform/DialogUnits.h"
#include "platform/Message.h"

#include <QDialog>
#include <QPushButton>

class CSkinDialog : public platform::MessageTarget<QDialog> {
public:
    enum class Keys {
        Dialog,   // Enter presses the default button, Esc cancels
        StayOpen, // Enter and Esc only commit the focused field
    };

    CSkinDialog(QWidget* parent, const platform::TemplateFont& font, QSize dlu, Keys keys);

    const platform::TemplateFont& TemplateFont() const { return font_; }
    bool IsInitialised() const { return initialised_; }

    // A control of the template, by id, at its place in dialog units.
    template <class Control, class... Args>
    Control* Place(int id, const QRect& dlu, Args&&... args) {
        auto* control = new Control(this, std::forward<Args>(args)...);
        Name(control, id);
        control->setGeometry(platform::DluToPixels(dlu, font_));
        return control;
    }
    // A push button; the default one answers Enter.
    QPushButton* PlaceButton(int id, const QRect& dlu, bool isDefault);
    // The control id (also the widget's name, which tests find it by).
    static void Name(QWidget* control, int id);

protected:
    // Runs once, when the dialog is first shown.
    virtual void OnInitDialog() {}

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    platform::TemplateFont font_;
    Keys keys_;
    bool initialised_ = false;
};
