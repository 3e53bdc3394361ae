#pragma once
// The discovery thread: finds the supported HID interfaces among those
// present, marks their rows connected and reports arrivals and removals to
// its handler. It sleeps until the hotplug monitor reports a change, with a
// periodic re-check as the fallback.
//
// Every removal is reported before the arrival that follows it, even when
// the device is back under the same path before the next pass: a row is
// released when a removal of its interface was noted (the hotplug monitor's
// remove event, a transfer that found the interface gone, a withdrawn
// simulated interface), when its path is missing, and when its path now
// belongs to another instance of the interface (another udev device number,
// a socket served anew).
#include <mutex>
#include <string>
#include <vector>

#include "devices/discovery/device_tables.h"
#include "platform/event.h"
#include "platform/hid/removals.h"

namespace kavro::devices {

class DiscoveryHandler {
 public:
  virtual ~DiscoveryHandler() = default;
  // The interface of the row has arrived (message 3090). The handler returns
  // when the arrival has been handled.
  virtual void interfaceArrived(int row) = 0;
  // The interface of the row has gone (message 3091).
  virtual void interfaceGone(int row) = 0;
  // After the first scan of the thread's life (the instance message).
  virtual void firstScanDone() = 0;
};

class DeviceDiscovery {
 public:
  explicit DeviceDiscovery(DiscoveryHandler& handler);

  // A copy of the rows (thread-safe).
  std::vector<DeviceInterfaceRow> rows() const;
  DeviceInterfaceRow row(int index) const;

  // The thread body: passes until stop is set, then writes its exit line.
  void run(Event& stop);

  // One pass: release the rows whose interface went (noted removals, path
  // missing or now another instance), then scan for new interfaces while a
  // row is free. False when the interface list could not be had (the next
  // pass tries again).
  bool pass();

  // How long the thread waits for a hotplug notice before checking anyway.
  static constexpr int kRecheckMs = 2000;

 private:
  // One present path with the instance of its interface.
  struct Present {
    std::string path;
    uint64_t instance = 0;
  };
  bool anyRow(bool connected) const;
  void scan(const std::vector<Present>& present);
  void releaseNoted(const std::vector<hid::Removal>& removals);
  void checkRemovals(const std::vector<Present>& present);
  // Frees the row (when still connected) and reports it gone.
  void release(size_t index);
  int freeRowFor(const DeviceInterfaceRow& ids, bool matchUsage) const;

  DiscoveryHandler& handler_;
  hid::RemovalQueue removals_;
  mutable std::mutex mutex_;
  std::vector<DeviceInterfaceRow> rows_;
  const std::array<DeviceInterfaceRow, kInterfaceRowCount> match_;
  bool firstScanReported_ = false;
};

}  // namespace kavro::devices
