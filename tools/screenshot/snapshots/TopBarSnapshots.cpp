#include "tools/screenshot/snapshots/TopBarSnapshots.h"

#include "tools/screenshot/snapshots/SnapshotFiles.h"

#include "app/LumaraView.h"
#include "model/Globals.h"
#include "features/outputs/LeftRightLinkDialog.h"
#include "features/outputs/OutputStrip.h"

#include <QMenu>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

// The view in one language for one picture, and back afterwards.
class LanguageScope {
public:
    LanguageScope(CLumaraView& view, int language) : view_(view), saved_(g_LanguageFlag.load()) {
        Switch(language ? 1 : 0);
    }
    ~LanguageScope() { Switch(saved_); }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    void Switch(int language) {
        if (g_LanguageFlag.load() == language) return;
        g_LanguageFlag = language;
        view_.SwitchLanguage(false);
    }
    CLumaraView& view_;
    int saved_;
};

// Images side by side, top-aligned, on the dialog colour.
QImage SideBySide(const std::vector<QImage>& images) {
    int width = 0, height = 0;
    for (const QImage& i : images) {
        width += i.width() + 4;
        height = std::max(height, i.height());
    }
    QImage out(std::max(width - 4, 1), std::max(height, 1), QImage::Format_ARGB32);
    out.fill(QColor(227, 228, 238));
    QPainter p(&out);
    int x = 0;
    for (const QImage& i : images) {
        p.drawImage(x, 0, i);
        x += i.width() + 4;
    }
    return out;
}

QImage MenuImage(QMenu* menu) {
    menu->ensurePolished();
    menu->adjustSize();
    return menu->grab().toImage();
}

} // namespace

QImage RenderStripRow(CLumaraView& view, int language) {
    LanguageScope scope(view, language);
    QRect row;
    for (int i = 0; i < CLumaraView::kVisibleStrips; ++i)
        row |= view.Strip(i)->geometry();
    return view.grab(row.adjusted(-8, -4, 8, 4)).toImage();
}

QImage RenderSpeakerTypePopup(CLumaraView& view, int language) {
    LanguageScope scope(view, language);
    auto* strip = dynamic_cast<COutputStrip*>(view.Strip(g_CurrentOutput));
    if (!strip) return QImage();
    std::unique_ptr<QMenu> popup = strip->BuildSpeakerTypePopup();
    if (!popup) return QImage();
    // The popup, then each submenu, so every item's state shows.
    std::vector<QImage> images = {MenuImage(popup.get())};
    for (QAction* group : popup->actions()) {
        QMenu* sub = group->menu();
        if (!sub) continue;
        bool sides = false;
        for (QAction* side : sub->actions()) {
            if (QMenu* items = side->menu()) {
                images.push_back(MenuImage(items));
                sides = true;
            }
        }
        if (!sides) images.push_back(MenuImage(sub));
    }
    return SideBySide(images);
}

QImage RenderMasterStrip(CLumaraView& view, int language) {
    LanguageScope scope(view, language);
    return view.LevelBar()->grab().toImage();
}

QImage RenderSourceListOpen(CLumaraView& view, int language, bool input) {
    LanguageScope scope(view, language);
    CDropListButton* list = input ? view.InputSourceList() : view.MixSourceList();
    CDropListPopup* drop = list->DropWindow();
    if (!drop) return QImage();
    const QRect place =
        CDropListButton::DropRect(QRect(QPoint(0, 0), list->size()), QRect(0, 0, 1 << 16, 1 << 16),
                                  list->width(), drop->List()->ItemHeight(), list->GetCount());
    drop->resize(place.size());
    const QImage button = list->grab().toImage();
    const QImage open = drop->grab().toImage();
    QImage out(std::max(button.width(), open.width()), place.bottom() + 1, QImage::Format_ARGB32);
    out.fill(QColor(40, 44, 56));
    QPainter p(&out);
    p.drawImage(0, 0, button);
    p.drawImage(place.topLeft(), open);
    return out;
}

QImage RenderLRLinkQuestion(CLumaraView& view, int language) {
    LanguageScope scope(view, language);
    CLeftRightLinkDialog dialog(&view);
    dialog.InitDialog();
    return dialog.grab().toImage();
}

bool SaveTopBarSnapshots(CLumaraView& view, const QString& folder) {
    return SaveInBothLanguages(folder, [&view](int language, const SaveSnapshot& save) {
        save(RenderStripRow(view, language), "strips");
        save(RenderSpeakerTypePopup(view, language), "speaker-popup");
        save(RenderMasterStrip(view, language), "master");
        save(RenderSourceListOpen(view, language, true), "input-list");
        save(RenderSourceListOpen(view, language, false), "mix-list");
        save(RenderLRLinkQuestion(view, language), "lr-link");
    });
}
