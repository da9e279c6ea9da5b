#include "pages/output/CurveToggleStrip.h"

#include "controls/BitButton.h"
#include "controls/ControlNotify.h"
#include "model/Globals.h"
#include "pages/PageBase.h"
#include "platform/DialogUnits.h"
#include "platform/Skin.h"

#include <QPainter>

namespace {

// Template 967 (System 10): each button's place and its pictures (off
// normal, hover, pressed; the on pictures are the pressed one).
struct CurveButton {
    QPoint dlu;
    unsigned normal, hover, on;
};
constexpr CurveButton kCurveButtons[CCurveToggleStrip::kOutputs] = {
    {{2, 4}, 969, 970, 971},      {{2, 18}, 972, 973, 974},      {{2, 32}, 975, 976, 977},
    {{2, 46}, 978, 979, 980},     {{2, 60}, 981, 982, 983},      {{2, 74}, 984, 985, 987},
    {{2, 88}, 988, 989, 986},     {{2, 102}, 990, 991, 992},     {{2, 116}, 1193, 1194, 1195},
    {{2, 130}, 1196, 1197, 1198}, {{82, 249}, 1199, 1200, 1201}, {{82, 261}, 1202, 1203, 1204},
};

} // namespace

CCurveToggleStrip::CCurveToggleStrip(QWidget* parent) : MessageTarget<QWidget>(parent) {
    m_Background = skin::Pixmap(968);
    for (int n = 0; n < kOutputs; ++n) {
        const CurveButton& c = kCurveButtons[n];
        auto* b = new CBitButton(this, kButtonIds[n]);
        SetControlId(b, kButtonIds[n]);
        b->SetBitmaps(c.normal, c.hover, c.on, c.on, c.on, c.on);
        b->move(platform::DluToPixels(c.dlu, platform::kSystem10));
        b->SetCheck(g_ShowCurve[n]);
        m_Buttons[n] = b;
    }
}

CBitButton* CCurveToggleStrip::Button(int output) const {
    return output >= 0 && output < kOutputs ? m_Buttons[output] : nullptr;
}

void CCurveToggleStrip::OnCurveButton(int output) {
    CBitButton* b = Button(output);
    if (!b) return;
    g_ShowCurve[output] = b->GetCheck() ? 0 : 1;
    b->SetCheck(g_ShowCurve[output]);
    // The current output's curve is drawn anyway.
    if (output == g_CurrentOutput) return;
    if (auto* page = dynamic_cast<CViewPage*>(parentWidget())) page->RefreshChannel();
}

LRESULT CCurveToggleStrip::WindowProc(unsigned msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND || (wParam >> 16) != 0) return 0;
    const int id = static_cast<int>(wParam & 0xFFFF);
    for (int n = 0; n < kOutputs; ++n)
        if (kButtonIds[n] == id) OnCurveButton(n);
    return 0;
}

void CCurveToggleStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background);
}
