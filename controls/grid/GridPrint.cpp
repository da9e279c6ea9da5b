// The grid's printout: the table scaled to the width of the paper, a header
// line with the program's title and the dialog's caption, the headings again
// on every page, and a footer with the page number and the date.
#include "controls/grid/GridCtrl.h"

#include "controls/ModalDialog.h"
#include "model/Globals.h"
#include "platform/Fonts.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <ctime>

namespace {

// The layout's margins in average characters: 4 at the left (and as much
// again at the right), 2 lines for the header and the footer, 1 between.
constexpr int kLeftMargin = 4;
constexpr int kRightMargin = 4;
constexpr int kHeaderLines = 2;
constexpr int kFooterLines = 2;
constexpr int kGapLines = 1;

class PrinterTarget : public CGridPrintTarget {
public:
    PrinterTarget() : printer_(QPrinter::HighResolution) {}
    QPrinter& Printer() { return printer_; }
    QPaintDevice* Device() override { return &printer_; }
    void SetDocumentName(const QString& name) override { printer_.setDocName(name); }
    bool NewPage() override { return printer_.newPage(); }
    void Abort() override { printer_.abort(); }

private:
    QPrinter printer_;
};

class PdfTarget : public CGridPrintTarget {
public:
    explicit PdfTarget(const QString& path)
        : path_(path), writer_(std::make_unique<QPdfWriter>(path)) {}
    ~PdfTarget() override {
        writer_.reset();
        if (aborted_) QFile::remove(path_);
    }
    QPaintDevice* Device() override { return writer_.get(); }
    void SetDocumentName(const QString& name) override { writer_->setTitle(name); }
    bool NewPage() override { return writer_->newPage(); }
    void Abort() override { aborted_ = true; }

private:
    QString path_;
    std::unique_ptr<QPdfWriter> writer_;
    bool aborted_ = false;
};

CGridCtrl::PrintTargetChooser& ChooserSlot() {
    static CGridCtrl::PrintTargetChooser chooser;
    return chooser;
}

// The system's print dialog: every page, no selection or page range, no
// print to file; copies are the printer's.
std::unique_ptr<CGridPrintTarget> AskForPrinter(QWidget* parent) {
    auto target = std::make_unique<PrinterTarget>();
    QPrintDialog dialog(&target->Printer(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    if (ctl::RunModal(dialog) != QDialog::Accepted) return nullptr;
    return target;
}

QFont Bold(const QFont& f) {
    QFont b = f;
    b.setWeight(QFont::Bold);
    return b;
}

} // namespace

std::unique_ptr<CGridPrintTarget> MakePdfPrintTarget(const QString& path) {
    return std::make_unique<PdfTarget>(path);
}

CGridCtrl::PrintTargetChooser CGridCtrl::SetPrintTargetChooser(PrintTargetChooser chooser) {
    PrintTargetChooser previous = std::move(ChooserSlot());
    ChooserSlot() = std::move(chooser);
    return previous;
}

void CGridCtrl::Print() {
    std::unique_ptr<CGridPrintTarget> target =
        ChooserSlot() ? ChooserSlot()(this) : AskForPrinter(this);
    if (!target || !target->Device()) return;
    target->SetDocumentName(QString::fromUtf8(g_ProductTitle));
    QPainter dc;
    if (!dc.begin(target->Device())) {
        target->Abort();
        return;
    }
    m_Printing = true;
    GridPrintInfo info;
    info.drawRect = {0, 0, target->Device()->width(), target->Device()->height()};
    OnBeginPrinting(dc, info);
    // Nothing laid out (no rows to print): no page, rather than one per
    // possible page number.
    bool ok = info.maxPage != GridPrintInfo::kUnsetLastPage;
    for (int page = info.minPage; ok && page <= info.maxPage; ++page) {
        if (page > info.minPage && !target->NewPage()) {
            ok = false;
            break;
        }
        info.currentPage = page;
        OnPrint(dc, info);
    }
    OnEndPrinting(dc, info);
    if (!ok) target->Abort();
    dc.end();
    m_Printing = false;
}

void CGridCtrl::OnBeginPrinting(QPainter& dc, GridPrintInfo& info) {
    m_PrintLayout = GridPrintLayout();
    if (!dc.isActive() || GetRowCount() <= GetFixedRowCount()) return;
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QString::fromLatin1(platform::kChineseFace)});
    font.setPixelSize(9);
    font.setWeight(QFont::Normal);
    m_PrinterFont = font;
    const QFontMetrics fm(m_PrinterFont);
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ");
    const int cw = fm.horizontalAdvance(letters.left(52)) / 52;
    const int ch = fm.height();
    const QPaintDevice* device = dc.device();
    m_PrintLayout = LayoutPrint(cw, ch, device->width(), device->height());
    if (m_PrintLayout.pages <= 0) return;
    info.maxPage = m_PrintLayout.pages;
    info.currentPage = 1;
}

void CGridCtrl::OnPrint(QPainter& dc, GridPrintInfo& info) {
    const GridPrintLayout& l = m_PrintLayout;
    if (!dc.isActive() || l.pages <= 0) return;
    const int cw = l.charWidth;
    const int ch = l.charHeight;
    dc.save();
    dc.setFont(m_PrinterFont);
    // The logical page onto the paper, a margin of four characters at the left.
    dc.setViewport(0, 0, l.paperWidth, l.paperHeight);
    // origin(y): the logical page moved y units down the paper.
    int originY = 0;
    auto origin = [&](int y) { dc.setWindow(-kLeftMargin * cw, -y, l.pageWidth, l.pageHeight); };
    origin(originY);
    info.drawRect = {0, 0, l.pageWidth - (kLeftMargin + kRightMargin) * cw, kHeaderLines * ch};
    PrintHeader(dc, info);
    originY += (kHeaderLines + kGapLines) * ch;
    origin(originY);
    info.drawRect.bottom = GetFixedRowHeight();
    PrintColumnHeadings(dc, info);
    originY += GetFixedRowHeight();
    origin(originY);

    const std::vector<int> rows = RowsOnPrintPage(info.currentPage, l.pageRowHeight);
    if (rows.empty()) {
        dc.restore();
        return;
    }
    int top = 0;
    for (size_t k = 0; k < rows.size(); ++k)
        top = PrintRowOfCells(dc, rows[k], top, false, k == 0);
    // The footer in the last two lines of the page.
    info.drawRect = {0, 0, l.pageWidth - (kLeftMargin + kRightMargin) * cw, kFooterLines * ch};
    origin(l.pageHeight - kFooterLines * ch);
    PrintFooter(dc, info);
    dc.restore();
}

void CGridCtrl::PrintColumnHeadings(QPainter& dc, GridPrintInfo&) {
    int top = 0;
    for (int row = 0; row < GetFixedRowCount(); ++row)
        top = PrintRowOfCells(dc, row, top, true, row == 0);
}

int CGridCtrl::PrintRowOfCells(QPainter& dc, int row, int top, bool headings, bool firstLine) {
    const int lines = GetGridLines();
    const int bottom = top + GetRowHeight(row) - 1;
    int left = 0;
    for (int col = 0; col < GetColumnCount(); ++col) {
        const int right = left + GetColumnWidth(col) - 1;
        const GridRect rect{left, top, right, bottom};
        if (headings)
            DrawFixedCell(dc, row, col, rect, false);
        else
            DrawCell(dc, row, col, rect, false);
        dc.setPen(QPen(Qt::black, 0));
        if (lines == 3 || lines == 1) {
            const int overlap = col == 0 ? 0 : 1;
            dc.drawLine(left - overlap, bottom, right, bottom);
            if (row == 0) dc.drawLine(left - overlap, top, right, top);
        }
        if (lines == 3 || lines == 2) {
            // The vertical lines reach up to the line above, but on a page's first.
            const int overlap = firstLine ? 0 : 1;
            dc.drawLine(right, top - overlap, right, bottom);
            if (col == 0) dc.drawLine(left, top - overlap, left, bottom);
        }
        left = right + 1;
    }
    return bottom + 1;
}

void CGridCtrl::PrintHeader(QPainter& dc, GridPrintInfo& info) {
    const GridRect& r = info.drawRect;
    dc.save();
    dc.setFont(Bold(m_PrinterFont));
    dc.setPen(Qt::black);
    const uint32_t line = dt::kVCenter | dt::kSingleLine | dt::kNoPrefix;
    const QString title = QString::fromUtf8(g_ProductTitle);
    DrawGridText(dc, r, dt::kRight | line, title);
    // The caption of the first window around the grid that has one.
    QString caption = parentWidget() ? QString() : title;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (!w->windowTitle().isEmpty()) {
            caption = w->windowTitle();
            break;
        }
    if (!caption.isEmpty()) DrawGridText(dc, r, dt::kCenter | line, caption);
    dc.restore();
    dc.save();
    dc.setPen(QPen(Qt::black, 0));
    dc.drawLine(r.left, r.bottom, r.right, r.bottom);
    dc.restore();
}

void CGridCtrl::PrintFooter(QPainter& dc, GridPrintInfo& info) {
    GridRect r = info.drawRect;
    dc.save();
    dc.setPen(QPen(Qt::black, 0));
    dc.drawLine(r.left, r.top, r.right, r.top);
    dc.setFont(Bold(m_PrinterFont));
    const int half = m_PrintLayout.charHeight / 2;
    r.top += half;
    r.bottom += half;
    const uint32_t line = dt::kVCenter | dt::kSingleLine | dt::kNoClip | dt::kNoPrefix;
    DrawGridText(dc, r, dt::kLeft | line,
                 QStringLiteral("Page %1 of %2").arg(info.currentPage).arg(info.maxPage));
    char when[128] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%c", &local);
    DrawGridText(dc, r, dt::kRight | line, QString::fromLocal8Bit(when));
    dc.restore();
}

void CGridCtrl::OnEndPrinting(QPainter&, GridPrintInfo&) {
    m_PrinterFont = QFont();
}
