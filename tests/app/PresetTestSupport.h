// The preset tests play the user in the program's modal dialogs (the scene
// picker, the name prompt, the password dialog) and answer its file dialogs
// from a script, against the program's view and the simulated device.
#pragma once

#include "tests/app/DeviceTestSupport.h"

#include "app/ScenePickerDialog.h"
#include "features/presets/PresetNamePrompt.h"
#include "app/ShellMessages.h"
#include "features/presets/LockPasswordDialog.h"
#include "controls/BitButton.h"
#include "controls/EditControls.h"
#include "controls/ModalDialog.h"
#include "model/KTV_Data.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Each modal dialog that opens takes the next step of the script and is
// recorded; with no step left it is left open, which rejects it.
class ModalUser {
public:
    using Step = std::function<void(QDialog&)>;

    ModalUser() : previous_(ctl::SetModalScript([this](QDialog& d) { Run(d); })) {}
    ~ModalUser() { ctl::SetModalScript(previous_); }
    ModalUser(const ModalUser&) = delete;
    ModalUser& operator=(const ModalUser&) = delete;

    // A step for a dialog of kind D (the test fails when another kind opens).
    template <class D> void Then(std::function<void(D&)> act) {
        steps.push_back([act](QDialog& d) {
            D* dialog = dynamic_cast<D*>(&d);
            ASSERT_NE(dialog, nullptr) << "another dialog opened: " << d.metaObject()->className();
            act(*dialog);
        });
    }
    // The name prompt: the name typed over the shown one, then OK (or Cancel).
    void Name(const QString& name, bool ok = true) {
        Then<CPresetNamePrompt>([name, ok](CPresetNamePrompt& p) {
            p.NameEdit()->selectAll();
            p.NameEdit()->TypeText(name);
            (ok ? p.OkButton() : p.CancelButton())->click();
        });
    }
    // The password dialog: six characters typed, then OK.
    void Password(const QString& text) {
        Then<CLockPasswordDialog>([text](CLockPasswordDialog& d) {
            d.PasswordEdit()->setText(text);
            d.OkButton()->click();
        });
    }

    std::deque<Step> steps;
    int opened = 0;

private:
    void Run(QDialog& d) {
        ++opened;
        if (steps.empty()) return;
        const Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
    }

    ctl::ModalScript previous_;
};

inline void SendKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

inline void RightClick(QWidget* w) {
    const QPointF at(4, 4);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// The six captions of the picker.
inline std::vector<std::string> Captions(const CScenePickerDialog& picker) {
    std::vector<std::string> out;
    for (int n = 1; n <= 6; ++n)
        out.push_back(picker.SceneButton(n)->text().toStdString());
    return out;
}

// A frame the device must take: command, slot, group, channel, item.
struct FrameWant {
    uint8_t command;
    int slot, group, channel, item;
};

inline std::string Describe(const sim::SeenFrame& f) {
    return std::to_string(f.command) + " slot " + std::to_string(f.slot) + " group " +
           std::to_string(f.group) + " channel " + std::to_string(f.channel) + " item " +
           std::to_string(f.item);
}

// The first frames (status requests aside) are the wanted ones, in order.
inline void ExpectFramesStartWith(const std::vector<sim::SeenFrame>& frames,
                                  const std::vector<FrameWant>& want) {
    const std::vector<sim::SeenFrame> got = WithoutStatus(frames);
    ASSERT_GE(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i) + ": " + Describe(got[i]));
        EXPECT_EQ(got[i].command, want[i].command);
        EXPECT_EQ(got[i].slot, want[i].slot);
        EXPECT_EQ(got[i].group, want[i].group);
        EXPECT_EQ(got[i].channel, want[i].channel);
        EXPECT_EQ(got[i].item, want[i].item);
    }
}

// What Store-as-current sends without the model: the master muted, the
// marker, the name, the map, 16 blocks to slot 0, the marker, the master back.
inline std::vector<FrameWant> StoreCurrentFrames() {
    std::vector<FrameWant> f = {{0xA1, 0, 9, 5, 0},
                                {0xA1, 0, 9, 97, 0},
                                {0xA1, 0, 9, 0, 0},
                                {0xA1, 0, 9, 6, 0},
                                {0xA1, 0, 9, 7, 0}};
    for (int i = 0; i < 4; ++i)
        f.push_back({0xA1, 0, 3, i, 0});
    for (int o = 0; o < 12; ++o)
        f.push_back({0xA1, 0, 4, o, 0});
    f.push_back({0xA1, 0, 9, 97, 0});
    f.push_back({0xA1, 0, 9, 5, 0});
    return f;
}

class PresetTest : public DeviceTest {
protected:
    // The frames the device took since the mark.
    std::vector<sim::SeenFrame> SinceMark() const {
        auto seen = device.Seen();
        seen.erase(seen.begin(), seen.begin() + static_cast<long>(std::min(mark, seen.size())));
        return seen;
    }
    void Mark() { mark = device.Seen().size(); }
    // Until no transfer runs, the device took every queued frame, the poller
    // has nothing of its own left to send (no flag, no marked channel) and the transfer window has
    // gone (it keeps the main window disabled while it is shown).
    bool Settled(int ms = 20000) {
        return PumpUntil(
            [this] {
                return !g_TransferRunning.load() && view->Session().Command().GetCount() == 0 &&
                       !g_SendCmd0Pending.load() && !g_SendCmd5Pending.load() &&
                       !g_SendCmd2Pending.load() && !view->Data()->HasPendingChanges() && Ready();
            },
            ms);
    }
    // The main window takes clicks.
    bool Ready() const { return !g_TransferDlg->IsShown() && view->isEnabled(); }
    std::string Caption(int id) const { return Text(view->BitButton(id)->text()); }

    size_t mark = 0;
    ModalUser user;
};
