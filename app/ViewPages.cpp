#include "app/ViewPages.h"

#include "app/Encryption.h"

#include "model/Globals.h"
#include "pages/input/MixInPutCom.h"
#include "pages/output/GainDlg.h"
#include "pages/output/OutRoute_Dlg.h"
#include "platform/Skin.h"

#include <QPainter>

namespace {

// A page that is not built yet: its background picture in the language.
class CStandInPage : public CViewPage {
public:
    CStandInPage(QWidget* parent, int chinese, int english)
        : CViewPage(parent), chinese_(chinese), english_(english) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, skin::Pixmap(g_LanguageFlag.load() ? chinese_ : english_));
    }

private:
    const int chinese_;
    const int english_;
};

} // namespace

// ---------------------------------------------------------------------------

CViewPage* CreateOutputPage(QWidget* parent) { return new CStandInPage(parent, 287, 286); }
CViewPage* CreateLockPanel(QWidget* parent) { return new CEncryption(parent); }
CViewPage* CreateMixPage(QWidget* parent) { return new CMixInPutCom(parent); }
CLevelBarBase* CreateLevelBar(QWidget* parent) { return new CGainDlg(parent); }
CStripBase* CreateStrip(QWidget* parent) { return new COutRoute_Dlg(parent); }
