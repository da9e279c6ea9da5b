// CPositionButtons: the 24 speaker-position buttons of the output page (ids
// 4600..4623), laid out as a car seen from above in the page's top-left
// corner. A type's button shows while some output carries the type and is
// checked while that output is the current one; a click on a shown button
// makes its output current on every page. The buttons sit on a transparent
// layer of their own over the output page, which handles their clicks.
#pragma once

#include "pages/PageBase.h"

#include "controls/PngButton.h"

#include <QPoint>

class CPositionButtons : public platform::MessageTarget<QWidget> {
public:
    static constexpr int kFirstId = 4600;
    static constexpr int kCentreWooferId = 4600;
    static constexpr int kCentreTweeterId = 4601;
    static constexpr int kCentreFullId = 4602;
    static constexpr int kSubwooferId = 4623;
    // The layer's place on the output page.
    static QRect Area() { return QRect(0, 0, 228, 200); }

    // page: the output page the layer lies on; view: the main view.
    CPositionButtons(QWidget* page, IPageHost* view);
    void SetView(IPageHost* view) { m_View = view; }

    // The button id of a speaker type 1..24; 0 for any other type.
    static int ButtonId(int type);
    // The type of a button id; 0 for an id that is none of them.
    static int TypeOfButton(int id);
    CPngButton* Button(int type) const;

    // Every button unchecked and hidden, then the buttons of the outputs'
    // types shown (the current output's checked).
    void ShowPositionButtons();
    void ShowPositionButton(int type, bool checked, int output);
    void HidePositionButton(int type);
    void CheckPositionButton(int type, bool checked);
    void SetPositionButtonVisible(int type, bool show);
    // The click of a type's button: its output becomes current.
    void OnPositionButton(int type);
    // For the outputs linked with `output` (not itself): the graph loses its
    // band selection and their buttons go unchecked, or (mark) their strips
    // are checked and selected and their buttons checked.
    void ClearLinkedPanels(int output);
    void MarkLinkedPanels(int output);
    // After a preset file: with the left/right link on and no typed output
    // the link goes off; with the current output untyped the first typed
    // output becomes current.
    void ValidateLRLink();
    // The source side of the left/right pairs; nothing uses it.
    void ReadPairSource(int /*direction*/) {}

    int LastChosenOutput() const { return m_LastChosen; }
    // The places of the centre buttons (woofer, tweeter, tweeter alone).
    QPoint CentreWooferPlace() const { return m_WooferPlace; }
    QPoint CentreTweeterPlace() const { return m_TweeterPlace; }
    QPoint CentreTweeterAlonePlace() const { return m_TweeterAlonePlace; }

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Both centre buttons at their places, or the tweeter at its place alone.
    void PlaceCentreButtons();

    IPageHost* m_View;
    CPngButton* m_Buttons[24] = {};
    int m_LastChosen = 0;
    QPoint m_WooferPlace;
    QPoint m_TweeterPlace;
    QPoint m_TweeterAlonePlace;
};
