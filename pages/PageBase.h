// What the main view asks of the windows of its page area (output page, mix
// page, lock panel), of the twelve output strips and of the master level bar.
// Each window derives from its base here and overrides what it has; the view
// calls only these, and the windows reach the view through IPageHost.
#pragma once

#include "platform/Message.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>
#include <QWidget>

#include "pages/PageHost.h"

class CKTV_Data;
class CKTV_OutData;

// A page of the page area. Hidden pages keep their place; the view shows one.
class CViewPage : public platform::MessageTarget<QWidget> {
public:
    explicit CViewPage(QWidget* parent);

    virtual void SetView(IPageHost* view) { m_View = view; }
    virtual void SetChannelArray(CKTV_Data* data) { m_Data = data; }

    // The output page: every control from the model (0: stopped early), the
    // current output's controls, the first band field takes the focus.
    virtual int RefreshAll() { return 1; }
    virtual void RefreshChannel() {}
    virtual void FocusFirstBand();
    // The mix page: builds its controls; loads the current output (0: stopped early).
    virtual void Init() {}
    virtual int Refresh() { return 1; }
    virtual void ApplyLanguage() { update(); }
    // The mix page lays out its rows for an input source.
    virtual void LayoutForInputMode(int /*source*/) {}
    // The mix page: a speaker type's mix levels into an output (shown when
    // the output is the one on the page).
    virtual void ApplySpeakerTypePreset(int /*output*/, unsigned /*type*/) {}
    // The mix page's tiles, before and after the current output changes.
    virtual void ChannelChanging() {}
    virtual void ChannelChanged() {}
    // The output page: an output joins (on) or leaves the current output's
    // group: the response graph is redrawn and the position button of the
    // output's speaker type marked or unmarked.
    virtual void MarkGroupMember(int /*output*/, bool /*on*/) {}
    // The output page's graph is redrawn with no band selected.
    virtual void ClearBandSelection() {}
    // The output page: output n becomes current and its controls are loaded.
    virtual void SelectOutput(int /*output*/) {}
    // The output page: the model's on flag or polarity of an output (the
    // view's answers to WM_USER+202 and +207), and the mute button's look.
    virtual void SetChannelOn(int /*output*/, int /*on*/) {}
    virtual void SetChannelPolarity(int /*output*/, int /*polarity*/) {}
    virtual void ShowMuteCheck(bool /*checked*/) {}
    // The output page: the crossover controls, or the 31 bands, from the model
    // (after a speaker-type change, an EQ reset); band 30 leaves its phase setting.
    virtual void RefreshCrossover() {}
    virtual void RefreshBands() {}
    virtual void CheckTopBand(int /*band*/) {}
    // The output page: a numeric field takes the keyboard focus (the master
    // strip's focus ring continues on the page).
    virtual void FocusField(int /*id*/) {}
    // The view's key filter hands the page its keys first; true eats the key.
    virtual bool PreTranslateKey(QWidget* /*focus*/, QKeyEvent* /*key*/) { return false; }

    // The response graph is drawn again, its band selection kept.
    virtual void RedrawGraph() {}
    // The channel mute button goes off (an output level was set).
    void ClearChannelMute() { ShowMuteCheck(false); }
    // The level (gain word) the page last showed for an output: a level
    // change spreads its difference from it over the output's link group.
    virtual int PanelLevel(int output) const;
    virtual void SetPanelLevel(int output, int level);

protected:
    // A press on a page is the page's, not a drag of the main window.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

    IPageHost* m_View = nullptr;
    CKTV_Data* m_Data = nullptr;
    int m_PanelLevel[12] = {};
};

// One output strip of the strip row (template 110).
class CStripBase : public platform::MessageTarget<QWidget> {
public:
    explicit CStripBase(QWidget* parent);

    virtual void SetBackgroundBitmap(int normal, int hover, int down, int disabled);
    virtual void SetCaptionBitmaps(int normal, int hover, int on);
    virtual void SetLanguage(int chinese);
    // The caption shows the output's speaker type.
    virtual void UpdateCaption();
    virtual void SetCaptionChecked(bool on);
    virtual void SetSelected(bool on);
    virtual void ShowGain(int word) { m_LevelValue = word; }
    // The speaker-type button (off while the left/right link is on).
    virtual void EnableSpeakerTypeButton(bool on) { m_SpeakerTypeEnabled = on; }
    // Mix toggle 1..16: source n is part of the output's mix (state non-zero).
    virtual void SetToggle(int source, int state);
    int Toggle(int source) const { return source >= 1 && source <= 16 ? m_Toggles[source - 1] : 0; }
    // The link button shows the joint-editing group of a link key (language switch).
    virtual void ShowLinkGroup(int /*key*/) {}

    bool IsCaptionChecked() const { return m_CaptionChecked; }
    bool IsSpeakerTypeEnabled() const { return m_SpeakerTypeEnabled; }
    bool IsSelected() const { return m_Selected; }

    int m_OutputIndex = 0;
    CKTV_OutData* m_Output = nullptr;
    IPageHost* m_View = nullptr;
    int m_Mask = 0;
    int m_LevelValue = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

    int m_Background[4] = {};
    int m_Caption[3] = {};
    int m_Chinese = 0;
    bool m_CaptionChecked = false;
    bool m_Selected = false;
    bool m_SpeakerTypeEnabled = true;
    QString m_CaptionText;
    int m_Toggles[16] = {};
};

// The master level bar (template 737).
class CLevelBarBase : public platform::MessageTarget<QWidget> {
public:
    explicit CLevelBarBase(QWidget* parent);

    void SetView(IPageHost* view) { m_View = view; }
    void SetChannelArray(CKTV_Data* data) { m_Data = data; }

    virtual void SetBackgroundBitmap(int id);
    virtual void SetListButtonBitmaps(int normal, int hover);
    virtual void AddListString(const QString& text);
    virtual void SetListSelection(int index);
    // transparent: the colour left out of the picture, 0xFF000000 for none.
    virtual void SetSliderChannelBitmap(int id, int activeId, unsigned transparent);
    virtual void SetSliderThumbBitmap(int id, int activeId, unsigned transparent);
    virtual void SetSliderRange(int lower, int upper, bool redraw);
    virtual void SetValue(int value);
    virtual int GetValue() const { return m_Value; }
    // The master mute button: checked while the master is off.
    virtual void SetMuteCheck(bool on) { m_MuteChecked = on; }
    bool IsMuteChecked() const { return m_MuteChecked; }
    virtual void ApplyLanguage() { update(); }

    int Background() const { return m_BackgroundId; }
    QStringList ListStrings() const { return m_List; }
    int ListSelection() const { return m_ListSelection; }
    int RangeLower() const { return m_Lower; }
    int RangeUpper() const { return m_Upper; }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

    IPageHost* m_View = nullptr;
    CKTV_Data* m_Data = nullptr;
    int m_BackgroundId = 0;
    int m_ListBitmaps[2] = {};
    QStringList m_List;
    int m_ListSelection = -1;
    int m_Channel[2] = {};
    int m_Thumb[2] = {};
    int m_Lower = 0;
    int m_Upper = 100;
    int m_Value = 0;
    bool m_MuteChecked = false;
};
