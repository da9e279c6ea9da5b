// The parameter report over the device's data, its first page as the list
// printer prints it (A4 landscape at 100 dpi, into an image), and the
// coloured report list.
#include "tools/screenshot/gallery/Gallery.h"

#include "app/ParameterReportDialog.h"
#include "controls/ListCtrlCl.h"
#include "controls/PrinterJob.h"

#include <memory>

namespace {

CParameterReportDialog* OpenReport(Gallery& g) {
    auto* dlg = new CParameterReportDialog();
    dlg->m_pView = &g.View();
    dlg->m_pData = g.View().Data();
    dlg->show(); // fills the table
    return dlg;
}

const ShotRegistration kReport("parameter-report", [](Gallery& g) {
    CParameterReportDialog* dlg = OpenReport(g);
    return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
});

const ShotRegistration kPrinted("parameter-report-printed", [](Gallery& g) {
    CPagesIntoImages into(QSize(1169, 827), 100);
    std::unique_ptr<CParameterReportDialog> dlg(OpenReport(g));
    dlg->OnPrintButton();
    Pose pose;
    if (!into.Pages().empty()) pose.picture = into.Pages().front();
    return pose;
});

// The coloured report list as a 12-row channel list: its gradient header, a
// column, a row and a cell in colours of their own, one row selected.
const ShotRegistration kColouredList("coloured-list", [](Gallery& g) {
    auto* list = new CListCtrlCl();
    list->resize(420, 300);
    const bool cn = g.Chinese();
    list->InsertColumn(0, cn ? QStringLiteral("通道") : QStringLiteral("Channel"), LVCFMT_LEFT,
                       110);
    list->InsertColumn(1, cn ? QStringLiteral("增益") : QStringLiteral("Gain"), LVCFMT_CENTER, 100);
    list->InsertColumn(2, cn ? QStringLiteral("延时") : QStringLiteral("Delay"), LVCFMT_RIGHT, 100);
    list->SetHeaderHeight(1.26f);
    list->SetRowHeight(20);
    list->SetBkColor(QColor(247, 247, 255));
    list->SetTextColor(QColor(0, 0, 255));
    for (int r = 0; r < 12; ++r) {
        list->InsertItem(r, QStringLiteral("CH%1").arg(r + 1));
        list->SetItemText(r, 1, QStringLiteral("%1.0dB").arg(-r));
        list->SetItemText(r, 2, QStringLiteral("%1ms").arg(r * 0.5));
    }
    list->SetColumnBkColor(2, QColor(226, 239, 218));
    list->SetRowBkColor(3, QColor(255, 242, 204));
    list->SetItemBkColor(1, 6, QColor(248, 203, 173));
    list->SetItemTextColor(1, 6, QColor(192, 0, 0));
    list->selectRow(9);
    list->show();
    return Pose{list, {}, {}, [list] { delete list; }};
});

} // namespace
