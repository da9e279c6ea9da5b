#include "controls/InPlaceEdit.h"

#include "controls/ControlNotify.h"
#include "platform/Message.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>

QWidget* InPlaceEditOwner(QWidget* parent) {
    for (QWidget* w = parent; w; w = w->parentWidget())
        if (dynamic_cast<platform::IMessageReceiver*>(w)) return w;
    return parent;
}

CInPlaceEdit::CInPlaceEdit(QWidget* parent, const GridRect& rect, uint32_t style, int id, int row,
                           int col, const std::string& initialText, int firstChar)
    : QLineEdit(parent), m_Row(row), m_Col(col), m_InitialText(initialText),
      m_ExitOnArrows(firstChar != vk::kLButton),
      m_Rect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top) {
    setObjectName(QString::number(id));
    SetControlId(this, id);
    setAttribute(Qt::WA_DeleteOnClose);
    if (style & 0x2)
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if (style & 0x1)
        setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setGeometry(m_Rect);
    setText(QString::fromStdString(initialText));
    show();
    setFocus(Qt::OtherFocusReason);
    switch (firstChar) {
    case vk::kLButton:
    case vk::kReturn:
        end(false);
        break;
    case vk::kBack:
        end(false);
        backspace();
        GrowToText();
        break;
    case vk::kTab:
    case vk::kSpace:
        selectAll();
        break;
    default:
        selectAll();
        if (firstChar >= vk::kPrior && firstChar <= vk::kDown) break;
        if (firstChar == vk::kEscape) {
            EndWith(vk::kEscape);
            break;
        }
        TypeChar(QString(QChar(static_cast<char16_t>(firstChar))));
        break;
    }
}

bool CInPlaceEdit::event(QEvent* e) {
    // Every key is the editor's: Tab does not move the focus on.
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(e);
}

void CInPlaceEdit::EndWith(int key) {
    if (key == vk::kEscape) setText(QString::fromStdString(m_InitialText));
    m_EndKey = key;
    if (QWidget* owner = InPlaceEditOwner(parentWidget())) owner->setFocus(Qt::OtherFocusReason);
    // Without the focus to lose (a window that is not active) it ends here.
    EndEdit();
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (m_ExitOnArrows || ctrl) {
            static const int keys[] = {vk::kPrior, vk::kNext,  vk::kLeft,
                                       vk::kUp,    vk::kRight, vk::kDown};
            static const int qt[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Left,
                                     Qt::Key_Up,     Qt::Key_Right,    Qt::Key_Down};
            for (int i = 0; i < 6; ++i)
                if (qt[i] == e->key()) EndWith(keys[i]);
            return;
        }
        QLineEdit::keyPressEvent(e);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        EndWith(vk::kTab);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndWith(vk::kReturn);
        return;
    case Qt::Key_Escape:
        EndWith(vk::kEscape);
        return;
    default:
        break;
    }
    // Alt with a key: no mnemonic of the dialog fires while editing.
    if (e->modifiers() & Qt::AltModifier) {
        e->accept();
        return;
    }
    const QString text = e->text();
    if (!ctrl && !text.isEmpty() && text[0].isPrint()) {
        TypeChar(text);
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        e->accept(); // a paste must keep to the limit as typing does
        return;
    }
    QLineEdit::keyPressEvent(e);
    if (!text.isEmpty()) GrowToText();
}

void CInPlaceEdit::TypeChar(const QString& ch) {
    const int after = static_cast<int>(text().size() - selectedText().size() + ch.size());
    if (after > kTextLimit) return;
    insert(ch);
    GrowToText();
}

void CInPlaceEdit::GrowToText() {
    const int width = fontMetrics().horizontalAdvance(text() + QStringLiteral("  "));
    if (width <= m_Rect.width()) return;
    int right = m_Rect.left() + width;
    if (QWidget* p = parentWidget()) right = std::min(right, p->rect().right() + 1);
    m_Rect.setWidth(right - m_Rect.left());
    setGeometry(m_Rect);
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    EndEdit();
}

void CInPlaceEdit::contextMenuEvent(QContextMenuEvent* e) {
    e->accept();
}

void CInPlaceEdit::EndEdit() {
    if (m_Ended) return;
    m_Ended = true;
    GridEditNotify record;
    record.hdr.from = this;
    record.hdr.idFrom = static_cast<uintptr_t>(ControlId(this));
    record.hdr.code = GRIDN_END_EDIT;
    record.item.row = m_Row;
    record.item.col = m_Col;
    record.item.mask = GIM_TEXT | GIM_PARAM;
    record.item.text = text().toStdString();
    record.item.lParam = m_EndKey;
    if (QWidget* owner = InPlaceEditOwner(parentWidget()))
        platform::SendMessage(owner, WM_NOTIFY, record.hdr.idFrom,
                              reinterpret_cast<LPARAM>(&record));
    hide();
    deleteLater();
}
