// CMasterStrip: the master-volume strip of the main view's top bar (template
// 737): the volume field (hidden spin beside it), the slider 0..66, minus and
// plus, and the master mute. The strip keeps no value of its own: it tells
// its parent (the view) of a new volume with WM_USER+8024 and the view
// stores it in the master record; the mute button writes the master's on
// byte itself and marks the record for sending.
#pragma once

#include "pages/PageBase.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DropListButton.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"

// Messages of the strip.
enum : unsigned {
    WM_MASTER_VOLUME = WM_USER + 8024,   // to the parent: (strip id, volume 0..66)
    WM_MASTER_UNIT = WM_USER + 8025,     // to the parent: (strip id, list choice + 1)
    WM_MASTER_FOCUS_KEY = WM_USER + 700, // to itself: (focused field id, key 37 or 39)
    WM_MASTER_FOCUS_HPF = WM_USER + 701, // to itself: focus to the output page's high-pass field
};

class CMasterStrip : public CLevelBarBase {
public:
    enum : int {
        IDD = 737,
        IDC_VOLUME = 2812,
        IDC_SPIN = 2814,
        IDC_LIST = 2815,
        IDC_SLIDER = 2816,
        IDC_MINUS = 2817,
        IDC_PLUS = 2818,
        IDC_MUTE = 2819,
    };
    static constexpr int kVolumeMax = 66;
    // The output page's fields the arrow keys lead to.
    static constexpr int kDelayFieldId = 2817;
    static constexpr int kHighPassFieldId = 1004;

    explicit CMasterStrip(QWidget* parent);

    // ---- what the view calls --------------------------------------------------
    void SetBackgroundBitmap(int id) override;
    void SetListButtonBitmaps(int id, int secondId) override;
    void AddListString(const QString& text) override;
    void SetListSelection(int index) override;
    void SetSliderChannelBitmap(int id, int activeId, unsigned transparent) override;
    void SetSliderThumbBitmap(int id, int activeId, unsigned transparent) override;
    void SetSliderRange(int lower, int upper, bool redraw) override;
    // The slider takes the value; the field is offered it (outside 0..66 the
    // user is asked whether to restore the default data).
    void SetValue(int value) override;
    // The field's value.
    int GetValue() const override;
    void SetMuteCheck(bool on) override;
    void ApplyLanguage() override { update(); }

    // Nothing of the program calls these.
    int GetListSelection() const { return m_List->GetCurSel(); }
    void ResetList() { m_List->ResetContent(); }
    void SetSliderThumbMask(int id) { m_Slider->SetThumbMask(id); }
    void PostValue();
    void StepValue(bool up);

    // The mute button (2819): the master on byte, then the button's state.
    void OnOnOffButton();

    CNumEdit* Field() const { return m_Field; }
    CNumSpin* Spin() const { return m_Spin; }
    CBitmapSlider* Slider() const { return m_Slider; }
    CBitButton* MuteButton() const { return m_Mute; }
    CBitButton* MinusButton() const { return m_Minus; }
    CBitButton* PlusButton() const { return m_Plus; }
    CDropListButton* UnitList() const { return m_List; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The slider stopped or moved at a position: offered to the field, then
    // reported (a refusal asks the device for its data instead).
    void OnSliderAt(int position, bool ended);
    // Minus and plus: one step from the slider's position, within 0..66.
    void Step(int delta);
    void ReportVolume(int volume);
    void FocusOutputField(int id);

    CNumEdit* m_Field = nullptr;
    CNumSpin* m_Spin = nullptr;
    CBitmapSlider* m_Slider = nullptr;
    CDropListButton* m_List = nullptr;
    CBitButton* m_Mute = nullptr;
    CBitButton* m_Minus = nullptr;
    CBitButton* m_Plus = nullptr;
};
