#pragma once
// HID report-descriptor parser: computes, per top-level collection, the report
// capabilities the rest of the program relies on (the same figures a HID class
// driver reports): usage page and usage, report byte lengths (largest report of
// each type in bytes plus the report-id byte), link-collection count, button and
// value capabilities, and extraction of usages and values from a report.
// Pure functions over bytes; no I/O.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

// One button capability: a main item whose fields are 1-bit variables, or an array.
struct ButtonCaps {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isRange = false;
  uint16_t usageMin = 0;  // equals usageMax for a single usage
  uint16_t usageMax = 0;
  bool isArray = false;          // selector array: fields carry usage indices
  uint16_t linkCollection = 0;   // index of the collection node that holds it
  uint16_t bitField = 0;         // the main item's data bits (constant, variable, relative ...)
  uint32_t bitPosition = 0;      // first bit of the fields within the report, after the id byte
  uint16_t reportSize = 0;       // bits per field
  uint16_t reportCount = 0;      // fields
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  uint16_t dataIndexMin = 0;  // data indices of usageMin..usageMax within the collection and report type
  uint16_t dataIndexMax = 0;
  // Arrays: position of usageMin in the main item's usage list, so a field
  // value v selects usageMin + (v - logicalMin - arrayIndex).
  uint32_t arrayIndex = 0;
};

// One value capability: a variable main item with fields wider than one bit.
struct ValueCaps {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isRange = false;
  uint16_t usageMin = 0;  // equals usageMax for a single usage
  uint16_t usageMax = 0;
  uint16_t linkCollection = 0;
  uint16_t bitField = 0;
  bool hasNull = false;
  uint32_t bitPosition = 0;  // first bit within the report, after the id byte
  uint16_t bitSize = 0;      // bits per field
  uint16_t reportCount = 0;  // fields
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  uint32_t units = 0;
  uint32_t unitsExp = 0;
  uint16_t dataIndexMin = 0;
  uint16_t dataIndexMax = 0;
};

struct ReportCaps {
  uint16_t byteLength = 0;  // largest report of this type in bytes + 1 for the id byte; 0 when none
  std::vector<ButtonCaps> buttons;
  std::vector<ValueCaps> values;
  std::vector<uint8_t> reportIds;  // ids of reports of this type in the collection (0 when ids are unused)
  uint16_t dataIndices = 0;        // data indices handed out (usages of every capability)
};

// Capabilities of one top-level collection.
// Fields up to this width are read as numbers; wider ones (serial numbers,
// vendor blobs) only as bytes (getUsageValueBytes).
constexpr uint32_t kMaxValueBits = 32;

struct CollectionCaps {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t linkCollectionNodes = 0;  // this collection and every collection nested in it
  ReportCaps input, output, feature;
  const ReportCaps& report(ReportType t) const;
};

struct DescriptorInfo {
  bool usesReportIds = false;
  std::vector<CollectionCaps> collections;  // in descriptor order
};

// Limits that keep a hostile descriptor from costing unbounded time or memory.
// They are those of the kernel's own parser where it has one, so that every
// descriptor the kernel accepts is accepted here too.
constexpr size_t kMaxDescriptorBytes = 4096;    // the largest descriptor a HID device can hand out
constexpr uint32_t kMaxFieldBits = 256;         // report size of one field
constexpr uint32_t kMaxReportCount = 12288;     // fields of one main item
constexpr uint32_t kMaxReportBytes = 65534;     // one report's data, so that its length with the id fits 16 bits
constexpr size_t kMaxCollectionDepth = 32;      // nesting of collections
constexpr size_t kMaxGlobalStack = 16;          // pushes without pop
constexpr size_t kMaxCollections = 1024;        // collection items in the whole descriptor
constexpr size_t kMaxLocalUsages = 256;         // usages and usage ranges before one main item
constexpr size_t kMaxCaps = 4096;               // button and value capabilities in the whole descriptor

// Parses a descriptor. On a malformed or hostile descriptor (truncated items,
// unbalanced collections or push/pop, absurd sizes or counts, too deep nesting,
// too many items, an input report in two top-level collections) returns false
// and sets error; never allocates without bound. Items of the reserved type
// and main items of reserved tags (such as a zero byte after the last item)
// are skipped, as the kernel skips them.
bool parseReportDescriptor(const uint8_t* data, size_t size, DescriptorInfo& out, std::string* error = nullptr);

// Result codes of the extraction functions (the figures a HID class driver uses).
constexpr uint32_t kStatusSuccess = 0x00110000;
constexpr uint32_t kStatusInvalidReportLength = 0xC0110003;
constexpr uint32_t kStatusIncompatibleReportId = 0xC0110010;
constexpr uint32_t kStatusUsageNotFound = 0xC0110004;
constexpr uint32_t kStatusBadLogPhyValues = 0xC0110006;
constexpr uint32_t kStatusNullValue = 0xC0110002;
constexpr uint32_t kStatusBufferTooSmall = 0xC0110007;
constexpr uint32_t kStatusValueOutOfRange = 0xC0110005;  // scaled read of a value outside the logical range

// Largest number of usages a usage list can hold for the report type and usage
// page (0 = every page).
uint32_t maxUsageListLength(const CollectionCaps& caps, ReportType type, uint16_t usagePage);

// Usages set in the report (byte 0 = report id) for the given usage page,
// over every button capability of that page whose report id matches (page 0 =
// every page). usages is replaced by the list; it never holds more than
// maxUsageListLength entries.
uint32_t getUsages(const CollectionCaps& caps, ReportType type, uint16_t usagePage, const uint8_t* report,
                   size_t reportLength, std::vector<uint16_t>& usages);

// Raw value of one usage in the report (first field for a ranged capability's
// usage at its index). Sign is not extended. A field wider than kMaxValueBits
// is no number: kStatusBufferTooSmall.
uint32_t getUsageValue(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                       const uint8_t* report, size_t reportLength, uint32_t& value);

// The bits of one usage's field as bytes, least significant first, in
// (bits + 7) / 8 bytes; serves fields of any width.
uint32_t getUsageValueBytes(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                            const uint8_t* report, size_t reportLength, std::vector<uint8_t>& bytes);

// Value scaled into the physical range; needs a sane logical and physical range.
uint32_t getScaledUsageValue(const CollectionCaps& caps, ReportType type, uint16_t usagePage, uint16_t usage,
                             const uint8_t* report, size_t reportLength, int32_t& value);

}  // namespace kavro::hid
