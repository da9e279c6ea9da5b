#include "controls/MessageBox.h"

#include "controls/ModalDialog.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/UiGlobals.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace {

CMessageBox::Responder& ResponderSlot() {
    static CMessageBox::Responder responder;
    return responder;
}

constexpr unsigned kIconBits = 0xF0;

// The template of the box, in dialog units of Arial 9.
const QSize kTemplateSize(183, 78);
const QRect kOkPlace(37, 56, 50, 14);
const QRect kCancelPlace(101, 56, 50, 14);
// The text keeps a margin from the box's edges: from edge to edge, a long
// line's first and last letters were cut.
const QRect kTextPlace(8, 25, 167, 27);

QString Utf8(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

CMessageBox::Responder CMessageBox::SetResponder(Responder responder) {
    return std::exchange(ResponderSlot(), std::move(responder));
}

CMessageBox::CMessageBox(const QString& text, unsigned type, const QString& caption,
                         int milliseconds, QWidget* parent)
    : QDialog(parent), text_(text), type_(type), caption_(caption), milliseconds_(milliseconds) {
    Build();
}

CMessageBox::CMessageBox(QWidget* parent) : QDialog(parent) {
    Build();
}

void CMessageBox::SetMessage(const QString& text, unsigned type, const QString&, int milliseconds) {
    text_ = text;
    type_ = type;
    caption_ = Utf8(g_ProductTitle);
    milliseconds_ = milliseconds;
}

void CMessageBox::Build() {
    using platform::DluToPixels;
    const platform::TemplateFont font = platform::kArial9;
    ctl::SetUpTemplateDialog(*this, font, kTemplateSize);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setGeometry(DluToPixels(kOkPlace, font));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setGeometry(DluToPixels(kCancelPlace, font));
    cancel_->setAutoDefault(false);
    label_ = new QLabel(this);
    label_->setGeometry(DluToPixels(kTextPlace, font));
    label_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label_->setWordWrap(true);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);

    connect(ok_, &QPushButton::clicked, this, &CMessageBox::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &CMessageBox::OnCancel);
    connect(timer_, &QTimer::timeout, this, &CMessageBox::OnTimer);
}

void CMessageBox::InitDialog() {
    finished_ = false;
    result_ = 0;
    label_->setText(text_);
    QString caption = caption_;
    // Only a positive time closes the box; caption codes never arm the timer.
    if (milliseconds_ == 2000) caption = Utf8(g_PromptCaption.Pick());
    if (milliseconds_ == 2001) caption = Utf8(g_WarningCaption.Pick());
    if (milliseconds_ > 0) timer_->start(milliseconds_);
    switch (milliseconds_) {
    case -2:
        caption = Utf8(g_PromptCaption.cn);
        break;
    case -3:
        caption = Utf8(g_PromptCaption.en);
        break;
    case -4:
        caption = Utf8(g_WarningCaption.cn);
        break;
    case -5:
        caption = Utf8(g_WarningCaption.en);
        break;
    default:
        break;
    }
    setWindowTitle(caption);

    // Bilingual buttons and their layout, for the plain types the program uses.
    ok_->show();
    cancel_->show();
    if (type_ & kIconBits) return;
    const bool cn = g_LanguageFlag.load() != 0;
    auto centre = [this](QPushButton* b) { b->move((width() - b->width()) / 2, b->y()); };
    switch (type_ & 0xF) {
    case 0:
        ok_->setText(cn ? Utf8("确定") : QStringLiteral("OK"));
        cancel_->hide();
        centre(ok_);
        break;
    case 1:
        ok_->setText(cn ? Utf8("确定") : QStringLiteral("OK"));
        cancel_->setText(cn ? Utf8("取消") : QStringLiteral("Cancel"));
        break;
    case 4:
        ok_->setText(cn ? Utf8("是") : QStringLiteral("YES"));
        cancel_->setText(cn ? Utf8("否") : QStringLiteral("NO"));
        break;
    case 6:
        cancel_->setText(cn ? Utf8("退出") : QStringLiteral("Quit"));
        ok_->hide();
        centre(cancel_);
        break;
    default:
        break;
    }
}

CMessageBox::Shown CMessageBox::Describe() const {
    Shown s;
    s.caption = windowTitle();
    s.text = label_->text();
    for (const QPushButton* b : {ok_, cancel_})
        if (!b->isHidden()) s.buttons << b->text();
    s.autoCloseMs = timer_->isActive() ? timer_->interval() : 0;
    return s;
}

// Answers: the positive button says OK or Yes; the negative one, Esc, the
// close box and the timer say Cancel or No, and OK for a box with one button.
// Types the program never raises (2, 3, 5, or with icon bits) answer 1 and 2.
void CMessageBox::OnOk() {
    const bool plain = (type_ & kIconBits) == 0;
    result_ = plain && (type_ & 0xF) == 4 ? IDYES : IDOK;
    finished_ = true;
    timer_->stop();
    done(QDialog::Accepted);
}

void CMessageBox::OnCancel() {
    const bool plain = (type_ & kIconBits) == 0;
    const unsigned buttons = type_ & 0xF;
    result_ = plain && buttons == 0 ? IDOK : plain && buttons == 4 ? IDNO : IDCANCEL;
    finished_ = true;
    timer_->stop();
    done(QDialog::Rejected);
}

void CMessageBox::OnEnter() {
    // Enter presses the default button; a box whose OK is hidden has only its
    // Quit button to press.
    if (!ok_->isHidden())
        OnOk();
    else
        OnCancel();
}

void CMessageBox::OnTimer() {
    OnCancel();
}

void CMessageBox::reject() {
    OnCancel();
}

void CMessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnEnter();
        return;
    }
    QDialog::keyPressEvent(event); // Esc ends in reject()
}

int CMessageBox::DoModal() {
    InitDialog();
    if (const Responder& respond = ResponderSlot()) {
        switch (respond(Describe())) {
        case Action::Ok:
            if (!ok_->isHidden()) OnOk();
            break;
        case Action::Cancel:
            if (!cancel_->isHidden()) OnCancel();
            break;
        case Action::Enter:
            OnEnter();
            break;
        case Action::Escape:
        case Action::Close:
            reject();
            break;
        case Action::Timeout:
            if (timer_->isActive()) OnTimer();
            break;
        }
        timer_->stop();
        return finished_ ? result_ : 0;
    }
    exec();
    return result_;
}

int CMessageBox::Show(const QString& text, unsigned type, int milliseconds, QWidget* owner) {
    CMessageBox box(text, type, Utf8(g_ProductTitle), milliseconds, owner);
    return box.DoModal();
}

// ---------------------------------------------------------------------------

int ShowMessageBox(void*, const std::string& text, const std::string&, int type, int,
                   int milliseconds) {
    return CMessageBox::Show(QString::fromStdString(text), static_cast<unsigned>(type),
                             milliseconds);
}

CTextFieldMessages::~CTextFieldMessages() {
    for (TextFieldError e : errors_)
        ShowMessageBox(nullptr, TextFieldErrorText(e), "", MB_OK, 0, 0);
}

void CTextFieldMessages::Add(TextFieldError error) {
    if (error != TextFieldError::None) errors_.push_back(error);
}

void CTextFieldMessages::Add(const TextFieldErrors& errors) {
    for (TextFieldError e : errors)
        Add(e);
}
