// CPhaseSettingsDialog: the phase settings pop-up (template 1137), a modal
// dialog that shows one output's phase setting under the heading "CH" +
// output number + the output's name: its polarity, a phase slider and a
// phase-frequency slider. It changes nothing: its sliders and its button
// write no value and nothing is sent (the phase is edited on the output
// page). Enter and Escape close nothing; the caption bar's close ends it.
// Nothing in the main view opens it; an output panel may, with
// OpenPhaseSettings.
#pragma once

#include "platform/Message.h"
#include "platform/Skin.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

class CBitButton;
class CBitmapSlider;
class CKTV_OutData;

class CPhaseSettingsDialog : public platform::MessageTarget<QDialog> {
public:
    enum : int {
        IDC_POLARITY = 2819,
        IDC_PHASE_SLIDER = 2850,
        IDC_FREQ_SLIDER = 2854,
    };

    explicit CPhaseSettingsDialog(QWidget* owner = nullptr);

    // The output shown, its channel object and its name (the panel's
    // speaker-type text).
    void Setup(int output, CKTV_OutData* out, const QString& name);
    // The dialog's set-up before it is shown: sliders, caption, polarity pictures.
    void OnInitDialog();
    // The sliders from the output: the phase slider from the attack word, the
    // frequency slider from the release word.
    void Refresh();
    int DoModal();

    // "CH3  FR-Tweeter": what the dialog writes over its picture.
    QString HeadingText() const;
    CBitButton* PolarityButton() const { return m_Polarity; }
    CBitmapSlider* PhaseSlider() const { return m_PhaseSlider; }
    CBitmapSlider* FrequencySlider() const { return m_FreqSlider; }

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyPolarityPictures();

    CBitButton* m_Polarity = nullptr;
    CBitmapSlider* m_PhaseSlider = nullptr;
    CBitmapSlider* m_FreqSlider = nullptr;
    skin::LanguagePixmap m_Background{1174, 1173};
    int m_Output = 0;
    CKTV_OutData* m_Out = nullptr;
    QString m_Name;
};

// Runs the pop-up for an output, owned by a panel; returns the dialog's answer.
int OpenPhaseSettings(QWidget* owner, int output, CKTV_OutData* out, const QString& name);
