#include "pages/output/PhaseSettingsDialog.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlNotify.h"
#include "controls/core/SliderCore.h"
#include "model/Globals.h"
#include "model/KTV_OutData.h"
#include "platform/DialogUnits.h"
#include "pages/output/DialogKeys.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"

#include <QPainter>

namespace {

using platform::DluToPixels;
using platform::kArial7;

constexpr int kPhasePositions = 180;       // 20..200, 0..360 degrees
constexpr int kFrequencyPositions = 19980; // 20 Hz .. 20 kHz
const QPoint kHeadingAt(280, 40);
const QColor kHeadingColour(41, 41, 41);

} // namespace

CPhaseSettingsDialog::CPhaseSettingsDialog(QWidget* owner) : MessageTarget<QDialog>(owner) {
    setFixedSize(skin::Size(1174));
    m_Polarity = new CBitButton(this, IDC_POLARITY);
    SetControlId(m_Polarity, IDC_POLARITY);
    m_Polarity->move(DluToPixels(QPoint(52, 65), kArial7));
    m_PhaseSlider = new CBitmapSlider(this);
    SetControlId(m_PhaseSlider, IDC_PHASE_SLIDER);
    m_PhaseSlider->move(DluToPixels(QPoint(182, 88), kArial7));
    m_FreqSlider = new CBitmapSlider(this);
    SetControlId(m_FreqSlider, IDC_FREQ_SLIDER);
    m_FreqSlider->move(DluToPixels(QPoint(368, 89), kArial7));
}

void CPhaseSettingsDialog::Setup(int output, CKTV_OutData* out, const QString& name) {
    m_Output = output;
    m_Out = out;
    m_Name = name;
}

void CPhaseSettingsDialog::OnInitDialog() {
    m_PhaseSlider->SetBitmapChannel(1205, 1205, false);
    m_PhaseSlider->SetBitmapThumb(1177, 1177, true, CBitmapSlider::kColorAtPoint, 0, 0);
    m_PhaseSlider->SetRange(0, kPhasePositions);
    m_PhaseSlider->SetValueKind(slider::kPhase);
    m_PhaseSlider->SetMargin(27, 61, 25, 0);
    m_PhaseSlider->SetVertical(false);
    m_PhaseSlider->EnableMoveNotify(true);

    m_FreqSlider->SetBitmapChannel(1175, 1175, false);
    m_FreqSlider->SetBitmapThumb(1206, 1206, false);
    m_FreqSlider->SetRange(0, kFrequencyPositions);
    m_FreqSlider->SetValueKind(slider::kPhase);
    m_FreqSlider->SetMargin(27, 61, 28, 0);
    m_FreqSlider->SetVertical(false);
    m_FreqSlider->EnableMoveNotify(true);

    setWindowTitle(g_LanguageFlag.load() ? QStringLiteral("相位设置")
                                         : QStringLiteral("Sets of Phase"));
    ApplyPolarityPictures();
}

void CPhaseSettingsDialog::ApplyPolarityPictures() {
    const bool inverted = m_Out && m_Out->GetPolarity() != 0;
    const bool cn = g_LanguageFlag.load() != 0;
    if (inverted)
        m_Polarity->SetBitmaps(cn ? 4383 : 4373, cn ? 4384 : 4374, cn ? 4380 : 4370);
    else
        m_Polarity->SetBitmaps(cn ? 4380 : 4370, cn ? 4381 : 4371, cn ? 4383 : 4373);
}

void CPhaseSettingsDialog::Refresh() {
    ApplyPolarityPictures();
    if (!m_Out) return;
    m_PhaseSlider->SetValue(m_Out->GetAttackTime());
    m_FreqSlider->SetValue(m_Out->GetReleaseTime());
}

int CPhaseSettingsDialog::DoModal() {
    OnInitDialog();
    return exec();
}

QString CPhaseSettingsDialog::HeadingText() const {
    return QStringLiteral("CH%1  ").arg(m_Output + 1) + m_Name;
}

LRESULT CPhaseSettingsDialog::WindowProc(unsigned msg, WPARAM, LPARAM) {
    // Slider moves are answered and change nothing; the polarity button does nothing.
    if (msg == WM_SLIDER_MOVING || msg == WM_SLIDER_MOVED) return 1;
    return 0;
}

void CPhaseSettingsDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_Background.In(g_LanguageFlag.load() != 0));
    p.setFont(g_FontBold16);
    p.setPen(kHeadingColour);
    const QFontMetrics fm(g_FontBold16);
    p.drawText(QPoint(kHeadingAt.x(), kHeadingAt.y() + fm.ascent()), HeadingText());
}

void CPhaseSettingsDialog::keyPressEvent(QKeyEvent* event) {
    if (!KeepOpenOnEnterOrEscape(this, event)) QDialog::keyPressEvent(event);
}

int OpenPhaseSettings(QWidget* owner, int output, CKTV_OutData* out, const QString& name) {
    CPhaseSettingsDialog dialog(owner);
    dialog.Setup(output, out, name);
    return dialog.DoModal();
}
