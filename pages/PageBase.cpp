#include "pages/PageBase.h"

#include "link/DeviceSession.h"
#include "model/Globals.h"
#include "model/KTV_OutData.h"
#include "model/SpeakerTypes.h"

#include <algorithm>

IPageHost* g_PageHost = nullptr;

void IPageHost::RequestDataResync() { Session().RequestDataResync(); }

CViewPage::CViewPage(QWidget* parent) : MessageTarget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void CViewPage::FocusFirstBand() { setFocus(Qt::TabFocusReason); }

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

void CStripBase::SetLanguage(int chinese) { m_Chinese = chinese; }

void CStripBase::UpdateCaption() {
    m_CaptionText = m_Output ? QString::fromUtf8(SpeakerTypeName(m_Output->GetSpeakerType())) : QString();
    m_CaptionText.replace(QLatin1String("&&"), QLatin1String("&")); // menu texts double the ampersand
    update();
}

namespace {

// The link button's group pictures of keys 1..12.
constexpr int kLinkGroupCn[12] = {1020, 1021, 1022, 1023, 1024, 1025,
                                  1026, 1027, 1101, 1102, 1103, 1104};
constexpr int kLinkGroupEn[12] = {1028, 1029, 1030, 1031, 1032, 1033,
                                  1034, 1035, 1105, 1106, 1107, 1108};
constexpr int kLinkPlainCn = 1018; // "联调"
constexpr int kLinkPlainEn = 1019; // "Link"

} // namespace

int CStripBase::LinkPicture(int key, bool on, bool chinese) {
    const int plain = chinese ? kLinkPlainCn : kLinkPlainEn;
    if (!on || key < 1 || key > 12) return plain;
    return (chinese ? kLinkGroupCn : kLinkGroupEn)[key - 1];
}

void CStripBase::ShowLinkGroup(int key) {
    const bool chinese = m_Chinese != 0;
    m_LinkPictures[0] = LinkPicture(key, false, chinese);
    m_LinkPictures[1] = LinkPicture(key, true, chinese);
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
