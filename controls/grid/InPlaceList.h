// The grid's drop-down list editor (see InPlaceEdit.h): the cell's column
// offers a fixed list of texts. A pure drop-down list only picks; the
// editable kind also takes typing in its edit field (CComboEdit), which
// hands Tab, Enter, Escape and the Ctrl-arrow keys to the list.
#pragma once

#include "controls/core/GridCore.h"

#include <QComboBox>
#include <QLineEdit>

#include <string>
#include <vector>

class CInPlaceList;

class CComboEdit : public QLineEdit {
public:
    explicit CComboEdit(CInPlaceList* list);

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    CInPlaceList* m_List;
};

class CInPlaceList : public QComboBox {
public:
    static constexpr int kDropDownLines = 4;
    static constexpr uint32_t kDropDownList = 3; // style bits of a list that only picks

    CInPlaceList(QWidget* parent, const GridRect& rect, uint32_t style, int id, int row, int col,
                 const std::vector<std::string>& items, const std::string& initialText,
                 int firstChar);

    void EndEdit();

    int Row() const { return m_Row; }
    int Col() const { return m_Col; }
    int EndKey() const { return m_EndKey; }
    bool IsDropDownList() const { return (m_Style & 3) == kDropDownList; }
    CComboEdit* Edit() const { return m_Edit; }

    // The keys the edit field hands on.
    void OnEditKeyDown(QKeyEvent* e) { keyPressEvent(e); }
    void OnEditKeyUp(QKeyEvent* e) { keyReleaseEvent(e); }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void EndWith(int key);

    uint32_t m_Style;
    std::string m_InitialText;
    int m_Row;
    int m_Col;
    int m_EndKey = 0;
    CComboEdit* m_Edit = nullptr;
    bool m_Ended = false;
};
