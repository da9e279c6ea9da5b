// The print job: the page range and its order, when the hooks run, printing
// to a file, failures and the abort, and a second job refused while one runs.
#include "controls/PrinterJob.h"

#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "tests/controls/RecordingPrintSink.h"
#include "tests/platform/ScriptedFileChooser.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A job that records its hooks and the pages it is asked to print.
class TraceJob : public CPrinterJob {
public:
    bool OnPreparePrinting(CPrintInfo& info, bool skip) override {
        calls.push_back("prepare");
        if (maxBeforeDialog) info.SetMaxPage(maxBeforeDialog);
        return CPrinterJob::OnPreparePrinting(info, skip);
    }
    void OnBeginPrinting(CPrintDC& dc, CPrintInfo& info) override {
        calls.push_back("begin");
        drawRect = info.m_rectDraw;
        dpi = dc.DpiY();
        if (maxAfterDialog) info.SetMaxPage(maxAfterDialog);
    }
    void OnPrint(CPrintDC& dc, CPrintInfo& info) override {
        printed.push_back(info.m_nCurPage);
        dc.Painter()->drawText(QPoint(10, 20), QStringLiteral("page %1").arg(info.m_nCurPage));
        if (onPrint) onPrint(info);
    }
    void OnEndPrinting(CPrintDC&, CPrintInfo&) override { calls.push_back("end"); }

    int maxBeforeDialog = 0, maxAfterDialog = 0;
    std::vector<std::string> calls;
    std::vector<int> printed;
    std::function<void(CPrintInfo&)> onPrint;
    PrintRect drawRect;
    int dpi = 0;
};

// The job prints into a recording sink; its record is kept when the job
// drops it.
class PrinterJobTest : public ::testing::Test {
protected:
    struct Result {
        QString docName, outputFile;
        int started = 0, ended = 0, aborted = 0, pages = 0;
    };

    PrinterJobTest() {
        dialog.makeSink = [this] {
            auto sink = std::make_unique<RecordingPrintSink>(pageSize, dpi);
            sink->dialogFile = dialogFile;
            sink->failStartDoc = failStartDoc;
            sink->failEndPage = failEndPage;
            sink->onClose = [this](const RecordingPrintSink& s) {
                last = {s.docName,   s.outputFile,  s.docsStarted,
                        s.docsEnded, s.docsAborted, s.pages};
            };
            return sink;
        };
    }
    Result Run(CPrinterJob& job) {
        last = {};
        job.DoPrint();
        return last;
    }

    ScriptedPrintDialog dialog;
    Result last;
    QSize pageSize{800, 1100};
    int dpi = 100;
    QString dialogFile;
    bool failStartDoc = false;
    int failEndPage = 0;
};

TEST_F(PrinterJobTest, PagesInTheDialogsRangeUpOrDownAndOnePageWithoutACount) {
    struct Case {
        const char* name;
        int maxBeforeDialog, maxAfterDialog, from, to;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"whole document", 0, 3, 0, 0, {1, 2, 3}},
        {"from above to: downwards, both ends", 0, 3, 3, 1, {3, 2, 1}},
        {"no page count: page 1 only", 0, 0, 0, 0, {1}},
        {"range inside a known count", 5, 0, 2, 4, {2, 3, 4}},
        {"range past the count is cut", 5, 0, 4, 9, {4, 5}},
        {"one page", 5, 0, 3, 3, {3}},
        {"downwards past the count", 0, 4, 9, 2, {4, 3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceJob job;
        job.maxBeforeDialog = c.maxBeforeDialog;
        job.maxAfterDialog = c.maxAfterDialog;
        dialog.from = c.from;
        dialog.to = c.to;
        const Result r = Run(job);
        EXPECT_EQ(job.printed, c.pages);
        EXPECT_EQ(r.pages, static_cast<int>(c.pages.size()));
        // Every case ends its document normally, named as the job is.
        EXPECT_EQ(r.started, 1);
        EXPECT_EQ(r.ended, 1);
        EXPECT_EQ(r.aborted, 0);
        EXPECT_EQ(r.docName, QStringLiteral("senza nome"));
        EXPECT_EQ(job.calls, (std::vector<std::string>{"prepare", "begin", "end"}));
    }
}

TEST_F(PrinterJobTest, TheDialogShowsTheRangeTheJobSetAndMaximumBelowMinimumIsRaised) {
    TraceJob job;
    job.maxBeforeDialog = 7;
    Run(job);
    EXPECT_EQ(dialog.shownMin, 1);
    EXPECT_EQ(dialog.shownMax, 7);
    // A maximum below the minimum is raised to it before the dialog.
    class LowMax : public CPrinterJob {
    public:
        bool OnPreparePrinting(CPrintInfo& info, bool skip) override {
            info.SetMinPage(2);
            info.SetMaxPage(1);
            return CPrinterJob::OnPreparePrinting(info, skip);
        }
    } low;
    low.DoPrint();
    EXPECT_EQ(dialog.shownMin, 2);
    EXPECT_EQ(dialog.shownMax, 2);
}

TEST_F(PrinterJobTest, CancelledDialogOrFileDialogCallsNoBeginOrEndHook) {
    ScriptedFileChooser chooser;
    {
        SCOPED_TRACE("print dialog cancelled");
        dialog.cancel = true;
        TraceJob job;
        const Result r = Run(job);
        EXPECT_EQ(job.calls, std::vector<std::string>{"prepare"});
        EXPECT_EQ(r.started, 0);
        dialog.cancel = false;
    }
    {
        SCOPED_TRACE("no printer");
        auto make = dialog.makeSink;
        dialog.makeSink = nullptr;
        TraceJob job;
        Run(job);
        EXPECT_EQ(job.calls, std::vector<std::string>{"prepare"});
        dialog.makeSink = make;
    }
    {
        SCOPED_TRACE("print to file, file dialog cancelled");
        dialog.printToFile = true;
        chooser.Cancel();
        TraceJob job;
        job.maxAfterDialog = 2;
        const Result r = Run(job);
        EXPECT_EQ(job.calls, std::vector<std::string>{"prepare"});
        EXPECT_EQ(r.started, 0);
        EXPECT_TRUE(job.printed.empty());
        ASSERT_EQ(chooser.requests.size(), 1u);
        EXPECT_EQ(chooser.requests[0].kind, platform::FileRequest::Save);
        EXPECT_EQ(chooser.requests[0].caption, QStringLiteral("Print to File"));
        EXPECT_EQ(chooser.requests[0].defaultSuffix, QStringLiteral("pdf"));
        EXPECT_TRUE(chooser.requests[0].folder.endsWith(QStringLiteral("/Output.pdf")));
    }
}

TEST_F(PrinterJobTest, PrintToFileWritesTheChosenPdfNameOrTheDialogsOwn) {
    QTemporaryDir dir;
    ScriptedFileChooser chooser;
    dialog.printToFile = true;
    chooser.Answer(dir.filePath(QStringLiteral("report")));
    TraceJob job;
    Result r = Run(job);
    EXPECT_EQ(r.outputFile, dir.filePath(QStringLiteral("report.pdf")));
    EXPECT_EQ(job.printed, std::vector<int>{1});

    // The dialog chose the file itself: no second question.
    dialogFile = dir.filePath(QStringLiteral("chosen.pdf"));
    TraceJob again;
    r = Run(again);
    EXPECT_EQ(r.outputFile, dialogFile);
    EXPECT_EQ(chooser.requests.size(), 1u);
}

TEST_F(PrinterJobTest, AnExistingFileIsReplacedOnlyAfterYes) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("old.pdf"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ScriptedFileChooser chooser;
    chooser.Answer(existing);
    chooser.Answer(existing);
    std::vector<QString> asked;
    const auto previous = CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
        asked.push_back(s.text);
        return asked.size() == 1 ? CMessageBox::Action::Cancel : CMessageBox::Action::Ok;
    });
    dialog.printToFile = true;
    TraceJob job;
    const Result r = Run(job);
    CMessageBox::SetResponder(previous);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("old.pdf already exists.")));
    EXPECT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(r.outputFile, existing);
}

TEST_F(PrinterJobTest, FailuresCloseTheHooksAndAbortTheDocument) {
    {
        SCOPED_TRACE("document does not start");
        failStartDoc = true;
        TraceJob job;
        job.maxAfterDialog = 3;
        const Result r = Run(job);
        EXPECT_EQ(job.calls, (std::vector<std::string>{"prepare", "begin", "end"}));
        EXPECT_TRUE(job.printed.empty());
        EXPECT_EQ(r.ended + r.aborted, 0);
        failStartDoc = false;
    }
    {
        SCOPED_TRACE("page 2 does not end");
        failEndPage = 2;
        TraceJob job;
        job.maxAfterDialog = 3;
        const Result r = Run(job);
        EXPECT_EQ(job.printed, (std::vector<int>{1, 2}));
        EXPECT_EQ(r.aborted, 1);
        EXPECT_EQ(r.ended, 0);
        EXPECT_EQ(job.calls, (std::vector<std::string>{"prepare", "begin", "end"}));
        failEndPage = 0;
    }
}

// Keeps the application's quit request from reaching it (the test goes on).
class SwallowQuit : public QObject {
public:
    SwallowQuit() { qApp->installEventFilter(this); }
    ~SwallowQuit() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == qApp && event->type() == QEvent::Quit;
    }
};

TEST_F(PrinterJobTest, AQuitRequestWhilePagesAreSpooledAbortsTheDocument) {
    SwallowQuit swallow; // installed before the job's own watch, so it runs after it
    TraceJob job;
    job.maxAfterDialog = 3;
    job.onPrint = [](CPrintInfo& info) {
        if (info.m_nCurPage == 1) QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
    };
    const Result r = Run(job);
    EXPECT_EQ(job.printed, std::vector<int>{1});
    EXPECT_EQ(r.aborted, 1);
    EXPECT_EQ(job.calls, (std::vector<std::string>{"prepare", "begin", "end"}));
}

TEST_F(PrinterJobTest, APrintStartedWhileOneRunsIsRefused) {
    TraceJob second;
    TraceJob first;
    first.maxAfterDialog = 2;
    bool busyInside = false;
    // A command run by the page loop's event pump asks to print again.
    first.onPrint = [&](CPrintInfo& info) {
        busyInside = CPrinterJob::IsPrinting();
        if (info.m_nCurPage == 1) second.DoPrint();
    };
    const Result r = Run(first);
    EXPECT_TRUE(busyInside);
    EXPECT_TRUE(second.calls.empty());
    EXPECT_TRUE(second.printed.empty());
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(first.printed, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.ended, 1);
    EXPECT_FALSE(CPrinterJob::IsPrinting());
    // Once the first has ended, printing works again.
    TraceJob third;
    Run(third);
    EXPECT_EQ(third.printed, std::vector<int>{1});
}

TEST_F(PrinterJobTest, TheDrawingRectangleAndResolutionAreThePrintersOwn) {
    pageSize = QSize(4960, 7016); // A4 at 600 dpi
    dpi = 600;
    TraceJob job;
    Run(job);
    EXPECT_EQ(job.drawRect, (PrintRect{0, 0, 4960, 7016}));
    EXPECT_EQ(job.dpi, 600);
}

TEST_F(PrinterJobTest, APrinterPrintsToAPdfFileWithEveryPage) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    dialog.makeSink = [&printer] { return std::make_unique<CPrinterSink>(printer); };
    dialog.printToFile = true;
    ScriptedFileChooser chooser;
    chooser.Answer(dir.filePath(QStringLiteral("pages.pdf")));
    TraceJob job;
    job.maxAfterDialog = 3;
    Run(job);
    EXPECT_EQ(job.printed, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(job.drawRect.Width(), printer.width());
    EXPECT_EQ(job.dpi, printer.resolution());
    QFile pdf(dir.filePath(QStringLiteral("pages.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n"), 3);
    // The document's title, as PDF keeps it: UTF-16, big-endian.
    QByteArray title("\xFE\xFF");
    for (const char c : QByteArray("senza nome"))
        title.append('\0').append(c);
    EXPECT_TRUE(bytes.contains(title));
}

} // namespace

namespace {

TEST(ImagePrintSink, EveryPageAWhiteImageAtThePrintersResolution) {
    CPagesIntoImages into(QSize(400, 300), 150);
    TraceJob job;
    job.maxAfterDialog = 2;
    job.DoPrint();
    const std::vector<QImage>& pages = into.Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(job.dpi, 150);
    EXPECT_EQ(job.drawRect, (PrintRect{0, 0, 400, 300}));
    for (const QImage& page : pages) {
        EXPECT_EQ(page.size(), QSize(400, 300));
        EXPECT_EQ(page.logicalDpiX(), 150);
        EXPECT_EQ(page.pixelColor(399, 299), QColor(Qt::white));
        bool ink = false; // the page's text
        for (int y = 0; y < 40 && !ink; ++y)
            for (int x = 0; x < 200 && !ink; ++x)
                ink = qGray(page.pixel(x, y)) < 100;
        EXPECT_TRUE(ink);
    }
    EXPECT_NE(pages[0], pages[1]);
}

// Qt's print dialog runs as every modal dialog does, so a script plays the
// user: here OK with what the dialog proposes.
TEST(QtPrintDialogSeam, RunsThroughTheModalSeamAndGivesAPrinterSink) {
    QPrintDialog* shown = nullptr;
    const auto previous = ctl::SetModalScript([&](QDialog& d) {
        shown = qobject_cast<QPrintDialog*>(&d);
        if (shown) {
            EXPECT_EQ(shown->minPage(), 1);
            EXPECT_EQ(shown->maxPage(), 4);
        }
        d.accept();
    });
    QtPrintDialog dialog;
    CPrintInfo info;
    info.SetMaxPage(4);
    const bool ok = dialog.Run(info);
    ctl::SetModalScript(previous);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(info.m_pSink);
    EXPECT_GT(info.m_pSink->Device()->width(), 0);
    // A cancelled dialog gives no sink.
    ctl::SetModalScript([](QDialog& d) { d.reject(); });
    CPrintInfo cancelled;
    EXPECT_FALSE(dialog.Run(cancelled));
    ctl::SetModalScript(previous);
    EXPECT_FALSE(cancelled.m_pSink);
}

} // namespace
