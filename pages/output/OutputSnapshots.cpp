#include "pages/output/OutputSnapshots.h"

#include "controls/GraphSnapshots.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "pages/output/OutputPage.h"
#include "pages/output/PhaseSettingsDialog.h"

#include <QDir>

namespace {

// The view's page area: the pages fill it.
constexpr QSize kPageArea(1275, 607);

} // namespace

QImage RenderOutputPageSnapshot(int language, CKTV_Data* model, int output) {
    CPictureScope scope(language, model);
    g_CurrentOutput = output;
    COutputPage page;
    page.resize(kPageArea);
    page.SetChannelArray(scope.Model());
    page.FillFilterLists();
    page.RefreshAll();
    return page.grab().toImage();
}

bool SaveOutputPageSnapshots(const QString& folder, CKTV_Data* model, int output) {
    if (!QDir().mkpath(folder)) return false;
    const QDir dir(folder);
    bool ok = true;
    for (int language : {0, 1}) {
        const QString suffix = language ? QStringLiteral("zh") : QStringLiteral("en");
        ok &= RenderOutputPageSnapshot(language, model, output)
                  .save(dir.filePath(QStringLiteral("output-page-%1.png").arg(suffix)));
    }
    return ok;
}

QImage RenderPhasePopupSnapshot(int language, CKTV_Data* model, int output, const QString& name) {
    CPictureScope scope(language, model);
    CPhaseSettingsDialog dialog;
    dialog.Setup(output, scope.Model()->GetOut(output), name);
    dialog.OnInitDialog();
    dialog.Refresh();
    return dialog.grab().toImage();
}

bool SavePhasePopupSnapshots(const QString& folder, CKTV_Data* model, int output,
                             const QString& name) {
    if (!QDir().mkpath(folder)) return false;
    const QDir dir(folder);
    bool ok = true;
    for (int language : {0, 1}) {
        const QString suffix = language ? QStringLiteral("zh") : QStringLiteral("en");
        ok &= RenderPhasePopupSnapshot(language, model, output, name)
                  .save(dir.filePath(QStringLiteral("phase-popup-%1.png").arg(suffix)));
    }
    return ok;
}
