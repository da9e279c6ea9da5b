// The coloured report list and its gradient header: which colour a cell
// takes, the pixels of the gradient and of a selected row, the row and
// header heights, the keys the list drops and the fixed column widths.
#include "controls/ListCtrlCl.h"

#include "model/Globals.h"
#include "platform/UiGlobals.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kGrey(200, 200, 200);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 160, 0);
const QColor kBlue(0, 0, 255);

class ListCtrlClTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CreateSharedFonts(); }
    void SetUp() override {
        list.resize(420, 300);
        for (int c = 0; c < 4; ++c)
            list.InsertColumn(c, QStringLiteral("C%1").arg(c), LVCFMT_CENTER, 100);
    }
    void TearDown() override { g_LanguageFlag = 0; }

    void Fill(int rows) {
        for (int r = 0; r < rows; ++r) {
            list.InsertItem(r, QStringLiteral("r%1").arg(r));
            for (int c = 1; c < 4; ++c)
                list.SetItemText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        }
    }
    // A background pixel of a cell, in the list's picture: its top left,
    // where no text reaches.
    QColor CellBackground(const QImage& picture, int row, int column) {
        const QRect cell = list.GetSubItemRect(row, column);
        const QPoint at = list.viewport()->mapTo(&list, cell.topLeft() + QPoint(4, 1));
        return picture.pixelColor(at);
    }
    QImage Picture() {
        list.show();
        QApplication::processEvents();
        return list.grab().toImage();
    }

    CListCtrlCl list;
};

TEST_F(ListCtrlClTest, ColumnFormatsGiveTheAlignmentCharacters) {
    CListCtrlCl three;
    three.InsertColumn(0, QStringLiteral("L"), LVCFMT_LEFT, 80);
    three.InsertColumn(1, QStringLiteral("C"), LVCFMT_CENTER, 80);
    three.InsertColumn(2, QStringLiteral("R"), LVCFMT_RIGHT, 80);
    three.InsertColumn(3, QStringLiteral("X"), 7, 80);
    EXPECT_EQ(three.Header().m_Alignment, QStringLiteral("0121"));
    EXPECT_EQ(three.Header().m_Headings, (QStringList{"L", "C", "R", "X"}));
    three.ClearHeadingTexts();
    EXPECT_TRUE(three.Header().m_Headings.isEmpty());
    EXPECT_EQ(three.Header().m_Alignment, QStringLiteral("0121"));
}

TEST_F(ListCtrlClTest, TheFirstEntryOfACellWinsAndACellBeatsItsColumn) {
    Fill(8);
    // An entry made before a row colour keeps its cell.
    list.SetItemBkColor(1, 4, kRed);
    list.SetRowBkColor(4, kGrey);
    QColor c;
    for (int col = 0; col < 4; ++col) {
        ASSERT_TRUE(list.FindItemBkColor(col, 4, c));
        EXPECT_EQ(c, col == 1 ? kRed : kGrey) << col;
    }
    // A whole column grey, then one of its cells red.
    for (int row = 0; row < 8; ++row)
        list.SetItemBkColor(3, row, kGrey);
    list.SetItemBkColor(3, 5, kRed);
    for (int row = 0; row < 8; ++row) {
        ASSERT_TRUE(list.FindItemBkColor(3, row, c));
        EXPECT_EQ(c, row == 5 ? kRed : kGrey) << row;
    }
    EXPECT_FALSE(list.FindItemBkColor(2, 2, c));
    EXPECT_FALSE(list.FindColumnBkColor(2, c));

    // On screen: a column colour, a cell colour over it, the list's own elsewhere.
    list.SetBkColor(QColor(247, 247, 255));
    list.SetColumnBkColor(2, kGreen);
    list.SetItemBkColor(2, 6, kBlue);
    list.SetColumnTextColor(0, kBlue);
    list.SetItemTextColor(0, 2, kGreen);
    ASSERT_TRUE(list.FindItemTextColor(0, 2, c));
    EXPECT_EQ(c, kGreen);
    const QImage picture = Picture();
    EXPECT_EQ(CellBackground(picture, 1, 2), kGreen);
    EXPECT_EQ(CellBackground(picture, 6, 2), kBlue);
    EXPECT_EQ(CellBackground(picture, 5, 3), kRed);
    EXPECT_EQ(CellBackground(picture, 1, 3), kGrey);
    EXPECT_EQ(CellBackground(picture, 1, 1), QColor(247, 247, 255));
}

// Whether a cell's picture holds a pixel near a colour (its text).
bool HasPixelNear(const QImage& picture, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = picture.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) < 40 &&
                std::abs(p.green() - colour.green()) < 40 &&
                std::abs(p.blue() - colour.blue()) < 40)
                return true;
        }
    return false;
}

TEST_F(ListCtrlClTest, ASelectedRowIsFilledWithTheHighlightAndKeepsItsTextColours) {
    Fill(5);
    list.SetTextColor(kRed);
    list.SetColumnBkColor(1, kGreen);
    list.SetItemBkColor(2, 3, kBlue);
    list.selectRow(3);
    const QImage picture = Picture();
    const QColor highlight = list.palette().color(QPalette::Highlight);
    for (int col = 0; col < 4; ++col)
        EXPECT_EQ(CellBackground(picture, 3, col), highlight) << col;
    // The unselected row below keeps its column colour.
    EXPECT_EQ(CellBackground(picture, 4, 1), kGreen);
    const QRect cell =
        list.GetSubItemRect(3, 1).translated(list.viewport()->mapTo(&list, QPoint()));
    EXPECT_TRUE(HasPixelNear(picture, cell, kRed));
}

TEST_F(ListCtrlClTest, TheHeaderIsAGreyGradientDarkerByTheStepEveryLine) {
    CListCtrlCl one;
    one.resize(300, 200);
    one.InsertColumn(0, QString(), LVCFMT_LEFT, 100);
    one.show();
    QApplication::processEvents();
    CHeaderCtrlCl& header = one.Header();
    const QImage picture = header.grab().toImage();
    const int h = header.height();
    ASSERT_GE(h, 18);
    const auto line = [](int y) { return QColor(180 - 3 * y, 179 - 3 * y, 179 - 3 * y); };
    for (int y : {0, 1, 10, h - 1}) {
        EXPECT_EQ(picture.pixelColor(1, y), line(y)) << y;
        EXPECT_EQ(picture.pixelColor(99, y), line(y)) << y;
        // The filler to the right of the last item carries the same gradient.
        EXPECT_EQ(picture.pixelColor(101, y), line(y)) << y;
        EXPECT_EQ(picture.pixelColor(picture.width() - 1, y), line(y)) << y;
    }
    // Line 20 of a 20-pixel item is RGB(120, 119, 119).
    EXPECT_EQ(line(20), QColor(120, 119, 119));

    // A darker start never goes below black.
    one.SetHeaderBkColor(10, 20, 30, 4);
    const QImage dark = header.grab().toImage();
    EXPECT_EQ(dark.pixelColor(50, 0), QColor(10, 20, 30));
    EXPECT_EQ(dark.pixelColor(50, 4), QColor(0, 4, 14));
    EXPECT_EQ(dark.pixelColor(50, 9), QColor(0, 0, 0));
}

TEST_F(ListCtrlClTest, AHeaderWithoutItemsIsFilledWhole) {
    CListCtrlCl empty;
    empty.resize(300, 200);
    empty.show();
    QApplication::processEvents();
    CHeaderCtrlCl& header = empty.Header();
    ASSERT_GT(header.height(), 10);
    const QImage picture = header.grab().toImage();
    for (int x : {0, 150, picture.width() - 1}) {
        EXPECT_EQ(picture.pixelColor(x, 0), QColor(180, 179, 179)) << x;
        EXPECT_EQ(picture.pixelColor(x, 5), QColor(165, 164, 164)) << x;
    }
}

TEST_F(ListCtrlClTest, HeadingsAreDrawnLeftCentredAndRightThreePixelsIn) {
    CListCtrlCl three;
    three.resize(400, 200);
    three.InsertColumn(0, QStringLiteral("MMMM"), LVCFMT_LEFT, 120);
    three.InsertColumn(1, QStringLiteral("MMMM"), LVCFMT_CENTER, 120);
    three.InsertColumn(2, QStringLiteral("MMMM"), LVCFMT_RIGHT, 120);
    three.show();
    QApplication::processEvents();
    const QImage picture = three.Header().grab().toImage();
    // The ink of each heading: the dark pixels inside its item.
    const auto ink = [&picture](int left, int right) {
        int first = -1, last = -1;
        for (int x = left; x < right; ++x)
            for (int y = 0; y < picture.height(); ++y)
                if (qGray(picture.pixel(x, y)) < 60) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::make_pair(first, last);
    };
    const auto [l0, r0] = ink(0, 120);
    const auto [l1, r1] = ink(120, 240);
    const auto [l2, r2] = ink(240, 360);
    EXPECT_NEAR(l0, 3, 2);
    EXPECT_NEAR((l1 + r1) / 2.0, 180, 2);
    EXPECT_NEAR(r2, 360 - 3 - 1, 2);
    EXPECT_EQ(r0 - l0, r1 - l1);
}

TEST_F(ListCtrlClTest, RowAndHeaderHeights) {
    Fill(3);
    list.SetRowHeight(18);
    list.show();
    QApplication::processEvents();
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(list.GetSubItemRect(r, 0).height(), 18);
    list.SetRowHeight(0); // leaves the height as it is
    EXPECT_EQ(list.GetSubItemRect(1, 0).height(), 18);

    EXPECT_EQ(CHeaderCtrlCl::ScaledHeight(20, 1.5f), 30);
    EXPECT_EQ(CHeaderCtrlCl::ScaledHeight(20, 1.26f), 25);
    EXPECT_EQ(CHeaderCtrlCl::ScaledHeight(20, 1.0f), 20);
    const int base = list.Header().height();
    list.SetHeaderHeight(1.5f);
    QApplication::processEvents();
    EXPECT_EQ(list.Header().height(), CHeaderCtrlCl::ScaledHeight(base, 1.5f));
}

TEST_F(ListCtrlClTest, PageDownAndTheArrowsDoNothingPageUpScrolls) {
    Fill(100);
    list.SetRowHeight(18);
    list.show();
    list.setFocus();
    QApplication::processEvents();
    list.setCurrentCell(99, 0);
    list.scrollToBottom();
    QApplication::processEvents();
    QScrollBar* bar = list.verticalScrollBar();
    const int bottom = bar->value();
    ASSERT_GT(bottom, 0);
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Up, Qt::Key_Down,
                        Qt::Key_Left, Qt::Key_Right, Qt::Key_Delete, Qt::Key_Tab}) {
        QTest::keyClick(&list, key);
        EXPECT_EQ(bar->value(), bottom) << key;
        EXPECT_EQ(list.currentRow(), 99) << key;
    }
    EXPECT_EQ(list.GetItemCount(), 100);
    QTest::keyClick(&list, Qt::Key_PageUp);
    EXPECT_LT(bar->value(), bottom);
    EXPECT_LT(list.currentRow(), 99);
}

TEST_F(ListCtrlClTest, AColumnDividerCannotBeDragged) {
    list.show();
    QApplication::processEvents();
    QWidget* header = list.Header().viewport();
    const int y = list.Header().height() / 2;
    QTest::mousePress(header, Qt::LeftButton, {}, QPoint(99, y));
    QTest::mouseMove(header, QPoint(160, y));
    QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(160, y));
    EXPECT_EQ(list.GetColumnWidth(0), 100);
    EXPECT_EQ(list.Header().sectionResizeMode(0), QHeaderView::Fixed);
}

} // namespace
