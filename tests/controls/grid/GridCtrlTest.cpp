// The grid control offscreen: what it paints, the mouse with the
// machine-preset menu in both languages, the wheel, the keys, the in-place
// editors, the title tip, drag and drop, the choice-list grid, printing to a
// recording target and a PDF, and its text files.
#include "controls/ControlNotify.h"
#include "controls/grid/GridCtrl.h"
#include "controls/grid/GridDropTarget.h"
#include "controls/grid/InPlaceEdit.h"
#include "controls/grid/InPlaceList.h"
#include "controls/MessageBox.h"
#include "controls/grid/TitleTip.h"
#include "model/Globals.h"
#include "tests/controls/grid/GridPrintRecorder.h"
#include "tests/platform/GuiTestSupport.h"

#include <gmock/gmock.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <memory>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

// The window a grid reports to.
class Owner : public platform::MessageTarget<QWidget> {
public:
    struct Msg {
        unsigned msg;
        int code; // WM_NOTIFY: the code; WM_COMMAND: the id
        int row;
        int col;
        bool operator==(const Msg& o) const {
            return msg == o.msg && code == o.code && row == o.row && col == o.col;
        }
    };
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NOTIFY) {
            const auto* n = reinterpret_cast<const GridNotify*>(lParam);
            got.push_back({msg, n->hdr.code, n->row, n->col});
        } else if (msg == WM_COMMAND) {
            got.push_back({msg, static_cast<int>(wParam & 0xFFFF), 0, 0});
        }
        return 0;
    }
    int Count(unsigned msg, int code) const {
        int n = 0;
        for (const Msg& m : got)
            n += m.msg == msg && m.code == code;
        return n;
    }
    std::vector<Msg> got;
};

constexpr int kGridId = 2724;

class GridCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_LanguageFlag = 0;
        owner = std::make_unique<Owner>();
        owner->resize(400, 300);
    }
    void TearDown() override {
        CGridCtrl::SetMenuChooser({});
        CGridCtrl::SetPrintTargetChooser({});
        CMessageBox::SetResponder({});
        owner.reset();
        g_LanguageFlag = 0;
    }
    // A grid of rows x cols with one fixed row and column, rows of 20 and
    // columns of 60 (the first 40), in a 300 x 200 window.
    template <class Grid = CGridCtrl> Grid* MakeGrid(int rows, int cols) {
        auto* g = new Grid(owner.get());
        g->Create(QRect(0, 0, 300, 200), owner.get(), kGridId);
        g->SetRowCount(rows);
        g->SetColumnCount(cols);
        g->SetFixedRowCount(1);
        g->SetFixedColumnCount(1);
        for (int r = 0; r < rows; ++r)
            g->SetRowHeight(r, 20);
        g->SetColumnWidth(0, 40);
        for (int c = 1; c < cols; ++c)
            g->SetColumnWidth(c, 60);
        g->ResetScrollBars();
        owner->show();
        QApplication::processEvents();
        return g;
    }
    static QPoint CellPoint(CGridCtrl* g, int row, int col) {
        GridRect r;
        EXPECT_TRUE(g->GetCellRect(row, col, &r));
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static void Mouse(CGridCtrl* g, QEvent::Type type, Qt::MouseButton button, QPoint at,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent e(type, at, g->viewport()->mapToGlobal(at), button, held, mods);
        QApplication::sendEvent(g->viewport(), &e);
    }
    static void Click(CGridCtrl* g, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Mouse(g, QEvent::MouseButtonPress, Qt::LeftButton, at, mods);
        Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, at, mods);
    }
    static void DoubleClick(CGridCtrl* g, QPoint at) {
        Click(g, at);
        Mouse(g, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, at);
    }
    static void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = QString()) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(w, &release);
    }
    static QImage Picture(CGridCtrl* g) { return g->viewport()->grab().toImage(); }
    // Colours as the screen shows them (8 bits a channel).
    static QRgb Sys(QPalette::ColorRole role) {
        return QApplication::palette().color(QPalette::Active, role).rgb();
    }
    static QRgb At(const QImage& img, int x, int y) { return img.pixelColor(x, y).rgb(); }

    std::unique_ptr<Owner> owner;
};

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, HeadingsOfTheFocusCellArePressedAndItsCellFramedOrHighlighted) {
    for (bool editable : {true, false}) {
        SCOPED_TRACE(editable ? "editable" : "read-only");
        auto* g = MakeGrid(5, 3);
        g->SetEditable(editable);
        g->SetGridLines(3);
        g->SetFocusCellAt(3, 1);
        const QImage img = Picture(g);
        GridRect focus, rowHeading, colHeading, otherHeading;
        ASSERT_TRUE(g->GetCellRect(3, 1, &focus));
        ASSERT_TRUE(g->GetCellRect(3, 0, &rowHeading));
        ASSERT_TRUE(g->GetCellRect(0, 1, &colHeading));
        ASSERT_TRUE(g->GetCellRect(2, 0, &otherHeading));
        // Pressed: a dark edge at the top left; raised: a light one.
        EXPECT_EQ(At(img, rowHeading.left, rowHeading.top), Sys(QPalette::Shadow));
        EXPECT_EQ(At(img, colHeading.left, colHeading.top), Sys(QPalette::Shadow));
        EXPECT_EQ(At(img, otherHeading.left, otherHeading.top), Sys(QPalette::Light));
        EXPECT_EQ(At(img, otherHeading.right, otherHeading.top + 2), Sys(QPalette::Shadow));
        if (editable) {
            // A black frame inside the cell, its inside in the cell colour.
            EXPECT_EQ(At(img, focus.left, focus.top + 5), qRgb(0, 0, 0));
            EXPECT_EQ(At(img, focus.left + 5, focus.top), qRgb(0, 0, 0));
            EXPECT_EQ(At(img, focus.left + 3, focus.top + 3), Sys(QPalette::Base));
        } else {
            EXPECT_EQ(At(img, focus.left + 3, focus.top + 3), Sys(QPalette::Highlight));
        }
        delete g;
    }
}

TEST_F(GridCtrlTest, ColoursLinesAndTheAreaBelowTheRows) {
    auto* g = MakeGrid(4, 3);
    g->SetItemBkColour(1, 1, RgbColor(255, 0, 0));
    g->SetItemBkColour(2, 1, RgbColor(255, 0, 0));
    g->SetItemState(2, 1, CELLSTATE_SELECTED);
    g->SetGridLineColour(RgbColor(51, 154, 255));
    g->SetGridLines(1);
    QImage img = Picture(g);
    GridRect red, selected;
    ASSERT_TRUE(g->GetCellRect(1, 1, &red));
    ASSERT_TRUE(g->GetCellRect(2, 1, &selected));
    EXPECT_EQ(At(img, red.left + 3, red.top + 3), qRgb(255, 0, 0));
    EXPECT_EQ(At(img, selected.left + 3, selected.top + 3), Sys(QPalette::Highlight));
    // Horizontal lines only: the bottom row of a cell is a line, its right column is not.
    EXPECT_EQ(At(img, red.left + 3, red.bottom), qRgb(51, 154, 255));
    EXPECT_EQ(At(img, red.right, red.top + 3), qRgb(255, 0, 0));
    // Below the last row: the grid's background (the system's button shadow).
    EXPECT_EQ(At(img, 100, 4 * 20 + 10), Sys(QPalette::Dark));
    g->SetGridLines(0);
    img = Picture(g);
    EXPECT_EQ(At(img, red.left + 3, red.bottom), qRgb(255, 0, 0));
}

// ---------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, APressFocusesAndSelectsAndTheReleaseTellsTheOwner) {
    auto* g = MakeGrid(7, 2);
    g->SetEditable(false);
    g->SetSingleSelection(true);
    g->SetItemState(3, 1, CELLSTATE_READONLY | CELLSTATE_MODIFIED);
    // A press in the first column acts on the second.
    Mouse(g, QEvent::MouseButtonPress, Qt::LeftButton, CellPoint(g, 3, 0));
    EXPECT_EQ(g->GetFocusCell(), CellId(3, 1));
    EXPECT_EQ(g->GetItemState(3, 1), CELLSTATE_SELECTED | CELLSTATE_READONLY | CELLSTATE_MODIFIED);
    EXPECT_EQ(g->SelectedCells().size(), 1u);
    EXPECT_TRUE(g->hasFocus() || !owner->isActiveWindow());
    Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(g, 3, 0));
    EXPECT_EQ(owner->Count(WM_COMMAND, kGridId), 0); // posted
    QApplication::processEvents();
    EXPECT_EQ(owner->Count(WM_COMMAND, kGridId), 1);
    EXPECT_EQ(owner->Count(WM_NOTIFY, GRIDN_FOCUS_CHANGED), 1);
    // A press on the headings changes nothing, but its release still tells.
    owner->got.clear();
    Click(g, CellPoint(g, 0, 1));
    QApplication::processEvents();
    EXPECT_EQ(g->GetFocusCell(), CellId(3, 1));
    EXPECT_THAT(owner->got, ElementsAre(Owner::Msg{WM_COMMAND, kGridId, 0, 0}));
    // Moving with the button held selects nothing more.
    Mouse(g, QEvent::MouseButtonPress, Qt::LeftButton, CellPoint(g, 2, 1));
    Mouse(g, QEvent::MouseMove, Qt::LeftButton, CellPoint(g, 5, 1));
    Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(g, 5, 1));
    EXPECT_EQ(g->GetFocusCell(), CellId(2, 1));
    EXPECT_EQ(g->SelectedCells().size(), 1u);
}

TEST_F(GridCtrlTest, ACtrlPressKeepsTheEarlierSelection) {
    auto* g = MakeGrid(6, 4);
    Click(g, CellPoint(g, 1, 1));
    Click(g, CellPoint(g, 3, 2), Qt::ControlModifier);
    // Kept: the selection so far with the pressed cell.
    EXPECT_EQ(g->PreviousSelection().size(), 2u);
    EXPECT_EQ(g->SelectedCells().size(), 2u);
    Click(g, CellPoint(g, 4, 3));
    EXPECT_TRUE(g->PreviousSelection().empty());
    EXPECT_EQ(g->SelectedCells().size(), 1u);
}

TEST_F(GridCtrlTest, DoubleClicks) {
    // Read-only: reported once, with a command for each release.
    auto* g = MakeGrid(7, 2);
    g->SetEditable(false);
    DoubleClick(g, CellPoint(g, 4, 1));
    QApplication::processEvents();
    EXPECT_EQ(owner->Count(WM_NOTIFY, NM_DBLCLK), 1);
    EXPECT_EQ(owner->Count(WM_COMMAND, kGridId), 2);
    EXPECT_EQ(g->GetFocusCell(), CellId(4, 1));
    EXPECT_EQ(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
    delete g;
    // Editable: the editor opens at the second release, after the owner was told.
    owner->got.clear();
    g = MakeGrid(7, 3);
    g->SetItemText(2, 2, "name");
    Click(g, CellPoint(g, 2, 2));
    Mouse(g, QEvent::MouseButtonDblClick, Qt::LeftButton, CellPoint(g, 2, 2));
    EXPECT_EQ(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
    Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(g, 2, 2));
    auto* edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "name");
    EXPECT_FALSE(edit->hasSelectedText()); // started by a click: the caret after the text
    EXPECT_EQ(edit->cursorPosition(), 4);
    EXPECT_EQ(owner->Count(WM_NOTIFY, GRIDN_BEGIN_EDIT), 1);
    EXPECT_EQ(owner->Count(WM_NOTIFY, NM_DBLCLK), 0);
}

TEST_F(GridCtrlTest, TheRightButtonOpensThePresetMenuInTheLanguages) {
    struct Case {
        int languageAtConstruction;
        int languageAtPress;
        std::vector<std::string> texts;
    } cases[] = {
        {0,
         0,
         {"Load Machine Preset(&E)", "Save As Machine Preset(&I)", "Delete Machine Preset(&D)"}},
        {1, 1, {"加载 机器预置场景(&E)", "另存为 机器预置场景(&I)", "删除 机器预置场景(&D)"}},
        // The load and save texts keep the language the grid was built in.
        {1, 0, {"加载 机器预置场景(&E)", "另存为 机器预置场景(&I)", "Delete Machine Preset(&D)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.languageAtConstruction) + std::to_string(c.languageAtPress));
        g_LanguageFlag = c.languageAtConstruction;
        auto* g = MakeGrid(7, 2);
        g->SetEditable(false);
        g->SetSingleSelection(true);
        g_LanguageFlag = c.languageAtPress;
        std::vector<std::string> texts;
        std::vector<int> commands;
        int opened = 0;
        CGridCtrl::SetMenuChooser([&](QMenu& menu, const QPoint&) {
            ++opened;
            for (QAction* a : menu.actions()) {
                texts.push_back(a->text().toStdString());
                commands.push_back(a->data().toInt());
            }
            return static_cast<int>(CGridCtrl::ID_GRID_LOAD_PRESET);
        });
        owner->got.clear();
        // No menu over the headings or outside the cells.
        Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, CellPoint(g, 0, 1));
        Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, QPoint(200, 190));
        EXPECT_EQ(opened, 0);
        EXPECT_EQ(g->GetRightClickCell(), CellId());
        Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, CellPoint(g, 4, 1));
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(texts, c.texts);
        EXPECT_THAT(commands, ElementsAre(714, 713, 715));
        EXPECT_EQ(g->GetRightClickCell(), CellId(4, 1));
        EXPECT_EQ(g->GetItemState(4, 1) & CELLSTATE_SELECTED, CELLSTATE_SELECTED);
        EXPECT_EQ(g->GetFocusCell(), CellId()); // the focus went with the row change
        QApplication::processEvents();
        EXPECT_EQ(owner->Count(WM_COMMAND, CGridCtrl::ID_GRID_LOAD_PRESET), 1);
        delete g;
    }
    // A right press on the focus cell leaves the selection as it is.
    auto* g = MakeGrid(7, 2);
    CGridCtrl::SetMenuChooser([](QMenu&, const QPoint&) { return 0; });
    Click(g, CellPoint(g, 2, 1));
    Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, CellPoint(g, 2, 1));
    EXPECT_EQ(g->GetFocusCell(), CellId(2, 1));
    EXPECT_EQ(g->GetMouseMode(), MOUSEMODE_PREPARE_EDIT);
}

TEST_F(GridCtrlTest, TheWheelScrollsByLinesOrPages) {
    struct Case {
        int lines;
        int delta;
        int rowsScrolled; // positive: down
    } cases[] = {
        {3, 240, -6}, {3, -120, 3}, {-1, -240, 2 * 8}, // a page is 8 whole rows of this window
        {-1, 60, 0},  {3, 20, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.lines) + " " + std::to_string(c.delta));
        auto* g = MakeGrid(60, 3);
        g->SetWheelScrollLines(c.lines);
        g->SetScrollPos32(sb::kVert, 20 * 20);
        const int before = g->GetTopLeftScrolledCell().row;
        QWheelEvent wheel(QPointF(50, 50), g->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, c.delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(g->viewport(), &wheel);
        QApplication::processEvents();
        const int moved = g->GetTopLeftScrolledCell().row - before;
        if (c.lines == -1 && c.rowsScrolled != 0)
            EXPECT_GT(moved, 0);
        else
            EXPECT_EQ(moved, c.rowsScrolled);
        EXPECT_EQ(g->verticalScrollBar()->value(), g->GetScrollPos32(sb::kVert));
        delete g;
    }
}

// ---------------------------------------------------------------------------
// Keys and the in-place editor
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, KeysWalkTheFocusAndTabStaysInTheGrid) {
    auto* g = MakeGrid(5, 3);
    g->SetFocusCellAt(1, 1);
    g->setFocus();
    Key(g, Qt::Key_Tab);
    EXPECT_EQ(g->GetFocusCell(), CellId(1, 2));
    Key(g, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(g->GetFocusCell(), CellId(1, 1));
    Key(g, Qt::Key_Up);
    EXPECT_EQ(g->GetFocusCell(), CellId(4, 1));
    Key(g, Qt::Key_Down);
    EXPECT_EQ(g->GetFocusCell(), CellId(1, 1));
    // Delete empties the cell and tells the owner.
    g->SetItemText(1, 1, "x");
    Key(g, Qt::Key_Delete);
    EXPECT_EQ(g->GetItemText(1, 1), "");
    EXPECT_EQ(owner->Count(WM_NOTIFY, GRIDN_TEXT_DELETED), 1);
    // Enter and Escape are left to the window around.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(g, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
    // Ctrl+A selects everything.
    Key(g, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    EXPECT_EQ(g->SelectedCells().size(), 4u * 2u);
    EXPECT_EQ(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
}

TEST_F(GridCtrlTest, TheEditorsStartKeys) {
    struct Case {
        const char* what;
        int key;
        QString text;
        std::string shown;
        bool selected;
        int caret;
    } cases[] = {
        {"a letter replaces the text", Qt::Key_A, QStringLiteral("A"), "A", false, 1},
        {"backspace deletes the last character", Qt::Key_Backspace, QStringLiteral("\b"), "ab",
         false, 2},
        {"space selects the text", Qt::Key_Space, QStringLiteral(" "), "abc", true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* g = MakeGrid(4, 3);
        g->SetItemText(2, 2, "abc");
        g->SetFocusCellAt(2, 2);
        Key(g, c.key, Qt::NoModifier, c.text);
        auto* edit = g->viewport()->findChild<CInPlaceEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text().toStdString(), c.shown);
        EXPECT_EQ(edit->hasSelectedText(), c.selected);
        EXPECT_EQ(edit->cursorPosition(), c.caret);
        EXPECT_TRUE(edit->ExitsOnArrows());
        delete g;
    }
}

TEST_F(GridCtrlTest, EscapeEndsTheEditWithItsFirstTextAndTabWalksOn) {
    auto* g = MakeGrid(4, 4);
    g->SetItemText(1, 1, "old");
    g->SetItemText(1, 2, "next");
    g->SetFocusCellAt(1, 1);
    g->OnEditCell(1, 1, 'n');
    auto* edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "n");
    Key(edit, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
    Key(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->EndKey(), 27);
    EXPECT_EQ(g->GetItemText(1, 1), "old");
    EXPECT_FALSE(g->GetModified(1, 1));
    EXPECT_EQ(owner->Count(WM_NOTIFY, GRIDN_END_EDIT), 1);
    QApplication::processEvents(); // the editor goes
    EXPECT_EQ(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
    // Tab stores the text and edits the next cell with everything selected.
    g->OnEditCell(1, 1, 'x');
    edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    Key(edit, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    EXPECT_EQ(g->GetItemText(1, 1), "x");
    EXPECT_TRUE(g->GetModified(1, 1));
    QApplication::processEvents();
    EXPECT_EQ(g->GetFocusCell(), CellId(1, 2));
    edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "next");
    EXPECT_TRUE(edit->hasSelectedText());
}

TEST_F(GridCtrlTest, ArrowsEndAnEditStartedByAKeyButNotOneStartedByAClick) {
    auto* g = MakeGrid(4, 4);
    g->SetItemText(2, 2, "abc");
    g->SetFocusCellAt(2, 2);
    g->OnEditCell(2, 2, vk::kLButton);
    auto* edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->ExitsOnArrows());
    Key(edit, Qt::Key_Left);
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_EQ(edit->EndKey(), 0);
    Key(edit, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(edit->EndKey(), vk::kLeft);
    QApplication::processEvents();
    EXPECT_EQ(g->GetFocusCell(), CellId(2, 1));
    // The walk started an edit on the new cell with the arrow: it ends on the next arrow.
    edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->ExitsOnArrows());
    Key(edit, Qt::Key_Down);
    EXPECT_EQ(edit->EndKey(), vk::kDown);
}

TEST_F(GridCtrlTest, TheEditorKeepsToEightCharactersGrowsToTheRightEdgeAndIgnoresAlt) {
    auto* g = MakeGrid(3, 4);
    g->SetColumnWidth(3, 30);
    g->SetFocusCellAt(1, 3);
    g->OnEditCell(1, 3, 'W');
    auto* edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    for (int i = 0; i < 12; ++i)
        Key(edit, Qt::Key_W, Qt::NoModifier, QStringLiteral("W"));
    EXPECT_EQ(edit->text().size(), CInPlaceEdit::kTextLimit);
    EXPECT_GT(edit->width(), 30);
    EXPECT_LE(edit->geometry().right(), g->viewport()->rect().right());
    Key(edit, Qt::Key_X, Qt::AltModifier, QStringLiteral("x"));
    EXPECT_EQ(edit->text().toStdString(), "WWWWWWWW");
    // A longer text of the cell shows whole.
    g->SetItemText(1, 1, "a long name of a preset");
    g->OnEditCell(1, 1, vk::kReturn);
    QApplication::processEvents();
    edit = g->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text().toStdString(), "a long name of a preset");
}

// ---------------------------------------------------------------------------
// The choice-list grid
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, AColumnWithAListTakesOnlyItsTextsAndEditsWithTheList) {
    auto* g = MakeGrid<CComboGridCtrl>(4, 3);
    EXPECT_TRUE(g->SetItemText(1, 1, "anything")); // no lists yet
    g->SetColumnChoices(0, {"fixed"});             // a fixed column takes no list
    EXPECT_EQ(g->FindColumnChoices(0), -1);
    g->SetColumnChoices(1, {"Low", "High"});
    EXPECT_FALSE(g->SetItemText(2, 1, "high"));
    EXPECT_TRUE(g->SetItemText(2, 1, "High"));
    EXPECT_TRUE(g->SetItemText(0, 1, "any heading"));
    GridItem item;
    item.row = 3;
    item.col = 1;
    item.mask = GIM_TEXT | GIM_BKCOLOUR;
    item.text = "Medium";
    item.bkColour = RgbColor(1, 2, 3);
    EXPECT_FALSE(g->SetItem(&item));
    EXPECT_EQ(g->GetItemText(3, 1), "");
    EXPECT_EQ(g->GetItemBkColour(3, 1), CLR_DEFAULT);
    EXPECT_TRUE(g->SetItemTextFromChoice(3, 1, 0));
    EXPECT_EQ(g->GetItemText(3, 1), "Low");
    EXPECT_FALSE(g->SetItemTextFromChoice(3, 1, 2));
    // The list editor for that column, the edit field elsewhere.
    g->SetFocusCellAt(2, 1);
    g->OnEditCell(2, 1, vk::kReturn);
    auto* list = g->viewport()->findChild<CInPlaceList*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText().toStdString(), "High");
    EXPECT_EQ(list->count(), 2);
    list->EndEdit();
    QApplication::processEvents();
    g->OnEditCell(2, 2, vk::kReturn);
    EXPECT_NE(g->viewport()->findChild<CInPlaceEdit*>(), nullptr);
    // An initial text that matches no entry shows as typed text.
    g->SetItemText(3, 1, "Low");
    auto* typed = new CInPlaceList(g->viewport(), {0, 0, 60, 20}, CComboGridCtrl::CBS_DROPDOWN, 8,
                                   3, 1, {"Low", "High"}, "Other", vk::kReturn);
    EXPECT_EQ(typed->currentText().toStdString(), "Other");
    EXPECT_EQ(typed->currentIndex(), -1);
}

// ---------------------------------------------------------------------------
// Title tip
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, TheTitleTipShowsOnlyForTextThatDoesNotFit) {
    auto* g = MakeGrid(3, 3);
    owner->activateWindow();
    QApplication::setActiveWindow(owner.get());
    g->setFocus();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    CTitleTip* tip = g->TitleTip();
    ASSERT_NE(tip, nullptr);
    GridRect r;
    ASSERT_TRUE(g->GetCellRect(1, 1, &r));
    const QRect cell(r.left, r.top, r.right - r.left, r.bottom - r.top);
    tip->Show(cell, QStringLiteral("ab"));
    EXPECT_FALSE(tip->isVisible());
    tip->Show(cell, QStringLiteral("a name far too long for the cell"));
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->ShownText().toStdString(), " a name far too long for the cell ");
    EXPECT_GT(tip->width(), cell.width());
    EXPECT_EQ(tip->geometry().left(), g->viewport()->mapToGlobal(cell.topLeft()).x());
    // Shown again: only the hover area moves.
    const QRect where = tip->geometry();
    const QRect hover = cell.adjusted(0, 0, 0, 40);
    tip->Show(cell.translated(0, 20), QStringLiteral("another"), 0, &hover);
    EXPECT_EQ(tip->geometry(), where);
    EXPECT_EQ(tip->HoverRect().height(), hover.height());
    tip->Hide();
    EXPECT_FALSE(tip->isVisible());
    // Not shown while no window of the program has the focus.
    g->clearFocus();
    QApplication::setActiveWindow(nullptr);
    if (!QApplication::focusWidget()) {
        tip->Show(cell, QStringLiteral("a name far too long for the cell"));
        EXPECT_FALSE(tip->isVisible());
    }
}

// ---------------------------------------------------------------------------
// Drag and drop
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, DropsPasteAndReadOnlyCellsTakeNone) {
    auto* g = MakeGrid(5, 4);
    g->EnableDragAndDrop(true);
    g->SetItemState(2, 2, CELLSTATE_READONLY);
    g->SetItemText(2, 2, "locked");
    ASSERT_TRUE(g->DropTarget()->IsRegistered());
    EXPECT_FALSE(g->DropTarget()->Register(g)); // once only
    QMimeData data;
    data.setText(QStringLiteral("x\ty\nz"));
    auto send = [&](QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, mods);
            QApplication::sendEvent(g->viewport(), &e);
            return std::pair(e.isAccepted(), e.dropAction());
        }
        if (type == QEvent::DragMove) {
            QDragMoveEvent e(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, mods);
            QApplication::sendEvent(g->viewport(), &e);
            return std::pair(e.isAccepted(), e.dropAction());
        }
        QDropEvent e(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, mods);
        QApplication::sendEvent(g->viewport(), &e);
        return std::pair(e.isAccepted(), e.dropAction());
    };
    EXPECT_TRUE(send(QEvent::DragEnter, CellPoint(g, 1, 1)).first);
    EXPECT_NE(g->GetItemState(1, 1) & CELLSTATE_DROPTARGET, 0u);
    // Over a read-only cell: no effect, and the mark stays where it was.
    const auto overLocked = send(QEvent::DragMove, CellPoint(g, 2, 2));
    EXPECT_FALSE(overLocked.first);
    EXPECT_NE(g->GetItemState(1, 1) & CELLSTATE_DROPTARGET, 0u);
    EXPECT_EQ(g->GetItemState(2, 2) & CELLSTATE_DROPTARGET, 0u);
    EXPECT_EQ(g->GetLastDragOverCell(), CellId(1, 1));
    // Ctrl gives a copy, otherwise a move.
    EXPECT_EQ(send(QEvent::DragMove, CellPoint(g, 1, 2), Qt::ControlModifier).second,
              Qt::CopyAction);
    EXPECT_EQ(g->GetItemState(1, 1) & CELLSTATE_DROPTARGET, 0u);
    EXPECT_EQ(send(QEvent::DragMove, CellPoint(g, 1, 1)).second, Qt::MoveAction);
    // The drop pastes from the cell on; the read-only cell keeps its text.
    EXPECT_TRUE(send(QEvent::Drop, CellPoint(g, 1, 1)).first);
    EXPECT_EQ(g->GetItemText(1, 1), "x");
    EXPECT_EQ(g->GetItemText(1, 2), "y");
    EXPECT_EQ(g->GetItemText(2, 1), "z");
    EXPECT_EQ(g->GetItemState(1, 1) & CELLSTATE_DROPTARGET, 0u);
    // Off the cells: the mark goes and the cell is forgotten.
    send(QEvent::DragEnter, CellPoint(g, 3, 1));
    send(QEvent::DragMove, QPoint(290, 190));
    EXPECT_EQ(g->GetLastDragOverCell(), CellId());
    EXPECT_EQ(g->GetItemState(3, 1) & CELLSTATE_DROPTARGET, 0u);
    // A grid that takes no drops shows no effect.
    g->EnableDragAndDrop(false);
    EXPECT_FALSE(send(QEvent::DragEnter, CellPoint(g, 1, 1)).first);
}

TEST_F(GridCtrlTest, CopyCutAndPasteThroughTheClipboard) {
    auto* g = MakeGrid(4, 4);
    g->SetItemText(1, 1, "a");
    g->SetItemText(1, 2, "b");
    g->SetSelectedRange(1, 1, 1, 2);
    EXPECT_TRUE(g->CanCopy());
    g->OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "a\tb");
    g->SetFocusCellAt(3, 1);
    EXPECT_TRUE(g->CanPaste());
    g->OnEditPaste();
    EXPECT_EQ(g->GetItemText(3, 1), "a");
    EXPECT_EQ(g->GetItemText(3, 2), "b");
    g->SetSelectedRange(1, 1, 1, 1);
    g->OnEditCut();
    EXPECT_EQ(g->GetItemText(1, 1), "");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "a");
    g->SetEditable(false);
    EXPECT_FALSE(g->CanCut());
    EXPECT_FALSE(g->CanPaste());
}

// ---------------------------------------------------------------------------
// Printing
// ---------------------------------------------------------------------------

class GridPrintTest : public GridCtrlTest {
protected:
    // 10 rows of 20 under one heading row of 20.
    CGridCtrl* TenRows() {
        auto* g = MakeGrid(11, 2);
        g->SetItemText(0, 1, "Name");
        for (int r = 1; r <= 10; ++r)
            g->SetItemText(r, 1, "row" + std::to_string(r));
        return g;
    }
    void PrintOn(CGridCtrl* g, int width, int height) {
        CGridCtrl::SetPrintTargetChooser([&, width, height](QWidget*) {
            auto t = std::make_unique<RecordingPrintTarget>(width, height, &pages, &aborted);
            documentName = &t->documentName;
            return t;
        });
        g->Print();
    }
    std::vector<RecordedPage> pages;
    bool aborted = false;
    QString* documentName = nullptr;
};

TEST_F(GridPrintTest, TenRowsOnThreePagesEachPrintedOnceWithPageNOfThree) {
    auto* g = TenRows();
    owner->setWindowTitle(QStringLiteral("Load Machine Preset"));
    // Learn the printer font's size from a first layout, then choose paper
    // that leaves 95 units for rows: pages of 4, 4 and 2 rows.
    PrintOn(g, 10000, 20000);
    const GridPrintLayout first = g->PrintLayout();
    ASSERT_GT(first.charHeight, 0);
    const int pageHeight = 95 + 20 + 6 * first.charHeight;
    PrintOn(g, first.pageWidth * 10, pageHeight * 10);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(g->PrintLayout().pageRowHeight, 95);
    ASSERT_EQ(pages.size(), 3u);
    const std::vector<std::vector<int>> rowsOn = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10}};
    for (size_t p = 0; p < 3; ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        const RecordedPage& page = pages[p];
        EXPECT_TRUE(page.Shows(QStringLiteral("Page %1 of 3").arg(p + 1)));
        EXPECT_TRUE(page.Shows(QStringLiteral("Name"))); // the headings on every page
        EXPECT_TRUE(page.Shows(QString::fromUtf8(g_ProductTitle)));
        EXPECT_TRUE(page.Shows(QStringLiteral("Load Machine Preset")));
        for (int r = 1; r <= 10; ++r) {
            const bool here = std::find(rowsOn[p].begin(), rowsOn[p].end(), r) != rowsOn[p].end();
            EXPECT_EQ(page.Shows(QStringLiteral("row%1").arg(r)), here) << r;
        }
        EXPECT_GT(page.lines, 0);
    }
    // The footer lies in the bottom of the paper, the rows in order down the page.
    const RecordedPage& second = pages[1];
    double footerY = 0, row5 = 0, row6 = 0;
    for (const RecordedText& t : second.texts) {
        if (t.text == QStringLiteral("Page 2 of 3")) footerY = t.at.y();
        if (t.text == QStringLiteral("row5")) row5 = t.at.y();
        if (t.text == QStringLiteral("row6")) row6 = t.at.y();
    }
    EXPECT_GT(footerY, pageHeight * 10 * 0.85);
    EXPECT_LT(row5, row6);
    ASSERT_NE(documentName, nullptr);
}

TEST_F(GridPrintTest, TheGridLinesSettingGivesThePrintedLines) {
    // Without headings (whose raised edges are lines too), the header's rule
    // and the footer's are a page's only lines without grid lines; 1 adds
    // lines across, 2 lines down, 3 both.
    struct Case {
        int setting;
        bool across;
        bool down;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    auto* g = TenRows();
    g->SetFixedRowCount(0);
    g->SetFixedColumnCount(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        g->SetGridLines(c.setting);
        PrintOn(g, 3000, 4000);
        ASSERT_FALSE(pages.empty());
        for (const RecordedPage& page : pages) {
            EXPECT_EQ(page.horizontal > 2, c.across);
            EXPECT_GE(page.horizontal, 2);
            EXPECT_EQ(page.vertical > 0, c.down);
            EXPECT_EQ(page.lines, page.horizontal + page.vertical);
        }
    }
}

TEST_F(GridPrintTest, AGridWithNothingToLayOutPrintsNothing) {
    auto* g = MakeGrid(1, 3); // the heading row alone
    PrintOn(g, 2000, 3000);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(pages.empty());
    // Cancelling the print dialog prints nothing either.
    CGridCtrl::SetPrintTargetChooser([](QWidget*) { return nullptr; });
    g->Print();
}

TEST_F(GridPrintTest, APdfFileOfThePages) {
    auto* g = TenRows();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grid.pdf"));
    CGridCtrl::SetPrintTargetChooser([&](QWidget*) { return MakePdfPrintTarget(path); });
    g->Print();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                  bytes.count("/Type /Page "),
              g->PrintLayout().pages);
    // Nothing to lay out: no file is left.
    auto* empty = MakeGrid(1, 2);
    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    CGridCtrl::SetPrintTargetChooser([&](QWidget*) { return MakePdfPrintTarget(none); });
    empty->Print();
    EXPECT_FALSE(QFile::exists(none));
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

TEST_F(GridCtrlTest, TextFilesRoundTripAndSayWhenAFileCannotBeOpened) {
    std::vector<CMessageBox::Shown> boxes;
    CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
        boxes.push_back(s);
        return CMessageBox::Action::Ok;
    });
    QTemporaryDir dir;
    auto* g = MakeGrid(3, 2);
    g->SetItemText(0, 0, "No.");
    g->SetItemText(0, 1, "Name");
    g->SetItemText(1, 1, QString(2000, QLatin1Char('L')).toStdString());
    g->SetItemText(2, 1, "中文");
    const QString path = dir.filePath(QStringLiteral("grid.csv"));
    ASSERT_TRUE(g->Save(path));
    auto* loaded = MakeGrid(1, 1);
    ASSERT_TRUE(loaded->Load(path));
    ASSERT_EQ(loaded->GetRowCount(), 3);
    ASSERT_EQ(loaded->GetColumnCount(), 2);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(loaded->GetItemText(r, c), g->GetItemText(r, c)) << r << "," << c;
    // Columns sized to their texts.
    EXPECT_GT(loaded->GetColumnWidth(1), loaded->GetColumnWidth(0));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(g->Save(dir.filePath(QStringLiteral("missing/grid.csv"))));
    EXPECT_FALSE(loaded->Load(dir.filePath(QStringLiteral("missing.csv"))));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("missing/grid.csv")));
    EXPECT_EQ(loaded->GetRowCount(), 3); // a file that cannot be opened changes nothing
}

} // namespace
