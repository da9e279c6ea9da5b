// The list with a colour per cell: the last record of a cell counts, rows
// take a record per column, deleting rows keeps every colour on its row.
#include "controls/ColorListCtrl.h"

#include <QApplication>
#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kGrey(128, 128, 128);

class ColorListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(320, 240);
        for (int c = 0; c < 3; ++c)
            list.InsertColumn(c, QStringLiteral("C%1").arg(c), LVCFMT_LEFT, 90);
        for (int r = 0; r < 5; ++r)
            list.InsertItem(r, QStringLiteral("row %1").arg(r));
    }
    QColor Background(int row, int column) {
        list.show();
        QApplication::processEvents();
        const QImage picture = list.grab().toImage();
        const QRect cell = list.GetSubItemRect(row, column);
        return picture.pixelColor(list.viewport()->mapTo(&list, cell.topLeft() + QPoint(60, 2)));
    }

    CColorListCtrl list;
};

TEST_F(ColorListCtrlTest, TheLastRecordOfACellCounts) {
    const QPalette pal = QApplication::palette();
    EXPECT_EQ(list.ColoursOf(0, 0).text, pal.color(QPalette::Text));
    EXPECT_EQ(list.ColoursOf(0, 0).background, pal.color(QPalette::Base));
    list.SetItemColor(1, 2, kRed, kYellow);
    list.SetItemColor(1, 2, kBlue, kGrey);
    EXPECT_EQ(list.Records().size(), 2u); // earlier records stay
    EXPECT_EQ(list.ColoursOf(1, 2).text, kBlue);
    EXPECT_EQ(list.ColoursOf(1, 2).background, kGrey);
    EXPECT_EQ(Background(1, 2), kGrey);
    list.SetRowColor(3, kRed, kYellow);
    EXPECT_EQ(list.Records().size(), 5u);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(list.ColoursOf(3, c).background, kYellow);
    EXPECT_EQ(Background(3, 1), kYellow);
    list.ClearColors();
    EXPECT_EQ(list.ColoursOf(3, 1).background, pal.color(QPalette::Base));
}

TEST_F(ColorListCtrlTest, DeletingARowKeepsTheOtherRowsColours) {
    list.SetRowColor(1, kRed, kYellow);
    list.SetRowColor(2, kBlue, kGrey);
    list.SetRowColor(3, kRed, kBlue);
    EXPECT_FALSE(list.DeleteItem(9));
    EXPECT_EQ(list.Records().size(), 9u);
    ASSERT_TRUE(list.DeleteItem(2));
    // Row 2's records are gone; the row below moved up with its colours.
    EXPECT_EQ(list.GetItemText(2, 0), QStringLiteral("row 3"));
    EXPECT_EQ(list.ColoursOf(2, 0).background, kBlue);
    EXPECT_EQ(list.ColoursOf(1, 0).background, kYellow);
    EXPECT_EQ(list.ColoursOf(3, 0).background, QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(Background(2, 0), kBlue);
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(list.Records().empty());
}

TEST_F(ColorListCtrlTest, ColumnWidthsAreFixed) {
    EXPECT_EQ(list.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

} // namespace
