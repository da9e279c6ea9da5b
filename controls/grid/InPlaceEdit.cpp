#include "controls/grid/InPlaceEdit.h"

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

void FinishInPlaceEdit(QWidget* editor, int row, int col, const QString& text, int endKey) {
    GridEditNotify record;
    record.hdr.from = editor;
    record.hdr.idFrom = static_cast<uintptr_t>(ControlId(editor));
    record.hdr.code = GRIDN_END_EDIT;
    record.item.row = row;
    record.item.col = col;
    record.item.mask = GIM_TEXT | GIM_PARAM;
    record.item.text = text.toStdString();
    record.item.lParam = endKey;
    if (QWidget* owner = InPlaceEditOwner(editor->parentWidget()))
        platform::SendMessage(owner, WM_NOTIFY, record.hdr.idFrom,
                              reinterpret_cast<LPARAM>(&record));
    editor->hide();
    editor->deleteLater();
}

bool IsTabKeyEvent(const QEvent* e) {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
    const int key = static_cast<const QKeyEvent*>(e)->key();
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

int InPlaceWalkKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_PageUp:
        return vk::kPrior;
    case Qt::Key_PageDown:
        return vk::kNext;
    case Qt::Key_Left:
        return vk::kLeft;
    case Qt::Key_Up:
        return vk::kUp;
    case Qt::Key_Right:
        return vk::kRight;
    case Qt::Key_Down:
        return vk::kDown;
    default:
        return 0;
    }
}

int InPlaceEndKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::kReturn;
    case Qt::Key_Escape:
        return vk::kEscape;
    default:
        return 0;
    }
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
    if (e->type() == QEvent::KeyPress && IsTabKeyEvent(e)) {
        keyPressEvent(static_cast<QKeyEvent*>(e));
        return true;
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
    if (const int walk = InPlaceWalkKey(e->key())) {
        // A click started the edit: the arrows move the caret unless Ctrl is held.
        if (m_ExitOnArrows || ctrl)
            EndWith(walk);
        else
            QLineEdit::keyPressEvent(e);
        return;
    }
    if (const int end = InPlaceEndKey(e->key())) {
        EndWith(end);
        return;
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
    FinishInPlaceEdit(this, m_Row, m_Col, text(), m_EndKey);
}
