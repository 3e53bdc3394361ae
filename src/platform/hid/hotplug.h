#pragma once
// Tells when HID interfaces may have come or gone, so that discovery sleeps
// while nothing changes: hidraw add/remove events from the udev monitor,
// changes of the in-process simulated interfaces, sockets created or removed
// in the KAVRO_SIM_DIR folder, and removals noted by transfers. The removals
// among its notices are handed on as removal notes (removals.h).
#include <memory>

#include "platform/event.h"

namespace kavro::hid {

class HotplugMonitor {
 public:
  HotplugMonitor();
  ~HotplugMonitor();
  HotplugMonitor(const HotplugMonitor&) = delete;
  HotplugMonitor& operator=(const HotplugMonitor&) = delete;

  // Waits until something may have changed, the stop event is set, or the
  // time-out passes. Returns kChanged, kStopped or kTimeout. Pending change
  // notices are drained, so one call reports a burst of changes once; each
  // removal among them is noted before the call returns.
  enum Result { kChanged, kStopped, kTimeout };
  Result wait(Event& stop, int timeoutMs);

  // False when no system source (udev) could be watched; then only the
  // simulated sources and the caller's time-out remain.
  bool watchingSystem() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kavro::hid
