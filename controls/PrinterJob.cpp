#include "controls/PrinterJob.h"

#include "controls/FileBrowseDialog.h"
#include "controls/ModalDialog.h"
#include "controls/SaveFileChooser.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

namespace {

IPrintDialog* g_PrintDialog = nullptr; // UI thread only; null: Qt's dialog
bool g_Printing = false;               // UI thread only: a job is in its page loop
bool g_QuitAsked = false;              // UI thread only: the application was asked to quit

// The page loop pumps events: it notices a request to quit among them.
class QuitWatch : public QObject {
public:
    QuitWatch() {
        g_QuitAsked = false;
        if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    }
    ~QuitWatch() override {
        if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    }
    QuitWatch(const QuitWatch&) = delete;
    QuitWatch& operator=(const QuitWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
            g_QuitAsked = true;
        return false;
    }
};

// The application's printer settings, kept for the program's run and
// dropped with the application object.
QPrinter* g_AppPrinter = nullptr; // UI thread only

QPrinter& AppPrinter() {
    if (!g_AppPrinter) {
        g_AppPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine([] {
            delete g_AppPrinter;
            g_AppPrinter = nullptr;
        });
    }
    return *g_AppPrinter;
}

// The print-to-file dialog: a PDF file, asked before one is replaced.
std::optional<QString> AskPrintFile(QWidget* parent) {
    platform::FileRequest request;
    request.kind = platform::FileRequest::Save;
    request.parent = parent;
    request.caption = QStringLiteral("Print to File");
    request.folder = QDir::current().filePath(QStringLiteral("Output.pdf"));
    request.filter =
        ctl::QtFileFilter(QStringLiteral("PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*||"));
    request.defaultSuffix = QStringLiteral("pdf");
    return ctl::ChooseSaveFile(request);
}

// A page of the dialog's range limited to the record's minimum and maximum
// (a hook may have set a maximum below the minimum: the minimum wins).
int ClampPage(int page, const CPrintInfo& info) {
    if (page > info.GetMaxPage()) page = info.GetMaxPage();
    if (page < info.GetMinPage()) page = info.GetMinPage();
    return page;
}

// Marks the page loop as running for its scope.
class BusyMark {
public:
    BusyMark() { g_Printing = true; }
    ~BusyMark() { g_Printing = false; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;
};

} // namespace

// ---------------------------------------------------------------------------
// Sinks and the device context
// ---------------------------------------------------------------------------

QPaintDevice* CPrinterSink::Device() {
    return &printer_;
}

QString CPrinterSink::OutputFile() const {
    return printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName() : QString();
}

bool CPrinterSink::StartDoc(const QString& name, const QString& outputFile) {
    printer_.setDocName(name);
    if (!outputFile.isEmpty()) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(outputFile);
    }
    firstPage_ = true;
    return painter_.begin(&printer_);
}

bool CPrinterSink::StartPage() {
    if (!painter_.isActive()) return false;
    // The document's first page starts with the document.
    if (firstPage_) {
        firstPage_ = false;
        return true;
    }
    return printer_.newPage();
}

bool CPrinterSink::EndDoc() {
    return painter_.end();
}

void CPrinterSink::AbortDoc() {
    printer_.abort();
    if (painter_.isActive()) painter_.end();
}

CImagePrintSink::CImagePrintSink(QSize pagePixels, int dpi, std::vector<QImage>* keep)
    : keep_(keep) {
    metrics_ = QImage(pagePixels, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    metrics_.setDotsPerMeterX(dotsPerMeter);
    metrics_.setDotsPerMeterY(dotsPerMeter);
}

QImage CImagePrintSink::NewPage() const {
    QImage page(metrics_.size(), QImage::Format_RGB32);
    page.setDotsPerMeterX(metrics_.dotsPerMeterX());
    page.setDotsPerMeterY(metrics_.dotsPerMeterY());
    page.fill(Qt::white);
    return page;
}

bool CImagePrintSink::StartDoc(const QString& name, const QString&) {
    docName_ = name;
    pages_.clear();
    aborted_ = false;
    return true;
}

bool CImagePrintSink::StartPage() {
    current_ = NewPage();
    return painter_.begin(&current_);
}

bool CImagePrintSink::EndPage() {
    if (!painter_.end()) return false;
    pages_.push_back(current_);
    if (keep_) keep_->push_back(current_);
    return true;
}

int CPrintDC::DpiX() const {
    return Device()->logicalDpiX();
}
int CPrintDC::DpiY() const {
    return Device()->logicalDpiY();
}

PrintRect CPrintDC::PrintableArea() const {
    return {0, 0, Device()->width(), Device()->height()};
}

// ---------------------------------------------------------------------------
// The print dialog
// ---------------------------------------------------------------------------

bool QtPrintDialog::Run(CPrintInfo& info) {
    QPrinter& printer = AppPrinter();
    QPrintDialog dialog(&printer, info.m_pParent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(info.GetMinPage(), info.GetMaxPage());
    printer.setFromTo(0, 0);
    if (ctl::RunModal(dialog) != QDialog::Accepted) return false;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange && printer.fromPage() > 0) {
        info.m_nFromPage = printer.fromPage();
        info.m_nToPage = printer.toPage();
    }
    info.m_bPrintToFile = printer.outputFormat() == QPrinter::PdfFormat;
    info.m_pSink = std::make_unique<CPrinterSink>(printer);
    return true;
}

IPrintDialog* SetPrintDialog(IPrintDialog* dialog) {
    IPrintDialog* previous = g_PrintDialog;
    g_PrintDialog = dialog;
    return previous;
}

CPagesIntoImages::CPagesIntoImages(QSize pagePixels, int dpi)
    : size_(pagePixels), dpi_(dpi), previous_(SetPrintDialog(this)) {}

CPagesIntoImages::~CPagesIntoImages() {
    SetPrintDialog(previous_);
}

bool CPagesIntoImages::Run(CPrintInfo& info) {
    info.m_pSink = std::make_unique<CImagePrintSink>(size_, dpi_, &pages_);
    return true;
}

// ---------------------------------------------------------------------------
// The job
// ---------------------------------------------------------------------------

CPrinterJob::CPrinterJob() : m_strTitle(QStringLiteral("senza nome")) {}

CPrinterJob::~CPrinterJob() = default;

bool CPrinterJob::IsPrinting() {
    return g_Printing;
}

void CPrinterJob::OnPrint(CPrintDC&, CPrintInfo&) {}
void CPrinterJob::OnEndPrinting(CPrintDC&, CPrintInfo&) {}
void CPrinterJob::OnBeginPrinting(CPrintDC&, CPrintInfo&) {}

bool CPrinterJob::OnPreparePrinting(CPrintInfo& info, bool skipDialog) {
    return skipDialog ? true : DoPreparePrinting(info);
}

bool CPrinterJob::DoPreparePrinting(CPrintInfo& info) {
    if (info.GetMaxPage() < info.GetMinPage()) info.SetMaxPage(info.GetMinPage());
    info.m_nFromPage = info.GetMinPage();
    info.m_nToPage = info.GetMaxPage();
    info.m_pParent = m_pParent;
    QtPrintDialog qt;
    IPrintDialog& dialog = g_PrintDialog ? *g_PrintDialog : qt;
    if (!dialog.Run(info)) return false;
    return info.m_pSink != nullptr;
}

void CPrinterJob::OnPrepareDC(CPrintDC&, CPrintInfo& info) {
    // Without a page count only the first page is printed.
    if (info.GetMaxPage() == 0xFFFF)
        info.m_bContinuePrinting = info.m_nCurPage == 1;
    else
        info.m_bContinuePrinting = true;
}

void CPrinterJob::DoPrint() {
    // The page loop lets other commands run: one of them may ask to print
    // again, which would start a document inside this one.
    if (g_Printing) return;
    BusyMark busy;

    CPrintInfo info;
    if (!OnPreparePrinting(info, false)) return;
    CPrintSink& sink = *info.m_pSink;

    QString outputFile;
    if (info.m_bPrintToFile) {
        outputFile = sink.OutputFile();
        if (outputFile.isEmpty()) {
            const std::optional<QString> chosen = AskPrintFile(m_pParent);
            if (!chosen) return;
            outputFile = *chosen;
        }
    }

    CPrintDC dc(sink);
    dc.m_bPrinting = true;
    info.m_rectDraw = dc.PrintableArea();
    OnBeginPrinting(dc, info);

    QuitWatch quitWatch;
    if (!sink.StartDoc(m_strTitle, outputFile)) {
        OnEndPrinting(dc, info);
        return;
    }

    int end = ClampPage(info.GetToPage(), info);
    const int start = ClampPage(info.GetFromPage(), info);
    const int step = end >= start ? 1 : -1;
    end = end == 0xFFFF ? 0xFFFF : end + step;

    bool error = false;
    for (info.m_nCurPage = start; info.m_nCurPage != end; info.m_nCurPage += step) {
        OnPrepareDC(dc, info);
        if (!info.m_bContinuePrinting) break;
        info.m_rectDraw = dc.PrintableArea();
        if (!sink.StartPage()) {
            error = true;
            break;
        }
        OnPrepareDC(dc, info);
        QPainter* painter = sink.Painter();
        painter->save();
        OnPrint(dc, info);
        painter->restore();
        if (!sink.EndPage() || !PrinterJobAbortProc()) {
            error = true;
            break;
        }
    }

    if (error)
        sink.AbortDoc();
    else
        sink.EndDoc();
    OnEndPrinting(dc, info);
}

bool PrinterJobAbortProc() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return !g_QuitAsked && !QCoreApplication::closingDown();
}
