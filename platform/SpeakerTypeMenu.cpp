#include "platform/SpeakerTypeMenu.h"

#include "model/SpeakerTypes.h"

#include <QAction>
#include <QMenu>

namespace platform {

namespace {

struct Text {
    const char* cn;
    const char* en;
    QString Pick(bool chinese) const { return QString::fromUtf8(chinese ? cn : en); }
};

const Text kNone{"空", "NULL"};
const Text kFront{"前置", "Front"}, kRear{"后置", "Rear"}, kCentre{"中置", "Center"},
    kSub{"超低", "Subwoofer"};
const Text kLeft{"左", "Left"}, kRight{"右", "Right"};
const Text kTweeter{"高频", "Tweeter"}, kMid{"中频", "Midrange"}, kWoofer{"低频", "Woofer"},
    kMidTweeter{"中高频", "Midrange Tweeter"}, kMidWoofer{"中低频", "Midrange Woofer"},
    kFull{"全频", "Full"};
const Text kSubLeft{"左超低", "L-Subwoofer"}, kSubRight{"右超低", "R-Subwoofer"},
    kSubBoth{"超低", "Subwoofer"};

// Adds the items of types first, first + 1, ... with the given texts.
template <size_t N>
void AddTypes(QMenu* menu, int first, const Text* const (&texts)[N], bool chinese) {
    for (size_t i = 0; i < N; ++i) {
        QAction* a = menu->addAction(texts[i]->Pick(chinese));
        a->setData(kSpeakerTypeCommandBase + first + static_cast<int>(i));
    }
}

QMenu* AddSubmenu(QMenu* parent, const Text& title, bool chinese) {
    return parent->addMenu(title.Pick(chinese));
}

} // namespace

std::unique_ptr<QMenu> BuildSpeakerTypeMenu(bool chinese) {
    auto popup = std::make_unique<QMenu>();
    const Text* const frontBands[] = {&kTweeter,    &kMid,       &kWoofer,
                                      &kMidTweeter, &kMidWoofer, &kFull};
    const Text* const threeBands[] = {&kTweeter, &kWoofer, &kFull};
    const Text* const subBands[] = {&kSubLeft, &kSubRight, &kSubBoth};

    popup->addAction(kNone.Pick(chinese))->setData(kSpeakerTypeCommandBase);
    QMenu* front = AddSubmenu(popup.get(), kFront, chinese);
    AddTypes(AddSubmenu(front, kLeft, chinese), 1, frontBands, chinese);
    AddTypes(AddSubmenu(front, kRight, chinese), 7, frontBands, chinese);
    QMenu* rear = AddSubmenu(popup.get(), kRear, chinese);
    AddTypes(AddSubmenu(rear, kLeft, chinese), 13, threeBands, chinese);
    AddTypes(AddSubmenu(rear, kRight, chinese), 16, threeBands, chinese);
    AddTypes(AddSubmenu(popup.get(), kCentre, chinese), 19, threeBands, chinese);
    AddTypes(AddSubmenu(popup.get(), kSub, chinese), 22, subBands, chinese);
    return popup;
}

QAction* SpeakerTypeAction(QMenu* popup, int type) {
    const int position = SpeakerTypeMenuPosition(type);
    if (!popup || position < 0) return nullptr;
    // The submenu path of each group: first the position in the popup, then
    // (front and rear) the side.
    QMenu* menu = popup;
    auto enter = [&menu](int index) {
        const QList<QAction*> items = menu->actions();
        menu = index < items.size() ? items[index]->menu() : nullptr;
    };
    if (type == 0) {
    } else if (type <= 12) {
        enter(1);
        if (menu) enter(type <= 6 ? 0 : 1);
    } else if (type <= 18) {
        enter(2);
        if (menu) enter(type <= 15 ? 0 : 1);
    } else {
        enter(type <= 21 ? 3 : 4);
    }
    if (!menu) return nullptr;
    const QList<QAction*> items = menu->actions();
    return position < items.size() ? items[position] : nullptr;
}

int SpeakerTypeCommand(const QAction* action) {
    if (!action || action->menu()) return -1;
    bool ok = false;
    const int command = action->data().toInt(&ok);
    return ok ? command : -1;
}

} // namespace platform
