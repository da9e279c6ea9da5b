// A small, window-less print driver: it asks the user for a printer (or a
// PDF file), opens a print document, runs the page loop and calls four hooks
// around it, for code that has no view to print from. A subclass sets the
// minimum page in OnPreparePrinting before the base shows the print dialog,
// may set the maximum page in OnBeginPrinting (the page loop reads the range
// only after it), and draws one page per OnPrint call into the record's
// drawing rectangle.
//
// The printer's metrics are its own: the drawing rectangle, the resolution
// and the fonts follow the device, not the screen's fixed 96 dpi.
//
// Every print dialog goes through the installed IPrintDialog (Qt's print
// dialog unless a test put another in its place), and the pages go to a
// CPrintSink: a printer or PDF file (CPrinterSink), or images
// (CImagePrintSink).
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>
#include <vector>

class QPaintDevice;
class QPrinter;
class QWidget;

// A rectangle with exclusive right and bottom edges, as the print layout
// measures in device units.
struct PrintRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    bool operator==(const PrintRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Where a job's pages go. The device gives the metrics from the start (the
// layout is measured before the document starts); the painter draws only
// between StartPage and EndPage.
class CPrintSink {
public:
    virtual ~CPrintSink() = default;
    virtual QPaintDevice* Device() = 0;
    virtual QPainter* Painter() = 0;
    // The file the print dialog already chose for a print to file (empty:
    // none; the job then asks for one).
    virtual QString OutputFile() const { return QString(); }
    virtual bool StartDoc(const QString& name, const QString& outputFile) = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    virtual void AbortDoc() = 0;
};

// A printer, or a PDF file when the document is given an output file.
class CPrinterSink : public CPrintSink {
public:
    explicit CPrinterSink(QPrinter& printer) : printer_(printer) {}
    QPaintDevice* Device() override;
    QPainter* Painter() override { return &painter_; }
    QString OutputFile() const override;
    bool StartDoc(const QString& name, const QString& outputFile) override;
    bool StartPage() override;
    bool EndPage() override { return painter_.isActive(); }
    bool EndDoc() override;
    void AbortDoc() override;

private:
    QPrinter& printer_;
    QPainter painter_;
    bool firstPage_ = true;
};

// Every page an image of the same size and resolution, white before it is
// drawn on: for pictures of printed pages. The job owns its sink: give it a
// list to keep the pages in.
class CImagePrintSink : public CPrintSink {
public:
    CImagePrintSink(QSize pagePixels, int dpi, std::vector<QImage>* keep = nullptr);
    QPaintDevice* Device() override { return &metrics_; }
    QPainter* Painter() override { return &painter_; }
    bool StartDoc(const QString& name, const QString& outputFile) override;
    bool StartPage() override;
    bool EndPage() override;
    bool EndDoc() override { return true; }
    void AbortDoc() override { aborted_ = true; }

    const std::vector<QImage>& Pages() const { return pages_; }
    const QString& DocName() const { return docName_; }
    bool Aborted() const { return aborted_; }

private:
    QImage NewPage() const;

    QImage metrics_;
    QImage current_;
    QPainter painter_;
    std::vector<QImage> pages_;
    std::vector<QImage>* keep_;
    QString docName_;
    bool aborted_ = false;
};

// The device context of a job: the sink's device and painter.
class CPrintDC {
public:
    explicit CPrintDC(CPrintSink& sink) : sink_(sink) {}
    QPaintDevice* Device() const { return sink_.Device(); }
    QPainter* Painter() const { return sink_.Painter(); }
    int DpiX() const;
    int DpiY() const;
    // The printable area in device units.
    PrintRect PrintableArea() const;
    bool m_bPrinting = false;

private:
    CPrintSink& sink_;
};

// The print information record of one job.
class CPrintInfo {
public:
    void SetMinPage(int page) { m_nMinPage = page; }
    void SetMaxPage(int page) { m_nMaxPage = page; }
    int GetMinPage() const { return m_nMinPage; }
    int GetMaxPage() const { return m_nMaxPage; }
    // The range the dialog gives (set from the minimum and maximum page
    // before it is shown).
    int GetFromPage() const { return m_nFromPage; }
    int GetToPage() const { return m_nToPage; }

    int m_nMinPage = 1;
    int m_nMaxPage = 0xFFFF;
    int m_nFromPage = 1;
    int m_nToPage = 0xFFFF;
    int m_nCurPage = 1;
    bool m_bContinuePrinting = true;
    PrintRect m_rectDraw;
    // The dialog's choices: print to a file, and where the pages go (none:
    // no printer).
    bool m_bPrintToFile = false;
    QWidget* m_pParent = nullptr;
    std::unique_ptr<CPrintSink> m_pSink;
};

// The print dialog: shows the range of the record, and on OK stores the
// chosen range, the print-to-file choice and the sink in it.
class IPrintDialog {
public:
    virtual ~IPrintDialog() = default;
    virtual bool Run(CPrintInfo& info) = 0;
};

// Qt's print dialog over the application's printer settings, which last
// for the program's run.
class QtPrintDialog : public IPrintDialog {
public:
    bool Run(CPrintInfo& info) override;
};

// Installs a print dialog (null: Qt's again); returns the one it replaces.
IPrintDialog* SetPrintDialog(IPrintDialog* dialog);

// While it lives, every print dialog is answered at once with OK, and the
// pages go into images of one size and resolution (for pictures of a
// printout).
class CPagesIntoImages : public IPrintDialog {
public:
    CPagesIntoImages(QSize pagePixels, int dpi);
    ~CPagesIntoImages() override;
    CPagesIntoImages(const CPagesIntoImages&) = delete;
    CPagesIntoImages& operator=(const CPagesIntoImages&) = delete;

    bool Run(CPrintInfo& info) override;
    const std::vector<QImage>& Pages() const { return pages_; }

private:
    QSize size_;
    int dpi_;
    std::vector<QImage> pages_;
    IPrintDialog* previous_;
};

class CPrinterJob {
public:
    CPrinterJob();
    virtual ~CPrinterJob();
    CPrinterJob(const CPrinterJob&) = delete;
    CPrinterJob& operator=(const CPrinterJob&) = delete;

    // Runs the whole job; a job started while another one runs (the page
    // loop lets other commands run) does nothing.
    virtual void DoPrint();
    virtual void OnPrint(CPrintDC& dc, CPrintInfo& info);
    virtual void OnEndPrinting(CPrintDC& dc, CPrintInfo& info);
    virtual void OnBeginPrinting(CPrintDC& dc, CPrintInfo& info);
    // With the flag set, TRUE; otherwise the print dialog's answer.
    virtual bool OnPreparePrinting(CPrintInfo& info, bool skipDialog);

    bool DoPreparePrinting(CPrintInfo& info);
    void OnPrepareDC(CPrintDC& dc, CPrintInfo& info);

    // Whether a job is running now.
    static bool IsPrinting();

    QString m_strTitle;           // the name the document is printed under
    QWidget* m_pParent = nullptr; // owner of the dialogs
};

// Lets the user interface run while pages are spooled: handles the events
// waiting; false (abort) once the application has been asked to quit.
bool PrinterJobAbortProc();
