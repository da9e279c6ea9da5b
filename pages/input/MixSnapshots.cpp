#include "pages/input/MixSnapshots.h"

#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "pages/input/MixPage.h"
#include "platform/DialogUnits.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

namespace {

// What posing the page changes, put back when the picture is taken.
class PoseScope {
public:
    PoseScope(int language, int code, int output, int variant)
        : language_(g_LanguageFlag.load()), variant_(g_DeviceVariant.load()),
          output_(g_CurrentOutput) {
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            code_ = g_DeviceRecords.ActiveSource();
            g_DeviceRecords.SetActiveSource(code);
            std::copy(std::begin(g_LinkKey), std::end(g_LinkKey), keys_.begin());
        });
        std::copy(std::begin(g_LinkedOutData), std::end(g_LinkedOutData), linked_.begin());
        linkActive_ = g_LinkActive;
        g_LanguageFlag = language ? 1 : 0;
        g_DeviceVariant = variant;
        g_CurrentOutput = output;
    }
    ~PoseScope() {
        own_.reset();
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
            g_DeviceRecords.SetActiveSource(code_);
            std::copy(keys_.begin(), keys_.end(), std::begin(g_LinkKey));
        });
        std::copy(linked_.begin(), linked_.end(), std::begin(g_LinkedOutData));
        g_LinkActive = linkActive_;
        g_LanguageFlag = language_;
        g_DeviceVariant = variant_;
        g_CurrentOutput = output_;
    }
    PoseScope(const PoseScope&) = delete;
    PoseScope& operator=(const PoseScope&) = delete;

    CKTV_Data* Model(CKTV_Data* given) {
        if (given) return given;
        own_ = std::make_unique<CKTV_Data>();
        WithDeviceLock([&]() REQUIRES(g_DeviceLock) { own_->LoadFromImage(g_ParamImage, -1); });
        return own_.get();
    }

private:
    int language_;
    int variant_;
    int output_;
    uint8_t code_ = 0;
    std::array<int, kOutputCount> keys_{};
    std::array<CKTV_OutData*, kOutputCount> linked_{};
    int linkActive_ = 0;
    std::unique_ptr<CKTV_Data> own_;
};

} // namespace

QSize MixPageSize() {
    // The main view's page area (template 101, Arial 8).
    return platform::DluToPixels(QSize(850, 347), platform::kArial8);
}

QImage RenderMixPageSnapshot(int language, int code, int output, int variant, CKTV_Data* model) {
    PoseScope scope(language, code, output, variant);
    CMixPage page;
    page.resize(MixPageSize());
    page.SetChannelArray(scope.Model(model));
    page.Init();
    page.LayoutForInputMode(code);
    return page.grab().toImage();
}

bool SaveMixPageSnapshots(const QString& folder, CKTV_Data* model) {
    QDir dir(folder);
    for (int language : {0, 1}) {
        const char* lang = language ? "zh" : "en";
        const QImage high = RenderMixPageSnapshot(language, 1, 0, 2, model);
        const QImage aux = RenderMixPageSnapshot(language, 3, 0, 1, model);
        if (!high.save(dir.filePath(QStringLiteral("mix-page-%1.png").arg(QLatin1String(lang)))))
            return false;
        if (!aux.save(dir.filePath(QStringLiteral("mix-page-aux-%1.png").arg(QLatin1String(lang)))))
            return false;
    }
    return true;
}
