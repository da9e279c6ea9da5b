#include "tools/screenshot/snapshots/GraphSnapshots.h"

#include "controls/DynamicsGraph.h"
#include "controls/EqGraph.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/LinkKeys.h"
#include "platform/DialogUnits.h"

#include <QDir>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

// The control templates: the output page's graph (Arial 7) and a dynamics
// curve of the system dialog (Arial 8), in dialog units.
constexpr QSize kOutputGraphDlu(792, 203);
constexpr QSize kDynamicsGraphDlu(67, 90);

} // namespace

CPictureScope::CPictureScope(int language, CKTV_Data* model) : language_(g_LanguageFlag.load()) {
    const LinkKeyTable keys = LinkKeys();
    std::copy(keys.begin(), keys.end(), std::begin(linkKey_));
    std::copy(std::begin(g_LinkedOutData), std::end(g_LinkedOutData), std::begin(linked_));
    linkActive_ = g_LinkActive;
    currentOutput_ = g_CurrentOutput;
    g_LanguageFlag = language ? 1 : 0;
    if (!model) own_ = std::make_unique<CKTV_Data>();
    model_ = model ? model : own_.get();
}

CPictureScope::~CPictureScope() {
    own_.reset();
    LinkKeyTable keys{};
    std::copy(std::begin(linkKey_), std::end(linkKey_), keys.begin());
    SetLinkKeys(keys);
    std::copy(std::begin(linked_), std::end(linked_), std::begin(g_LinkedOutData));
    g_LinkActive = linkActive_;
    g_CurrentOutput = currentOutput_;
    g_LanguageFlag = language_;
}

QSize OutputGraphSize() {
    return platform::DluToPixels(kOutputGraphDlu, platform::kArial7);
}

QSize DynamicsGraphSize() {
    return platform::DluToPixels(kDynamicsGraphDlu, platform::kArial8);
}

QImage RenderEqCurveSnapshot(int language, int mode, int selectedBand, CKTV_Data* model) {
    CPictureScope scope(language, model);
    CEqGraph graph;
    graph.resize(OutputGraphSize());
    const bool music = mode == CEqGraph::kModeMusic;
    graph.Attach(scope.Model(), music ? CEqGraph::kAttachMusic : CEqGraph::kAttachOutput);
    if (music)
        graph.ShowMusic(0);
    else
        graph.ShowOutput(0);
    graph.SetMode(music ? CEqGraph::kModeMusic : CEqGraph::kModeOutput);
    graph.Redraw(selectedBand);
    return graph.grab().toImage();
}

QImage RenderDynamicsSnapshot(int language, int channel, int limiterLevel, int compressorLevel,
                              int ratio, CKTV_Data* model) {
    CPictureScope scope(language, model);
    CDynamicsGraph graph;
    graph.resize(DynamicsGraphSize());
    graph.InitLayout();
    graph.SetMode(CDynamicsGraph::kModeCurve);
    graph.SetData(scope.Model());
    graph.SetChannel(channel);
    dynamics::Levels levels = graph.GetLevels();
    if (limiterLevel >= 0) levels.limiterLevel = limiterLevel;
    if (compressorLevel >= 0) levels.compressorLevel = compressorLevel;
    if (ratio >= 0) levels.ratio = ratio;
    graph.SetLevels(levels);
    return graph.grab().toImage();
}

bool SaveGraphSnapshots(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    const QDir dir(folder);
    bool ok = true;
    for (int language : {0, 1}) {
        const QString suffix = language ? QStringLiteral("zh") : QStringLiteral("en");
        // A band selected (1 kHz), and a limiter at +6 dBu over a 4:1
        // compressor from -10 dBu, so the pictures show their parts.
        ok &= RenderEqCurveSnapshot(language, CEqGraph::kModeOutput, 17)
                  .save(dir.filePath(QStringLiteral("eq-curve-%1.png").arg(suffix)));
        ok &= RenderEqCurveSnapshot(language, CEqGraph::kModeMusic, 4)
                  .save(dir.filePath(QStringLiteral("eq-input-%1.png").arg(suffix)));
        ok &= RenderDynamicsSnapshot(language, 0, 360, 200, 31)
                  .save(dir.filePath(QStringLiteral("dynamics-%1.png").arg(suffix)));
    }
    return ok;
}
