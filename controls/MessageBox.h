// The program's message box: every message of the program is shown in this
// dialog, with bilingual captions and buttons. The third value of a request
// is either a time after which the box closes itself (2000 with the prompt
// caption, 2001 with the warning caption, any other positive value with the
// caption given) or a caption code (-2 "提示", -3 "Prompting", -4 "警告",
// -5 "Warning"), which never closes the box by itself. A box that closes
// itself answers as its negative button would (OK for a box with one button).
#pragma once

#include "model/DataDefine.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

// Box types and answers.
constexpr int MB_OK = 0;
constexpr int MB_YESNO = 4;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class QLabel;
class QPushButton;
class QTimer;

class CMessageBox : public QDialog {
public:
    // What a box shows, as a test reads it.
    struct Shown {
        QString caption;
        QString text;
        QStringList buttons; // the visible buttons' texts, left to right
        int autoCloseMs = 0; // 0: the box does not close by itself
    };
    // How a test answers a box.
    enum class Action { Ok, Cancel, Enter, Escape, Close, Timeout };
    using Responder = std::function<Action(const Shown&)>;

    // While a responder is installed, DoModal shows nothing: it prepares the
    // box, hands its description to the responder and applies the answer
    // (a click on a hidden button answers 0). Returns the previous responder.
    static Responder SetResponder(Responder responder);

    CMessageBox(const QString& text, unsigned type, const QString& caption, int milliseconds,
                QWidget* parent = nullptr);
    explicit CMessageBox(QWidget* parent = nullptr);

    // The caption argument is ignored: the caption becomes the product title.
    void SetMessage(const QString& text, unsigned type, const QString& caption, int milliseconds);

    // Runs the box and returns its answer: 1 OK, 2 Cancel, 6 Yes, 7 No.
    int DoModal();
    int Result() const { return result_; }

    // The program's box, captioned with the product title.
    static int Show(const QString& text, unsigned type, int milliseconds, QWidget* owner = nullptr);

    void reject() override; // Esc and the close box

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Build();
    void InitDialog();
    Shown Describe() const;
    void OnOk();
    void OnCancel();
    void OnEnter();
    void OnTimer();

    QString text_;
    unsigned type_ = 0;
    QString caption_;
    int milliseconds_ = 0;
    int result_ = 0;
    bool finished_ = false;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* label_ = nullptr;
    QTimer* timer_ = nullptr;
};

// The program's message box under its own name, on the user-interface
// thread: CMessageBox::Show(text, type, milliseconds). Owner, caption and
// language are accepted and not used (the caption follows the third value).
int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, int type,
                   int language, int milliseconds);

// The messages for texts the model refused to pack into their fields
// ("Char len error!", "Invalid characters!"): one box each, in order, with
// OK, open until answered. Declared before an operation's DeviceLockGuard,
// it shows them when it goes out of scope, after the lock is released: no
// box ever waits for the user while the link worker is kept out.
class CTextFieldMessages {
public:
    CTextFieldMessages() = default;
    CTextFieldMessages(const CTextFieldMessages&) = delete;
    CTextFieldMessages& operator=(const CTextFieldMessages&) = delete;
    ~CTextFieldMessages();

    // Where the model appends its refusals.
    TextFieldErrors* Errors() { return &errors_; }
    void Add(TextFieldError error);
    void Add(const TextFieldErrors& errors);

private:
    TextFieldErrors errors_;
};
