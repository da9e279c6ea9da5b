// The input page and the level and delay page with the device's data
// (nothing in the main window opens them).
// Before any Qt header: Qt's "slots" keyword would take the groups' member name.
#include "model/SpeakerGroups.h"

#include "tools/screenshot/gallery/Gallery.h"

#include "model/Globals.h"
#include "pages/input/InputPage.h"
#include "pages/leveldelay/LevelDelayPage.h"

namespace {

const ShotRegistration kInputPage("input-page", [](Gallery& g) {
    auto* page = new CInputPage;
    page->SetView(&g.View());
    page->SetDataModel(g.View().Data());
    page->ApplyModeAndSource(0);
    page->show();
    g.Settle();
    return Pose{page, {}, {}, [page] { delete page; }};
});

} // namespace

namespace {

// The level and delay page with the device's levels, delays and lamps.
const ShotRegistration kLevelDelayPage("level-delay-page", [](Gallery& g) {
    auto* page = new CLevelDelayPage;
    page->SetView(&g.View());
    page->SetChannelArray(g.View().Data());
    g_SpeakerGroups->Analyse();
    page->Refresh();
    page->UpdateInputArea();
    page->UpdateLamps();
    page->show();
    g.Settle();
    return Pose{page, {}, {}, [page] { delete page; }};
});

} // namespace
