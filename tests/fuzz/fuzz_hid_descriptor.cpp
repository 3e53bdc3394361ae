// LIBS: kavro_hid
// Parses a descriptor taken from the input, then runs every extraction
// function over a report built from the rest of the input.
// Input: descriptor length (2 bytes, little endian), descriptor, report bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid/report_descriptor.h"

using namespace kavro::hid;

namespace {

constexpr size_t kLengthBytes = 2;
constexpr uint32_t kMaxUsagesTried = 64;  // per value capability, to keep each run short

void exercise(const CollectionCaps& c, ReportType type, const uint8_t* tail, size_t tailSize) {
  const ReportCaps& rc = c.report(type);
  // A report of the collection's length for each of its ids, filled from the
  // input; and one cut short by the input's end.
  for (uint8_t id : rc.reportIds) {
    std::vector<uint8_t> report(rc.byteLength, 0);
    report[0] = id;
    for (size_t i = 1; i < report.size() && i - 1 < tailSize; ++i) report[i] = tail[i - 1];
    for (const size_t length : {report.size(), std::min(report.size(), tailSize + 1)}) {
      std::vector<uint16_t> usages;
      const uint32_t limit = maxUsageListLength(c, type, 0);
      for (size_t i = 0; i < rc.buttons.size(); ++i) {
        const uint16_t page = rc.buttons[i].usagePage;
        if (i > 0 && rc.buttons[i - 1].usagePage == page) continue;
        if (getUsages(c, type, page, report.data(), length, usages) == kStatusSuccess && usages.size() > limit)
          __builtin_trap();  // the list never outgrows its largest length
      }
      getUsages(c, type, 0, report.data(), length, usages);
      for (const ValueCaps& v : rc.values) {
        const uint32_t last = std::min<uint32_t>(v.usageMax, v.usageMin + kMaxUsagesTried);
        for (uint32_t u = v.usageMin; u <= last; ++u) {
          uint32_t raw = 0;
          int32_t scaled = 0;
          const auto usage = static_cast<uint16_t>(u);
          getUsageValue(c, type, v.usagePage, usage, report.data(), length, raw);
          getScaledUsageValue(c, type, v.usagePage, usage, report.data(), length, scaled);
          std::vector<uint8_t> bytes;
          const ValueCaps* owner = nullptr;  // the capability the readers pick for this usage
          for (const ValueCaps& o : rc.values) {
            const bool page = v.usagePage == 0 || o.usagePage == v.usagePage;
            if (page && o.reportId == id && usage >= o.usageMin && usage <= o.usageMax) {
              owner = &o;
              break;
            }
          }
          if (getUsageValueBytes(c, type, v.usagePage, usage, report.data(), length, bytes) == kStatusSuccess &&
              (owner == nullptr || bytes.size() != (owner->bitSize + 7u) / 8u))
            __builtin_trap();  // every bit of the field, in whole bytes
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kLengthBytes) return 0;
  size_t descriptorSize = data[0] | (static_cast<size_t>(data[1]) << 8);
  data += kLengthBytes;
  size -= kLengthBytes;
  if (descriptorSize > size) descriptorSize = size;
  DescriptorInfo info;
  std::string error;
  if (!parseReportDescriptor(data, descriptorSize, info, &error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  for (const CollectionCaps& c : info.collections) {
    for (ReportType t : {ReportType::Input, ReportType::Output, ReportType::Feature})
      exercise(c, t, data + descriptorSize, size - descriptorSize);
  }
  return 0;
}
