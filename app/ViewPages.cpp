#include "app/ViewPages.h"

#include "features/presets/LockPanelPage.h"
#include "pages/input/MixPage.h"
#include "features/outputs/MasterStrip.h"
#include "features/outputs/OutputStrip.h"
#include "pages/output/OutputPage.h"

CViewPage* CreateOutputPage(QWidget* parent) {
    return new COutputPage(parent);
}
CViewPage* CreateLockPanel(QWidget* parent) {
    return new CLockPanelPage(parent);
}
CViewPage* CreateMixPage(QWidget* parent) {
    return new CMixPage(parent);
}
CLevelBarBase* CreateLevelBar(QWidget* parent) {
    return new CMasterStrip(parent);
}
CStripBase* CreateStrip(QWidget* parent) {
    return new COutputStrip(parent);
}
