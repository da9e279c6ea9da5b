// The parameter report: its row names in both languages and where each
// value stands, the table filled from the model, printing it, and the
// spreadsheet export (driver lookup, file prompt, connection string and SQL)
// against a stand-in for ODBC.
#include "app/ParameterReportDialog.h"

#include "app/LumaraView.h"
#include "files/SpreadsheetExport.h"
#include "controls/ListCtrl.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "model/Filter.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/MIC_InData.h"
#include "model/Music_InData.h"
#include "tests/controls/RecordingPrintSink.h"
#include "tests/model/ModelFixture.h"
#include "tests/platform/ScriptedFileChooser.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Row = CParameterReportDialog::Row;

// ---------------------------------------------------------------------------
// Row names and headings
// ---------------------------------------------------------------------------

TEST(ReportRows, EnglishNamesAsTheProgramShowsThem) {
    const QStringList& en = CParameterReportDialog::RowNames(0);
    ASSERT_EQ(en.size(), 174);
    const std::pair<int, const char*> rows[] = {
        {0, "EQ1 Type"},  {1, "EQ1 Gain"},    {2, "EQ1 Freq"},   {3, "EQ1 Q"},
        {4, ""},          {5, "EQ2 Type"},    {70, "EQ15 Type"}, {71, "EQ15Gain"},
        {72, "EQ15req"},  {73, "EQ15Q"},      {74, ""},          {75, "EQ16 Type"},
        {147, "EQ30req"}, {150, "EQ31 Type"}, {151, "EQ31Gain"}, {152, "EQ31req"},
        {153, "EQ31Q"},   {154, ""},          {155, "HPF_Type"}, {157, "HPF_Oct"},
        {158, ""},        {159, "LPF_Type"},  {163, "POL"},      {165, "Gain"},
        {166, "IN L"},    {168, "Mute"},      {169, ""},         {170, "Threshold"},
        {171, "Attach"},  {172, "Release"},   {173, ""},
    };
    for (const auto& [row, name] : rows)
        EXPECT_EQ(en[row], QString::fromUtf8(name)) << row;
}

TEST(ReportRows, ChineseNamesWithBandThreesWidthRow) {
    const QStringList& cn = CParameterReportDialog::RowNames(1);
    ASSERT_EQ(cn.size(), 174);
    const std::pair<int, const char*> rows[] = {
        {0, "均衡1类型"},  {3, "均衡1Q值"},    {4, ""},
        {10, "均衡3类型"}, {12, "均衡3频率"},  {13, "均衡3宽度"},
        {14, "均衡3Q值"},  {15, ""},           {16, "均衡4类型"},
        {19, "均衡4Q值"},  {71, "均衡15类型"}, {74, "均衡15Q值"},
        {75, ""},          {76, "低切类型"},   {78, "低切斜率"},
        {80, "高切类型"},  {84, "相  位"},     {85, "延  时"},
        {86, "增益"},      {87, "输入左"},     {88, "输入右"},
        {89, "静  音"},    {91, "限幅电平"},   {92, "响应时间"},
        {93, "释放时间"},  {94, ""},           {95, ""},
        {173, ""},
    };
    for (const auto& [row, name] : rows)
        EXPECT_EQ(cn[row], QString::fromUtf8(name)) << row;
}

TEST(ReportRows, EveryValueStandsInTheRowThatNamesIt) {
    struct Case {
        int language;
        Row row;
        int band;
        const char* name; // nullptr: no such row
    };
    const Case cases[] = {
        {0, Row::EqType, 1, "EQ1 Type"},   {0, Row::EqGain, 15, "EQ15Gain"},
        {0, Row::EqFreq, 30, "EQ30req"},   {0, Row::EqQ, 31, "EQ31Q"},
        {0, Row::EqQ, 9, "EQ9 Q"},         {0, Row::EqWidth, 3, nullptr},
        {0, Row::EqType, 32, nullptr},     {0, Row::HpfSlope, 0, "HPF_Oct"},
        {0, Row::LpfFreq, 0, "LPF_Freq"},  {0, Row::Polarity, 0, "POL"},
        {0, Row::InRight, 0, "IN R"},      {0, Row::Threshold, 0, "Threshold"},
        {0, Row::Attack, 0, "Attach"},     {0, Row::Release, 0, "Release"},
        {1, Row::EqType, 1, "均衡1类型"},  {1, Row::EqWidth, 3, "均衡3宽度"},
        {1, Row::EqQ, 3, "均衡3Q值"},      {1, Row::EqWidth, 4, nullptr},
        {1, Row::EqGain, 4, "均衡4增益"},  {1, Row::EqQ, 15, "均衡15Q值"},
        {1, Row::EqType, 16, nullptr},     {1, Row::HpfType, 0, "低切类型"},
        {1, Row::LpfSlope, 0, "高切斜率"}, {1, Row::Delay, 0, "延  时"},
        {1, Row::Mute, 0, "静  音"},       {1, Row::Release, 0, "释放时间"},
    };
    for (const Case& c : cases) {
        const int row = CParameterReportDialog::ReportRow(c.language, c.row, c.band);
        SCOPED_TRACE(testing::Message()
                     << c.language << " " << static_cast<int>(c.row) << " " << c.band);
        if (!c.name) {
            EXPECT_EQ(row, -1);
            continue;
        }
        ASSERT_GE(row, 0);
        EXPECT_EQ(CParameterReportDialog::RowNames(c.language)[row], QString::fromUtf8(c.name));
    }
}

TEST(ReportRows, ColumnHeadings) {
    EXPECT_EQ(CParameterReportDialog::ColumnHeading(1, 0), QStringLiteral("参数"));
    EXPECT_EQ(CParameterReportDialog::ColumnHeading(0, 0), QStringLiteral("Args"));
    for (int language : {0, 1}) {
        EXPECT_EQ(CParameterReportDialog::ColumnHeading(language, 1), QStringLiteral("CH1"));
        EXPECT_EQ(CParameterReportDialog::ColumnHeading(language, 6), QStringLiteral("CH6"));
        EXPECT_EQ(CParameterReportDialog::ColumnHeading(language, 7), QStringLiteral("CH7"));
        EXPECT_EQ(CParameterReportDialog::ColumnHeading(language, 18), QStringLiteral("CH18"));
    }
}

// ---------------------------------------------------------------------------
// The dialog over a model
// ---------------------------------------------------------------------------

class ReportDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        data = std::make_unique<CKTV_Data>();
    }
    void TearDown() override { g_LanguageFlag = 0; }

    QString Cell(CParameterReportDialog& dlg, int language, Row row, int band, int column) {
        return dlg.List()->GetItemText(CParameterReportDialog::ReportRow(language, row, band),
                                       column);
    }

    std::unique_ptr<CKTV_Data> data;
};

TEST_F(ReportDialogTest, OpeningFillsTheTableFromTheModelInEitherLanguage) {
    data->GetMic(0)->GetFilter(1)->SetFreq(250, 0);
    data->GetOut(0)->SetDelay(96);
    data->GetOut(5)->GetLowPass()->SetFreq(8000, 0);
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        g_LanguageFlag = language;
        CParameterReportDialog dlg;
        dlg.m_pData = data.get();
        dlg.show();
        CListCtrl& list = *dlg.List();
        EXPECT_EQ(dlg.windowTitle(),
                  language ? QStringLiteral("参数值显示") : QStringLiteral("Report"));
        EXPECT_EQ(dlg.PrintButton()->text(),
                  language ? QStringLiteral("打印") : QStringLiteral("Print"));
        EXPECT_EQ(dlg.ExportButton()->text(),
                  language ? QStringLiteral("导出Excel") : QStringLiteral("Export Excel"));
        ASSERT_EQ(list.GetColumnCount(), CParameterReportDialog::kColumnCount);
        EXPECT_EQ(list.GetColumnWidth(0), 110);
        EXPECT_EQ(list.GetColumnWidth(2), 90);
        EXPECT_EQ(list.GetColumnWidth(18), 80);
        CListCtrl::Column column;
        ASSERT_TRUE(list.GetColumn(18, column));
        EXPECT_EQ(column.text, QStringLiteral("CH18"));
        EXPECT_EQ(column.format, LVCFMT_CENTER);
        // Rows up to the last named one, each named.
        EXPECT_EQ(list.GetItemCount(), language ? 94 : 173);
        EXPECT_EQ(list.GetItemText(0, 0), CParameterReportDialog::RowNames(language)[0]);
        // Values from the model, each in its named row and its channel's column.
        EXPECT_EQ(Cell(dlg, language, Row::EqFreq, 2, 1), QStringLiteral("250Hz"));
        EXPECT_EQ(Cell(dlg, language, Row::EqType, 1, 1),
                  QString::fromStdString(data->GetMic(0)->GetFilter(0)->FormatEqType()));
        EXPECT_EQ(Cell(dlg, language, Row::Delay, 0, 7),
                  QString::fromStdString(data->GetOut(0)->GetDelayText()));
        EXPECT_EQ(Cell(dlg, language, Row::Attack, 0, 18),
                  QString::fromStdString(data->GetOut(11)->GetAttackText()));
        EXPECT_EQ(Cell(dlg, language, Row::LpfFreq, 0, 12), QStringLiteral("8000Hz"));
        EXPECT_EQ(Cell(dlg, language, Row::Gain, 0, 3),
                  QString::fromStdString(data->GetMusic(1)->GetGainText()));
        EXPECT_EQ(Cell(dlg, language, Row::HpfType, 0, 6),
                  QString::fromStdString(data->GetEffect()->GetHighPass()->FormatFamily()));
        // A peaking band's Q is in the Q row.
        const CFilter* band = data->GetOut(0)->GetFilter(0);
        ASSERT_EQ(band->GetKind(), 0);
        EXPECT_EQ(Cell(dlg, language, Row::EqQ, 1, 7), QString::fromStdString(band->FormatQ()));
        // The list's look.
        EXPECT_EQ(list.GetBkColor(), QColor(247, 247, 255));
        EXPECT_EQ(list.GetTextColor(), QColor(0, 0, 255));
        EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_GRIDLINES);
    }
}

TEST_F(ReportDialogTest, FillingAgainReplacesTheTable) {
    CParameterReportDialog dlg;
    dlg.m_pData = data.get();
    dlg.FillReport();
    dlg.FillReport();
    EXPECT_EQ(dlg.List()->GetColumnCount(), CParameterReportDialog::kColumnCount);
    EXPECT_EQ(dlg.List()->GetItemCount(), 173);
}

TEST_F(ReportDialogTest, WithoutDataTheTableIsEmptyAndCommand1368EndsItWithOk) {
    int result = -1;
    const auto previous = ctl::SetModalScript([&](QDialog& d) {
        auto& report = static_cast<CParameterReportDialog&>(d);
        EXPECT_EQ(report.List()->GetItemCount(), 0);
        EXPECT_FALSE(report.OnCommand(1));
        EXPECT_TRUE(report.OnCommand(CParameterReportDialog::IDC_CLOSE));
    });
    result = RunParameterReport(nullptr, nullptr);
    ctl::SetModalScript(previous);
    EXPECT_EQ(result, QDialog::Accepted);
}

TEST_F(ReportDialogTest, ThePrintButtonPrintsTheTableThroughTheListPrinter) {
    ScriptedPrintDialog print;
    std::vector<RecordedText> texts;
    int pages = 0;
    print.makeSink = [&] {
        auto sink = std::make_unique<RecordingPrintSink>(QSize(827, 1169), 100);
        sink->onClose = [&](const RecordingPrintSink& s) {
            texts = s.Texts();
            pages = s.pages;
        };
        return sink;
    };
    const auto has = [&](int page, const QString& text) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const RecordedText& t) { return t.page == page && t.text == text; });
    };
    CParameterReportDialog dlg;
    dlg.m_pData = data.get();
    dlg.show();
    dlg.PrintButton()->click();
    ASSERT_GE(pages, 2);
    EXPECT_TRUE(has(1, QStringLiteral("This is the report of the file")));
    EXPECT_TRUE(has(1, QStringLiteral("Multiline!")));
    EXPECT_TRUE(has(pages, QStringLiteral("Page %1 of %1").arg(pages)));
    EXPECT_TRUE(has(1, QStringLiteral("Just a huar for the footers")));
    EXPECT_TRUE(has(1, QStringLiteral("Args")));
    EXPECT_TRUE(has(1, QStringLiteral("CH18")));
    EXPECT_TRUE(has(1, QStringLiteral("EQ1 Type")));
    EXPECT_EQ(print.shown, 1);

    // An empty table prints nothing.
    dlg.List()->DeleteAllItems();
    dlg.PrintButton()->click();
    EXPECT_EQ(print.shown, 1);
}

// ---------------------------------------------------------------------------
// The export
// ---------------------------------------------------------------------------

TEST(ReportExportSql, StatementsForAListWithHeadingsAAndB) {
    EXPECT_EQ(report::CreateTableSql("Rivak", {"A", "B"}, "`"),
              "CREATE TABLE Rivak (  A TEXT,  B TEXT ) ");
    EXPECT_EQ(report::InsertSql("Rivak", {"A", "B"}, {"x", "y"}, "`"),
              "INSERT INTO Rivak ( A ,  B ) VALUES( 'x' ,  'y' )");
}

TEST(ReportExportSql, AQuoteCannotEndATextOrAName) {
    // A cell: the quote doubled inside the literal.
    EXPECT_EQ(report::InsertSql("Rivak", {"A"}, {"it's"}, "`"),
              "INSERT INTO Rivak ( A ) VALUES( 'it''s' )");
    EXPECT_EQ(report::InsertSql("Rivak", {"A", "B"}, {"x'); DROP TABLE Rivak; --", "y"}, "`"),
              "INSERT INTO Rivak ( A ,  B ) VALUES( 'x''); DROP TABLE Rivak; --' ,  'y' )");
    EXPECT_EQ(report::SqlText("''"), "''''''");
    // A heading that is not a plain word is delimited by the driver's quote,
    // which is doubled inside it.
    struct Case {
        std::string name, quote, sql;
    };
    const Case names[] = {
        {"Args", "`", "Args"},
        {"CH18", "\"", "CH18"},
        {"参数", "`", "参数"},
        {"O'Brien", "`", "`O'Brien`"},
        {"O'Brien", "\"", "\"O'Brien\""},
        {"say \"hi\"", "\"", "\"say \"\"hi\"\"\""},
        {"a`b", "`", "`a``b`"},
        {"two words", " ", "\"two words\""},
        {"1st", "`", "`1st`"},
        {"", "`", "``"},
    };
    for (const Case& c : names)
        EXPECT_EQ(report::SqlName(c.name, c.quote), c.sql) << c.name;
    EXPECT_EQ(report::CreateTableSql("Rivak", {"A", "it's"}, "`"),
              "CREATE TABLE Rivak (  A TEXT,  `it's` TEXT ) ");
}

TEST(ReportExportSql, ConnectionString) {
    EXPECT_EQ(report::SpreadsheetConnectionString("Microsoft Excel Driver (*.xls)",
                                                  "/home/u/MusicFile/r.xls"),
              "DRIVER={Microsoft Excel Driver (*.xls)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;"
              "CREATE_DB=\"/home/u/MusicFile/r.xls\";DBQ=/home/u/MusicFile/r.xls");
}

// ODBC as a test sets it up: the installed drivers, and what the export asked.
class StubOdbc : public report::IOdbc {
public:
    // The installer's form: each entry zero-terminated, then an empty one.
    bool InstalledDriverList(std::vector<char>& buffer) override {
        if (fail) return false;
        buffer.clear();
        for (const std::string& d : drivers) {
            buffer.insert(buffer.end(), d.begin(), d.end());
            buffer.push_back('\0');
        }
        buffer.push_back('\0');
        return true;
    }
    bool Connect(const std::string& connection, std::string& error) override {
        connections.push_back(connection);
        if (!connectError.empty()) error = connectError;
        return connectError.empty();
    }
    std::string IdentifierQuote() override { return "`"; }
    bool Execute(const std::string& sql, std::string& error) override {
        statements.push_back(sql);
        if (static_cast<int>(statements.size()) == failStatement) {
            error = "[stub] table exists";
            return false;
        }
        return true;
    }
    void Disconnect() override { ++disconnects; }

    std::vector<std::string> drivers;
    bool fail = false;
    std::string connectError;
    int failStatement = 0;
    std::vector<std::string> connections, statements;
    int disconnects = 0;
};

TEST(ReportExportDriver, TheFirstSpreadsheetDriverOrNone) {
    StubOdbc odbc;
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "");
    odbc.drivers = {"PostgreSQL Unicode", "SQLite3", "MySQL ODBC 8.0"};
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "");
    odbc.drivers = {"PostgreSQL Unicode", "Microsoft Excel Driver (*.xls)", "Excel Other"};
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "Microsoft Excel Driver (*.xls)");
    std::vector<std::string> all;
    EXPECT_TRUE(report::InstalledDrivers(odbc, all));
    EXPECT_EQ(all.size(), 3u);
    odbc.fail = true;
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "");
    EXPECT_FALSE(report::InstalledDrivers(odbc, all));
}

TEST(ReportExportDriver, TheListEndsAtItsEmptyEntryOrTheBuffersEnd) {
    const auto list = [](const char* bytes, size_t size) {
        return std::vector<char>(bytes, bytes + size);
    };
    using Entries = std::vector<std::string>;
    EXPECT_EQ(report::DriverListEntries(list("A\0B\0\0C\0\0", 9)), (Entries{"A", "B"}));
    EXPECT_EQ(report::DriverListEntries(list("\0\0", 2)), Entries{});
    EXPECT_EQ(report::DriverListEntries({}), Entries{});
    // A full buffer without the closing empty entry, its last entry cut short.
    EXPECT_EQ(report::DriverListEntries(list("SQLite3\0Excel Dri", 17)), Entries{"SQLite3"});
}

// The system's installer, pointed at a configuration folder of the test's
// own (ODBCSYSINI) that lists drivers by name; none of them is loaded.
TEST(ReportExportDriver, TheSystemsInstallerListsTheDriversOfItsConfiguration) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const QByteArray previous = qgetenv("ODBCSYSINI");
    const bool hadPrevious = qEnvironmentVariableIsSet("ODBCSYSINI");
    qputenv("ODBCSYSINI", QFile::encodeName(config.path()));
    const auto install = [&](const char* ini) {
        QFile file(config.filePath(QStringLiteral("odbcinst.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ini);
    };
    report::COdbc odbc;
    std::vector<std::string> drivers;

    install("[SQLite3]\nDriver=libsqlite3odbc.so\n");
    EXPECT_TRUE(report::InstalledDrivers(odbc, drivers));
    EXPECT_EQ(drivers, (std::vector<std::string>{"SQLite3"}));
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "");

    install("[SQLite3]\nDriver=libsqlite3odbc.so\n"
            "[Microsoft Excel Driver (*.xls)]\nDriver=libnone.so\n");
    EXPECT_EQ(report::SpreadsheetDriver(odbc), "Microsoft Excel Driver (*.xls)");

    // A driver that is not installed does not connect, and says why.
    std::string error;
    EXPECT_FALSE(odbc.Connect("DRIVER={No Such Driver};DBQ=/nonexistent.xls", error));
    EXPECT_FALSE(error.empty());

    if (hadPrevious)
        qputenv("ODBCSYSINI", previous);
    else
        qunsetenv("ODBCSYSINI");
}

class ReportExportTest : public ReportDialogTest {
protected:
    void SetUp() override {
        ReportDialogTest::SetUp();
        g_StartDirectory = dir.path().toStdString();
        dlg.SetOdbc(&odbc);
        odbc.drivers = {"Microsoft Excel Driver (*.xls)"};
        dlg.m_pData = data.get();
        dlg.OnInitDialog();
        previousResponder = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            messages.push_back(s.text);
            return CMessageBox::Action::Ok;
        });
    }
    void TearDown() override {
        CMessageBox::SetResponder(previousResponder);
        ReportDialogTest::TearDown();
    }

    QTemporaryDir dir;
    StubOdbc odbc;
    CParameterReportDialog dlg;
    ScriptedFileChooser chooser;
    std::vector<QString> messages;
    CMessageBox::Responder previousResponder;
};

TEST_F(ReportExportTest, WritesTheTableRowByRowIntoTheChosenFile) {
    const QString file = dir.filePath(QStringLiteral("params.xls"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    chooser.Answer(file);
    dlg.ExportButton()->click();
    // The old file was replaced after a Yes (the responder's OK) and deleted for the driver.
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_FALSE(QFile::exists(file));
    ASSERT_EQ(odbc.connections.size(), 1u);
    EXPECT_EQ(odbc.connections[0], report::SpreadsheetConnectionString(
                                       "Microsoft Excel Driver (*.xls)", file.toStdString()));
    const int rows = dlg.List()->GetItemCount();
    ASSERT_EQ(odbc.statements.size(), static_cast<size_t>(rows + 1));
    EXPECT_EQ(odbc.statements[0].rfind("CREATE TABLE Rivak (  Args TEXT,  CH1 TEXT,", 0), 0u);
    EXPECT_NE(odbc.statements[0].find(",  CH18 TEXT ) "), std::string::npos);
    EXPECT_EQ(odbc.statements[1].rfind("INSERT INTO Rivak ( Args ,  CH1 ,", 0), 0u);
    EXPECT_NE(odbc.statements[1].find("VALUES( 'EQ1 Type' ,  '"), std::string::npos);
    EXPECT_EQ(odbc.disconnects, 1);
}

TEST_F(ReportExportTest, NoDriverNoFileOrAnEmptyListEndsWithoutAWord) {
    odbc.drivers = {"SQLite3"};
    dlg.OnExportButton();
    EXPECT_TRUE(chooser.requests.empty());
    odbc.drivers = {"Microsoft Excel Driver (*.xls)"};
    chooser.Cancel();
    dlg.OnExportButton();
    EXPECT_EQ(chooser.requests.size(), 1u);
    EXPECT_TRUE(odbc.connections.empty());
    CListCtrl empty;
    dlg.ExportListToSpreadsheet(&empty, QStringLiteral("Rivak"));
    EXPECT_EQ(chooser.requests.size(), 1u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ReportExportTest, ADriverFailureIsShownAndStopsTheExport) {
    chooser.Answer(dir.filePath(QStringLiteral("a.xls")));
    odbc.connectError = "[stub] cannot create the file";
    dlg.OnExportButton();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("[stub] cannot create the file"));
    EXPECT_TRUE(odbc.statements.empty());

    odbc.connectError.clear();
    odbc.failStatement = 2;
    chooser.Answer(dir.filePath(QStringLiteral("b.xls")));
    dlg.OnExportButton();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], QStringLiteral("[stub] table exists"));
    EXPECT_EQ(odbc.statements.size(), 2u);
    EXPECT_EQ(odbc.disconnects, 1);
}

TEST_F(ReportExportTest, EveryExportProposesTheSameFolder) {
    chooser.Cancel();
    chooser.Cancel();
    QString file;
    EXPECT_FALSE(dlg.PromptExportFile(file));
    EXPECT_FALSE(dlg.PromptExportFile(file));
    ASSERT_EQ(chooser.requests.size(), 2u);
    const QString expected = dir.path() + QStringLiteral("/MusicFile/Rivak");
    for (const auto& r : chooser.requests) {
        EXPECT_EQ(r.folder, expected);
        EXPECT_EQ(r.kind, platform::FileRequest::Save);
        EXPECT_EQ(r.filter, QStringLiteral("Excel(*.xls)"));
        EXPECT_EQ(r.caption, QStringLiteral("Load"));
    }
    EXPECT_EQ(g_StartDirectory, dir.path().toStdString());
    g_LanguageFlag = 1;
    chooser.Cancel();
    dlg.PromptExportFile(file);
    EXPECT_EQ(chooser.requests.back().caption, QStringLiteral("导出"));
}

TEST_F(ReportExportTest, MakeFoldersCreatesTheWayToAPath) {
    const QString file = dir.filePath(QStringLiteral("MusicFile/Rivak/report.xls"));
    EXPECT_FALSE(CParameterReportDialog::MakeFolders(file, true));
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("MusicFile/Rivak"))).exists());
    const QString folder = dir.filePath(QStringLiteral("a/b/c"));
    EXPECT_TRUE(CParameterReportDialog::MakeFolders(folder, false));
    EXPECT_TRUE(QDir(folder).exists());
}

} // namespace
