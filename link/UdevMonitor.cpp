#include "link/UsbLink.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <thread>

struct CUdevMonitor::Impl {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    int wakeFd = -1;
    std::thread thread;

    ~Impl() {
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
        if (wakeFd >= 0) close(wakeFd);
    }
};

CUdevMonitor::CUdevMonitor(Handler handler) : handler_(std::move(handler)) {}

CUdevMonitor::~CUdevMonitor() {
    Stop();
}

bool CUdevMonitor::Start() {
    if (impl_) return true;
    auto impl = std::make_unique<Impl>();
    impl->context = udev_new();
    if (!impl->context) return false;
    impl->monitor = udev_monitor_new_from_netlink(impl->context, "udev");
    if (!impl->monitor) return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(impl->monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(impl->monitor) < 0)
        return false;
    impl->wakeFd = eventfd(0, EFD_CLOEXEC);
    if (impl->wakeFd < 0) return false;
    Impl* raw = impl.get();
    impl->thread = std::thread([this, raw] {
        pollfd fds[2] = {{udev_monitor_get_fd(raw->monitor), POLLIN, 0}, {raw->wakeFd, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) continue;
            udev_device* dev = udev_monitor_receive_device(raw->monitor);
            if (!dev) continue;
            const char* action = udev_device_get_action(dev);
            const char* node = udev_device_get_devnode(dev);
            if (action && node) {
                if (std::strcmp(action, "add") == 0)
                    Deliver({HotplugEvent::Arrival, node});
                else if (std::strcmp(action, "remove") == 0)
                    Deliver({HotplugEvent::Removal, node});
            }
            udev_device_unref(dev);
        }
    });
    impl_ = std::move(impl);
    return true;
}

void CUdevMonitor::Stop() {
    if (!impl_) return;
    const uint64_t one = 1;
    if (write(impl_->wakeFd, &one, sizeof one) < 0) {
        // The thread then ends at the next udev event at the latest.
    }
    if (impl_->thread.joinable()) impl_->thread.join();
    impl_.reset();
}

void CUdevMonitor::Deliver(const HotplugEvent& event) {
    if (handler_) handler_(event);
}
