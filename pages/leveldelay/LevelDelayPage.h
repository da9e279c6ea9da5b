// CLevelDelayPage: levels and time alignment on one page (template 522).
// The level area holds the master level with its on/off switch, a level per
// music input with the source buttons, and eight output rows (CH1..CH8) with
// level, on/off, polarity and a lamp strip fed by the device's status. The
// delay area shows a car from above with one distance field per speaker
// position, the position buttons, the three distance units and the link
// toggles of the speaker groups: while a group is linked its members' fields
// only step, and a step on one steps them all.
//
// Levels, on flags, polarity and delays go into the model's channel objects
// (the poller sends their items); the master settings into the master record,
// marked for the poller; a source change is queued at once (the master record,
// command 5, when the input lock is cleared, then the source record, command
// 2). The group links and the unit are the program's own and never sent.
//
// The page and its level area are in LevelDelayPage.cpp, the delay area in
// LevelDelayDistances.cpp.
#pragma once

#include "pages/SourcePages.h"
#include "platform/Skin.h"

#include <QPixmap>

#include <array>
#include <unordered_map>

class CBitButton;
class CBitmapSlider;
class CPngButton;
class CFontStatic;
class CNumEdit;
class CNumSpin;
class CLampRow;

class CLevelDelayPage : public CSourcePage {
public:
    enum : int {
        IDC_MASTER = 2568,
        IDC_MASTER_SPIN = 2569,
        IDC_MASTER_SLIDER = 2570,
        IDC_MASTER_ON = 2755,
        IDC_LINK_INDICATOR = 2771,
        kInputField = 3000,   // + column 0..5
        kInputSpin = 3010,    // + column
        kInputSlider = 3020,  // + column
        kSourceButton = 4460, // + column
        kOutputField = 3030,  // + row 0..7
        kOutputSpin = 3040,
        kOutputSlider = 3050,
        kOutputOn = 3060,
        kOutputPolarity = 3070,
        kRowPlaceholder = 2791,
        kTypeLabel = 2696,
        kLamp = 4800,
        kDistanceField = 6000, // + field 0..14
        kDistanceSpin = 6020,
        kDistanceStrip = 5800,
        kPositionButton = 6040, // + type - 1 (types 1..24)
        kLinkToggle = 6800,     // .. 6811
        IDC_UNIT_MS = 2683,
        IDC_UNIT_CM = 2684,
        IDC_UNIT_INCH = 2685,
    };
    // Posted to itself by the keys: (field id, 37 left / 39 right).
    static constexpr unsigned kFocusMoveMessage = WM_USER + 700;
    static constexpr int kVkLeft = 37;
    static constexpr int kVkRight = 39;
    static constexpr int kColumns = 6;
    static constexpr int kMusicColumns = 4; // the model's music inputs
    static constexpr int kRows = 8;
    static constexpr int kOutputs = 12;
    static constexpr int kDistanceFields = 15;
    static constexpr int kSpeakerTypes = 25; // 0 (none) .. 24
    static constexpr int kToggles = 12;
    static constexpr int kMaxDelay = 720;

    explicit CLevelDelayPage(QWidget* parent = nullptr);
    ~CLevelDelayPage() override;

    // ---- the page (LevelDelayPage.cpp) ----------------------------------
    // Every control from the model and the records. Always 1.
    int Refresh() override;
    // The input columns by mode and the source buttons by the active source.
    void UpdateInputArea();
    void ApplyLanguage() override;
    // The lamp strips from the device status (words 6..13).
    void UpdateLamps();
    void ClearLamps();
    void UpdateSourceButton(int, int) override { UpdateSourceButtonLooks(); }

    void OnMasterLevel();
    void OnMasterOnOff();
    void ApplyInputLevelFromField(int column);
    void ApplyInputLevelFromSlider(int column);
    void ApplyOutputLevelFromField(int row);
    void ApplyOutputLevelFromSlider(int row);
    void ToggleOutputOn(int row);
    void TogglePolarity(int row);
    void SelectSource(int column);
    void UpdateSourceButtonLooks();

    // The selection: the output's speaker position (and those of outputs
    // linked to it) checked; -1 clears the highlight.
    void SelectOutput(int output) override;
    void ChangeSelectedOutput(int output);
    void HighlightOutput(int output, bool on);
    int SelectedOutput() const { return m_Selected; }

    void FocusNextField(int id);
    void FocusPreviousField(int id);

    // ---- the delay area (LevelDelayDistances.cpp) ------------------------
    void AssignDistanceControls(int type, int output);
    void ApplyDistanceFromField(int output);
    void OnPositionButton(int id);
    void SetDistanceUnit(int unit);
    void OnUnitButton(int unit);
    void RefreshLinkToggles();
    void LockGroupFields(int type, bool lock);
    void OnLinkToggle(int id);
    void OnDistanceSpinDelta(int spinId, int delta);
    void StepLinkedDistance(int output, int delta);
    // The distance field and spin that show an output; null without one.
    CNumEdit* DistanceFieldOf(int output) const;
    CNumSpin* DistanceSpinOf(int output) const;

    // ---- for the tests and the gallery ------------------------------------
    QWidget* Control(int id) const;
    CNumEdit* Field(int id) const;
    CNumSpin* Spin(int id) const;
    CBitmapSlider* Slider(int id) const;
    CBitButton* BitButton(int id) const;
    CPngButton* PngButton(int id) const;
    CLampRow* Lamp(int row) const;

    // The distance field of a speaker type (0..14), -1 for none.
    static int DistanceFieldOfType(int type);
    // The link toggle showing the group of a type in its pair mode; 0 for none.
    static int ToggleOfType(int type);

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUpControls();
    void SetUpLevelArea();
    void SetUpDelayArea();
    void Register(QWidget* control, int id);
    CNumEdit* NewLevelField(int id, int spinId, const QPoint& dlu, int width, int maximum);
    void ShowInputColumnsForMode();
    void ShowOutputRowsForTypes();
    void LayoutInputColumns();
    void ShowLinkedOutputLevels(int row);
    // A level for an output row, from its field or its fader (the other
    // follows); the output goes on with it.
    void ApplyOutputLevel(int row, int value, bool fromSlider);
    // The master level into the master record, the master on; false when it
    // was already so.
    bool StoreMasterLevel(int value);
    void CheckSourceButtons(int column);
    void OnCommand(int id);
    void OnSlider(int id, bool moved);
    void OnFieldFocused(int id);
    // Shows a stored value through a spin (the spin asks about damaged data).
    void Offer(CNumSpin* spin, int value);
    CKTV_OutData* Out(int output) const;
    int TypeOf(int output) const;
    void FocusControl(int id);

    struct DistanceRecord {
        CNumEdit* field = nullptr;
        CNumSpin* spin = nullptr;
        CPngButton* button = nullptr;
    };
    std::array<DistanceRecord, kOutputs> m_Records{};
    std::unordered_map<int, QWidget*> m_Controls;
    std::array<QRect, kColumns * 3> m_ColumnPlaces{}; // slider, field, button per column
    std::array<int, 30> m_FieldOrder{};
    skin::LanguagePixmap m_Back{523, 7030};
    int m_Selected = -1;
};
