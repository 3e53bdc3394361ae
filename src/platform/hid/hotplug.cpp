#include "platform/hid/hotplug.h"

#include <libudev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/debug.h"
#include "platform/hid/hid_backend.h"
#include "platform/hid/removals.h"
#include "platform/hid/sim_link.h"

namespace kavro::hid {

namespace {
constexpr char kUdevRemove[] = "remove";
constexpr char kSocketSuffix[] = ".sock";
constexpr size_t kInotifyBufferSize = 4096;
constexpr uint32_t kSocketGoneMask = IN_DELETE | IN_MOVED_FROM;

// Notes the removal of every served interface whose socket file went.
void noteSocketRemovals(const char* buf, size_t len) {
  const size_t suffix = std::strlen(kSocketSuffix);
  for (size_t at = 0; at + sizeof(inotify_event) <= len;) {
    const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
    at += sizeof(inotify_event) + ev->len;
    if (at > len || ev->len == 0 || (ev->mask & kSocketGoneMask) == 0) continue;
    const std::string name(ev->name, strnlen(ev->name, ev->len));
    if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kSocketSuffix) != 0) continue;
    noteRemoval({std::string(sim::kPathPrefix) + name.substr(0, name.size() - suffix), 0});
  }
}
}  // namespace

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
    addRemovalListener(&simChanged);
  }
  ~Impl() {
    removeRemovalListener(&simChanged);
    sim::removeChangeListener(&simChanged);
    if (inotifyFd >= 0) ::close(inotifyFd);
    if (mon) udev_monitor_unref(mon);
    if (u) udev_unref(u);
  }
  // Takes the pending notices; every removal among them is noted for
  // discovery (removals.h), since the same path may be back before it looks.
  void drain() {
    if (mon) {
      while (udev_device* d = udev_monitor_receive_device(mon)) {
        const char* action = udev_device_get_action(d);
        const char* node = udev_device_get_devnode(d);
        const char* devpath = udev_device_get_devpath(d);
        if (action && node && std::strcmp(action, kUdevRemove) == 0) {
          noteRemoval({node, devpath ? detail::hidInstanceFromName(devpath) : 0});
        }
        udev_device_unref(d);
      }
    }
    if (inotifyFd >= 0) {
      alignas(inotify_event) char buf[kInotifyBufferSize];
      ssize_t n;
      while ((n = ::read(inotifyFd, buf, sizeof buf)) > 0) noteSocketRemovals(buf, static_cast<size_t>(n));
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
