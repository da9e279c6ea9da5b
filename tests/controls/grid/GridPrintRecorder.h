// A print target that keeps what each page shows: the texts drawn (with
// their place on the paper) and how many lines and rectangles, so that a test
// reads a printout without a printer.
#pragma once

#include "controls/grid/GridCtrl.h"

#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPointF>
#include <QString>
#include <QTransform>

#include <vector>

struct RecordedText {
    QString text;
    QPointF at; // on the paper
};

struct RecordedPage {
    std::vector<RecordedText> texts;
    int lines = 0;
    int horizontal = 0; // of the lines, those across the paper
    int vertical = 0;   // and those down it
    int rects = 0;
    bool Shows(const QString& text) const {
        for (const RecordedText& t : texts)
            if (t.text == text) return true;
        return false;
    }
};

class RecordingPaintEngine : public QPaintEngine {
public:
    explicit RecordingPaintEngine(std::vector<RecordedPage>* pages)
        : QPaintEngine(QPaintEngine::AllFeatures), pages_(pages) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        pages_->back().texts.push_back({item.text(), transform_.map(p)});
    }
    void drawLines(const QLineF* lines, int n) override {
        for (int i = 0; i < n; ++i)
            Count(lines[i]);
    }
    void drawLines(const QLine* lines, int n) override {
        for (int i = 0; i < n; ++i)
            Count(QLineF(lines[i]));
    }
    void drawRects(const QRectF*, int n) override { pages_->back().rects += n; }
    void drawRects(const QRect*, int n) override { pages_->back().rects += n; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    Type type() const override { return QPaintEngine::User; }

private:
    void Count(const QLineF& line) {
        RecordedPage& page = pages_->back();
        ++page.lines;
        page.horizontal += line.dy() == 0 && line.dx() != 0;
        page.vertical += line.dx() == 0 && line.dy() != 0;
    }

    std::vector<RecordedPage>* pages_;
    QTransform transform_;
};

class RecordingPaintDevice : public QPaintDevice {
public:
    RecordingPaintDevice(int width, int height, std::vector<RecordedPage>* pages)
        : width_(width), height_(height), engine_(pages) {}
    ~RecordingPaintDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return width_;
        case PdmHeight:
            return height_;
        case PdmWidthMM:
            return width_ * 254 / 3000;
        case PdmHeightMM:
            return height_ * 254 / 3000;
        case PdmNumColors:
            return 0xFFFFFF;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 300;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    int width_;
    int height_;
    mutable RecordingPaintEngine engine_;
};

class RecordingPrintTarget : public CGridPrintTarget {
public:
    RecordingPrintTarget(int width, int height, std::vector<RecordedPage>* pages, bool* aborted)
        : pages_(pages), aborted_(aborted), device_(width, height, pages) {
        pages_->clear();
        pages_->emplace_back();
        *aborted_ = false;
    }
    QPaintDevice* Device() override { return &device_; }
    void SetDocumentName(const QString& name) override { documentName = name; }
    bool NewPage() override {
        pages_->emplace_back();
        return true;
    }
    void Abort() override {
        *aborted_ = true;
        pages_->clear();
    }
    QString documentName;

private:
    std::vector<RecordedPage>* pages_;
    bool* aborted_;
    RecordingPaintDevice device_;
};
