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

void DeviceDiscovery::scan(const std::vector<Present>& present) {
  for (const auto& [path, listedInstance] : present) {
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
    // The instance actually opened, which may be newer than the listed one.
    found.instance = candidate.instance() != 0 ? candidate.instance() : listedInstance;
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
      auto& r = rows_[static_cast<size_t>(index)];
      r.connected = 1;
      r.path = path;
      r.instance = found.instance;
    }
    handler_.interfaceArrived(index);
  }
}

void DeviceDiscovery::release(size_t index) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& r = rows_[index];
    if (r.isFree()) return;
    r.connected = 0;
    r.path.clear();
    r.instance = 0;
  }
  handler_.interfaceGone(static_cast<int>(index));
}

// Releases every row whose interface was noted removed: the same instance,
// or any instance when either side does not know its own.
void DeviceDiscovery::releaseNoted(const std::vector<hid::Removal>& removals) {
  for (const auto& removal : removals) {
    for (size_t i = 0; i < kInterfaceRowCount; ++i) {
      bool gone;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto& r = rows_[i];
        gone = !r.isFree() && hid::pathBase(r.path) == removal.base &&
               (removal.instance == 0 || r.instance == 0 || removal.instance == r.instance);
      }
      if (gone) release(i);
    }
  }
}

// Releases the rows whose path is no longer present, or is present as
// another instance of its interface.
void DeviceDiscovery::checkRemovals(const std::vector<Present>& present) {
  for (size_t i = 0; i < kInterfaceRowCount; ++i) {
    bool gone;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto& r = rows_[i];
      if (r.isFree()) continue;
      auto p = std::find_if(present.begin(), present.end(), [&](const Present& x) { return x.path == r.path; });
      gone = p == present.end() || (r.instance != 0 && p->instance != 0 && p->instance != r.instance);
    }
    if (gone) release(i);
  }
}

bool DeviceDiscovery::pass() {
  // Removals noted before the list is taken: the list then shows whatever
  // came back after them.
  releaseNoted(removals_.take());
  hid::HidDeviceInfo list;
  if (!list.enumerate()) return false;
  std::vector<Present> present;
  for (size_t i = 0; i < list.pathList.size(); ++i) {
    present.push_back({list.pathList[i], i < list.pathInstances.size() ? list.pathInstances[i] : 0});
  }
  list.freePathList();
  if (anyRow(true)) checkRemovals(present);
  if (anyRow(false)) scan(present);
  if (!firstScanReported_) {
    firstScanReported_ = true;
    handler_.firstScanDone();
  }
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
