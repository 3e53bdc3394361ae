// Unpacking a received report into the data items of its report id.
#include <algorithm>

#include "platform/hid/hid_device.h"

namespace kavro::hid {

namespace {
void unpackButton(const uint8_t* report, size_t len, ReportType type, HidDataItem& item,
                  const CollectionCaps& caps) {
  std::vector<uint16_t> pressed;
  item.status = getUsages(caps, type, item.usagePage, report, len, pressed);
  // Keep only the usages of this item's range, then end the list with 0 when
  // it is shorter than the item's list.
  std::vector<uint16_t> kept;
  for (uint16_t u : pressed) {
    if (u >= item.usageMin && u <= item.usageMax) kept.push_back(u);
  }
  std::fill(item.usages.begin(), item.usages.end(), 0);
  const size_t n = std::min(kept.size(), item.usages.size());
  std::copy_n(kept.begin(), n, item.usages.begin());
}
}  // namespace

bool unpackReport(const uint8_t* report, size_t reportLength, ReportType type, std::vector<HidDataItem>& items,
                  const CollectionCaps& caps) {
  if (report == nullptr || reportLength == 0) return false;
  const uint8_t reportId = report[0];
  for (auto& item : items) {
    if (item.reportId != reportId) continue;
    if (item.isButton) {
      unpackButton(report, reportLength, type, item, caps);
    } else {
      item.status = getUsageValue(caps, type, item.usagePage, item.usage, report, reportLength, item.value);
      // A field too wide to be a number (a serial number, a vendor blob) is
      // no reason to drop the report's other items.
      if (item.status == kStatusBufferTooSmall) continue;
      if (item.status != kStatusSuccess) return false;
      item.status = getScaledUsageValue(caps, type, item.usagePage, item.usage, report, reportLength,
                                        item.scaledValue);
    }
    item.isDataSet = true;
  }
  return true;
}

}  // namespace kavro::hid
