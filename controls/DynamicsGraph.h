// CDynamicsGraph: the small transfer-curve graph of one output's limiter
// and compressor on the system page. Input level across, output level up,
// both from -30 dB to +12 dB, with the 1:1 reference dashed in grey, the
// curve in the output's colour and a round yellow handle where the limiter
// takes over. It reacts to the mouse only with a hover and a drag state (and
// the diagonal cursor over the handle); it sends nothing and changes nothing.
//
// The model keeps none of the limiter level, compressor level and ratio: the
// graph reads the model's readers when it takes a channel, and the page hands
// it the values of its fields with SetLevels.
#pragma once

#include "controls/core/DynamicsCurve.h"
#include "model/KTVEQ.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>

class CKTV_Data;
class CKTV_OutData;
class QPainter;

class CDynamicsGraph : public QWidget {
public:
    // The only mode that draws and follows the mouse.
    static constexpr int kModeCurve = 3;
    static constexpr int kMarginLeft = 20, kMarginTop = 5, kMarginRight = 10, kMarginBottom = 15;
    static constexpr int kHandleSize = 6;
    // Text cell height of the scales: small enough that the input levels
    // under the narrow graph of the system page do not run into each other.
    static constexpr int kFontHeight = 11;

    explicit CDynamicsGraph(QWidget* parent = nullptr);
    ~CDynamicsGraph() override;

    // Lays the graph out in the control's rectangle (also on every resize).
    void InitLayout();
    void SetMode(int mode);
    int GetMode() const { return mode_; }
    void SetData(CKTV_Data* data);
    // Takes output n: its item-35 values, the levels the model reads back,
    // and the colour of outputs 1 to 8 (another n keeps the colour); draws.
    void SetChannel(int n);
    // Reads the output's item-35 values again and draws.
    void Refresh();
    // The page's limiter level, compressor level and ratio; draws.
    void SetLevels(const dynamics::Levels& levels);
    const dynamics::Levels& GetLevels() const { return levels_; }
    // Controls of a dialog that keeps them next to the graph (not read).
    void SetLinkedControlsA(QWidget* a, QWidget* b);
    void SetLinkedControlsB(QWidget* a, QWidget* b);

    // --- State, for the page and the tests ------------------------------------
    int GetChannel() const { return channel_; }
    QColor CurveColor() const { return curveColor_; }
    QRect ClientRect() const { return clientRect_; }
    QRect PlotRect() const { return graphRect_; }
    QRect HandleRect() const { return handleRect_; }
    const dynamics::Curve& GetCurve() const { return curve_; }
    const ItemRecord& GetDynamicsCopy() const { return dynamicsCopy_; }
    double UnitX() const { return unitX_; }
    double UnitY() const { return unitY_; }
    bool IsHovering() const { return hovering_; }
    bool IsDragging() const { return dragging_; }

    // Draws the control into a painter in the control's coordinates.
    void PaintTo(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void UpdateUnits();
    void UpdateCurve();
    void UpdateCursor();

    CKTV_Data* data_ = nullptr;
    CKTV_OutData* output_ = nullptr;
    ItemRecord dynamicsCopy_{};
    dynamics::Levels levels_;
    dynamics::Curve curve_;
    QRect clientRect_;
    QRect graphRect_;
    QRect handleRect_;
    int mode_ = 0;
    int channel_ = 0;
    QFont font_;
    double unitX_ = 0.0;
    double unitY_ = 0.0;
    bool dragging_ = false;
    bool hovering_ = false;
    QColor curveColor_{0, 0, 0, 255};
    QPointer<QWidget> linkedA_[2];
    QPointer<QWidget> linkedB_[2];
};
