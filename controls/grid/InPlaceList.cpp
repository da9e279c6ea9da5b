#include "controls/grid/InPlaceList.h"

#include "controls/ControlNotify.h"
#include "controls/grid/InPlaceEdit.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QStyle>

// ---------------------------------------------------------------------------
// The edit field
// ---------------------------------------------------------------------------

CComboEdit::CComboEdit(CInPlaceList* list) : QLineEdit(list), m_List(list) {}

bool CComboEdit::event(QEvent* e) {
    if (!IsTabKeyEvent(e)) return QLineEdit::event(e);
    auto* key = static_cast<QKeyEvent*>(e);
    e->type() == QEvent::KeyPress ? keyPressEvent(key) : keyReleaseEvent(key);
    return true;
}

void CComboEdit::keyPressEvent(QKeyEvent* e) {
    if (InPlaceWalkKey(e->key()) && (e->modifiers() & Qt::ControlModifier)) {
        m_List->OnEditKeyDown(e);
        return;
    }
    if (InPlaceEndKey(e->key())) {
        e->accept(); // acted on when the key comes up
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CComboEdit::keyReleaseEvent(QKeyEvent* e) {
    if (InPlaceEndKey(e->key())) {
        m_List->OnEditKeyUp(e);
        return;
    }
    QLineEdit::keyReleaseEvent(e);
}

void CComboEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) m_List->EndEdit();
}

// ---------------------------------------------------------------------------
// The list
// ---------------------------------------------------------------------------

CInPlaceList::CInPlaceList(QWidget* parent, const GridRect& rect, uint32_t style, int id, int row,
                           int col, const std::vector<std::string>& items,
                           const std::string& initialText, int firstChar)
    : QComboBox(parent), m_Style(style), m_InitialText(initialText), m_Row(row), m_Col(col) {
    setObjectName(QString::number(id));
    SetControlId(this, id);
    setMaxVisibleItems(kDropDownLines);
    if (!IsDropDownList()) {
        setEditable(true);
        m_Edit = new CComboEdit(this);
        setLineEdit(m_Edit);
    }
    for (const std::string& item : items)
        addItem(QString::fromStdString(item));
    // As wide as the widest text with a scroll bar and a space either side.
    const QFontMetrics fm(font());
    int widest = 0;
    for (const std::string& item : items)
        widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(item)));
    widest += QComboBox::style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
              2 * fm.horizontalAdvance(QLatin1Char(' '));
    QRect place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (place.width() < widest) place.setWidth(widest);
    setGeometry(place);
    view()->setMinimumWidth(widest);
    const int found =
        findText(QString::fromStdString(initialText), Qt::MatchStartsWith | Qt::MatchCaseSensitive);
    if (found >= 0) {
        setCurrentIndex(found);
    } else {
        setCurrentIndex(-1);
        if (m_Edit) m_Edit->setText(QString::fromStdString(initialText));
    }
    show();
    if (!m_Edit) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    m_Edit->setFocus(Qt::OtherFocusReason);
    switch (firstChar) {
    case vk::kLButton:
    case vk::kReturn:
        m_Edit->end(false);
        break;
    case vk::kBack:
        m_Edit->end(false);
        m_Edit->backspace();
        break;
    default:
        m_Edit->selectAll();
        if (firstChar >= vk::kPrior && firstChar <= vk::kDown) break;
        if (firstChar >= 0x20) m_Edit->insert(QString(QChar(static_cast<char16_t>(firstChar))));
        break;
    }
}

bool CInPlaceList::event(QEvent* e) {
    if (!IsTabKeyEvent(e)) return QComboBox::event(e);
    auto* key = static_cast<QKeyEvent*>(e);
    e->type() == QEvent::KeyPress ? keyPressEvent(key) : keyReleaseEvent(key);
    return true;
}

void CInPlaceList::EndWith(int key) {
    m_EndKey = key;
    if (QWidget* owner = InPlaceEditOwner(parentWidget())) owner->setFocus(Qt::OtherFocusReason);
    EndEdit();
}

void CInPlaceList::keyPressEvent(QKeyEvent* e) {
    if (const int walk = InPlaceWalkKey(e->key()); walk && (e->modifiers() & Qt::ControlModifier)) {
        EndWith(walk);
        return;
    }
    if (InPlaceEndKey(e->key())) {
        e->accept(); // acted on when the key comes up
        return;
    }
    QComboBox::keyPressEvent(e);
}

void CInPlaceList::keyReleaseEvent(QKeyEvent* e) {
    const int end = InPlaceEndKey(e->key());
    if (!end) {
        QComboBox::keyReleaseEvent(e);
        return;
    }
    if (end == vk::kEscape) {
        const int found = findText(QString::fromStdString(m_InitialText), Qt::MatchCaseSensitive);
        setCurrentIndex(found);
        if (found < 0 && m_Edit) m_Edit->setText(QString::fromStdString(m_InitialText));
    }
    EndWith(end);
}

void CInPlaceList::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason && IsDropDownList()) EndEdit();
}

void CInPlaceList::EndEdit() {
    if (m_Ended) return;
    m_Ended = true;
    FinishInPlaceEdit(this, m_Row, m_Col, currentText(), m_EndKey);
}
