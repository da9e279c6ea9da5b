// CCurveToggleStrip: the bar of twelve curve toggles beside the output page's
// graph (template 967). A toggle switches whether the graph also draws that
// output's response curve (g_ShowCurve); toggling another output than the
// current one has the page load its controls and redraw the graph.
#pragma once

#include "platform/Message.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class CBitButton;

class CCurveToggleStrip : public platform::MessageTarget<QWidget> {
public:
    static constexpr int kOutputs = 12;
    // The button of each output, in output order.
    static constexpr int kButtonIds[kOutputs] = {2839, 2840, 2819, 2820, 2821, 2822,
                                                 2823, 2824, 2825, 2826, 2827, 2828};

    explicit CCurveToggleStrip(QWidget* parent = nullptr);

    CBitButton* Button(int output) const;
    // What a click of output n's button does.
    void OnCurveButton(int output);

protected:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<CBitButton*, kOutputs> m_Buttons{};
    QPixmap m_Background; // 968
};
