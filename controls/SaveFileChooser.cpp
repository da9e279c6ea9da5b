#include "controls/SaveFileChooser.h"

#include "controls/MessageBox.h"
#include "model/Globals.h"

#include <QFileInfo>

namespace ctl {

namespace {

const BiText kReplaceText{"已存在。\n要替换它吗?", " already exists.\nDo you want to replace it?"};

} // namespace

std::optional<QString> ChooseSaveFile(platform::FileRequest request) {
    request.kind = platform::FileRequest::Save;
    for (;;) {
        const std::optional<QString> chosen = platform::ChooseFile(request);
        if (!chosen) return std::nullopt;
        const QString path = platform::CompleteFileName(*chosen, request.defaultSuffix);
        const QFileInfo info(path);
        if (!info.exists()) return path;
        const bool cn = g_LanguageFlag.load() != 0;
        const std::string name = info.fileName().toStdString();
        const std::string question =
            cn ? "“" + name + "”" + kReplaceText.cn : name + kReplaceText.en;
        if (ShowMessageBox(nullptr, question, g_ProductTitle, MB_YESNO, cn, cn ? -2 : -3) == IDYES)
            return path;
        request.folder = info.absolutePath();
    }
}

} // namespace ctl
