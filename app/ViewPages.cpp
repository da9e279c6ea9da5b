#include "app/ViewPages.h"

#include "app/Encryption.h"
#include "pages/input/MixInPutCom.h"
#include "pages/output/GainDlg.h"
#include "pages/output/OutRoute_Dlg.h"
#include "pages/output/OutputDlg.h"

CViewPage* CreateOutputPage(QWidget* parent) { return new COutputDlg(parent); }
CViewPage* CreateLockPanel(QWidget* parent) { return new CEncryption(parent); }
CViewPage* CreateMixPage(QWidget* parent) { return new CMixInPutCom(parent); }
CLevelBarBase* CreateLevelBar(QWidget* parent) { return new CGainDlg(parent); }
CStripBase* CreateStrip(QWidget* parent) { return new COutRoute_Dlg(parent); }
