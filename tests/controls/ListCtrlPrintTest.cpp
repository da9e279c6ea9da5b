// The list printer: pagination, the columns' share of the width and their
// alignment, the page number, header and footer texts, the guards of an
// empty layout, a second job on the same printer, and the printer's own
// resolution.
#include "controls/ListCtrlPrint.h"

#include "controls/ListCtrl.h"
#include "tests/controls/RecordingPrintSink.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// What a job printed, kept when the job drops its sink.
struct Printed {
    std::vector<RecordedText> texts;
    std::vector<RecordedLine> lines;
    int pages = 0, ended = 0, aborted = 0;

    std::vector<RecordedText> OnPage(int page) const {
        std::vector<RecordedText> out;
        for (const RecordedText& t : texts)
            if (t.page == page) out.push_back(t);
        return out;
    }
    const RecordedText* Find(int page, const QString& text) const {
        for (const RecordedText& t : texts)
            if (t.page == page && t.text == text) return &t;
        return nullptr;
    }
    int LinesOn(int page) const {
        return static_cast<int>(std::count_if(
            lines.begin(), lines.end(), [page](const RecordedLine& l) { return l.page == page; }));
    }
};

const QString kHeader = QStringLiteral("This is the report of the file\r\nMultiline!\r\n");
const QString kFooter =
    QStringLiteral("Just a huar for the footers\r\neventually multiline too ..");

class ListCtrlPrintTest : public ::testing::Test {
protected:
    ListCtrlPrintTest() {
        list.InsertColumn(0, QStringLiteral("Name"), LVCFMT_LEFT, 100);
        list.InsertColumn(1, QStringLiteral("Value"), LVCFMT_RIGHT, 50);
        list.InsertColumn(2, QStringLiteral("Unit"), LVCFMT_CENTER, 50);
        dialog.makeSink = [this] {
            auto sink = std::make_unique<RecordingPrintSink>(pageSize, dpi);
            sink->onClose = [this](const RecordingPrintSink& s) {
                printed = {s.Texts(), s.Lines(), s.pages, s.docsEnded, s.docsAborted};
            };
            return sink;
        };
        Configure(printer);
    }

    void Configure(CListCtrlPrint& p) {
        p.m_pList = &list;
        p.m_strHeader = kHeader;
        p.m_strFooter = kFooter;
        p.m_strPageFormat = QStringLiteral("Page %d of %d");
    }

    void Fill(int items) {
        list.DeleteAllItems();
        for (int i = 0; i < items; ++i) {
            list.InsertItem(i, QStringLiteral("item %1").arg(i));
            list.SetItemText(i, 1, QStringLiteral("v%1").arg(i));
            list.SetItemText(i, 2, QStringLiteral("u%1").arg(i));
        }
    }

    // The layout on a page of this size, without printing (no dialog).
    void Layout(CListCtrlPrint& p, QSize size, int atDpi) {
        RecordingPrintSink sink(size, atDpi);
        CPrintDC dc(sink);
        CPrintInfo info;
        ASSERT_TRUE(p.OnPreparePrinting(info, true));
        info.m_rectDraw = dc.PrintableArea();
        p.OnBeginPrinting(dc, info);
        layoutPages = info.GetMaxPage();
    }

    // A page height that gives exactly `rows` rows per page.
    int HeightForRows(int rows) {
        CListCtrlPrint probe;
        Configure(probe);
        Layout(probe, pageSize, dpi);
        const int fixed = pageSize.height() - probe.TableArea().Height();
        const int row = probe.RowHeight() + 1;
        return fixed + (rows + 1) * row + row / 2;
    }

    // A text's width on the page's device.
    double Width(const RecordedText& t) const {
        const RecordingPaintDevice device(pageSize, dpi);
        return QFontMetricsF(t.font, &device).horizontalAdvance(t.text);
    }

    Printed Print() {
        printed = {};
        printer.DoPrint();
        return printed;
    }

    CListCtrl list;
    CListCtrlPrint printer;
    ScriptedPrintDialog dialog;
    Printed printed;
    QSize pageSize{850, 1100};
    int dpi = 100;
    int layoutPages = 0;
};

TEST_F(ListCtrlPrintTest, PaginationAtFiveRowsPerPage) {
    Fill(1);
    pageSize.setHeight(HeightForRows(5));
    struct Case {
        int items;
        int pages;
        std::vector<int> filledRowsPerPage;
    };
    // The page count is items / rows + 1: a list that fills its pages
    // exactly gets a last page of empty ruled rows.
    const Case cases[] = {
        {11, 3, {5, 5, 1}},
        {10, 3, {5, 5, 0}},
        {4, 1, {4}},
        {1, 1, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        Fill(c.items);
        const Printed p = Print();
        EXPECT_EQ(printer.RowsPerPage(), 5);
        ASSERT_EQ(p.pages, c.pages);
        EXPECT_EQ(p.ended, 1);
        int item = 0;
        for (int page = 1; page <= c.pages; ++page) {
            SCOPED_TRACE(page);
            const int filled = c.filledRowsPerPage[static_cast<size_t>(page - 1)];
            for (int k = 0; k < filled; ++k, ++item) {
                EXPECT_TRUE(p.Find(page, QStringLiteral("item %1").arg(item)));
                EXPECT_TRUE(p.Find(page, QStringLiteral("v%1").arg(item)));
            }
            EXPECT_FALSE(p.Find(page, QStringLiteral("item %1").arg(item)));
            // Every page: page number, header, headings, footer.
            EXPECT_TRUE(p.Find(page, QStringLiteral("Page %1 of %2").arg(page).arg(c.pages)));
            EXPECT_TRUE(p.Find(page, QStringLiteral("This is the report of the file")));
            EXPECT_TRUE(p.Find(page, QStringLiteral("Multiline!")));
            EXPECT_TRUE(p.Find(page, QStringLiteral("Value")));
            EXPECT_TRUE(p.Find(page, QStringLiteral("Just a huar for the footers")));
            EXPECT_TRUE(p.Find(page, QStringLiteral("eventually multiline too ..")));
            // Empty rows are ruled as filled ones are.
            EXPECT_EQ(p.LinesOn(page), p.LinesOn(1));
        }
    }
}

TEST_F(ListCtrlPrintTest, ColumnsShareThePrintableWidthAsOnScreenAndKeepTheirAlignment) {
    Fill(3);
    const Printed p = Print();
    const PrintRect area = printer.TableArea();
    const int w = area.Width();
    // 100, 50 and 50 pixels: a half and two quarters.
    EXPECT_EQ(printer.ColumnEdges(), (std::vector<int>{0, w / 2, static_cast<int>(w * 0.75), w}));
    const std::vector<int>& e = printer.ColumnEdges();
    const RecordedText* name = p.Find(1, QStringLiteral("item 1"));
    const RecordedText* value = p.Find(1, QStringLiteral("v1"));
    const RecordedText* unit = p.Find(1, QStringLiteral("u1"));
    const RecordedText* heading = p.Find(1, QStringLiteral("Unit"));
    ASSERT_TRUE(name && value && unit && heading);
    EXPECT_NEAR(name->at.x(), area.left + e[0], 2);
    EXPECT_NEAR(value->at.x() + Width(*value), area.left + e[2], 3);
    EXPECT_NEAR(unit->at.x() + Width(*unit) / 2, area.left + (e[2] + e[3]) / 2.0, 3);
    EXPECT_NEAR(heading->at.x() + Width(*heading) / 2, area.left + (e[2] + e[3]) / 2.0, 3);
    // Rows one below the other, one row height and a line apart.
    const RecordedText* next = p.Find(1, QStringLiteral("item 2"));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->at.y() - name->at.y(), printer.RowHeight() + 1);
}

TEST_F(ListCtrlPrintTest, PageNumberStandsTopRightAndTheHeaderWrapsLeftOfIt) {
    printer.m_strHeader =
        QStringLiteral("A long header text that cannot fit on one line of the page at this "
                       "size, so it wraps onto more lines, always left of the page number.");
    Fill(3);
    const Printed p = Print();
    const PrintRect area = printer.TableArea();
    const RecordedText* number = p.Find(1, QStringLiteral("Page 1 of 1"));
    ASSERT_TRUE(number);
    const double numberWidth = Width(*number);
    EXPECT_NEAR(number->at.x() + numberWidth, area.right, 3);
    int headerLines = 0;
    for (const RecordedText& t : p.OnPage(1)) {
        if (t.font.pointSize() != 12 || &t == number || t.text == number->text) continue;
        ++headerLines;
        EXPECT_LE(t.at.x() + Width(t), number->at.x() + 1) << t.text.toStdString();
    }
    EXPECT_GE(headerLines, 2);
}

TEST_F(ListCtrlPrintTest, TheFooterKeepsItsSpaceAtTheBottomOfEveryPage) {
    Fill(150);
    const Printed p = Print();
    ASSERT_GE(p.pages, 2);
    const RecordedText* first = p.Find(2, QStringLiteral("Just a huar for the footers"));
    const RecordedText* second = p.Find(2, QStringLiteral("eventually multiline too .."));
    ASSERT_TRUE(first && second);
    EXPECT_GT(second->at.y(), first->at.y());
    // Below the last table line, above the bottom margin.
    double lowestLine = 0;
    for (const RecordedLine& l : p.lines)
        if (l.page == 2) lowestLine = std::max({lowestLine, l.line.y1(), l.line.y2()});
    EXPECT_GT(first->at.y(), lowestLine);
    EXPECT_LT(second->at.y(), pageSize.height() - 10 / 25.4 * dpi);
}

TEST_F(ListCtrlPrintTest, NothingToLayOutEndsTheJobBeforeTheDialog) {
    {
        SCOPED_TRACE("no items");
        Fill(0);
        Print();
        EXPECT_EQ(dialog.shown, 0);
    }
    {
        SCOPED_TRACE("every column 0 wide");
        Fill(3);
        for (int c = 0; c < 3; ++c)
            list.setColumnWidth(c, 0);
        const Printed p = Print();
        EXPECT_EQ(dialog.shown, 0);
        EXPECT_EQ(p.pages, 0);
    }
    {
        SCOPED_TRACE("no list");
        CListCtrlPrint none;
        none.DoPrint();
        EXPECT_EQ(dialog.shown, 0);
    }
}

TEST_F(ListCtrlPrintTest, APageTooSmallForARowStillPrintsOneRowPerPage) {
    pageSize = QSize(850, 200); // the margins alone take most of it
    Fill(3);
    const Printed p = Print();
    EXPECT_EQ(printer.RowsPerPage(), 1);
    EXPECT_EQ(p.pages, 4);
    EXPECT_TRUE(p.Find(3, QStringLiteral("item 2")));
}

TEST_F(ListCtrlPrintTest, ASecondJobReadsTheColumnsAgain) {
    Fill(3);
    Print();
    const int w = printer.TableArea().Width();
    EXPECT_EQ(printer.ColumnEdges().back(), w);
    list.InsertColumn(3, QStringLiteral("Note"), LVCFMT_LEFT, 200);
    list.SetItemText(0, 3, QStringLiteral("n0"));
    const Printed p = Print();
    // 100, 50, 50, 200: the new column takes half, the edges end at the width.
    EXPECT_EQ(printer.ColumnEdges(),
              (std::vector<int>{0, w / 4, static_cast<int>(w * 0.375), w / 2, w}));
    EXPECT_TRUE(p.Find(1, QStringLiteral("Note")));
    EXPECT_TRUE(p.Find(1, QStringLiteral("n0")));
}

TEST_F(ListCtrlPrintTest, MarginsAndFontsFollowThePrintersResolution) {
    Fill(3);
    CListCtrlPrint low, high;
    Configure(low);
    Configure(high);
    Layout(low, QSize(827, 1169), 100);   // A4 at 100 dpi
    Layout(high, QSize(4960, 7016), 600); // A4 at 600 dpi
    // 10 mm margins: 39 and 236 device units.
    EXPECT_EQ(low.TableArea().left, 39);
    EXPECT_EQ(high.TableArea().left, 236);
    EXPECT_EQ(high.TableArea().right, 4960 - 236);
    // An 8-point row is six times as many units at six times the resolution.
    EXPECT_NEAR(high.RowHeight() - 4, 6.0 * (low.RowHeight() - 4), 6.0);
}

} // namespace
