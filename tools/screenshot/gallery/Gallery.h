// The gallery: the real program (application object, main frame, main view,
// link engine) against the simulated device in this process, and a picture
// of every window it has, in one language per process.
//
// Adding a shot: in the *Shots.cpp file of its area (a new file goes into
// CMakeLists.txt), register a name and a function that opens or poses the
// window and says what to grab:
//
//     const ShotRegistration kAbout("version", [](Gallery& g) {
//         auto* dlg = new CVersionWindow(&g.View());
//         dlg->show();
//         return Pose{dlg, {}, {}, [dlg] { delete dlg; }};
//     });
//
// The gallery grabs Pose::window with QWidget::grab() (with the popups in
// Pose::over painted at their places), or keeps Pose::picture when the shot
// took it itself (a modal box, a menu that lives only inside a call), writes
// NAME-en.png or NAME-zh.png, then runs Pose::undo. Every shot starts from the
// same state: the main window on the page it starts on, connected to the
// device, its data loaded; a shot that changes more puts it back in undo.
#pragma once

#include "app/LumaraApp.h"
#include "app/LumaraView.h"

#include <QImage>
#include <QPoint>
#include <QString>

#include <functional>
#include <vector>

class CMainWindow;
class QMenu;

namespace sim {
class SimDevice;
class SimHidBackend;
} // namespace sim

struct Pose {
    QWidget* window = nullptr;  // grabbed after the pose
    std::vector<QWidget*> over; // popups over the window, painted at their places
    QImage picture;             // or the picture the shot took itself
    std::function<void()> undo; // puts things back for the next shot
};

class Gallery;
using PoseFunction = std::function<Pose(Gallery&)>;

// Registers a shot when the program starts (a namespace-scope constant).
struct ShotRegistration {
    ShotRegistration(const char* name, PoseFunction pose);
};

struct Shot {
    QString name;
    PoseFunction pose;
};
// Every registered shot, by name.
std::vector<Shot> Shots();

class Gallery {
public:
    virtual ~Gallery() = default;

    virtual CLumaraApp& App() = 0;
    virtual CMainWindow& Frame() = 0;
    virtual CLumaraView& View() = 0;
    // The simulated USB side: the device the view is linked to is plugged
    // at DevicePath(); a shot may plug and unplug others.
    virtual sim::SimHidBackend& Hid() = 0;
    virtual sim::SimDevice* Device() = 0;
    virtual std::string DevicePath() const = 0;
    bool Chinese() const;

    // Lets the event loop run for a while (repaints, timers, popups).
    void Settle(int ms = 20);
    // Lets it run until done, at most ms; whether done.
    static bool WaitFor(const std::function<bool()>& done, int ms);
    // Ends the link as the connect button does; false when it stays up.
    virtual bool GoOffline() = 0;
    // Links the plugged device again and waits until its data is loaded.
    virtual bool GoOnline() = 0;
    // The next connection popup of the view goes to this call instead of
    // waiting for a choice (the menu exists only while the view asks).
    virtual void OnNextConnectPopup(std::function<void(QMenu& menu, QPoint at)> take) = 0;

    // The window with the popups over it, where they are on the screen.
    static QImage Compose(QWidget* window, const std::vector<QWidget*>& over);
    // Runs open, which shows a modal window and waits for it; takes the
    // picture of that window and closes it.
    QImage WhileModal(const std::function<void()>& open);
};
