#pragma once
// The discovery thread: finds the supported HID interfaces among those
// present, marks their rows connected and reports arrivals and removals to
// its handler. It sleeps until the hotplug monitor reports a change, with a
// periodic re-check as the fallback.
#include <mutex>
#include <string>
#include <vector>

#include "devices/discovery/device_tables.h"
#include "platform/event.h"

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

  // One pass: scan for new interfaces while a row is free, then release the
  // rows whose interface is no longer present. False when the interface list
  // could not be had (the next pass tries again).
  bool pass();

  // How long the thread waits for a hotplug notice before checking anyway.
  static constexpr int kRecheckMs = 2000;

 private:
  bool anyRow(bool connected) const;
  void scan(const std::vector<std::string>& paths);
  void checkRemovals(const std::vector<std::string>& paths);
  int freeRowFor(const DeviceInterfaceRow& ids, bool matchUsage) const;

  DiscoveryHandler& handler_;
  mutable std::mutex mutex_;
  std::vector<DeviceInterfaceRow> rows_;
  const std::array<DeviceInterfaceRow, kInterfaceRowCount> match_;
  bool firstScanReported_ = false;
};

}  // namespace kavro::devices
