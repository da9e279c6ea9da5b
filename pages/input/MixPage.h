// The input mix page (template 965): for the output being edited, one row
// per input source 1..18 sets the level (0..100) at which that source is
// mixed into the output. A row has an edit with its hidden spin, a fader, an
// on/off switch, and for its dimmed look an indicator, a value text and a
// grey fader in the same places; rows 1..16 also have hidden step buttons.
//
// Every change of a row (typed, spun, stepped, dragged, switched, a speaker
// type's preset) shows the level on every control of the row, stores it in
// the output's channel object (which marks the item for the send poller while
// the device is synchronised) and ends in one send step, WM_USER+8030, whose
// message carries its own output, source and level: it writes the level byte
// of that output's block in the image and tells the view, so that the output
// strip's mix switch of the source follows.
//
// Which rows are live, dimmed or hidden follows the active source and the
// device variant (LayoutForInputMode); the page picture lights the rows of
// the active source.
#pragma once

#include "pages/PageBase.h"
#include "pages/input/MixRows.h"
#include "pages/input/MixTile.h"

#include <QRect>

#include <array>
#include <set>
#include <utility>

class CBitButton;
class CBitmapSlider;
class CNumEdit;
class CNumSpin;
class CTransparentStatic;

class CMixPage : public CViewPage {
public:
    // The page's own messages.
    static constexpr unsigned kKeyFocusMessage = WM_USER + 700;  // (edit id, 37 back / 39 on)
    static constexpr unsigned kNextFocusMessage = WM_USER + 701; // (edit id, 0)
    static constexpr unsigned kRepaintMessage = WM_USER + 8028;  // (source, 0)
    static constexpr unsigned kOutputMessage = WM_USER + 8029;   // (output, any)
    static constexpr unsigned kLevelMessage = WM_USER + 8030;    // (PackMixChange, level)
    static constexpr int kKeyBack = 37;
    static constexpr int kKeyOn = 39;
    // Indicator pictures: level 0, level above 0.
    static constexpr unsigned kIndicatorOff = 1310;
    static constexpr unsigned kIndicatorOn = 1311;
    // The dimmed value texts' colour.
    static constexpr QRgb kValueTextColor = 0xFF7E8082; // RGB(126, 128, 130)

    // The controls of one row (step buttons null for rows 17 and 18).
    struct Row {
        CNumEdit* edit = nullptr;
        CNumSpin* spin = nullptr;
        CBitmapSlider* fader = nullptr;
        CBitmapSlider* greyFader = nullptr;
        CTransparentStatic* value = nullptr;
        CBitButton* onOff = nullptr;
        CBitButton* indicator = nullptr;
        CBitButton* stepDown = nullptr;
        CBitButton* stepUp = nullptr;
    };

    explicit CMixPage(QWidget* parent = nullptr);
    ~CMixPage() override;

    // Pictures, ranges, value types, tooltips, the dimmed controls hidden;
    // then Refresh.
    void Init() override;
    // Binds the page to the current output and loads its 18 levels. A level
    // above 100 shows as 100; while a device is connected the user is asked
    // once whether to fetch the device's data again (not again for the same
    // damaged values), about the rows the page has a place for only
    // (MixRowHasPlace). 0 when the device was asked for its data again.
    int Refresh() override;
    // The tiles' hook; tooltips follow the language.
    void ApplyLanguage() override;
    // Rows 1..16 live, dimmed or hidden for the active source code and the
    // device variant; repaints the whole page (the picture follows the code).
    void LayoutForInputMode(int code) override;
    // The speaker type's mix levels of sources 1..16 into the output's
    // object; on the page when the output is the one shown. Sources 17 and
    // 18 keep their levels.
    void ApplySpeakerTypePreset(int output, unsigned type) override;
    // The tiles' hooks before and after the current output changes.
    void ChannelChanging() override;
    void ChannelChanged() override;
    // Puts rows 1..16 into a two-column grid in source order, rows 11 and 12 live.
    void ArrangeRows();
    // The on/off switch of a source: off keeps the level to come back to;
    // on brings it back (100 when it was 0).
    void SwitchSource(int source);
    // The focus ring over the 18 edits; the edit moved to (0: none).
    int FocusNextEdit(int editId);
    int FocusPreviousEdit(int editId);

    // What the page shows.
    const Row& RowOf(int source) const;
    int LevelMemory(int source) const;
    int BoundOutput() const { return m_BoundOutput; }
    int WorkingLevel() const { return m_WorkingLevel; }
    CMixTile& Tile(int i) { return m_Tiles[static_cast<size_t>(i)]; }
    // The page picture for the language and active source code; 0 for none.
    static int PagePicture(int chinese, int code);
    // The picture the page paints now.
    int CurrentPagePicture() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PlaceRows(int variant);
    void SetTooltips();
    void SetRowState(int source, MixRowState state);
    // Every control of the row shows the level.
    void ShowRow(int source, int level);
    // A row's change: shown, remembered when asked, stored and sent.
    void ApplyLevel(int source, int level, bool remember);
    // The output's object takes the level; the send step follows.
    void StoreLevel(int output, int source, int level);
    bool AskAboutDamage(const std::set<std::pair<int, int>>& damage);

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnFader(WPARAM id, LPARAM);
    LRESULT OnMixLevelChanged(WPARAM change, LPARAM level);
    LRESULT OnRequestOutput(WPARAM output, LPARAM);
    LRESULT OnRowSelected(WPARAM source, LPARAM);
    LRESULT OnKeyFocus(WPARAM editId, LPARAM key);
    LRESULT OnNextFocus(WPARAM editId, LPARAM);
    void OnLevelTyped(int source);
    void OnLevelSpun(int source);
    void OnStep(int source, int delta);

    std::array<Row, kMixRowCount> m_Rows{};
    std::array<CBitButton*, 16> m_Spares{};
    std::array<CMixTile, 12> m_Tiles;
    CKTV_OutData* m_Output = nullptr;
    int m_BoundOutput = 0;
    int m_WorkingLevel = 0;
    std::array<int, kMixRowCount> m_LevelMemory{};
    // Damaged levels (source, value) the user was already asked about.
    std::set<std::pair<int, int>> m_DamageAsked;
    // Source 1's fader, edit and on/off switch, measured at set-up.
    QRect m_FaderRect, m_EditRect, m_OnOffRect;
};
