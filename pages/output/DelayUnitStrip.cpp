#include "pages/output/DelayUnitStrip.h"

#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "model/Globals.h"
#include "platform/DialogUnits.h"
#include "pages/output/DialogKeys.h"
#include "platform/Skin.h"

#include <QPainter>

namespace {

using platform::DluToPixels;
using platform::kMsSansSerif8;

// Template 103 (MS Sans Serif 8).
struct ButtonPlace {
    int id;
    QPoint dlu;
};
constexpr ButtonPlace kPlaces[] = {
    {CDelayUnitStrip::IDC_MS, {11, 22}},           {CDelayUnitStrip::IDC_CM, {11, 42}},
    {CDelayUnitStrip::IDC_INCH, {11, 63}},         {CDelayUnitStrip::IDC_RESET, {11, 97}},
    {CDelayUnitStrip::IDC_LOCK_OUTPUT, {12, 105}}, {CDelayUnitStrip::IDC_LINK, {11, 122}},
};

// The pictures of a unit button (off normal, hover, pressed) by language and flag.
struct UnitPictures {
    int id;
    unsigned cnOn[3], cnOff[3], enOn[3], enOff[3];
};
constexpr UnitPictures kUnitPictures[] = {
    {CDelayUnitStrip::IDC_MS,
     {4332, 4332, 4330},
     {4330, 4331, 4332},
     {4322, 4322, 4320},
     {4320, 4321, 4322}},
    {CDelayUnitStrip::IDC_CM,
     {4335, 4335, 4333},
     {4333, 4334, 4335},
     {4325, 4325, 4323},
     {4323, 4324, 4325}},
    {CDelayUnitStrip::IDC_INCH,
     {4338, 4338, 4336},
     {4336, 4337, 4338},
     {4328, 4328, 4326},
     {4326, 4327, 4328}},
};

} // namespace

CDelayUnitStrip::CDelayUnitStrip(QWidget* parent) : MessageTarget<QWidget>(parent) {
    resize(skin::Size(1005));
    for (int i = 0; i < 6; ++i) {
        auto* b = new CBitButton(this, kPlaces[i].id);
        SetControlId(b, kPlaces[i].id);
        b->move(DluToPixels(kPlaces[i].dlu, kMsSansSerif8));
        m_Buttons[i] = b;
    }
    // The lock-output button only mirrors a state: hidden and disabled.
    Button(IDC_LOCK_OUTPUT)->hide();
    Button(IDC_LOCK_OUTPUT)->setEnabled(false);
    SetUnits(m_Ms, m_Cm, m_Inch);
}

CBitButton* CDelayUnitStrip::Button(int id) const {
    for (int i = 0; i < 6; ++i)
        if (kPlaces[i].id == id) return m_Buttons[i];
    return nullptr;
}

void CDelayUnitStrip::SetUnitPictures(int id, bool selected) {
    const bool cn = g_LanguageFlag.load() != 0;
    for (const UnitPictures& u : kUnitPictures) {
        if (u.id != id) continue;
        const unsigned* p = cn ? (selected ? u.cnOn : u.cnOff) : (selected ? u.enOn : u.enOff);
        Button(id)->SetBitmaps(p[0], p[1], p[2]);
    }
}

void CDelayUnitStrip::SetMsSelected(bool selected) {
    m_Ms = selected;
    SetUnitPictures(IDC_MS, selected);
}

void CDelayUnitStrip::SetCmSelected(bool selected) {
    m_Cm = selected;
    SetUnitPictures(IDC_CM, selected);
}

void CDelayUnitStrip::SetInchSelected(bool selected) {
    m_Inch = selected;
    SetUnitPictures(IDC_INCH, selected);
}

void CDelayUnitStrip::SetUnits(bool ms, bool cm, bool inch) {
    SetMsSelected(ms);
    SetCmSelected(cm);
    SetInchSelected(inch);
    ApplyOtherPictures();
    update();
}

void CDelayUnitStrip::ApplyOtherPictures() {
    if (g_LanguageFlag.load()) {
        Button(IDC_RESET)->SetBitmaps(1166, 1167, 1168);
        Button(IDC_LOCK_OUTPUT)->SetBitmaps(1146, 1150, 1156, 1160, 1161, 1146);
        Button(IDC_LINK)->SetBitmaps(1138, 1139, 1140, 1140, 1141, 1138);
    } else {
        Button(IDC_RESET)->SetBitmaps(1169, 1170, 1171);
        Button(IDC_LOCK_OUTPUT)->SetBitmaps(1157, 1158, 1159, 1162, 1163, 1157);
        Button(IDC_LINK)->SetBitmaps(1142, 1143, 1144, 1144, 1145, 1142);
    }
}

void CDelayUnitStrip::OnUnitButton(int unit) {
    if (unit < 1 || unit > 3) return;
    // The chosen unit on, the others off; a choice made again is told again.
    if (unit == 1)
        SetMsSelected(true);
    else if (m_Ms)
        SetMsSelected(false);
    if (unit == 2)
        SetCmSelected(true);
    else if (m_Cm)
        SetCmSelected(false);
    if (unit == 3)
        SetInchSelected(true);
    else if (m_Inch)
        SetInchSelected(false);
    if (QWidget* parent = parentWidget())
        platform::PostMessage(parent, WM_DELAY_UNIT, static_cast<WPARAM>(ControlId(this)), unit);
}

LRESULT CDelayUnitStrip::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND || (wParam >> 16) != 0) return 0;
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case IDC_MS:
        OnUnitButton(1);
        break;
    case IDC_CM:
        OnUnitButton(2);
        break;
    case IDC_INCH:
        OnUnitButton(3);
        break;
    default:
        break; // reset, lock output and link do nothing
    }
    return 0;
}

void CDelayUnitStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background.In(g_LanguageFlag.load() != 0));
}

void CDelayUnitStrip::keyPressEvent(QKeyEvent* event) {
    if (!KeepOpenOnEnterOrEscape(this, event)) QWidget::keyPressEvent(event);
}
