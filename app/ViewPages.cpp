#include "app/ViewPages.h"

#include "pages/output/OutputDlg.h"

#include "model/Globals.h"
#include "model/KTV_OutData.h"
#include "model/SpeakerTypes.h"
#include "platform/Fonts.h"
#include "platform/Skin.h"

#include <QPainter>

#include <algorithm>

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



// ---------------------------------------------------------------------------

namespace {

// Draws the strip's pictures: its background, the caption picture of its
// look with the speaker type over it.
class CStandInStrip : public CStripBase {
public:
    using CStripBase::CStripBase;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, skin::Pixmap(m_Background[isEnabled() ? 0 : 3]));
        const int caption = m_Caption[m_CaptionChecked || m_Selected ? 2 : 0];
        const QPixmap face = skin::Pixmap(caption);
        p.drawPixmap((width() - face.width()) / 2, 2, face);
        if (!m_CaptionText.isEmpty()) {
            p.setFont(platform::ArialFont(13, 400));
            p.setPen(QColor(201, 209, 220));
            p.drawText(QRect(2, 24, width() - 4, height() - 26), Qt::AlignCenter, m_CaptionText);
        }
    }
};

// Draws the bar's pictures: background, slider channel and thumb.
class CStandInLevelBar : public CLevelBarBase {
public:
    using CLevelBarBase::CLevelBarBase;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, skin::Pixmap(m_BackgroundId));
        const QPixmap channel = skin::Pixmap(m_Channel[0]);
        const QPixmap thumb = skin::Pixmap(m_Thumb[0]);
        if (channel.isNull()) return;
        const QPoint at(kChannelLeft, (height() - channel.height()) / 2);
        p.drawPixmap(at, channel);
        if (thumb.isNull() || m_Upper <= m_Lower) return;
        const double t = double(std::clamp(m_Value, m_Lower, m_Upper) - m_Lower) / (m_Upper - m_Lower);
        const int x = at.x() + int(t * (channel.width() - thumb.width()));
        p.drawPixmap(x, (height() - thumb.height()) / 2, thumb);
    }

private:
    static constexpr int kChannelLeft = 134;
};

} // namespace

CViewPage* CreateOutputPage(QWidget* parent) { return new COutputDlg(parent); }
CViewPage* CreateLockPanel(QWidget* parent) { return new CStandInPage(parent, 1135, 1136); }
CViewPage* CreateMixPage(QWidget* parent) { return new CStandInPage(parent, 1313, 1314); }
CLevelBarBase* CreateLevelBar(QWidget* parent) { return new CStandInLevelBar(parent); }
CStripBase* CreateStrip(QWidget* parent) { return new CStandInStrip(parent); }
