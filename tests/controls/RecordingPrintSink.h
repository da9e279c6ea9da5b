// A print sink that keeps what a job drew instead of printing it: a paint
// device of a chosen size and resolution whose engine records every text
// (with its page and position) and every line, and the document's calls.
// Faults can be set for a document or a page that fails to start or end.
#pragma once

#include "controls/PrinterJob.h"

#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QRectF>
#include <QTextItem>
#include <QTransform>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

struct RecordedText {
    int page;
    QPointF at; // the baseline's left end, in device units
    QString text;
    QFont font;
};

struct RecordedLine {
    int page;
    QLineF line;
};

class RecordingPaintEngine : public QPaintEngine {
public:
    RecordingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back({page, transform_.map(p), item.text(), item.font()});
    }
    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i)
            this->lines.push_back({page, transform_.map(lines[i])});
    }
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i)
            this->lines.push_back({page, transform_.map(QLineF(lines[i]))});
    }
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    Type type() const override { return QPaintEngine::User; }

    int page = 0;
    std::vector<RecordedText> texts;
    std::vector<RecordedLine> lines;

private:
    QTransform transform_;
};

class RecordingPaintDevice : public QPaintDevice {
public:
    RecordingPaintDevice(QSize size, int dpi) : size_(size), dpi_(dpi) {}
    ~RecordingPaintDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }
    RecordingPaintEngine& Engine() const { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return static_cast<int>(size_.width() * 25.4 / dpi_);
        case PdmHeightMM:
            return static_cast<int>(size_.height() * 25.4 / dpi_);
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi_;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    QSize size_;
    int dpi_;
    mutable RecordingPaintEngine engine_;
};

class RecordingPrintSink : public CPrintSink {
public:
    RecordingPrintSink(QSize size = QSize(1000, 1400), int dpi = 120) : device_(size, dpi) {}
    // The job owns its sink: a test reads the record as the sink goes.
    ~RecordingPrintSink() override {
        if (painter_.isActive()) painter_.end();
        if (onClose) onClose(*this);
    }
    RecordingPrintSink(const RecordingPrintSink&) = delete;
    RecordingPrintSink& operator=(const RecordingPrintSink&) = delete;

    QPaintDevice* Device() override { return &device_; }
    QPainter* Painter() override { return &painter_; }
    QString OutputFile() const override { return dialogFile; }
    bool StartDoc(const QString& name, const QString& output) override {
        docName = name;
        outputFile = output;
        ++docsStarted;
        return !failStartDoc;
    }
    bool StartPage() override {
        ++pages;
        device_.Engine().page = pages;
        return painter_.begin(&device_);
    }
    bool EndPage() override {
        painter_.end();
        return pages != failEndPage;
    }
    bool EndDoc() override {
        ++docsEnded;
        return true;
    }
    void AbortDoc() override { ++docsAborted; }

    const std::vector<RecordedText>& Texts() const { return device_.Engine().texts; }
    const std::vector<RecordedLine>& Lines() const { return device_.Engine().lines; }
    // The texts of one page, in the order they were drawn.
    std::vector<RecordedText> TextsOnPage(int page) const {
        std::vector<RecordedText> out;
        for (const RecordedText& t : Texts())
            if (t.page == page) out.push_back(t);
        return out;
    }
    bool HasText(int page, const QString& text) const {
        const auto on = TextsOnPage(page);
        return std::any_of(on.begin(), on.end(),
                           [&](const RecordedText& t) { return t.text == text; });
    }

    std::function<void(const RecordingPrintSink&)> onClose;
    QString dialogFile; // a file the print dialog chose itself
    bool failStartDoc = false;
    int failEndPage = 0; // the page whose end fails (0: none)
    QString docName, outputFile;
    int docsStarted = 0, docsEnded = 0, docsAborted = 0, pages = 0;

private:
    RecordingPaintDevice device_;
    QPainter painter_;
};

// A print dialog that answers from a script: the range, the print-to-file
// choice, or a cancel; the pages go to a recording sink it hands over
// (installed for its lifetime).
class ScriptedPrintDialog : public IPrintDialog {
public:
    ScriptedPrintDialog() : previous_(SetPrintDialog(this)) {}
    ~ScriptedPrintDialog() override { SetPrintDialog(previous_); }
    ScriptedPrintDialog(const ScriptedPrintDialog&) = delete;
    ScriptedPrintDialog& operator=(const ScriptedPrintDialog&) = delete;

    bool Run(CPrintInfo& info) override {
        ++shown;
        shownMin = info.GetMinPage();
        shownMax = info.GetMaxPage();
        if (cancel) return false;
        if (from > 0) info.m_nFromPage = from;
        if (to > 0) info.m_nToPage = to;
        info.m_bPrintToFile = printToFile;
        if (makeSink) info.m_pSink = makeSink();
        return true;
    }

    std::function<std::unique_ptr<CPrintSink>()> makeSink;
    bool cancel = false;
    bool printToFile = false;
    int from = 0, to = 0; // 0: the dialog's own
    int shown = 0, shownMin = 0, shownMax = 0;

private:
    IPrintDialog* previous_;
};
