// The grid's in-place editors: a small edit field (CInPlaceEdit) or a
// drop-down list (CInPlaceList, with its edit field CComboEdit) laid over a
// cell. Each shows itself with the focus as it is built and ends when it
// loses the focus: it reports its text and the key that ended it (0 when the
// focus simply went) to the grid with one WM_NOTIFY (a GridEditNotify, code
// GRIDN_END_EDIT, from control IDC_INPLACE_EDIT) and goes. Tab, Enter and
// Escape end an edit (Escape with the text it started with); so do the arrow
// and page keys, unless a mouse click started the edit (then only with Ctrl).
#pragma once

#include "controls/core/GridCore.h"

#include <QLineEdit>
#include <QRect>

#include <string>

class QWidget;

// The window an editor reports to and gives the focus back to: the grid
// around the cell area it is built in.
QWidget* InPlaceEditOwner(QWidget* parent);
// Reports an editor's end to its owner (the text and the key that ended it)
// and lets the editor go.
void FinishInPlaceEdit(QWidget* editor, int row, int col, const QString& text, int endKey);
// A press or release of Tab or Shift+Tab, which an editor keeps for itself.
bool IsTabKeyEvent(const QEvent* e);
// The key code an editor ends with for a key: the page and arrow keys
// (InPlaceWalkKey), Tab, Enter and Escape (InPlaceEndKey); 0 for others.
int InPlaceWalkKey(int qtKey);
int InPlaceEndKey(int qtKey);

class CInPlaceEdit : public QLineEdit {
public:
    // The text typed may grow to this many characters (a longer starting
    // text is shown whole).
    static constexpr int kTextLimit = 8;

    // parent: the grid's cell area; rect: the cell (its last pixel included,
    // which the editor leaves to the grid lines); style: ES_ alignment;
    // firstChar: the character or key that started the edit.
    CInPlaceEdit(QWidget* parent, const GridRect& rect, uint32_t style, int id, int row, int col,
                 const std::string& initialText, int firstChar);

    // Sends the result and closes; once only.
    void EndEdit();

    int Row() const { return m_Row; }
    int Col() const { return m_Col; }
    int EndKey() const { return m_EndKey; }
    bool ExitsOnArrows() const { return m_ExitOnArrows; }
    const std::string& InitialText() const { return m_InitialText; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // A typed character: within the limit, then the editor grows to its text.
    void TypeChar(const QString& ch);
    void GrowToText();
    // Ends the edit with this key by giving the focus back to the grid.
    void EndWith(int key);

    int m_Row;
    int m_Col;
    std::string m_InitialText;
    int m_EndKey = 0;
    bool m_ExitOnArrows;
    QRect m_Rect;
    bool m_Ended = false;
};
