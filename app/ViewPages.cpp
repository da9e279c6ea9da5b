#include "app/ViewPages.h"

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

CViewPage::CViewPage(QWidget* parent) : MessageTarget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void CViewPage::FocusFirstBand() { setFocus(Qt::TabFocusReason); }

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

CStripBase::CStripBase(QWidget* parent) : MessageTarget(parent) {}

void CStripBase::SetBackgroundBitmap(int normal, int hover, int down, int disabled) {
    m_Background[0] = normal;
    m_Background[1] = hover;
    m_Background[2] = down;
    m_Background[3] = disabled;
    update();
}

void CStripBase::SetCaptionBitmaps(int normal, int hover, int on) {
    m_Caption[0] = normal;
    m_Caption[1] = hover;
    m_Caption[2] = on;
    update();
}

void CStripBase::SetLanguage(int chinese) { m_Chinese = chinese; }

void CStripBase::UpdateCaption() {
    m_CaptionText = m_Output ? QString::fromUtf8(SpeakerTypeName(m_Output->GetSpeakerType())) : QString();
    m_CaptionText.replace(QLatin1String("&&"), QLatin1String("&")); // menu texts double the ampersand
    update();
}

void CStripBase::SetCaptionChecked(bool on) {
    m_CaptionChecked = on;
    update();
}

void CStripBase::SetSelected(bool on) {
    m_Selected = on;
    update();
}

// ---------------------------------------------------------------------------

CLevelBarBase::CLevelBarBase(QWidget* parent) : MessageTarget(parent) {}

void CLevelBarBase::SetBackgroundBitmap(int id) {
    m_BackgroundId = id;
    update();
}

void CLevelBarBase::SetListButtonBitmaps(int normal, int hover) {
    m_ListBitmaps[0] = normal;
    m_ListBitmaps[1] = hover;
}

void CLevelBarBase::AddListString(const QString& text) { m_List << text; }

void CLevelBarBase::SetListSelection(int index) {
    if (index >= 0 && index < m_List.size()) m_ListSelection = index;
}

void CLevelBarBase::SetSliderChannelBitmap(int id, int activeId, unsigned) {
    m_Channel[0] = id;
    m_Channel[1] = activeId;
    update();
}

void CLevelBarBase::SetSliderThumbBitmap(int id, int activeId, unsigned) {
    m_Thumb[0] = id;
    m_Thumb[1] = activeId;
    update();
}

void CLevelBarBase::SetSliderRange(int lower, int upper, bool redraw) {
    m_Lower = lower;
    m_Upper = upper;
    m_Value = std::clamp(m_Value, lower, std::max(lower, upper));
    if (redraw) update();
}

void CLevelBarBase::SetValue(int value) {
    m_Value = std::clamp(value, m_Lower, std::max(m_Lower, m_Upper));
    update();
}

// ---------------------------------------------------------------------------

CViewPage* CreateOutputPage(QWidget* parent) { return new CStandInPage(parent, 287, 286); }
CViewPage* CreateLockPanel(QWidget* parent) { return new CStandInPage(parent, 1135, 1136); }
CViewPage* CreateMixPage(QWidget* parent) { return new CStandInPage(parent, 1313, 1314); }
CLevelBarBase* CreateLevelBar(QWidget* parent) { return new CStandInLevelBar(parent); }
CStripBase* CreateStrip(QWidget* parent) { return new CStandInStrip(parent); }
