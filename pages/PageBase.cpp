#include "pages/PageBase.h"

#include "link/DeviceSession.h"
#include "model/Globals.h"
#include "model/KTV_OutData.h"
#include "model/SpeakerTypes.h"

#include <algorithm>

UiThreadOnly<IPageHost*> g_PageHost{nullptr};

CViewPage::CViewPage(QWidget* parent) : MessageTarget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void CViewPage::FocusFirstBand() {
    setFocus(Qt::TabFocusReason);
}

int CViewPage::PanelLevel(int output) const {
    return output >= 0 && output < 12 ? m_PanelLevel[output] : 0;
}

void CViewPage::SetPanelLevel(int output, int level) {
    if (output >= 0 && output < 12) m_PanelLevel[output] = level;
}

// ---------------------------------------------------------------------------

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

void CStripBase::SetLanguage(int chinese) {
    m_Chinese = chinese;
}

void CStripBase::UpdateCaption() {
    m_CaptionText =
        m_Output
            ? QString::fromUtf8(SpeakerTypeName(EffectiveSpeakerType(m_Output->GetSpeakerType())))
            : QString();
    m_CaptionText.replace(QLatin1String("&&"),
                          QLatin1String("&")); // menu texts double the ampersand
    update();
}

void CStripBase::SetToggle(int source, int state) {
    if (source >= 1 && source <= 16) m_Toggles[source - 1] = state;
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

void CLevelBarBase::AddListString(const QString& text) {
    m_List << text;
}

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
