// CEqGraph: the frequency-response graph of one equaliser. It draws a
// logarithmic frequency axis (20 Hz .. 20 kHz) and a gain axis (+12 .. -12
// dB) with their grid and texts, the curve of the channel being edited, the
// number of every band on its handle, the outline and value of the band under
// the mouse or selected by the page, and on the output page the curves of the
// other outputs the curve toggles show (g_ShowCurve).
//
// The mouse edits the bands through the filters' own drag operations: a
// band's handle (frequency and gain), its bandwidth edges, or a crossover
// handle (frequency, bounded by the other crossover). The owner hears of it
// on a 200 ms timer: WM_USER+100 (band index, channel code) once after a drag
// changed a band, and again on every tick after a release until it clears the
// released flag; WM_USER+101 (0, 0) when the graph loses the focus.
//
// The graph never owns the model's objects and draws without changing a
// setting. What it draws is kept: the channels' curves are formed again, the
// other outputs' curves and the whole picture drawn again, only when a
// channel's change count (or the graph's own state) moved since.
#pragma once

#include "controls/ControlTimer.h"
#include "model/GraphTypes.h"
#include "platform/Message.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <vector>

class CEffect_Data;
class CFilter;
class CKTVEQ;
class CKTV_Data;
class CKTV_OutData;
class CMIC_InData;
class CMusic_InData;
class QPainter;

// Messages to the owner (posted).
enum : unsigned {
    WM_GRAPH_BAND_CHANGED = WM_USER + 100, // (band index, channel code)
    WM_GRAPH_FOCUS_LOST = WM_USER + 101,   // (0, 0)
};

class CEqGraph : public platform::MessageTarget<QWidget> {
public:
    // What the graph shows.
    enum Mode : int {
        kModeEmpty = 0,
        kModeEffect = 1,
        kModeMic = 2,
        kModeMusic = 3,
        kModeOutput = 4
    };
    // Attach types that hand the plotting area to the model's channels.
    enum AttachType : int { kAttachMusic = 3, kAttachOutput = 4 };

    static constexpr int kTimerPeriodMs = 200;
    // The plotting area inside the control.
    static constexpr int kMarginLeft = 40, kMarginTop = 10, kMarginRight = 10, kMarginBottom = 20;
    static constexpr int kGridCount = 27;
    static constexpr int kWatermarkId = 1268;
    // Where the watermark sits in the control.
    static constexpr int kWatermarkX = 318, kWatermarkY = 65;

    explicit CEqGraph(QWidget* parent = nullptr);
    ~CEqGraph() override;

    // The window that receives the notifications.
    void SetOwner(QObject* owner);
    // Takes the model and lays the control out; type 3 hands the plotting
    // area to every music input, type 4 to every output, so their filters
    // place curves and handles in this control's pixels. Starts the timer.
    void Attach(CKTV_Data* data, int type);

    // The channel shown; an index outside its route is ignored.
    void ShowEffect();
    void ShowMic(int n);
    void ShowMusic(int n);
    void ShowOutput(int n);
    void SetMode(int mode);
    int GetMode() const { return mode_; }
    // Selects band `band` (-1 none) and draws the picture again. In modes 3
    // and 4 a selected band becomes the hovered band and the band code.
    void Redraw(int band);
    // Drops the hovered band, then enables or disables the graph.
    void EnableGraph(bool enable);
    virtual void Enable(bool enable);
    void StopTimer();

    // The left button was released since the last press; the owner clears it.
    bool IsReleased() const { return released_; }
    void ClearReleased() { released_ = false; }
    // The page lets go of the band the graph holds.
    void ClearHovered() { hovered_ = nullptr; }

    // --- State, for the pages and the tests ---------------------------------
    int GetBandCode() const { return bandCode_; }
    int GetChannelCode() const { return channelCode_; }
    int GetSelectedBand() const { return selectedBand_; }
    int GetOutputIndex() const { return outputIndex_; }
    CFilter* GetHovered() const { return hovered_; }
    CKTVEQ* GetEq() const { return eq_; }
    bool IsOverHandle() const { return overHandle_; }
    bool IsChanged() const { return changed_; }
    QRect ClientRect() const { return clientRect_; }
    QRect PlotRect() const { return graphRect_; }
    int GridX(int i) const { return i >= 0 && i < kGridCount ? gridX_[i] : 0; }
    ControlTimer& NotifyTimer() { return timer_; }

    // Draws the whole control into a painter in the control's coordinates
    // (what a paint event shows).
    void PaintTo(QPainter& painter);
    // How many times the whole picture, and a layer of other outputs'
    // curves, were drawn (a seam for the tests).
    int PictureDraws() const { return pictureDraws_; }
    int LayerDraws() const { return layerDraws_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Show(CKTVEQ& eq, int kind, int mode, int channelCode);
    // Layout of the control's rectangle; hands the plotting area on.
    void Layout();
    void HandPlotArea();
    // Which band the picture highlights (and, in modes 3 and 4, the state
    // that the selection sets).
    CFilter* Highlighted() const;
    void TakeSelection();
    // Mouse steps.
    bool TracksMouse() const;
    void MoveStep(GraphPoint p);
    void CrossoverStep(CFilter& h, GraphPoint p);
    void PressStep(GraphPoint p);
    void ReleaseStep();
    int CrossoverBound(const CFilter& h) const;
    void UpdateCursor();
    void OnTimer();
    void Repaint();

    // Painting.
    // Everything the picture is drawn from, for a painter like target.
    std::vector<std::uint64_t> PictureKey(const QPainter& target, qreal dpr) const;
    // Forgets what was drawn (another model: its counts say nothing).
    void DropPictures();
    void DrawPicture(QPainter& p);
    void PaintBackground(QPainter& p) const;
    void PaintPicture(QPainter& p);
    void PaintGrid(QPainter& p, int divisions) const;
    void PaintOverlayPass(QPainter& p);
    void PaintShownOutputs(QPainter& p);
    // The other outputs shown by their toggles, each as its index and the
    // change count of its curve (brought up to date here).
    std::vector<std::uint64_t> ShownOutputsKey(std::vector<CKTV_OutData*>* shown);
    void PaintChannelCurve(QPainter& p);
    void PaintBandLabels(QPainter& p, bool colourSelected) const;
    void PaintEdgeHandles(QPainter& p, const QColor& pen) const;
    void PaintValueLabel(QPainter& p, const QColor& colour);

    QPointer<QObject> owner_;
    CKTV_Data* data_ = nullptr;
    CEffect_Data* effect_ = nullptr;
    CMIC_InData* currentMic_ = nullptr;
    CMusic_InData* currentMusic_ = nullptr;
    CKTV_OutData* currentOut_ = nullptr;
    CKTVEQ* eq_ = nullptr;
    CFilter* hovered_ = nullptr;
    int gridX_[kGridCount] = {};
    QRect clientRect_;
    QRect graphRect_;
    int attachType_ = 0;
    bool overHandle_ = false;
    bool lastDragResult_ = false;
    bool changed_ = false;
    int bandCode_ = 0;
    int selectedBand_ = -1;
    int mode_ = kModeEmpty;
    int kind_ = 0;
    int channelCode_ = 0;
    int outputIndex_ = 0;
    bool released_ = false;
    ControlTimer timer_;
    // Curves of outputs other than the one edited, drawn over a clear
    // plotting area and kept while none of them changes (a drag changes only
    // the current one): the outputs shown by their toggles, and the overlay
    // pass of the other modes.
    struct CurvesLayer {
        QImage image;
        QRect area;
        std::vector<std::uint64_t> key; // output by output: index, change count
    };
    CurvesLayer shownLayer_;
    CurvesLayer overlayLayer_;
    // The whole control as last drawn, and what it was drawn from.
    struct PictureState {
        std::vector<std::uint64_t> key;
        QImage image;
    };
    PictureState picture_;
    int pictureDraws_ = 0;
    int layerDraws_ = 0;
};

// The name the output page gives the same graph.
using CCFStatic = CEqGraph;
