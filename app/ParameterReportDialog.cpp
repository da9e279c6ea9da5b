#include "app/ParameterReportDialog.h"

#include "app/LumaraView.h"
#include "files/SpreadsheetExport.h"
#include "controls/ListCtrl.h"
#include "controls/ListCtrlPrint.h"
#include "controls/MessageBox.h"
#include "controls/ModalDialog.h"
#include "controls/SaveFileChooser.h"
#include "controls/TemplateDialog.h"
#include "model/DeviceLock.h"
#include "model/Filter.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/MIC_InData.h"
#include "model/Music_InData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>

#include <array>
#include <vector>

namespace {

// Template 102 in dialog units of MS Sans Serif 8.
constexpr platform::TemplateFont kFont = platform::kMsSansSerif8;
const QSize kSize(377, 247);
const QRect kPrintPlace(16, 7, 50, 12);
const QRect kListPlace(7, 21, 365, 218);
const QRect kExportPlace(130, 7, 50, 12);

const QColor kListBackground(247, 247, 255);
const QColor kListText(0, 0, 255);

// The rows after the bands, in both tables, from their first row.
constexpr int kTailEnglish = 155;
constexpr int kTailChinese = 76;
const char* const kTailEn[] = {"HPF_Type",  "HPF_Freq", "HPF_Oct", "",     "LPF_Type",
                               "LPF_Freq",  "LPF_Oct",  "",        "POL",  "Delay",
                               "Gain",      "IN L",     "IN R",    "Mute", "",
                               "Threshold", "Attach",   "Release", ""};
const char* const kTailCn[] = {"低切类型", "低切频率", "低切斜率", "",       "高切类型",
                               "高切频率", "高切斜率", "",         "相  位", "延  时",
                               "增益",     "输入左",   "输入右",   "静  音", "",
                               "限幅电平", "响应时间", "释放时间", ""};

QStringList EnglishRows() {
    QStringList rows;
    for (int n = 1; n <= 31; ++n) {
        const QString b = QString::number(n);
        // Three bands carry the names as the program has always shown them.
        if (n == 15 || n == 30 || n == 31)
            rows << "EQ" + b + " Type"
                 << "EQ" + b + "Gain"
                 << "EQ" + b + "req"
                 << "EQ" + b + "Q";
        else
            rows << "EQ" + b + " Type"
                 << "EQ" + b + " Gain"
                 << "EQ" + b + " Freq"
                 << "EQ" + b + " Q";
        rows << QString();
    }
    for (const char* name : kTailEn)
        rows << QString::fromUtf8(name);
    return rows;
}

QStringList ChineseRows() {
    QStringList rows;
    for (int n = 1; n <= 15; ++n) {
        const QString b = QStringLiteral("均衡") + QString::number(n);
        rows << b + QStringLiteral("类型") << b + QStringLiteral("增益")
             << b + QStringLiteral("频率");
        if (n == 3) rows << b + QStringLiteral("宽度");
        rows << b + QStringLiteral("Q值") << QString();
    }
    for (const char* name : kTailCn)
        rows << QString::fromUtf8(name);
    while (rows.size() < CParameterReportDialog::kRowCount)
        rows << QString();
    return rows;
}

// A column of the report's values, by row.
using Column = std::vector<QString>;
using Table = std::array<Column, CParameterReportDialog::kColumnCount>;

class ReportWriter {
public:
    ReportWriter(Table& table, int language) : table_(table), language_(language) {}

    void Put(int column, CParameterReportDialog::Row row, int band, const std::string& text) {
        const int r = CParameterReportDialog::ReportRow(language_, row, band);
        if (r >= 0)
            table_[static_cast<size_t>(column)][static_cast<size_t>(r)] =
                QString::fromStdString(text);
    }
    void Put(int column, CParameterReportDialog::Row row, const std::string& text) {
        Put(column, row, 0, text);
    }

    // A band's type, gain and frequency; a peaking band's width and Q, any
    // other band's shelf slope in the width row (or the Q row where the
    // language has no width row).
    void Band(int column, int band, const CFilter* f) {
        using Row = CParameterReportDialog::Row;
        if (!f) return;
        Put(column, Row::EqType, band, f->FormatEqType());
        Put(column, Row::EqGain, band, f->FormatGain());
        Put(column, Row::EqFreq, band, f->FormatFreq());
        if (f->GetKind() == 0) {
            Put(column, Row::EqWidth, band, f->FormatBandwidth());
            Put(column, Row::EqQ, band, f->FormatQ());
        } else if (CParameterReportDialog::ReportRow(language_, Row::EqWidth, band) >= 0) {
            Put(column, Row::EqWidth, band, f->FormatShelfSlope());
        } else {
            Put(column, Row::EqQ, band, f->FormatShelfSlope());
        }
    }
    template <class Channel> void Bands(int column, const Channel& channel, int count) {
        for (int b = 0; b < count; ++b)
            Band(column, b + 1, channel.GetFilter(b));
    }
    void Crossover(int column, const CFilter* f, bool high, bool slope) {
        using Row = CParameterReportDialog::Row;
        if (!f) return;
        Put(column, high ? Row::HpfType : Row::LpfType, f->FormatFamily());
        Put(column, high ? Row::HpfFreq : Row::LpfFreq, f->FormatFreq());
        if (slope) Put(column, high ? Row::HpfSlope : Row::LpfSlope, f->FormatSlope());
    }

private:
    Table& table_;
    int language_;
};

// The values of the report from the model, as the lock keeps them whole.
void ReadReport(CKTV_Data& data, int language, Table& table) {
    using Row = CParameterReportDialog::Row;
    ReportWriter w(table, language);
    DeviceLockGuard lock(g_DeviceLock);
    if (const CMIC_InData* mic = data.GetMic(0)) {
        w.Bands(1, *mic, 9);
        w.Crossover(1, mic->GetHighPass(), true, true);
        w.Crossover(1, mic->GetLowPass(), false, true);
        w.Put(1, Row::Gain, mic->GetGainText());
        w.Put(1, Row::Mute, mic->GetOnText());
        w.Put(1, Row::Threshold, mic->GetNoiseGateText());
    }
    for (int i = 0; i < 4; ++i) {
        const CMusic_InData* music = data.GetMusic(i);
        if (!music) continue;
        const int column = 2 + i;
        w.Bands(column, *music, 7);
        w.Put(column, Row::Gain, music->GetGainText());
        w.Put(column, Row::Mute, music->GetOnText());
        w.Put(column, Row::Threshold, music->GetNoiseGateText());
    }
    const CEffect_Data& effect = *data.GetEffect();
    w.Bands(6, effect, 3);
    w.Crossover(6, effect.GetHighPass(), true, false);
    w.Crossover(6, effect.GetLowPass(), false, false);
    w.Put(6, Row::Gain, effect.FormatParam9Text());
    for (int i = 0; i < 12; ++i) {
        const CKTV_OutData* out = data.GetOut(i);
        if (!out) continue;
        const int column = 7 + i;
        w.Bands(column, *out, i < 2 ? 6 : 3);
        w.Crossover(column, out->GetHighPass(), true, true);
        if (i == 5) w.Crossover(column, out->GetLowPass(), false, true);
        w.Put(column, Row::Polarity, out->GetPolarityText());
        w.Put(column, Row::Delay, out->GetDelayText());
        w.Put(column, Row::Gain, out->GetGainText());
        w.Put(column, Row::InLeft, out->GetLeftSourceText());
        w.Put(column, Row::InRight, out->GetRightSourceText());
        w.Put(column, Row::Mute, out->GetOutputOnText());
        w.Put(column, Row::Threshold, out->GetEmptyTextA());
        w.Put(column, Row::Attack, out->GetAttackText());
        w.Put(column, Row::Release, out->GetReleaseText());
    }
}

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

const QStringList& CParameterReportDialog::RowNames(int language) {
    static const QStringList english = EnglishRows();
    static const QStringList chinese = ChineseRows();
    return language ? chinese : english;
}

QString CParameterReportDialog::ColumnHeading(int language, int column) {
    if (column == 0) return language ? QStringLiteral("参数") : QStringLiteral("Args");
    // Every channel column is named by its number, so that each has a name
    // of its own (the export makes them the spreadsheet's column names).
    if (column > 0 && column < kColumnCount) return QStringLiteral("CH") + QString::number(column);
    return QString();
}

int CParameterReportDialog::ReportRow(int language, Row row, int band) {
    const int kind = static_cast<int>(row);
    if (kind <= static_cast<int>(Row::EqQ)) {
        const int bands = language ? 15 : 31;
        if (band < 1 || band > bands) return -1;
        if (!language) {
            const int offsets[] = {0, 1, 2, -1, 3};
            const int offset = offsets[kind];
            return offset < 0 ? -1 : 5 * (band - 1) + offset;
        }
        // Band 3 has a width row of its own, which moves every later band down one.
        const int base = 5 * (band - 1) + (band > 3 ? 1 : 0);
        const int offsets[] = {0, 1, 2, band == 3 ? 3 : -1, band == 3 ? 4 : 3};
        const int offset = offsets[kind];
        return offset < 0 ? -1 : base + offset;
    }
    const int tail[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13, 15, 16, 17};
    return (language ? kTailChinese : kTailEnglish) + tail[kind - static_cast<int>(Row::HpfType)];
}

// ---------------------------------------------------------------------------
// The dialog
// ---------------------------------------------------------------------------

CParameterReportDialog::CParameterReportDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("参数值显示"));
    SetUpTemplateDialog(*this, kFont, kSize);
    m_PrintButton = PlaceButton(this, IDC_PRINT, kPrintPlace, kFont, false);
    m_List = PlaceControl<CListCtrl>(this, IDC_LIST, kListPlace, kFont);
    m_ExportButton = PlaceButton(this, IDC_EXPORT, kExportPlace, kFont, false);
    m_PrintButton->setText(QStringLiteral("打印"));
    m_ExportButton->setText(QStringLiteral("导出Excel"));
    // Column widths stay as the report sets them.
    m_List->GetHeaderCtrl()->setSectionResizeMode(QHeaderView::Fixed);
    connect(m_PrintButton, &QPushButton::clicked, this, [this] { OnCommand(IDC_PRINT); });
    connect(m_ExportButton, &QPushButton::clicked, this, [this] { OnCommand(IDC_EXPORT); });
}

CParameterReportDialog::~CParameterReportDialog() = default;

void CParameterReportDialog::showEvent(QShowEvent* event) {
    OnInitDialog();
    QDialog::showEvent(event);
}

void CParameterReportDialog::OnInitDialog() {
    if (m_Initialised) return;
    m_Initialised = true;
    m_Language = g_LanguageFlag.load() ? 1 : 0;
    const bool cn = m_Language != 0;
    m_PrintCaption = cn ? QStringLiteral("打印") : QStringLiteral("Print");
    m_ExportCaption = cn ? QStringLiteral("导出Excel") : QStringLiteral("Export Excel");
    setWindowTitle(cn ? QStringLiteral("参数值显示") : QStringLiteral("Report"));
    m_PrintButton->setText(m_PrintCaption);
    m_ExportButton->setText(m_ExportCaption);
    m_List->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    m_List->SetBkColor(kListBackground);
    m_List->SetTextBkColor(kListBackground);
    m_List->SetTextColor(kListText);
    m_ShowNames = RowNames(m_Language);
    // The refresh step: the report of the device data it was opened over.
    if (m_pData) FillReport();
}

void CParameterReportDialog::FillReport() {
    OnInitDialog();
    m_List->DeleteAllItems();
    m_List->setColumnCount(0);
    for (int c = 0; c < kColumnCount; ++c)
        m_List->InsertColumn(c, ColumnHeading(m_Language, c), LVCFMT_CENTER,
                             c == 0   ? 110
                             : c <= 2 ? 90
                                      : 80);
    Table table;
    for (Column& c : table)
        c.assign(kRowCount, QString());
    if (m_pData) ReadReport(*m_pData, m_Language, table);
    // Rows up to the last one with a name or a value.
    int rows = 0;
    for (int r = 0; r < kRowCount; ++r) {
        bool used = !m_ShowNames.value(r).isEmpty();
        for (int c = 1; c < kColumnCount && !used; ++c)
            used = !table[static_cast<size_t>(c)][static_cast<size_t>(r)].isEmpty();
        if (used) rows = r + 1;
    }
    for (int r = 0; r < rows; ++r) {
        m_List->InsertItem(r, m_ShowNames.value(r));
        for (int c = 1; c < kColumnCount; ++c)
            m_List->SetItemText(r, c, table[static_cast<size_t>(c)][static_cast<size_t>(r)]);
    }
}

bool CParameterReportDialog::OnCommand(int id) {
    switch (id) {
    case IDC_PRINT:
        OnPrintButton();
        return true;
    case IDC_EXPORT:
        OnExportButton();
        return true;
    case IDC_CLOSE:
        done(QDialog::Accepted);
        return true;
    default:
        return false;
    }
}

void CParameterReportDialog::OnPrintButton() {
    CListCtrlPrint printer;
    printer.m_pList = m_List;
    printer.m_pParent = this;
    printer.m_strHeader = QStringLiteral("This is the report of the file\r\nMultiline!\r\n");
    printer.m_strFooter =
        QStringLiteral("Just a huar for the footers\r\neventually multiline too ..");
    printer.m_strPageFormat = QStringLiteral("Page %d of %d");
    printer.DoPrint();
}

void CParameterReportDialog::OnExportButton() {
    ExportListToSpreadsheet(m_List, QStringLiteral("Rivak"));
}

std::string CParameterReportDialog::GetSpreadsheetDriver() {
    if (odbc_) return report::SpreadsheetDriver(*odbc_);
    report::COdbc odbc;
    return report::SpreadsheetDriver(odbc);
}

void CParameterReportDialog::ExportListToSpreadsheet(CListCtrl* list, const QString& table) {
    if (!list || list->GetItemCount() == 0) return;
    const std::string driver = GetSpreadsheetDriver();
    if (driver.empty()) return;
    QString file;
    if (!PromptExportFile(file)) return;

    std::unique_ptr<report::COdbc> own;
    report::IOdbc* odbc = odbc_;
    if (!odbc) {
        own = std::make_unique<report::COdbc>();
        odbc = own.get();
    }
    // A failed connection or statement is the driver's to explain.
    const auto fail = [this](const std::string& why) {
        const int cn = g_LanguageFlag.load() ? 1 : 0;
        ShowMessageBox(this, why, g_ProductTitle, MB_OK, cn, cn ? -4 : -5);
    };
    std::string error;
    const std::string path = Utf8(QDir::toNativeSeparators(file));
    if (!odbc->Connect(report::SpreadsheetConnectionString(driver, path), error)) {
        fail(error);
        return;
    }
    std::vector<std::string> headings;
    CListCtrl::Column column;
    for (int c = 0; list->GetColumn(c, column); ++c)
        headings.push_back(Utf8(column.text.left(99)));
    const std::string name = Utf8(table);
    const std::string quote = odbc->IdentifierQuote();
    bool ok = odbc->Execute(report::CreateTableSql(name, headings, quote), error);
    for (int r = 0; ok && r < list->GetItemCount(); ++r) {
        std::vector<std::string> cells;
        for (size_t c = 0; c < headings.size(); ++c)
            cells.push_back(Utf8(list->GetItemText(r, static_cast<int>(c))));
        ok = odbc->Execute(report::InsertSql(name, headings, cells, quote), error);
    }
    odbc->Disconnect();
    if (!ok) fail(error);
}

bool CParameterReportDialog::PromptExportFile(QString& file) {
    const bool cn = g_LanguageFlag.load() != 0;
    platform::FileRequest request;
    request.kind = platform::FileRequest::Save;
    request.parent = this;
    request.caption = cn ? QStringLiteral("导出") : QStringLiteral("Load");
    // Every export starts from the same place under the program's folder.
    request.folder = QString::fromStdString(g_StartDirectory) + QStringLiteral("/MusicFile/Rivak");
    request.filter = QStringLiteral("Excel(*.xls)");
    const std::optional<QString> chosen = ctl::ChooseSaveFile(request);
    if (!chosen) return false;
    file = *chosen;
    // The driver creates the file: an old one of that name goes first.
    if (MakeFolders(file, true) && !QFile::remove(file)) return false;
    return true;
}

bool CParameterReportDialog::MakeFolders(const QString& path, bool namesFile) {
    for (int i = 1; i < path.size(); ++i)
        if (path[i] == QLatin1Char('/')) QDir().mkdir(path.left(i));
    if (!namesFile) QDir().mkdir(path);
    return QFileInfo::exists(path);
}

int RunParameterReport(CLumaraView* view, CKTV_Data* data) {
    CParameterReportDialog dialog;
    dialog.m_pView = view;
    dialog.m_pData = data;
    return ctl::RunModal(dialog);
}
