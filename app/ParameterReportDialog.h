// The parameter report (template 102): the current preset's parameters as a
// table, one row per parameter and one column per channel, which the user
// can print through the list printer or export to a spreadsheet file
// through ODBC.
//
// The rows are named in the language of the dialog; each value stands in
// the row whose name names it (the names of the two languages are laid out
// differently), and a value without a named row is left out. Column 0 holds
// the names, then the microphone, the four music inputs, the effect unit and
// the twelve outputs ("CH1" to "CH18"). The dialog fills the table from the
// device data when it opens.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class CKTV_Data;
class CListCtrl;
class CLumaraView;
class QPushButton;

namespace report {
class IOdbc;
}

class CParameterReportDialog : public QDialog {
public:
    enum : int {
        IDD = 102,
        IDC_PRINT = 1366,
        IDC_LIST = 1367,
        IDC_CLOSE = 1368,
        IDC_EXPORT = 1369
    };
    static constexpr int kRowCount = 174;
    static constexpr int kColumnCount = 19;

    // What a report row holds.
    enum class Row {
        EqType,
        EqGain,
        EqFreq,
        EqWidth,
        EqQ,
        HpfType,
        HpfFreq,
        HpfSlope,
        LpfType,
        LpfFreq,
        LpfSlope,
        Polarity,
        Delay,
        Gain,
        InLeft,
        InRight,
        Mute,
        Threshold,
        Attack,
        Release,
    };

    explicit CParameterReportDialog(QWidget* parent = nullptr);
    ~CParameterReportDialog() override;

    // Set by the opener.
    CLumaraView* m_pView = nullptr;
    CKTV_Data* m_pData = nullptr; // not owned

    // Runs once, when the dialog is first shown (or by FillReport).
    void OnInitDialog();
    // The table from the device data (read under the device lock).
    void FillReport();
    // The buttons and command 1368 (ends the dialog with OK); false for
    // another id.
    bool OnCommand(int id);
    void OnPrintButton();
    void OnExportButton();

    void ExportListToSpreadsheet(CListCtrl* list, const QString& table);
    std::string GetSpreadsheetDriver();
    // The export file's full path; false when cancelled or an existing file
    // of that name could not be deleted.
    bool PromptExportFile(QString& file);
    // Creates the folders on the way to path (and path itself when it does
    // not name a file); whether path exists.
    static bool MakeFolders(const QString& path, bool namesFile);

    // The ODBC calls of the export (null: the system's).
    void SetOdbc(report::IOdbc* odbc) { odbc_ = odbc; }

    // The 174 row names of a language (1 Chinese, 0 English), the column
    // headings, and the row of the named table that holds a value (band
    // counted from 1; -1: the language's table names no such row).
    static const QStringList& RowNames(int language);
    static QString ColumnHeading(int language, int column);
    static int ReportRow(int language, Row row, int band = 0);

    CListCtrl* List() const { return m_List; }
    QPushButton* PrintButton() const { return m_PrintButton; }
    QPushButton* ExportButton() const { return m_ExportButton; }
    QString PrintCaption() const { return m_PrintCaption; }
    QString ExportCaption() const { return m_ExportCaption; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* m_ExportButton = nullptr;
    QPushButton* m_PrintButton = nullptr;
    CListCtrl* m_List = nullptr;
    QStringList m_ShowNames;
    QString m_PrintCaption, m_ExportCaption;
    int m_Language = 0;
    bool m_Initialised = false;
    report::IOdbc* odbc_ = nullptr;
};

// The view's report operation: the dialog over the device data, modal.
int RunParameterReport(CLumaraView* view, CKTV_Data* data);
