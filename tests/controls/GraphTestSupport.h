// Helpers of the graph tests: a fresh model, a page that answers the
// equaliser graph as the output page does (it clears the released flag when
// it handles a notification), where ink of a colour lies in a picture, and
// every setting and mark of the model to prove that drawing changed none.
#pragma once

#include "tests/controls/ControlPage.h"
#include "tests/model/ModelFixture.h"

#include "controls/ControlTimer.h"
#include "controls/EqGraph.h"
#include "controls/GraphSnapshots.h"
#include "model/KTV_Data.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

namespace graphtest {

// A notification as the page saw it, with the released flag at that moment.
struct Notice {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
    bool released;
};

class GraphPage : public RecordingPage {
public:
    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        const bool released = graph && graph->IsReleased();
        notices.push_back({msg, wParam, lParam, released});
        if (msg == WM_GRAPH_BAND_CHANGED && released) graph->ClearReleased();
        return RecordingPage::WindowProc(msg, wParam, lParam);
    }
    // Delivers what was posted and hands over what arrived since the last call.
    std::vector<Notice> TakeNotices() {
        QCoreApplication::sendPostedEvents();
        std::vector<Notice> out;
        out.swap(notices);
        received.clear();
        return out;
    }

    CEqGraph* graph = nullptr;
    std::vector<Notice> notices;
};

// The output page's graph at its size over a fresh model, showing one output
// in mode 4, on a page that answers it; its timer ticks when a test fires it.
class OutputGraphTest : public ::testing::Test {
protected:
    void BuildGraph(int output) {
        ResetModelState();
        g_StartChoice = 1;
        model = std::make_unique<CKTV_Data>();
        page = std::make_unique<GraphPage>();
        page->resize(OutputGraphSize() + QSize(20, 20));
        graph = new CEqGraph(page.get());
        page->graph = graph;
        graph->resize(OutputGraphSize());
        graph->SetOwner(page.get());
        graph->Attach(model.get(), CEqGraph::kAttachOutput);
        graph->ShowOutput(output);
        graph->SetMode(CEqGraph::kModeOutput);
    }
    void TearDown() override {
        page.reset();
        g_DeviceSynced = 0;
    }

    ControlTimer::ManualTime manualTime; // before the graph starts its timer
    std::unique_ptr<CKTV_Data> model;
    std::unique_ptr<GraphPage> page;
    CEqGraph* graph = nullptr;
};

// The bounding box of the pixels inside `within` that match.
inline QRect InkBox(const QImage& img, const QRect& within,
                    const std::function<bool(QColor)>& match) {
    QRect box;
    const QRect r = within & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (match(img.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

inline std::function<bool(QColor)> Exactly(QColor c) {
    return [c](QColor p) { return p.rgb() == c.rgb(); };
}

// Near a colour: antialiased edges and text are blends.
inline std::function<bool(QColor)> Near(QColor c, int tolerance) {
    return [c, tolerance](QColor p) {
        return std::abs(p.red() - c.red()) <= tolerance &&
               std::abs(p.green() - c.green()) <= tolerance &&
               std::abs(p.blue() - c.blue()) <= tolerance;
    };
}

inline int Count(const QImage& img, const QRect& within, const std::function<bool(QColor)>& match) {
    int n = 0;
    const QRect r = within & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (match(img.pixelColor(x, y))) ++n;
    return n;
}

// Every band and crossover record with its marks, and every item mark of
// the outputs and inputs: what a change of a setting would show.
inline std::vector<int> ModelSettings(const CKTV_Data& model) {
    std::vector<int> v;
    auto addEq = [&v](CKTVEQ& eq) {
        for (int i = 0; i < eq.GetCount(); ++i) {
            const ItemRecord r = eq.PackBand(i);
            v.insert(v.end(), r.begin(), r.end());
            const CFilter& f = *eq.GetAt(i);
            v.insert(v.end(), {f.GetKind(), f.GetFreq(), f.GetDisplayFreq(), f.GetAppliedFreq(),
                               f.GetGainCode(), f.GetBandwidthCode(), f.GetSlope(), f.GetFamily(),
                               f.IsChanged(), f.IsBypassedOrFlat()});
        }
        const ItemRecord x = eq.PackCrossover();
        v.insert(v.end(), x.begin(), x.end());
    };
    for (int i = 0; i < 12; ++i) {
        CKTV_OutData& out = *model.GetOut(i);
        addEq(out.GetEq());
        const ItemRecord d = out.GetDynamicsRecord();
        v.insert(v.end(), d.begin(), d.end());
        v.insert(v.end(), {out.IsBasicDirty(), out.IsDynamicsDirty(), out.IsMixADirty(),
                           out.IsMixBDirty(), out.IsNameDirty(), out.GetGain(), out.GetEqMode()});
    }
    for (int i = 0; i < 4; ++i) {
        CMusic_InData& in = *model.GetMusic(i);
        addEq(in.GetEq());
        v.insert(v.end(), {in.IsBasicDirty(), in.IsGateDirty(), in.GetEqMode()});
    }
    return v;
}

} // namespace graphtest
