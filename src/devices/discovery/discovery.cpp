#include "devices/discovery/discovery.h"

#include <algorithm>

#include "platform/debug.h"
#include "platform/hid/hid_device.h"
#include "platform/hid/hotplug.h"

namespace kavro::devices {

namespace {
// Identity read from the path alone, before anything is opened.
DeviceInterfaceRow idsFromPath(const std::string& path) {
  DeviceInterfaceRow r;
  r.vendorId = static_cast<uint16_t>(hid::pathMarkerValue(path, "vid_"));
  r.productId = static_cast<uint16_t>(hid::pathMarkerValue(path, "pid_"));
  r.interfaceNumber = static_cast<uint16_t>(hid::pathMarkerValue(path, "&mi_"));
  r.collection = static_cast<uint16_t>(hid::pathMarkerValue(path, "&col"));
  return r;
}

bool samePathIds(const DeviceInterfaceRow& a, const DeviceInterfaceRow& b) {
  return a.vendorId == b.vendorId && a.productId == b.productId && a.interfaceNumber == b.interfaceNumber &&
         a.collection == b.collection;
}
}  // namespace

DeviceDiscovery::DeviceDiscovery(DiscoveryHandler& handler) : handler_(handler), match_(interfaceMatchTable()) {
  rows_.assign(match_.begin(), match_.end());
}

std::vector<DeviceInterfaceRow> DeviceDiscovery::rows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}

DeviceInterfaceRow DeviceDiscovery::row(int index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return index >= 0 && static_cast<size_t>(index) < rows_.size() ? rows_[static_cast<size_t>(index)]
                                                                   : DeviceInterfaceRow{};
}

bool DeviceDiscovery::anyRow(bool connected) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(rows_.begin(), rows_.end(), [&](const auto& r) { return r.isFree() != connected; });
}

// First free row with the path identity of ids (and, when matchUsage, the
// same type, role, usage page and usage); -1 when none.
int DeviceDiscovery::freeRowFor(const DeviceInterfaceRow& ids, bool matchUsage) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const auto& r = rows_[i];
    if (!r.isFree() || !samePathIds(r, ids)) continue;
    if (matchUsage && !r.sameInterface(ids)) continue;
    return static_cast<int>(i);
  }
  return -1;
}

void DeviceDiscovery::scan(const std::vector<std::string>& paths) {
  for (const auto& path : paths) {
    const DeviceInterfaceRow ids = idsFromPath(path);
    const bool known = std::any_of(match_.begin(), match_.end(), [&](const auto& m) { return samePathIds(m, ids); });
    if (!known || freeRowFor(ids, false) < 0) continue;
    hid::HidDeviceInfo candidate;
    if (!candidate.open(path, true, false, true, false)) continue;  // tried again on the next scan
    DeviceInterfaceRow found = ids;
    found.vendorId = candidate.attributes.vendorId;
    found.productId = candidate.attributes.productId;
    found.usagePage = candidate.caps.usagePage;
    found.usage = candidate.caps.usage;
    candidate.close();
    auto m = std::find_if(match_.begin(), match_.end(), [&](const auto& r) {
      return samePathIds(r, found) && r.usagePage == found.usagePage && r.usage == found.usage;
    });
    if (m == match_.end()) continue;
    found.type = m->type;
    found.role = m->role;
    const int index = freeRowFor(found, true);
    if (index < 0) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      rows_[static_cast<size_t>(index)].connected = 1;
      rows_[static_cast<size_t>(index)].path = path;
    }
    handler_.interfaceArrived(index);
  }
}

void DeviceDiscovery::checkRemovals(const std::vector<std::string>& paths) {
  for (size_t i = 0; i < kInterfaceRowCount; ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto& r = rows_[i];
      if (r.isFree() || std::find(paths.begin(), paths.end(), r.path) != paths.end()) continue;
      r.connected = 0;
      r.path.clear();
    }
    handler_.interfaceGone(static_cast<int>(i));
  }
}

bool DeviceDiscovery::pass() {
  hid::HidDeviceInfo list;
  if (!list.enumerate()) return false;
  std::vector<std::string> paths;
  while (const std::string* p = list.nextPath()) paths.push_back(*p);
  list.freePathList();
  if (anyRow(false)) scan(paths);
  if (!firstScanReported_) {
    firstScanReported_ = true;
    handler_.firstScanDone();
  }
  if (anyRow(true)) checkRemovals(paths);
  return true;
}

void DeviceDiscovery::run(Event& stop) {
  hid::HotplugMonitor monitor;
  for (;;) {
    if (!pass()) dbg::write("enumerate failed, retrying on the next pass\n");
    if (monitor.wait(stop, kRecheckMs) == hid::HotplugMonitor::kStopped) break;
  }
  dbg::write("抓取设备线程设定退出");
}

}  // namespace kavro::devices
