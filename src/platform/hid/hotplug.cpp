#include "platform/hid/hotplug.h"

#include <libudev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/debug.h"
#include "platform/hid/sim_link.h"

namespace kavro::hid {

struct HotplugMonitor::Impl {
  udev* u = nullptr;
  udev_monitor* mon = nullptr;
  int inotifyFd = -1;
  Event simChanged{Event::Reset::Auto};

  Impl() {
    u = udev_new();
    if (u) mon = udev_monitor_new_from_netlink(u, "udev");
    if (mon) {
      udev_monitor_filter_add_match_subsystem_devtype(mon, "hidraw", nullptr);
      if (udev_monitor_enable_receiving(mon) < 0) {
        udev_monitor_unref(mon);
        mon = nullptr;
      }
    }
    if (!mon) dbg::write("hotplug: no udev monitor, relying on periodic checks\n");
    if (const char* dir = std::getenv("KAVRO_SIM_DIR")) {
      inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
      if (inotifyFd >= 0 && inotify_add_watch(inotifyFd, dir, IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(inotifyFd);
        inotifyFd = -1;
      }
    }
    sim::addChangeListener(&simChanged);
  }
  ~Impl() {
    sim::removeChangeListener(&simChanged);
    if (inotifyFd >= 0) ::close(inotifyFd);
    if (mon) udev_monitor_unref(mon);
    if (u) udev_unref(u);
  }
  void drain() {
    if (mon) {
      while (udev_device* d = udev_monitor_receive_device(mon)) udev_device_unref(d);
    }
    if (inotifyFd >= 0) {
      char buf[4096];
      while (::read(inotifyFd, buf, sizeof buf) > 0) {
      }
    }
    simChanged.reset();
  }
};

HotplugMonitor::HotplugMonitor() : impl_(std::make_unique<Impl>()) {}
HotplugMonitor::~HotplugMonitor() = default;

bool HotplugMonitor::watchingSystem() const { return impl_->mon != nullptr; }

HotplugMonitor::Result HotplugMonitor::wait(Event& stop, int timeoutMs) {
  std::vector<Waitable> items{stop, impl_->simChanged};
  if (impl_->mon) items.push_back(Waitable::descriptor(udev_monitor_get_fd(impl_->mon)));
  if (impl_->inotifyFd >= 0) items.push_back(Waitable::descriptor(impl_->inotifyFd));
  const int r = waitAny(items, timeoutMs);
  if (r == 0) return kStopped;
  if (r == kWaitTimeout) return kTimeout;
  impl_->drain();
  return kChanged;
}

}  // namespace kavro::hid
