#include "features/outputs/OutputStrip.h"

#include "controls/SkinControl.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_OutData.h"
#include "model/LinkGroups.h"
#include "model/SpeakerTypes.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"
#include "platform/SpeakerTypeMenu.h"
#include "platform/UiGlobals.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Template 110 (dialog units of Arial 7).
constexpr QPoint kCaptionAt(1, 1);
constexpr QPoint kSpeakerTypeAt(1, 14);
constexpr QPoint kLinkAt(39, 116);

constexpr unsigned kTypeNormal = 594, kTypeHover = 595, kTypeOn = 596, kTypeDisabled = 641;
constexpr unsigned kCaptionDisabled = 1336;
constexpr unsigned kLinkChinese = 1018, kLinkEnglish = 1019;

// The mix toggles: id, place, the pictures of state 1 and of state 0
// (normal, hover, pressed).
struct ToggleLayout {
    int id;
    QPoint at;
    unsigned on[3];
    unsigned off[3];
};
constexpr ToggleLayout kToggles[16] = {
    {2819, {81, 110}, {1061, 1117, 1060}, {1060, 1059, 1061}},
    {2820, {81, 110}, {1064, 1118, 1063}, {1063, 1062, 1064}},
    {2821, {81, 110}, {1067, 1119, 1066}, {1066, 1065, 1067}},
    {2822, {83, 110}, {1070, 1120, 1069}, {1069, 1068, 1070}},
    {2823, {81, 122}, {1073, 1121, 1072}, {1072, 1071, 1073}},
    {2824, {81, 122}, {1076, 1122, 1075}, {1075, 1074, 1076}},
    {2831, {81, 122}, {1078, 1123, 1088}, {1088, 1077, 1078}},
    {2832, {83, 122}, {1081, 1124, 1080}, {1080, 1079, 1081}},
    {2833, {81, 135}, {1049, 1109, 1047}, {1047, 1048, 1049}},
    {2834, {81, 135}, {1052, 1110, 1051}, {1051, 1050, 1052}},
    {2835, {81, 135}, {1055, 1111, 1054}, {1054, 1053, 1055}},
    {2836, {83, 135}, {1058, 1112, 1057}, {1057, 1056, 1058}},
    {2837, {81, 148}, {1091, 1115, 1090}, {1090, 1089, 1091}},
    {2838, {81, 148}, {1094, 1116, 1093}, {1093, 1092, 1094}},
    {2839, {81, 148}, {1084, 1113, 1083}, {1083, 1082, 1084}},
    {2840, {83, 148}, {1087, 1114, 1086}, {1086, 1085, 1087}},
};

// The pictures of the joint-editing groups 1..12 on the link button.
constexpr unsigned kGroupChinese[12] = {1020, 1021, 1022, 1023, 1024, 1025,
                                        1026, 1027, 1101, 1102, 1103, 1104};
constexpr unsigned kGroupEnglish[12] = {1028, 1029, 1030, 1031, 1032, 1033,
                                        1034, 1035, 1105, 1106, 1107, 1108};

COutputStrip::PopupChooser& Chooser() {
    static COutputStrip::PopupChooser chooser;
    return chooser;
}

// What a user sees of a type's name: menu texts double the ampersand.
QString CaptionOf(int type) {
    QString text = QString::fromUtf8(SpeakerTypeName(EffectiveSpeakerType(type)));
    text.replace(QLatin1String("&&"), QLatin1String("&"));
    return text;
}

} // namespace

const COutputStrip::PopupChooser& COutputStrip::CurrentPopupChooser() {
    return Chooser();
}

COutputStrip::PopupChooser COutputStrip::SetPopupChooser(PopupChooser chooser) {
    PopupChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

COutputStrip::COutputStrip(QWidget* parent, QWidget* owner) : CStripBase(parent), m_Owner(owner) {
    setFocusPolicy(Qt::ClickFocus);
    auto place = [this](CBitButton* b, QPoint dlu) {
        b->move(platform::DluToPixels(dlu, platform::kArial7));
        WatchKeysAndMouse(b);
    };
    m_CaptionButton = new CBitButton(this, IDC_CAPTION);
    place(m_CaptionButton, kCaptionAt);
    m_CaptionButton->SetDisabledBitmaps(kCaptionDisabled, kCaptionDisabled);

    m_TypeButton = new CBitButton(this, IDC_SPEAKER_TYPE);
    place(m_TypeButton, kSpeakerTypeAt);
    m_TypeButton->SetBitmaps(kTypeNormal, kTypeHover, kTypeOn, kTypeOn, kTypeOn, kTypeOn);
    m_TypeButton->SetDisabledBitmaps(kTypeDisabled, kTypeDisabled);
    const QColor grey(220, 220, 220), orange(255, 102, 0);
    m_TypeButton->SetTextColors(grey, orange, orange, grey, grey, grey);
    m_TypeButton->SetDisabledTextColor(QColor(210, 210, 210));
    const QFont* font = &g_FontDialog14.Get();
    m_TypeButton->SetFonts(font, font, font, font, font, font);
    m_TypeButton->SetDisabledFont(font);

    m_LinkButton = new CBitButton(this, IDC_LINK);
    place(m_LinkButton, kLinkAt);
    m_LinkButton->SetBitmaps(kLinkChinese, kLinkChinese, kLinkChinese, kLinkChinese, kLinkChinese,
                             kLinkChinese);

    for (int n = 1; n <= 16; ++n) {
        const ToggleLayout& t = kToggles[n - 1];
        CBitButton* b = m_ToggleButtons[n - 1] = new CBitButton(this, t.id);
        place(b, t.at);
        ShowToggle(n);
    }
    WatchKeysAndMouse(this);
}

COutputStrip::~COutputStrip() = default;

QWidget* COutputStrip::Owner() const {
    return m_Owner ? m_Owner.data() : parentWidget();
}

CBitButton* COutputStrip::ToggleButton(int source) const {
    return source >= 1 && source <= 16 ? m_ToggleButtons[source - 1] : nullptr;
}

QString COutputStrip::SpeakerTypeText() const {
    return m_TypeButton->text();
}

// ---------------------------------------------------------------------------
// The look the view gives the strip
// ---------------------------------------------------------------------------

void COutputStrip::SetBackgroundBitmap(int normal, int hover, int down, int disabled) {
    CStripBase::SetBackgroundBitmap(normal, hover, down, disabled);
}

void COutputStrip::SetCaptionBitmaps(int normal, int hover, int down) {
    CStripBase::SetCaptionBitmaps(normal, hover, down);
    const unsigned d = static_cast<unsigned>(down);
    m_CaptionButton->SetBitmaps(static_cast<unsigned>(normal), static_cast<unsigned>(hover), d, d,
                                d, d);
}

void COutputStrip::UpdateCaption() {
    const int type =
        m_OutputIndex >= 0 && m_OutputIndex < kOutputCount ? g_OutputSpeakerType[m_OutputIndex] : 0;
    m_CaptionText = CaptionOf(type);
    m_TypeButton->setText(m_CaptionText);
    // A caption is no keyboard mnemonic ("FL-M & T" would take Alt+Space).
    m_TypeButton->setShortcut(QKeySequence());
}

void COutputStrip::SetCaptionChecked(bool on) {
    CStripBase::SetCaptionChecked(on);
    m_CaptionButton->SetCheck(on ? 1 : 0);
}

void COutputStrip::SetSelected(bool on) {
    CStripBase::SetSelected(on);
    if (on) {
        m_TypeButton->SetBitmaps(kTypeOn, kTypeOn, kTypeOn, kTypeOn, kTypeOn, kTypeOn);
        m_TypeButton->SetDisabledBitmaps(kTypeDisabled, kTypeDisabled);
    } else {
        m_TypeButton->SetBitmaps(kTypeNormal, kTypeHover, kTypeHover, kTypeHover, kTypeHover,
                                 kTypeHover);
        m_TypeButton->SetDisabledBitmaps(kTypeNormal, kTypeNormal);
    }
    update();
}

void COutputStrip::EnableSpeakerTypeButton(bool on) {
    CStripBase::EnableSpeakerTypeButton(on);
    m_TypeButton->setEnabled(on);
}

void COutputStrip::SetToggle(int source, int state) {
    CStripBase::SetToggle(source, state);
    ShowToggle(source);
}

void COutputStrip::ShowToggle(int source) {
    CBitButton* b = ToggleButton(source);
    if (!b) return;
    const ToggleLayout& t = kToggles[source - 1];
    const unsigned* pics = Toggle(source) ? t.on : t.off;
    b->SetBitmaps(pics[0], pics[1], pics[2]);
}

void COutputStrip::resizeEvent(QResizeEvent* event) {
    CStripBase::resizeEvent(event);
    const QPoint templateAt = platform::DluToPixels(kLinkAt, platform::kArial7);
    const QSize button = m_LinkButton->size();
    if (height() >= templateAt.y() + button.height()) {
        m_LinkButton->move(templateAt);
        return;
    }
    const QPoint caption = m_CaptionButton->pos();
    m_LinkButton->move(width() - button.width() - 2 * caption.x(), caption.y());
    m_LinkButton->raise();
}

unsigned COutputStrip::LinkGroupPicture(int group, bool chinese) {
    if (group < 0 || group >= 12) return chinese ? kLinkChinese : kLinkEnglish;
    return (chinese ? kGroupChinese : kGroupEnglish)[group];
}

void COutputStrip::ShowLinkGroup(int key) {
    // A checked button keeps its group's picture while its key is of another
    // kind (a load puts every output's own index back into the keys).
    const int group = LinkKeyGroupIndex(key);
    if (group != kNoLinkGroup || !m_LinkButton->GetCheck()) m_LinkPictureGroup = group;
    ShowLinkPicture(m_Chinese != 0);
}

void COutputStrip::ShowLinkPicture(bool chinese) {
    const unsigned base = LinkGroupPicture(-1, chinese);
    m_LinkButton->SetBitmaps(base, base, base, base, base, base);
    m_LinkButton->SetOnBitmap(LinkGroupPicture(m_LinkPictureGroup, chinese));
}

// ---------------------------------------------------------------------------
// The speaker-type popup
// ---------------------------------------------------------------------------

std::unique_ptr<QMenu> COutputStrip::BuildSpeakerTypePopup() {
    const int n = m_OutputIndex;
    if (n < 0 || n >= kOutputCount) return nullptr;
    // The table as if this output had no type, then the table exactly as it
    // was: the release and take rules are not each other's inverse in every
    // state, so the table is put back from its copy.
    uint8_t saved[kSpeakerTypeTableSize];
    std::memcpy(saved, g_SpeakerTypeState, sizeof saved);
    const uint8_t raw = g_OutputSpeakerType[n];
    const int own = EffectiveSpeakerType(raw);
    ReleaseSpeakerType(own, n);
    g_OutputSpeakerType[n] = 0;
    TakeSpeakerType(0, 0);
    std::memcpy(m_TypeSnapshot, g_SpeakerTypeState, sizeof m_TypeSnapshot);
    std::memcpy(g_SpeakerTypeState, saved, sizeof saved);
    m_TypeSnapshot[26 + n] = static_cast<uint8_t>(own);

    std::unique_ptr<QMenu> popup = platform::BuildSpeakerTypeMenu(g_LanguageFlag.load() != 0);
    for (int t = 0; t < kSpeakerTypeCount; ++t) {
        QAction* item = platform::SpeakerTypeAction(popup.get(), t);
        if (!item) continue;
        // "none" can always be chosen and never carries the mark.
        item->setCheckable(t != 0);
        bool checked = false, enabled = true;
        if (t == 0) {
        } else if (t == own) {
            checked = true;
        } else if (m_TypeSnapshot[t] == kTypeHeld) {
            checked = true;
            enabled = false;
        } else if (m_TypeSnapshot[t] == kTypeExcluded) {
            enabled = false;
        }
        item->setChecked(checked);
        item->setEnabled(enabled);
    }
    return popup;
}

void COutputStrip::OpenSpeakerTypePopup() {
    std::unique_ptr<QMenu> popup = BuildSpeakerTypePopup();
    if (!popup) return;
    // Left edge of the button, 2 pixels below its bottom edge.
    const QPoint at = m_TypeButton->mapToGlobal(QPoint(0, m_TypeButton->height() + 2));
    int command = -1;
    if (Chooser()) {
        command = Chooser()(*popup, at);
    } else {
        QPointer<COutputStrip> alive(this);
        QAction* chosen = popup->exec(at);
        if (!alive) return;
        command = platform::SpeakerTypeCommand(chosen);
    }
    if (command >= 0) OnSpeakerTypeCommand(command);
}

void COutputStrip::OnSpeakerTypeCommand(int command) {
    const int type = command - kSpeakerTypeCommandBase;
    if (type < 0 || type >= kSpeakerTypeCount) return;
    if (OutputSpeakerType(m_OutputIndex) == type) return;
    if (QWidget* owner = Owner())
        platform::PostMessage(owner, WM_STRIP_SPEAKER_TYPE, static_cast<WPARAM>(m_OutputIndex),
                              type);
}

// ---------------------------------------------------------------------------
// Clicks and messages
// ---------------------------------------------------------------------------

void COutputStrip::OnToggleClick(int source) {
    const int state = Toggle(source) == 0 ? 1 : 0;
    SetToggle(source, state);
    if (QWidget* owner = Owner())
        platform::PostMessage(owner, WM_STRIP_TOGGLE_FIRST + static_cast<unsigned>(source - 1),
                              static_cast<WPARAM>(m_OutputIndex), state);
}

LRESULT COutputStrip::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_COMMAND: {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id == IDC_CAPTION) {
            if (QWidget* owner = Owner())
                platform::PostMessage(owner, WM_STRIP_SELECT_OUTPUT,
                                      static_cast<WPARAM>(m_OutputIndex), 0);
        } else if (id == IDC_SPEAKER_TYPE) {
            OpenSpeakerTypePopup();
        } else if (id >= kSpeakerTypeCommandBase &&
                   id < kSpeakerTypeCommandBase + kSpeakerTypeCount) {
            OnSpeakerTypeCommand(id);
        } else if (id >= 32771 && id <= 32774) {
            OnLinkGroupCommand(id);
        } else {
            for (int n = 1; n <= 16; ++n)
                if (kToggles[n - 1].id == id) OnToggleClick(n);
        }
        return 0;
    }
    case WM_SPEAKER_CLICK:
        // Single click, double click, right click of the link button.
        OnLinkClick(wParam == WM_LBUTTONDBLCLK ? 2 : wParam == WM_RBUTTONDOWN ? 3 : 1);
        return 0;
    case WM_STRIP_COPY:
    case WM_STRIP_PASTE:
        return 0;
    default:
        return 0;
    }
}

// Enter, Escape and Tab only bring the focus to the strip; Ctrl+C and Ctrl+V
// are reported to the strip itself; a left press focuses the strip first.
bool COutputStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (event->type() != QEvent::KeyPress) return CStripBase::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::ControlModifier) {
        if (key->key() == Qt::Key_C) PostMessage(WM_STRIP_COPY, 0, 0);
        if (key->key() == Qt::Key_V) PostMessage(WM_STRIP_PASTE, 0, 0);
        return false;
    }
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void COutputStrip::WatchKeysAndMouse(QWidget* w) {
    w->installEventFilter(this);
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

void COutputStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap background = skin::Pixmap(m_Background[isEnabled() ? 0 : 3]);
    p.drawPixmap(0, 0, background);
    if (m_OutputIndex != g_CurrentOutput) return;
    // The current output: a green outline one pixel beyond the picture.
    p.setPen(QPen(QColor::fromRgb(kCurrentFrameColor), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, background.width(), background.height());
}
