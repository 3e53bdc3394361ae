// Extraction of usages and values from one report, driven by the capabilities
// the descriptor parser computed. Fields are packed least significant bit
// first, starting right after the report-id byte.
#include <algorithm>

#include "platform/hid/report_descriptor.h"

namespace kavro::hid {
namespace {

// Reads `bits` (1..32) bits starting at bit `pos` of `data`. False when the
// field does not lie wholly within `bytes`.
bool readBits(const uint8_t* data, size_t bytes, uint64_t pos, uint32_t bits, uint32_t& value) {
  if (bits == 0 || bits > kMaxValueBits) return false;
  const uint64_t end = pos + bits;
  if (end > static_cast<uint64_t>(bytes) * 8) return false;
  uint64_t acc = 0;
  for (uint64_t b = (end - 1) / 8 + 1; b-- > pos / 8;) acc = (acc << 8) | data[b];
  acc >>= pos % 8;
  value = static_cast<uint32_t>(acc & ((uint64_t{1} << bits) - 1));
  return true;
}

int64_t signExtended(uint32_t raw, uint32_t bits) {
  if (bits == 0 || bits >= 32) return static_cast<int32_t>(raw);
  const uint32_t sign = uint32_t{1} << (bits - 1);
  return static_cast<int64_t>(raw ^ sign) - static_cast<int64_t>(sign);
}

// A field value as the logical range reads it: signed when the minimum is negative.
int64_t logicalValue(uint32_t raw, uint32_t bits, int32_t logicalMin) {
  return logicalMin < 0 ? signExtended(raw, bits) : static_cast<int64_t>(raw);
}

bool pageMatches(uint16_t capPage, uint16_t wanted) { return wanted == 0 || capPage == wanted; }

bool sameArray(const ButtonCaps& a, const ButtonCaps& b) {
  return a.isArray && b.isArray && a.reportId == b.reportId && a.bitPosition == b.bitPosition;
}

// Appends the usages a variable button capability reports; false when its
// fields run past the report.
bool collectVariable(const ButtonCaps& b, const uint8_t* data, size_t bytes, std::vector<uint16_t>& usages) {
  for (uint32_t f = 0; f < b.reportCount; ++f) {
    uint32_t raw = 0;
    if (!readBits(data, bytes, b.bitPosition + static_cast<uint64_t>(f) * b.reportSize, b.reportSize, raw))
      return false;
    if (raw == 0) continue;
    if (!b.isRange) {  // one usage over several bits: reported once
      usages.push_back(b.usageMin);
      return true;
    }
    usages.push_back(static_cast<uint16_t>(b.usageMin + f));
  }
  return true;
}

// Appends the usages one array selects, field by field. The array's
// capabilities are caps[0..n) and share its fields; each field selects a
// usage by its offset from the logical minimum. Values outside the logical
// range select nothing, and usage 0 means "no event".
bool collectArray(const ButtonCaps* caps, size_t n, uint16_t usagePage, const uint8_t* data, size_t bytes,
                  std::vector<uint16_t>& usages) {
  const ButtonCaps& first = caps[0];
  // Fields too wide to be read as numbers select no usage.
  if (first.reportSize > kMaxValueBits) return true;
  for (uint32_t f = 0; f < first.reportCount; ++f) {
    uint32_t raw = 0;
    if (!readBits(data, bytes, first.bitPosition + static_cast<uint64_t>(f) * first.reportSize, first.reportSize,
                  raw))
      return false;
    const int64_t v = logicalValue(raw, first.reportSize, first.logicalMin);
    if (v < first.logicalMin || v > first.logicalMax) continue;
    const int64_t index = v - first.logicalMin;
    for (size_t i = 0; i < n; ++i) {
      const ButtonCaps& b = caps[i];
      const int64_t offset = index - static_cast<int64_t>(b.arrayIndex);
      if (!pageMatches(b.usagePage, usagePage) || offset < 0 || offset > b.usageMax - b.usageMin) continue;
      const auto usage = static_cast<uint16_t>(b.usageMin + offset);
      if (usage != 0) usages.push_back(usage);
      break;
    }
  }
  return true;
}

// The value capability holding `usage` in the report with the given id.
uint32_t findValue(const ReportCaps& rc, uint16_t usagePage, uint16_t usage, uint8_t reportId,
                   const ValueCaps*& found) {
  bool inOtherReport = false;
  for (const ValueCaps& v : rc.values) {
    if (!pageMatches(v.usagePage, usagePage) || usage < v.usageMin || usage > v.usageMax) continue;
    if (v.reportId != reportId) {
      inOtherReport = true;
      continue;
    }
    found = &v;
    return kStatusSuccess;
  }
  return inOtherReport ? kStatusIncompatibleReportId : kStatusUsageNotFound;
}

// Finds the field of `usage` in the report: its capability and first bit
// after the id byte.
uint32_t locateValue(const ReportCaps& rc, uint16_t usagePage, uint16_t usage, const uint8_t* report,
                     size_t reportLength, const ValueCaps*& cap, uint64_t& pos) {
  if (report == nullptr || reportLength == 0) return kStatusInvalidReportLength;
  cap = nullptr;
  const uint32_t status = findValue(rc, usagePage, usage, report[0], cap);
  if (status != kStatusSuccess) return status;
  const uint32_t field = cap->isRange ? static_cast<uint32_t>(usage - cap->usageMin) : 0;
  pos = cap->bitPosition + static_cast<uint64_t>(field) * cap->bitSize;
  return kStatusSuccess;
}

uint32_t readValue(const ReportCaps& rc, uint16_t usagePage, uint16_t usage, const uint8_t* report,
                   size_t reportLength, const ValueCaps*& cap, uint32_t& raw) {
  uint64_t pos = 0;
  const uint32_t status = locateValue(rc, usagePage, usage, report, reportLength, cap, pos);
  if (status != kStatusSuccess) return status;
  if (cap->bitSize > kMaxValueBits) return kStatusBufferTooSmall;  // a byte array, not a number
  if (!readBits(report + 1, reportLength - 1, pos, cap->bitSize, raw)) return kStatusInvalidReportLength;
  return kStatusSuccess;
}

}  // namespace

const ReportCaps& CollectionCaps::report(ReportType t) const {
  switch (t) {
    case ReportType::Output: return output;
    case ReportType::Feature: return feature;
    default: return input;
  }
}

uint32_t maxUsageListLength(const CollectionCaps& caps, ReportType type, uint16_t usagePage) {
  uint32_t total = 0;
  const ButtonCaps* lastArray = nullptr;
  for (const ButtonCaps& b : caps.report(type).buttons) {
    if (!pageMatches(b.usagePage, usagePage)) continue;
    if (b.isArray) {
      // The capabilities of one array are adjacent and share its fields: the
      // array reports at most one usage per field.
      if (lastArray == nullptr || !sameArray(*lastArray, b)) total += b.reportCount;
      lastArray = &b;
    } else {
      total += static_cast<uint32_t>(b.usageMax - b.usageMin) + 1;
    }
  }
  return total;
}

uint32_t getUsages(const CollectionCaps& caps, ReportType type, uint16_t usagePage, const uint8_t* report,
                   size_t reportLength, std::vector<uint16_t>& usages) {
  usages.clear();
  if (report == nullptr || reportLength == 0) return kStatusInvalidReportLength;
  const std::vector<ButtonCaps>& buttons = caps.report(type).buttons;
  bool pageFound = false, reportFound = false;
  for (size_t i = 0; i < buttons.size();) {
    // One variable capability, or every adjacent capability of one array.
    size_t end = i + 1;
    while (end < buttons.size() && sameArray(buttons[i], buttons[end])) ++end;
    bool pageInGroup = false;
    for (size_t k = i; k < end; ++k) pageInGroup = pageInGroup || pageMatches(buttons[k].usagePage, usagePage);
    const ButtonCaps& b = buttons[i];
    if (pageInGroup) {
      pageFound = true;
      if (b.reportId == report[0]) {
        reportFound = true;
        const bool ok = b.isArray ? collectArray(&b, end - i, usagePage, report + 1, reportLength - 1, usages)
                                  : collectVariable(b, report + 1, reportLength - 1, usages);
        if (!ok) {
          usages.clear();
          return kStatusInvalidReportLength;
        }
      }
    }
    i = end;
  }
  if (!pageFound) return kStatusUsageNotFound;
  if (!reportFound) return kStatusIncompatibleReportId;
  return kStatusSuccess;
}

uint32_t getUsageValue(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                       const uint8_t* report, size_t reportLength, uint32_t& value) {
  const ValueCaps* cap = nullptr;
  uint32_t raw = 0;
  const uint32_t status = readValue(caps.report(type), usagePage, usage, report, reportLength, cap, raw);
  if (status == kStatusSuccess) value = raw;
  return status;
}

uint32_t getUsageValueBytes(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                            const uint8_t* report, size_t reportLength, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const ValueCaps* cap = nullptr;
  uint64_t pos = 0;
  const uint32_t status = locateValue(caps.report(type), usagePage, usage, report, reportLength, cap, pos);
  if (status != kStatusSuccess) return status;
  const uint64_t available = static_cast<uint64_t>(reportLength - 1) * 8;
  if (cap->bitSize == 0 || pos + cap->bitSize > available) return kStatusInvalidReportLength;
  const uint8_t* data = report + 1;
  bytes.assign((cap->bitSize + 7u) / 8u, 0);
  for (uint32_t i = 0; i < cap->bitSize; ++i) {
    const uint64_t bit = pos + i;
    if ((data[bit / 8] >> (bit % 8)) & 1u) bytes[i / 8] = static_cast<uint8_t>(bytes[i / 8] | (1u << (i % 8)));
  }
  return kStatusSuccess;
}

uint32_t getScaledUsageValue(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                             const uint8_t* report, size_t reportLength, int32_t& value) {
  const ValueCaps* cap = nullptr;
  uint32_t raw = 0;
  const uint32_t status = readValue(caps.report(type), usagePage, usage, report, reportLength, cap, raw);
  if (status != kStatusSuccess) return status;
  const int64_t logMin = cap->logicalMin, logMax = cap->logicalMax;
  // Without a physical range the logical range is the physical one.
  const bool noPhysical = cap->physicalMin == 0 && cap->physicalMax == 0;
  const int64_t phyMin = noPhysical ? logMin : cap->physicalMin;
  const int64_t phyMax = noPhysical ? logMax : cap->physicalMax;
  if (logMin >= logMax || phyMin >= phyMax) return kStatusBadLogPhyValues;
  const int64_t v = logicalValue(raw, cap->bitSize, cap->logicalMin);
  if (v < logMin || v > logMax) return cap->hasNull ? kStatusNullValue : kStatusValueOutOfRange;
  // Both factors reach 2^32, so the product needs more than 64 bits.
  const __int128 scaled = static_cast<__int128>(v - logMin) * (phyMax - phyMin) / (logMax - logMin) + phyMin;
  value = static_cast<int32_t>(scaled);
  return kStatusSuccess;
}

}  // namespace kavro::hid
