#include "devices/notify_reader.h"

#include <algorithm>
#include <vector>

namespace kavro::devices {

namespace {
constexpr size_t kMinReportBytes = 64;
constexpr int kReadTimeoutMs = 500;  // one read of the notify interface
constexpr int kRetryMs = 100;        // pause after a read that failed at once
}  // namespace

void readNotifyUsages(hid::HidDeviceInfo& dev, Event& stop, const std::function<void(std::uint16_t)>& onUsage) {
  std::vector<uint8_t> report(std::max<size_t>(dev.caps.inputReportByteLength, kMinReportBytes));
  std::vector<hid::HidDataItem> items = dev.input.data;
  while (!stop.isSet()) {
    size_t got = 0;
    const uint64_t began = tickMs();
    const bool ok = dev.readReport(report.size(), &got, report.data(), kReadTimeoutMs);
    if (stop.isSet()) break;
    if (!ok) {
      // A read that failed at once (interface gone, error) must not spin.
      if (tickMs() - began < static_cast<uint64_t>(kRetryMs) && stop.wait(kRetryMs)) break;
      continue;
    }
    const hid::CollectionCaps* caps = dev.preparsedData();
    if (!caps || !hid::unpackReport(report.data(), got, hid::ReportType::Input, items, *caps)) continue;
    for (const hid::HidDataItem& item : items) {
      if (!item.isButton || item.reportId != report[0]) continue;
      for (uint16_t usage : item.usages) {
        if (usage == 0) break;
        onUsage(usage);
      }
    }
  }
}

}  // namespace kavro::devices
