// The input page with the device's data, in the source and equaliser mode the
// device reports (nothing in the main window opens it).
#include "tools/screenshot/gallery/Gallery.h"

#include "model/Globals.h"
#include "pages/input/InPutDlg.h"

namespace {

const ShotRegistration kInputPage("input-page", [](Gallery& g) {
    auto* page = new CInPutDlg;
    page->SetView(&g.View());
    page->SetDataModel(g.View().Data());
    page->ApplyModeAndSource(0);
    page->show();
    g.Settle();
    return Pose{page, {}, {}, [page] { delete page; }};
});

} // namespace
