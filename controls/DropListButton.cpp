#include "controls/DropListButton.h"

#include "platform/Fonts.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>

namespace {

const QColor kListBack(27, 34, 50);
const QColor kListHighlight(13, 133, 138);
const QColor kItemText(255, 255, 255);

// Each item: an outlined box (neighbours share their outlines), filled with
// the highlight while selected, its text centred and cut with an ellipsis.
class DropItemDelegate : public QStyledItemDelegate {
public:
    DropItemDelegate(CDropListBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect box = option.rect.adjusted(-1, -1, 1, 1);
        const bool lit = option.state & QStyle::State_Selected;
        p->save();
        p->setPen(kListBack);
        p->setBrush(lit ? kListHighlight : kListBack);
        p->drawRect(box.adjusted(0, 0, -1, -1));
        const QRect textArea(4, box.top(), box.right() - 5 - 4, box.height());
        p->setFont(list_->font());
        p->setPen(kItemText);
        const QString text = index.data().toString();
        p->drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine,
                    p->fontMetrics().elidedText(text, Qt::ElideRight, textArea.width()));
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(list_->viewport()->width(), list_->ItemHeight());
    }

private:
    CDropListBox* list_;
};

} // namespace

// ---------------------------------------------------------------------------
// CDropListBox
// ---------------------------------------------------------------------------

CDropListBox::CDropListBox(QWidget* parent) : QListWidget(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setItemDelegate(new DropItemDelegate(this));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kListBack);
    pal.setColor(QPalette::Window, kListBack);
    setPalette(pal);
}

int CDropListBox::AddString(const QString& text) {
    if (count() == 1 && committed_ >= 0 && committed_ < 1) setCurrentRow(committed_);
    addItem(text);
    return count() - 1;
}

void CDropListBox::ResetContent() {
    committed_ = 0;
    clear();
}

void CDropListBox::SetItemFont(const QFont& font, int height) {
    if (fontSet_) return;
    fontSet_ = true;
    setFont(font);
    itemHeight_ = height > 0 ? height : QFontMetrics(font).height();
    doItemsLayout();
}

void CDropListBox::mouseMoveEvent(QMouseEvent* e) {
    // The selection follows the pointer, without a notice.
    const QModelIndex under = indexAt(e->position().toPoint());
    if (under.isValid() && under.row() != currentRow()) setCurrentRow(under.row());
}

void CDropListBox::mousePressEvent(QMouseEvent* e) {
    pressedInside_ = e->button() == Qt::LeftButton && indexAt(e->position().toPoint()).isValid();
    QListWidget::mousePressEvent(e);
}

void CDropListBox::mouseReleaseEvent(QMouseEvent* e) {
    // Only a click that began in the list chooses: the release of the press
    // that opened the list may land on it too.
    const bool chosen = pressedInside_ && e->button() == Qt::LeftButton;
    pressedInside_ = false;
    const QModelIndex under = indexAt(e->position().toPoint());
    QListWidget::mouseReleaseEvent(e);
    if (!chosen || !under.isValid()) return;
    setCurrentRow(under.row());
    if (auto* popup = dynamic_cast<CDropListPopup*>(window()))
        popup->OnSelectionChange(under.row(), true);
}

void CDropListBox::keyPressEvent(QKeyEvent* e) {
    auto* popup = dynamic_cast<CDropListPopup*>(window());
    if (e->key() == Qt::Key_Escape) {
        if (popup) popup->OnSelectionChange(currentRow(), false);
        return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (popup && currentRow() != before) popup->OnSelectionChange(currentRow(), false);
}

// ---------------------------------------------------------------------------
// CDropListPopup
// ---------------------------------------------------------------------------

CDropListPopup::CDropListPopup(CDropListButton* owner)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), owner_(owner),
      list_(new CDropListBox(this)) {
    SetControlId(list_, CDropListBox::kId);
    list_->show();
}

void CDropListPopup::OnSelectionChange(int index, bool byMouse) {
    hide();
    if (!byMouse) {
        list_->setCurrentRow(list_->GetCommittedSel());
        return;
    }
    if (owner_) platform::SendMessage(owner_, WM_DROP_CHOICE, static_cast<WPARAM>(index), 0);
}

void CDropListPopup::resizeEvent(QResizeEvent* e) {
    list_->setGeometry(rect());
    QWidget::resizeEvent(e);
}

void CDropListPopup::mousePressEvent(QMouseEvent* e) {
    // A click outside closes the list without a notice. On the owner button
    // the click only closes it: it must not open the list again.
    const QPoint global = e->globalPosition().toPoint();
    setAttribute(Qt::WA_NoMouseReplay,
                 owner_ && owner_->rect().contains(owner_->mapFromGlobal(global)));
    hide();
}

// ---------------------------------------------------------------------------
// CDropListButton
// ---------------------------------------------------------------------------

CDropListButton::CDropListButton(QWidget* parent, int id)
    : SkinButtonBase(parent, id), normalFont_(platform::ArialFont(14, 400)),
      struckFont_(normalFont_) {
    struckFont_.setStrikeOut(true);
}

CDropListButton::~CDropListButton() {
    delete popup_;
}

void CDropListButton::SetBitmaps(unsigned normal, unsigned hover) {
    normalBitmap_ = normal;
    hoverBitmap_ = hover;
    ctl::FitToPicture(this, normal);
}

bool CDropListButton::CreateDropList(QWidget* owner, int notificationId) {
    listWidth_ = width();
    if (!popup_) popup_ = new CDropListPopup(this);
    popup_->List()->SetItemFont(normalFont_, 14);
    owner_ = owner;
    notifyId_ = notificationId;
    return true;
}

void CDropListButton::AddString(const QString& text) {
    if (!popup_) return;
    popup_->List()->AddString(text);
    ++count_;
}

void CDropListButton::ResetContent() {
    if (popup_) popup_->List()->ResetContent();
    count_ = 0;
}

void CDropListButton::SetCurSel(int index) {
    if (!popup_) return;
    CDropListBox* list = popup_->List();
    const int n = list->count();
    if (n == 0) {
        list->setCurrentRow(-1);
        setText(QString());
    } else {
        index = std::clamp(index, 0, n - 1);
        list->setCurrentRow(index);
        setText(list->item(index)->text());
    }
    repaint();
}

int CDropListButton::GetCurSel() const {
    return popup_ ? popup_->List()->currentRow() : -1;
}

QRect CDropListButton::DropRect(const QRect& button, const QRect& workArea, int listWidth,
                                int itemHeight, int count, int maxHeight) {
    const int height = count > 0 && count * itemHeight < maxHeight ? count * itemHeight : maxHeight;
    const int buttonBottom = button.y() + button.height(); // first row below the button
    if (buttonBottom + height > workArea.y() + workArea.height())
        return QRect(button.x(), button.y() - height, listWidth, height);
    return QRect(button.x(), buttonBottom - 1, listWidth, height + 1);
}

void CDropListButton::ShowDropList() {
    if (!popup_) return;
    const QRect button(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* s = screen();
    const QRect workArea = s ? s->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    popup_->setGeometry(
        DropRect(button, workArea, listWidth_, popup_->List()->ItemHeight(), count_));
    popup_->show();
    popup_->List()->setFocus(Qt::PopupFocusReason);
}

void CDropListButton::SetWarning(bool on, bool struckOut) {
    if (warning_ == on && warningStruck_ == struckOut) return;
    warning_ = on;
    warningStruck_ = struckOut;
    update();
}

CDropListButton::Shown CDropListButton::Current() const {
    if (!isEnabled()) return {disabledBitmap_, FontKind::Own, disabledColor_};
    if (hover_) return {hoverBitmap_, FontKind::Normal, hoverColor_};
    if (warning_)
        return {normalBitmap_, warningStruck_ ? FontKind::StruckOut : FontKind::Normal,
                highlightColor_};
    return {normalBitmap_, FontKind::Normal, normalColor_};
}

QSize CDropListButton::sizeHint() const {
    const QSize s = ctl::Picture(normalBitmap_).size();
    return s.isEmpty() ? size() : s;
}

void CDropListButton::paintEvent(QPaintEvent*) {
    const Shown shown = Current();
    QPainter p(this);
    const QPixmap disabled =
        isEnabled() ? QPixmap() : ctl::DisabledFace(shown.bitmap, normalBitmap_);
    if (disabled.isNull())
        ctl::DrawFace(p, this, shown.bitmap);
    else
        p.drawPixmap(0, 0, disabled);
    const QString caption = text();
    if (caption.isEmpty()) return;
    p.setFont(shown.font == FontKind::Own         ? font()
              : shown.font == FontKind::StruckOut ? struckFont_
                                                  : normalFont_);
    p.setPen(shown.textColor);
    p.drawText(rect().adjusted(5, 0, -20, 0), Qt::AlignCenter | Qt::TextSingleLine, caption);
}

void CDropListButton::mousePressEvent(QMouseEvent* e) {
    hover_ = false;
    if (e->button() == Qt::LeftButton && popup_) {
        // The list takes the mouse from here on; the button only takes the
        // focus, as a pressed button does.
        setFocus(Qt::MouseFocusReason);
        ShowDropList();
        update();
        return;
    }
    update();
    QAbstractButton::mousePressEvent(e);
}

void CDropListButton::mouseMoveEvent(QMouseEvent* e) {
    if (!hover_) {
        hover_ = true;
        update();
    }
    const bool listOpen = popup_ && popup_->isVisible();
    if (moves_.IsNew(e->position().toPoint()) && !listOpen && !hasFocus())
        ctl::MoveReport::Send(this, ctl::MouseKeyFlags(e));
    QAbstractButton::mouseMoveEvent(e);
}

void CDropListButton::focusOutEvent(QFocusEvent* e) {
    hover_ = false;
    update();
    QAbstractButton::focusOutEvent(e);
}

void CDropListButton::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (count_ == 0 || !popup_) return; // nothing to step to
    wheel_ = std::clamp(wheel_ + e->angleDelta().y(), -120, 120);
    if (wheel_ != 120 && wheel_ != -120) return;
    const int from = GetCurSel();
    const int to = wheel_ < 0 ? std::min(from + 1, count_ - 1) : std::max(from - 1, 0);
    wheel_ = 0;
    SetCurSel(to);
    if (QWidget* parent = parentWidget())
        platform::PostMessage(parent, WM_DROP_CHOICE, static_cast<WPARAM>(notifyId_), GetCurSel());
}

LRESULT CDropListButton::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_DROP_CHOICE) return 0;
    OnChoice(static_cast<int>(wParam));
    return 1;
}

void CDropListButton::OnChoice(int index) {
    if (!popup_ || index < 0 || index >= popup_->List()->count()) return;
    setText(popup_->List()->item(index)->text());
    hover_ = true;
    repaint();
    if (QWidget* parent = parentWidget())
        platform::PostMessage(parent, WM_DROP_CHOICE, static_cast<WPARAM>(notifyId_), index);
    popup_->List()->SetCommittedSel(index);
}
