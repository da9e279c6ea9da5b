// COutputPage: the output page (template 136). It edits one output at a time,
// g_CurrentOutput: the response graph, 31 band columns (number, frequency,
// Q, gain, gain slider, bypass lamp), bypass-all, EQ mode and EQ reset, the
// high-pass and low-pass crossover, level, mute, polarity, phase and delay,
// the speaker-position buttons and the bar of curve toggles. Every edit goes
// into the model's channel objects; the model marks the item and the link's
// poller sends it, except where a handler queues packets at once.
//
// Edits of the current output are repeated on every output that shares its
// link key (g_LinkKey). The page reaches the main view only through IPageHost.
#pragma once

#include "model/LinkedEdits.h"
#include "pages/PageBase.h"
#include "platform/Skin.h"

#include <QPixmap>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class CBitButton;
class CDelayUnitStrip;
class ControlTimer;
class CBitmapSlider;
class CPngButton;
class CPositionButtons;
class CCurveToggleStrip;
class CDropListButton;
class CEqGraph;
class CFilter;
class CFontStatic;
class CNumEdit;
class CNumSpin;
class CPictureButton;

// What the page keeps of an output panel: the panels of the page have no
// window; they carry each output's joint-debug link mask and the states the
// joint-debug result writes into them.
struct COutPanelState {
    int mask = 0;
    bool captionChecked = false;
    bool selected = false;
    int gain = 0;
    int delay = 0;
    int on = 1;
    int polarity = 0;
    int toggles[16] = {};
};

// Focus moves the page posts itself (wParam the focused field's id), and
// the requests other windows may send it.
enum : unsigned {
    WM_FOCUS_MOVE = WM_USER + 700,         // lParam: the key, 37 left or 39 right
    WM_FOCUS_DOWN = WM_USER + 701,         // Enter in parametric mode
    WM_BAND_FOCUS = WM_USER + 102,         // (band code 0..32): select it and focus its field
    WM_PASTE_EQ = WM_USER + 205,           // (source output, target output)
    WM_JOINT_DEBUG_RESULT = WM_USER + 302, // (output): the panel masks became link groups
};
constexpr LPARAM kKeyLeft = 37;
constexpr LPARAM kKeyRight = 39;

class COutputPage : public CViewPage {
public:
    // Control ids of template 136.
    enum : int {
        IDC_GRAPH = 4000,
        IDC_ALL_BYPASS = 1976,
        IDC_EQ_MODE = 5686,
        IDC_EQ_RESET = 5687,
        IDC_HPF_FREQ = 1004,
        IDC_HPF_SPIN = 1351,
        IDC_LPF_FREQ = 1005,
        IDC_LPF_SPIN = 1352,
        IDC_HPF_FAMILY = 1010,
        IDC_LPF_FAMILY = 1011,
        IDC_HPF_SLOPE = 1012,
        IDC_LPF_SLOPE = 1013,
        IDC_LEVEL = 2827,
        IDC_LEVEL_SPIN = 2829,
        IDC_LEVEL_SLIDER = 2826,
        IDC_DELAY = 2817,
        IDC_DELAY_SPIN = 2828,
        IDC_DELAY_UNIT = 4001,
        IDC_POLARITY = 2825,
        IDC_MUTE = 1001,
        IDC_PHASE = 2806,
        IDC_PHASE_SPIN = 2848,
        // Created hidden.
        IDC_PHASE_FREQ = 2807,
        IDC_PHASE_FREQ_SPIN = 2849,
        IDC_POLARITY_PICTURE = 2853,
        IDC_LEVEL2 = 4002,
        IDC_LEVEL2_SPIN = 4003,
        IDC_LEVEL2_SLIDER = 4004,
        IDC_DELAY_MS = 4010,
        IDC_DELAY_CM = 4011,
        IDC_DELAY_INCH = 4012,
        IDC_DELAY_MS_SPIN = 4013,
        IDC_DELAY_CM_SPIN = 4014,
        IDC_DELAY_INCH_SPIN = 4015,
        IDC_DELAY_MS_STRIP = 4016,
        IDC_HPF_LIST = 4703,
        IDC_LPF_LIST = 4704,
        IDC_LANGUAGE = 5311,
        IDC_SOURCE = 5688,
        IDC_PAGE_BUTTON = 5689,
        IDC_CAPTION = 2883,
        IDC_PHASE_PICTURE = 5084,
        IDC_PHASE_PICTURE_LIT = 5085,
        IDC_DELAY_LOCK_MARK = 5083,
        IDC_POSITION_FIRST = 4600, // .. 4623
        // Band columns: id = base + band (0..30).
        kBandGain = 5000,
        kBandGainSpin = 5040,
        kBandSlider = 5100,
        kBandFreq = 5200,
        kBandFreqSpin = 5240,
        kBandLabel = 5280,
        kBandBypass = 5320,
        kBandQ = 4500,
        kBandQSpin = 4540,
        // The master-volume strip's field in the focus ring.
        kMasterField = 2812,
    };
    // Notification ids of the drop lists (wParam of WM_USER+802).
    enum : int {
        kListHpfFamily = 1014,
        kListHpfSlope = 1015,
        kListLpfFamily = 1016,
        kListLpfSlope = 1017,
        kListHpfFreq = 1100,
        kListLpfFreq = 1101,
        kListDelayUnit = 1102,
    };
    static constexpr int kBandCount = 31;
    static constexpr int kPhaseOff = kPhaseOffValue; // the phase value of 0 degrees
    static constexpr int kPhaseBandwidth = kPhaseBandwidthCode;
    static constexpr int kBandSliderRange = 240; // gain codes 80..320
    static constexpr int kPhaseTimerId = 84559;
    static constexpr int kPhaseRedisplayMs = 500;
    // Fields of a band column.
    enum BandField : int { kFieldFreq = 0, kFieldQ = 1, kFieldGain = 2 };

    explicit COutputPage(QWidget* parent = nullptr);
    ~COutputPage() override;

    // ---- the view's operations ------------------------------------------
    void SetChannelArray(CKTV_Data* data) override;
    int RefreshAll() override;
    void RefreshChannel() override { RefreshChannelChecked(); }
    // Every control of the current output from the model; false when a
    // stored value was out of range and the user asked for the device's data.
    bool RefreshChannelChecked();
    void RefreshBands() override;
    void ApplyLanguage() override {
        FillFilterLists();
        m_Background.Release();
    }
    void FillFilterLists();
    void FocusFirstBand() override;
    void FocusField(int id) override;
    void ClearBandSelection() override;
    void SelectOutput(int output) override;
    void CheckTopBand(int band) override;
    bool PreTranslateKey(QWidget* focus, QKeyEvent* key) override;
    void MarkGroupMember(int output, bool on) override;
    void RedrawGraph() override;

    // ---- helpers of the other operations ---------------------------------
    void ShowBandBypass(bool bypassed, int band);
    // The band's slider at a gain code.
    void ShowBandSlider(int band, int code);
    void ShowEqMode(int mode);
    void ShowAllBypass();
    void MarkBandsOutsideCrossover();
    void HighlightBandLabel(int band, bool on);
    void HighlightEdit(int band, int field, bool on);
    void SelectBand(int band);
    void ShowActiveSource();
    void ShowSourcePicture(int source);
    void ShowPhasePicture(bool on);
    void MarkAllBasicChanged();
    void ShowWindow(int command) { setVisible(command != 0); }

    // The state of the current output's speaker-type group, and the lock of
    // the delay fields that follows it.
    void RefreshSpeakerGroupState();
    void UpdateDelayFieldsLock();

    // ---- speaker-position buttons ---------------------------------------
    void ShowPositionButtons();
    void ShowPositionButton(int type, bool checked, int output);
    void HidePositionButton(int type);
    void CheckPositionButton(int type, bool checked);

    // ---- band editing ---------------------------------------------------
    // The worker of one field kind for band i (fields and spins of a column).
    void OnBandField(int band, int field);
    void OnBandFreq(int band) { OnBandField(band, kFieldFreq); }
    void OnBandQ(int band) { OnBandField(band, kFieldQ); }
    void OnBandGain(int band) { OnBandField(band, kFieldGain); }
    void OnBandBypass(int band);
    void OnAllBypass() { ToggleAllBypass(); }
    void ToggleAllBypass();
    void CopyBandFreqToLinked(int band);
    void CopyBandQToLinked(int band);
    void CopyBandGainToLinked(int band);
    void CopyBandBypassToLinked(int band);
    void ApplyAllBypassToLinked();

    // ---- the graph and the band sliders ---------------------------------
    // A band (0..30) or crossover (31, 32) the graph has moved in the model.
    void ApplyGraphBand(int code);
    void PropagateBandToLinked(int band);
    // A band's gain slider moved (ended: let go).
    void ApplyBandSlider(int band, bool ended);

    // ---- crossover editing ----------------------------------------------
    void OnHpfFreq() { OnCrossoverFreq(true); }
    void OnLpfFreq() { OnCrossoverFreq(false); }
    void OnHpfFamily() { OnCrossoverList(true, false); }
    void OnHpfSlope() { OnCrossoverList(true, true); }
    void OnLpfFamily() { OnCrossoverList(false, false); }
    void OnLpfSlope() { OnCrossoverList(false, true); }
    void CopyHpfFreqToLinked() { CopyCrossoverToLinked(true, kCopyFreq); }
    void CopyLpfFreqToLinked() { CopyCrossoverToLinked(false, kCopyFreq); }
    void CopyHpfFamilyToLinked() { CopyCrossoverToLinked(true, kCopyFamily); }
    void CopyLpfFamilyToLinked() { CopyCrossoverToLinked(false, kCopyFamily); }
    void CopyHpfSlopeToLinked() { CopyCrossoverToLinked(true, kCopySlope); }
    void CopyLpfSlopeToLinked() { CopyCrossoverToLinked(false, kCopySlope); }
    void RefreshCrossover() override;
    void FillHpfSlopeList();

    // ---- EQ mode, reset, page button, frequency lists --------------------
    void OnEqModeButton();
    void OnEqResetButton();
    void OnPageSwitchButton();
    void OnHpfFrequencyList();
    void OnLpfFrequencyList() {}

    // ---- joint editing, paste, focus requests ---------------------------
    // WM_USER+302: the panel masks become link keys and output o's settings
    // go to the outputs of its group, with their on flags off meanwhile.
    void OnJointDebugResult(int output);
    // The on flags of the outputs of o's mask off (begin) or back, each sent
    // at once as the output's basic item; nothing while not synchronised.
    virtual void MuteMaskOutputs(int output, bool begin);
    virtual void CopyToLinkedOutputs(int output);
    virtual void RefreshMaskPanels(int output, int mask);
    void OnPasteEq(int from, int to);
    void OnBandFocusRequest(int code);
    void ToggleOutputOn(int output);
    void SetChannelGain(int output, int code);
    bool IsMaskShared(int output) const;

    // ---- level, mute, polarity, phase, delay ----------------------------
    void OnGainField();
    void OnLevelField();
    void OnMuteButton();
    void OnPolarityButton();
    void OnPhaseField() { OnPhase(false); }
    void OnPhaseSpin() { OnPhase(true); }
    // Timer 84559: the top band's fields shown again after a phase change.
    void OnPhaseTimer();
    void OnPhaseFreqField() { OnPhaseFreq(false); }
    void OnPhaseFreqSpin() { OnPhaseFreq(true); }
    void OnDelayField();
    void OnDelaySpin();
    void OnDelayUnitList(int unit);
    void OnDelayUnitMessage(int unit);
    // The delay field of one unit of the hidden triplet (0 ms, 1 cm, 2 inch).
    void OnDelayTriplet(int unit);
    // WM_USER+1100: a delay step spreads over the linked speaker-type group.
    void OnLinkedSpinDelta(int spinId, int step);
    void StepLinkedDelay(int output, int step, int spinId);
    void SetChannelOn(int output, int on) override;
    void SetChannelPolarity(int output, int polarity) override;
    void ShowMuteCheck(bool checked) override;
    void ShowSpeakerGroupState(int) {}
    void LoadDelayFromModeTable();
    CDelayUnitStrip* DelaySelector() const { return m_DelaySelector; }
    ControlTimer& PhaseTimer() { return *m_PhaseTimer; }

    // ---- focus order ----------------------------------------------------
    void FocusNext(int id);
    void FocusPrevious(int id);
    void OnFocusDown(int id);

    // ---- state, for the view and the tests ------------------------------
    CEqGraph* Graph() const { return m_Graph; }
    QWidget* Control(int id) const;
    CNumEdit* Field(int id) const;
    CNumSpin* Spin(int id) const;
    CBitmapSlider* Slider(int id) const;
    CPictureButton* PictureButton(int id) const;
    CBitButton* BitButton(int id) const;
    CDropListButton* List(int id) const;
    CFontStatic* BandLabel(int band) const;
    // The page and its position buttons reach the view through it.
    void SetView(IPageHost* view) override;
    CPngButton* PositionButton(int type) const;
    CCurveToggleStrip* CurveBar() const { return m_CurveBar; }
    CFontStatic* HighlightedLabel() const { return m_HighlightedLabel; }
    CNumEdit* HighlightedField() const { return m_HighlightedField; }
    COutPanelState& Panel(int output) { return m_Panels[output]; }
    int PhaseValue() const { return m_PhaseValue; }
    int LastPositionOutput() const;
    // The layer of the speaker-position buttons (the view marks them too).
    CPositionButtons* PositionLayer() const { return m_Positions; }
    // The speaker type the page works with: a stored type above 24 counts as none.
    static int PageSpeakerType(int output);

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

    // The current output, fetched again from the model.
    CKTV_OutData* CurrentOut() const;
    // The outputs other than the current one that share its link key.
    std::vector<CKTV_OutData*> LinkedOutputs() const;
    // Shows a value through a spin for a handler: outside the spin's range
    // the data-exception question is asked; Yes asks the view for the
    // device's data and returns false (the handler ends).
    bool Offer(CNumSpin* spin, int value);
    void RequestResync();

private:
    // One refresh's meeting with values outside their fields' ranges.
    struct RefreshCheck {
        int output = 0;
        bool asked = false;
        bool refused = false;
        std::set<std::pair<int, int>> found; // (spin id, stored value)
    };
    // Shows a stored value through a spin during a refresh (see the .cpp).
    void OfferStored(RefreshCheck& check, CNumSpin* spin, int value);
    void FinishRefresh(RefreshCheck& check);
    void RefreshBandColumns(RefreshCheck& check, CKTV_OutData& out);
    void ShowCrossoverSide(RefreshCheck* check, CFilter& filter, bool high);

    void InitControls();
    void CreateBandColumns();
    void CreateCrossover();
    void CreateLevelDelayPhase();
    void CreateHiddenControls();
    void Register(QWidget* control, int id);
    CNumEdit* NewField(int id, const QRect& dlu);
    CNumSpin* NewSpin(int id, CNumEdit* field);
    CDropListButton* NewList(int id, int notifyId, const QPoint& dlu, unsigned normal,
                             unsigned hover);
    void ApplyButtonPictures();
    void FillList(CDropListButton* list, const std::vector<QString>& texts);
    static void SelectListEntry(CDropListButton* list, int index);

    void OnCommand(int id, int code);
    void OnDropListChoice(int listId, int index);
    // The commands and list choices of the level, delay, phase, EQ-mode and
    // EQ-reset controls and of the page's other buttons.
    void OnPageCommand(int id, int code);
    void OnPageListChoice(int listId, int index);
    LRESULT OnSlider(WPARAM id, LPARAM position, bool ended);
    void OnLevelSlider(int id, bool ended);
    void OnPhase(bool fromSpin);
    void OnPhaseFreq(bool fromSpin);
    LRESULT OnFocusMove(WPARAM id, LPARAM key);

    enum CopyKind { kCopyFreq, kCopyFamily, kCopySlope };
    void OnCrossoverFreq(bool high);
    void OnCrossoverList(bool high, bool slope);
    void CopyCrossoverToLinked(bool high, CopyKind kind);
    void CopyBandToLinked(int band, int field);
    // The focus to a field; band >= 0 also selects that band.
    void MoveFocus(int id, int band);

    struct BandColumn {
        CFontStatic* label = nullptr;
        CNumEdit* freq = nullptr;
        CNumSpin* freqSpin = nullptr;
        CNumEdit* q = nullptr;
        CNumSpin* qSpin = nullptr;
        CNumEdit* gain = nullptr;
        CNumSpin* gainSpin = nullptr;
        CBitmapSlider* slider = nullptr;
        CPictureButton* bypass = nullptr;
    };
    std::array<BandColumn, kBandCount> m_Bands;
    std::unordered_map<int, QWidget*> m_Controls;
    CPositionButtons* m_Positions = nullptr;

    CEqGraph* m_Graph = nullptr;
    CDelayUnitStrip* m_DelaySelector = nullptr;
    std::unique_ptr<ControlTimer> m_PhaseTimer;
    int m_SavedOn[12] = {};
    CCurveToggleStrip* m_CurveBar = nullptr;
    CFontStatic* m_HighlightedLabel = nullptr;
    CNumEdit* m_HighlightedField = nullptr;
    CBitmapSlider* m_FocusedSlider = nullptr;
    // The graph covers a third of it: kept only where it shows.
    skin::PartedPixmap m_Background{286, 287};
    std::array<COutPanelState, 12> m_Panels;

    // Values last shown or taken.
    int m_AllBypass = 0;
    int m_EqMode = 0;
    int m_BandBypass = 0;
    int m_HpfFamily = 0, m_HpfSlope = 0, m_LpfFamily = 0, m_LpfSlope = 0;
    int m_HpfFreq = 20, m_LpfFreq = 20000;
    int m_Level = 0, m_Delay = 0, m_Polarity = 0;
    int m_PhaseValue = kPhaseOff;
    bool m_PhasePictureLit = false;
    std::array<bool, kBandCount> m_OutsideThumb{}; // the band's slider shows the outside thumb
    // Per output, the out-of-range values the last refresh met: the same
    // values coming back (the device's data read again) are not asked about.
    std::map<int, std::set<std::pair<int, int>>> m_AskedOutOfRange;
};
