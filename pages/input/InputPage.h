// CInputPage: the music-input page (template 382). It chooses the active
// input source and the input mode (how the six analogue inputs are grouped),
// a second source beside the active one and the 1-way / 2-way option, and
// edits bands 0 to 14 of the equaliser of the music input behind the active
// source (frequency, Q, gain, fader and bypass per band, the response graph,
// Bypass EQ, Reset EQ and P.EQ / G.EQ).
//
// Source and mode choices go to the device at once through the view (the
// source record, command 2; the master record, command 5, when the input
// lock is cleared; the source-setup record, command 8, for the second source
// and the 1-way / 2-way option). Band edits go into the model's filters,
// which the link's poller sends. Only S/PDIF, Hi.Level, Phone and AUX1 have a
// music input; for AUX2, AUX3 and off the equaliser half is disabled.
//
// The frame (sources, modes, second source, lock, language) is in
// InputPage.cpp, the equaliser and its keys in InputEq.cpp.
#pragma once

#include "pages/SourcePages.h"
#include "platform/Skin.h"

#include <QPixmap>
#include <QRect>

#include <array>
#include <unordered_map>

class CBitButton;
class CBitmapSlider;
class CEqGraph;
class CFilter;
class CFontStatic;
class CInputConnectorStrip;
class CMusic_InData;
class CNumEdit;
class CNumSpin;
class CPictureButton;
class QMenu;

class CInputPage : public CSourcePage {
public:
    // Controls of template 382; band controls are base + band (0..30).
    enum : int {
        IDC_GRAPH = 3952,
        kBandLabel = 3500,
        kBandFreq = 3550,
        kBandQ = 3600,
        kBandGain = 3650,
        kBandFreqSpin = 3700,
        kBandQSpin = 3750,
        kBandGainSpin = 3800,
        kBandFader = 3850,
        kBandBypass = 3900,
        IDC_BYPASS_EQ = 3950,
        IDC_RESET_EQ = 3951,
        IDC_EQ_MODE = 3940,
        IDC_MODE0 = 3956,   // .. 3958: input modes 0, 1, 2
        IDC_SOURCE0 = 3960, // .. 3965: sources 0..5
        IDC_SECOND_SOURCE = 3967,
        IDC_ACTIVE_SOURCE = 3953,
        IDC_DB_SCALE = 3881,
        IDC_ONE_WAY = 3980,
        IDC_TWO_WAY = 3981,
        // Items of the second-source menu (menu 173): 174 + source.
        ID_SECOND_SOURCE0 = 174,
    };
    // Messages the page handles besides WM_COMMAND and the control messages.
    static constexpr unsigned kBandSelectedMessage = WM_USER + 102; // (band, channel)
    static constexpr unsigned kFocusStepMessage = WM_USER + 700;    // (field id, 37 / 39)
    static constexpr unsigned kEnterStepMessage = WM_USER + 701;    // (field id, 0)
    static constexpr int kKeyLeft = 37;
    static constexpr int kKeyRight = 39;
    static constexpr int kBandCount = 31;
    static constexpr int kShownBands = 15;
    static constexpr int kFaderRange = 240; // gain codes 80..320
    // The strip's place in the page.
    static constexpr QPoint kStripPlace{221, 462};
    // Field kinds of HighlightEdit.
    enum FieldKind : int { kKindFreq = 0, kKindQ = 1, kKindGain = 2 };

    explicit CInputPage(QWidget* parent = nullptr);
    ~CInputPage() override;

    // ---- the model and the frame (InputPage.cpp) --------------------------
    // Keeps the model; the graph is attached to its music inputs.
    void SetDataModel(CKTV_Data* data);
    void SetChannelArray(CKTV_Data* data) override { SetDataModel(data); }
    // Every source and mode control from g_InputMode and g_ActiveSource, then
    // the equaliser (Refresh). hook: the mode was just chosen.
    void ApplyModeAndSource(int hook);
    // The second source's availability for the active source and mode; an
    // unavailable one falls back to off (sent, and the button shows it).
    void UpdateSourceButton(int source, int mode) override;
    void ApplyLanguage() override;

    void OnSourceButton(int source);
    // WM_USER+401: a connector of the strip; the source is sent also when it
    // is already active.
    void OnStripSource(int source);
    void SetInputMode(int mode);
    void OnModeButton(int mode) { SetInputMode(mode); }
    // WM_USER+600: a source made active elsewhere; nothing is sent.
    void OnSourceReported(int source);
    // WM_USER+601: the level and delay page changed the source (it cleared
    // the lock flag when it was set); nothing is sent.
    void OnSourceChanged(int lockFlag, int previous);
    // Equaliser controls locked or free by the input lock (of the master record).
    void ApplyLockState();

    void OnSecondSourceButton();
    void OnSecondSourceItem(int source) { SelectSecondSource(source); }
    void SelectSecondSource(int source);
    void ShowSecondSource();
    void OnOneWay() { SetWays(0); }
    void OnTwoWay() { SetWays(1); }
    // The menu of OnSecondSourceButton, at the button's bottom left; the
    // source chosen, -1 for none. Tests choose without a menu on screen.
    virtual int TrackSecondSourceMenu(QMenu& menu, const QPoint& at);

    // ---- the equaliser (InputEq.cpp) -------------------------------------
    // Loads the music input of the active source into bands 0..14 (the
    // equaliser half disabled for a source without one). Always 1.
    int Refresh() override;
    void LayoutForEqMode(int mode);
    void LoadBand(int band);
    void ShowBandBypass(bool flat, int band);
    void ShowAllBypass();
    void HighlightBandLabel(int band, bool on);
    void SelectBand(int band);
    void HighlightEdit(int band, int kind, bool on);

    void OnBandFreq(int band);
    void OnBandQ(int band);
    void OnBandGain(int band);
    void OnBandSlider(int band, bool moved);
    void OnBandBypass(int band);
    void OnBypassAll();
    void OnResetEq();
    void OnEqMode();
    void OnGraphBandChanged(int band, int channel);
    void OnGraphBandSelected(int band, int channel);
    void OnFocusStep(int fieldId, int key);
    void OnEnterStep(int fieldId);
    void FocusNext(int fieldId);
    void FocusPrevious(int fieldId);
    // The first field of the ring takes the focus when no field has it.
    void FocusFirstField();

    // ---- state, for the tests and the gallery -----------------------------
    QWidget* Control(int id) const;
    CNumEdit* Field(int id) const;
    CNumSpin* Spin(int id) const;
    CBitmapSlider* Fader(int band) const;
    CPictureButton* BypassButton(int band) const;
    CBitButton* BitButton(int id) const;
    CFontStatic* BandLabel(int band) const;
    CEqGraph* Graph() const { return m_Graph; }
    CInputConnectorStrip* Strip() const { return m_Strip; }
    CMusic_InData* Input() const { return m_Input; }
    CFontStatic* HighlightedLabel() const { return m_HighlightedLabel; }
    CNumEdit* HighlightedField() const { return m_HighlightedField; }
    // Whether the equaliser half takes edits (a music input, no lock).
    bool EqEditable() const;
    // The pictures of a button as last set (six looks, then two disabled).
    struct Looks {
        unsigned ids[8] = {};
    };
    Looks ButtonLooks(int id) const;

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void InitControls();
    void CreateBandColumns();
    void CreateFrameButtons();
    void LayoutSourceButtons();
    void Register(QWidget* control, int id);
    CBitButton* NewButton(int id, const QRect& dlu);
    void SetButtonLooks(int id, std::initializer_list<unsigned> six, unsigned disabledOff = 0,
                        unsigned disabledOn = 0);
    void ShowActiveSourceIndicator();
    void SourceButtonPictures(bool locked);
    void UncheckSourceButton(int source);
    void CheckSourceButton(int source);
    // Every source or mode choice tells the level and delay page first and
    // clears the input lock (sending the master record).
    void NotifySourceChange();
    void FlushViewMessages();
    // The common end of a source choice: made active, the second source
    // follows, command 2, the controls, the view's queue.
    void MakeSourceActive(int source, int hook);
    void SetWays(int twoWay);

    void OnCommand(int id, int code);
    // Key filter of the numeric fields; true when the key was taken.
    bool OnFieldKey(QWidget* field, int key);
    // The band's filter of the active input; null without one.
    CFilter* BandFilter(int band) const;
    // Shows a stored value through a spin; false when the user asked for the
    // device's data (the data-exception question).
    bool Offer(CNumSpin* spin, int value);
    void EnableEqControls(bool enable);
    void MoveFocus(int id, int band);
    void AfterBandEdit(int band, int kind);

    struct BandColumn {
        CFontStatic* label = nullptr;
        CNumEdit* freq = nullptr;
        CNumSpin* freqSpin = nullptr;
        CNumEdit* q = nullptr;
        CNumSpin* qSpin = nullptr;
        CNumEdit* gain = nullptr;
        CNumSpin* gainSpin = nullptr;
        CBitmapSlider* fader = nullptr;
        CPictureButton* bypass = nullptr;
        // Places recorded at set-up.
        QRect freqPlace, gainPlace, faderPlace, columnPlace;
    };
    std::array<BandColumn, kBandCount> m_Bands;
    std::unordered_map<int, QWidget*> m_Controls;
    std::unordered_map<int, Looks> m_Looks;
    std::array<QRect, 6> m_SourcePlaces;

    CEqGraph* m_Graph = nullptr;
    CInputConnectorStrip* m_Strip = nullptr;
    CMusic_InData* m_Input = nullptr;
    skin::LanguagePixmap m_Page{383, 389};

    CFontStatic* m_HighlightedLabel = nullptr;
    CNumEdit* m_HighlightedField = nullptr;
    int m_AllBypass = 0;
    int m_EqMode = 0;
    bool m_Locked = false;
};
