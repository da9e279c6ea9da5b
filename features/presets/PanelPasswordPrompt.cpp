#include "features/presets/PanelPasswordPrompt.h"

#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "controls/EditControls.h"
#include "controls/MessageBox.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <QKeyEvent>
#include <QPainter>

const char* const g_PanelPassword = "kq3527";

namespace {

// Template 938 in dialog units of System 10.
constexpr platform::TemplateFont kFont = platform::kSystem10;
const QSize kSize(187, 194);
const QRect kEditPlace(22, 38, 93, 12);
const QRect kClosePlace(118, 7, 8, 10);
const QRect kMinimisePlace(107, 9, 8, 10);
const QRect kOkPlace(26, 59, 77, 10);
constexpr int kBackground = 939;

const BiText kWrongText{"密码错误!", "Password error!"};

CBitButton* PlaceBitButton(QWidget* parent, int id, const QRect& dlu) {
    auto* b = new CBitButton(parent, id);
    b->setObjectName(QString::number(id));
    b->setGeometry(platform::DluToPixels(dlu, kFont));
    return b;
}

} // namespace

CPanelPasswordPrompt::CPanelPasswordPrompt(QWidget* parent)
    : MessageTarget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint) {
    setFixedSize(platform::DluToPixels(kSize, kFont));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_Close = PlaceBitButton(this, IDC_CLOSE, kClosePlace);
    m_Minimise = PlaceBitButton(this, IDC_MINIMISE, kMinimisePlace);
    m_Edit = new CPasswordEdit(this);
    m_Edit->setObjectName(QString::number(IDC_PASSWORD));
    m_Edit->setGeometry(platform::DluToPixels(kEditPlace, kFont));
    m_Edit->setEchoMode(QLineEdit::Password);
    m_Edit->setAlignment(Qt::AlignCenter);
    m_Edit->installEventFilter(this);
    m_Ok = PlaceBitButton(this, IDC_OK, kOkPlace);
}

void CPanelPasswordPrompt::showEvent(QShowEvent* event) {
    OnInitDialog();
    MessageTarget::showEvent(event);
}

void CPanelPasswordPrompt::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    // The window takes its background's size.
    const QSize background = skin::Size(kBackground);
    if (background.isValid()) setFixedSize(background);
    m_Accepted = 0;
    m_Edit->setMaxLength(kPasswordLength);
    m_Edit->clear();
    m_Close->SetBitmaps(944, 944, 944);
    m_Minimise->SetBitmaps(934, 935, 935);
    if (g_LanguageFlag.load())
        m_Ok->SetBitmaps(940, 941, 941);
    else
        m_Ok->SetBitmaps(942, 943, 943);
    setWindowTitle(QString::fromUtf8(g_ProductTitle));
    m_Edit->setFocus(Qt::OtherFocusReason);
}

void CPanelPasswordPrompt::OnOK() {
    if (m_Edit->text() == QString::fromLatin1(g_PanelPassword)) {
        m_Accepted = 1;
    } else {
        m_Accepted = 0;
        CMessageBox::Show(QString::fromUtf8(kWrongText.Pick()), MB_OK, 0, this);
        m_Edit->setFocus(Qt::OtherFocusReason);
    }
    done(QDialog::Accepted);
}

LRESULT CPanelPasswordPrompt::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND) return 0;
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case IDC_OK:
        OnOK();
        break;
    case IDC_CLOSE:
        reject();
        break;
    case IDC_MINIMISE:
        showMinimized();
        break;
    default:
        break;
    }
    return 0;
}

bool CPanelPasswordPrompt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnOK();
            return true;
        }
    }
    return MessageTarget::eventFilter(watched, event);
}

void CPanelPasswordPrompt::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the prompt: the focus leaves the field.
    if (event->key() == Qt::Key_Escape) {
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    MessageTarget::keyPressEvent(event);
}

void CPanelPasswordPrompt::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, skin::Pixmap(kBackground));
}
