// HID report-descriptor parser. Walks the items once, keeping the global,
// local and collection state of the HID class definition, and turns every
// Input, Output and Feature main item into capabilities of the top-level
// collection that holds it. Every count that a descriptor controls is checked
// against a fixed limit before anything is stored.
#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kavro::hid {
namespace {

// Short item prefix byte: bits 0-1 data size code (0, 1, 2 or 4 bytes),
// bits 2-3 item type, bits 4-7 tag. Data follows, little endian.
constexpr uint8_t kLongItemPrefix = 0xFE;  // long item: data size, long tag, data
constexpr uint8_t kDataBytesByCode[4] = {0, 1, 2, 4};

enum ItemType : uint8_t { kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2, kTypeReserved = 3 };

enum MainTag : uint8_t {
  kMainInput = 0x8,
  kMainOutput = 0x9,
  kMainCollection = 0xA,
  kMainFeature = 0xB,
  kMainEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kGlobalUsagePage = 0x0,
  kGlobalLogicalMin = 0x1,
  kGlobalLogicalMax = 0x2,
  kGlobalPhysicalMin = 0x3,
  kGlobalPhysicalMax = 0x4,
  kGlobalUnitExponent = 0x5,
  kGlobalUnit = 0x6,
  kGlobalReportSize = 0x7,
  kGlobalReportId = 0x8,
  kGlobalReportCount = 0x9,
  kGlobalPush = 0xA,
  kGlobalPop = 0xB,
};

// Local tags the parser acts on; designator and string items are accepted and ignored.
enum LocalTag : uint8_t {
  kLocalUsage = 0x0,
  kLocalUsageMin = 0x1,
  kLocalUsageMax = 0x2,
  kLocalDelimiter = 0xA,
};

// Main item data bit 1: set = variable (one field per usage), clear = array.
constexpr uint32_t kMainBitVariable = 0x02;
// Main item data bit 6: the field has a null state.
constexpr uint32_t kMainBitNullState = 0x40;

constexpr uint32_t kMaxReportBits = kMaxReportBytes * 8;
constexpr uint32_t kMaxDataIndices = 0xFFFF;
constexpr size_t kReportTypes = 3;
constexpr size_t kReportIds = 256;

bool isKnownMain(uint8_t tag) {
  return tag == kMainInput || tag == kMainOutput || tag == kMainCollection || tag == kMainFeature ||
         tag == kMainEndCollection;
}

struct Item {
  uint8_t type = 0;
  uint8_t tag = 0;
  uint8_t size = 0;  // data bytes: 0, 1, 2 or 4
  uint32_t data = 0;
  size_t offset = 0;  // offset of the prefix byte, for error texts
};

int32_t signedData(const Item& it) {
  switch (it.size) {
    case 1: return static_cast<int8_t>(it.data);
    case 2: return static_cast<int16_t>(it.data);
    case 4: return static_cast<int32_t>(it.data);
    default: return 0;
  }
}

// A limit item keeps both readings: a maximum is read unsigned when its
// minimum is not negative (descriptors often write 255 as one byte 0xFF).
struct Limit {
  int32_t asSigned = 0;
  uint32_t asUnsigned = 0;
};

Limit limitOf(const Item& it) { return {signedData(it), it.data}; }

int32_t maximumFor(int32_t minimum, const Limit& max) {
  return minimum < 0 ? max.asSigned : static_cast<int32_t>(max.asUnsigned);
}

struct GlobalState {
  uint16_t usagePage = 0;
  int32_t logicalMin = 0;
  Limit logicalMax;
  int32_t physicalMin = 0;
  Limit physicalMax;
  uint32_t unitExponent = 0;
  uint32_t unit = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

// A usage or usage range of the local state; the page comes from the item
// itself for a 4-byte (extended) usage, else from the global usage page in
// effect at the main item.
struct UsageEntry {
  bool explicitPage = false;
  uint16_t page = 0;
  uint16_t min = 0;
  uint16_t max = 0;
  bool isRange = false;
};

struct LocalState {
  std::vector<UsageEntry> usages;
  std::optional<Item> pendingMin, pendingMax;
  bool inDelimiterSet = false;
  bool delimiterSetHasUsage = false;  // only the first usage of a delimiter set counts
};

ReportCaps& reportOf(CollectionCaps& c, ReportType t) {
  switch (t) {
    case ReportType::Output: return c.output;
    case ReportType::Feature: return c.feature;
    default: return c.input;
  }
}

const char* typeName(ReportType t) {
  switch (t) {
    case ReportType::Output: return "output";
    case ReportType::Feature: return "feature";
    default: return "input";
  }
}

class Parser {
 public:
  explicit Parser(DescriptorInfo& out) : out_(out) {}

  bool run(const uint8_t* data, size_t size);
  const std::string& error() const { return error_; }

 private:
  bool fail(size_t offset, const std::string& what) {
    error_ = "offset " + std::to_string(offset) + ": " + what;
    return false;
  }
  bool readItem(const uint8_t* data, size_t size, size_t& pos, Item& it);
  bool onGlobal(const Item& it);
  bool onLocal(const Item& it);
  bool addUsage(const Item& it, UsageEntry entry);
  bool closeRange(const Item& it);
  bool onMain(const Item& it);
  bool openCollection(const Item& it);
  bool addField(const Item& it, ReportType type);
  bool addCaps(const Item& it, ReportCaps& rc, uint16_t bitField, uint32_t firstBit);
  bool takeDataIndices(const Item& it, ReportCaps& rc, uint32_t usages, uint16_t& first, uint16_t& last);
  UsageEntry resolved(const UsageEntry& u) const;
  void finish();

  DescriptorInfo& out_;
  std::string error_;
  GlobalState global_;
  std::vector<GlobalState> stack_;
  LocalState local_;
  std::vector<uint16_t> nodes_;  // link-collection index of each open collection
  size_t collectionItems_ = 0;
  size_t caps_ = 0;
  bool fieldWithoutId_ = false;
  // Bits used so far by each report, and the top-level collection (index + 1) it belongs to.
  std::array<std::array<uint32_t, kReportIds>, kReportTypes> bits_{};
  std::array<std::array<uint16_t, kReportIds>, kReportTypes> owner_{};
};

bool Parser::readItem(const uint8_t* data, size_t size, size_t& pos, Item& it) {
  it = Item{};
  it.offset = pos;
  const uint8_t prefix = data[pos];
  if (prefix == kLongItemPrefix) return fail(pos, "long items are not supported");
  it.size = kDataBytesByCode[prefix & 0x03];
  it.type = (prefix >> 2) & 0x03;
  it.tag = prefix >> 4;
  if (size - pos - 1 < it.size) return fail(pos, "item truncated by the end of the descriptor");
  for (uint8_t i = 0; i < it.size; ++i) it.data |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
  pos += 1 + it.size;
  return true;
}

bool Parser::onGlobal(const Item& it) {
  switch (it.tag) {
    case kGlobalUsagePage:
      if (it.data > 0xFFFF) return fail(it.offset, "usage page wider than 16 bits");
      global_.usagePage = static_cast<uint16_t>(it.data);
      return true;
    case kGlobalLogicalMin: global_.logicalMin = signedData(it); return true;
    case kGlobalLogicalMax: global_.logicalMax = limitOf(it); return true;
    case kGlobalPhysicalMin: global_.physicalMin = signedData(it); return true;
    case kGlobalPhysicalMax: global_.physicalMax = limitOf(it); return true;
    case kGlobalUnitExponent: global_.unitExponent = it.data; return true;
    case kGlobalUnit: global_.unit = it.data; return true;
    case kGlobalReportSize: global_.reportSize = it.data; return true;
    case kGlobalReportCount: global_.reportCount = it.data; return true;
    case kGlobalReportId:
      if (it.data == 0 || it.data >= kReportIds) return fail(it.offset, "report id outside 1..255");
      if (fieldWithoutId_) return fail(it.offset, "report id after main items without one");
      global_.reportId = static_cast<uint8_t>(it.data);
      out_.usesReportIds = true;
      return true;
    case kGlobalPush:
      if (stack_.size() >= kMaxGlobalStack) return fail(it.offset, "push nested too deep");
      stack_.push_back(global_);
      return true;
    case kGlobalPop:
      if (stack_.empty()) return fail(it.offset, "pop without push");
      global_ = stack_.back();
      stack_.pop_back();
      return true;
    default: return fail(it.offset, "reserved global item tag " + std::to_string(it.tag));
  }
}

bool Parser::addUsage(const Item& it, UsageEntry entry) {
  if (local_.inDelimiterSet) {
    if (local_.delimiterSetHasUsage) return true;  // an alias of the set's first usage
    local_.delimiterSetHasUsage = true;
  }
  if (local_.usages.size() >= kMaxLocalUsages) return fail(it.offset, "too many usages before one main item");
  local_.usages.push_back(entry);
  return true;
}

// Usage of a local item: a 4-byte item carries its page in the upper 16 bits.
UsageEntry usageOf(const Item& it) {
  UsageEntry u;
  u.explicitPage = it.size == 4;
  u.page = static_cast<uint16_t>(it.data >> 16);
  u.min = u.max = static_cast<uint16_t>(it.data & 0xFFFF);
  return u;
}

// Turns a complete usage minimum/maximum pair into a range entry.
bool Parser::closeRange(const Item& it) {
  if (!local_.pendingMin || !local_.pendingMax) return true;
  const UsageEntry lo = usageOf(*local_.pendingMin);
  const UsageEntry hi = usageOf(*local_.pendingMax);
  local_.pendingMin.reset();
  local_.pendingMax.reset();
  if (lo.explicitPage && hi.explicitPage && lo.page != hi.page)
    return fail(it.offset, "usage range spans two usage pages");
  if (lo.min > hi.min) return fail(it.offset, "usage minimum above usage maximum");
  UsageEntry range;
  range.explicitPage = lo.explicitPage || hi.explicitPage;
  range.page = lo.explicitPage ? lo.page : hi.page;
  range.min = lo.min;
  range.max = hi.min;
  range.isRange = true;
  return addUsage(it, range);
}

bool Parser::onLocal(const Item& it) {
  const bool ignored = local_.inDelimiterSet && local_.delimiterSetHasUsage;
  switch (it.tag) {
    case kLocalUsage: return addUsage(it, usageOf(it));
    case kLocalUsageMin:
      if (ignored) return true;
      if (local_.pendingMin) return fail(it.offset, "usage minimum repeated before its maximum");
      local_.pendingMin = it;
      return closeRange(it);
    case kLocalUsageMax:
      if (ignored) return true;
      if (local_.pendingMax) return fail(it.offset, "usage maximum repeated before its minimum");
      local_.pendingMax = it;
      return closeRange(it);
    case kLocalDelimiter:
      if (it.data == 1) {
        if (local_.inDelimiterSet) return fail(it.offset, "nested delimiter set");
        local_.inDelimiterSet = true;
        local_.delimiterSetHasUsage = false;
      } else if (it.data == 0) {
        if (!local_.inDelimiterSet) return fail(it.offset, "delimiter close without open");
        local_.inDelimiterSet = false;
      } else {
        return fail(it.offset, "delimiter value other than open or close");
      }
      return true;
    default: return true;  // designator and string items do not affect the capabilities
  }
}

UsageEntry Parser::resolved(const UsageEntry& u) const {
  UsageEntry r = u;
  if (!r.explicitPage) r.page = global_.usagePage;
  return r;
}

bool Parser::openCollection(const Item& it) {
  if (nodes_.size() >= kMaxCollectionDepth) return fail(it.offset, "collections nested too deep");
  if (++collectionItems_ > kMaxCollections) return fail(it.offset, "too many collections");
  if (nodes_.empty()) {
    CollectionCaps top;
    top.usagePage = global_.usagePage;
    if (!local_.usages.empty()) {
      const UsageEntry u = resolved(local_.usages.front());
      top.usagePage = u.page;
      top.usage = u.min;
    }
    top.linkCollectionNodes = 1;
    out_.collections.push_back(std::move(top));
    nodes_.push_back(0);
    return true;
  }
  CollectionCaps& top = out_.collections.back();
  nodes_.push_back(top.linkCollectionNodes++);
  return true;
}

bool Parser::onMain(const Item& it) {
  if (!isKnownMain(it.tag)) {
    // A reserved main item (a zero byte is one) ends the local state and
    // adds nothing, as in the kernel's parser.
    local_ = LocalState{};
    return true;
  }
  if (local_.pendingMin || local_.pendingMax) return fail(it.offset, "usage minimum and maximum not paired");
  if (local_.inDelimiterSet) return fail(it.offset, "delimiter set not closed");
  bool ok = true;
  switch (it.tag) {
    case kMainInput: ok = addField(it, ReportType::Input); break;
    case kMainOutput: ok = addField(it, ReportType::Output); break;
    case kMainFeature: ok = addField(it, ReportType::Feature); break;
    case kMainCollection: ok = openCollection(it); break;
    case kMainEndCollection:
      if (nodes_.empty()) return fail(it.offset, "end collection without collection");
      nodes_.pop_back();
      break;
    default: break;
  }
  local_ = LocalState{};
  return ok;
}

bool Parser::addField(const Item& it, ReportType type) {
  if (nodes_.empty()) return fail(it.offset, "main item outside a collection");
  const uint32_t size = global_.reportSize;
  if (size > kMaxFieldBits) return fail(it.offset, "report size above " + std::to_string(kMaxFieldBits) + " bits");
  if (global_.reportCount > kMaxReportCount)
    return fail(it.offset, "report count above " + std::to_string(kMaxReportCount));
  const uint64_t bits = static_cast<uint64_t>(size) * global_.reportCount;
  if (bits == 0) return true;  // nothing in the report
  const uint8_t id = global_.reportId;
  if (id == 0) {
    if (out_.usesReportIds) return fail(it.offset, "main item without a report id");
    fieldWithoutId_ = true;
  }
  const size_t t = static_cast<size_t>(type);
  uint32_t& used = bits_[t][id];
  if (used + bits > kMaxReportBits)
    return fail(it.offset, "report longer than " + std::to_string(kMaxReportBytes) + " bytes");
  const auto top = static_cast<uint16_t>(out_.collections.size());
  if (owner_[t][id] != 0 && owner_[t][id] != top)
    return fail(it.offset, std::string(typeName(type)) + " report " + std::to_string(id) +
                               " in two top-level collections");
  owner_[t][id] = top;
  const uint32_t firstBit = used;
  used += static_cast<uint32_t>(bits);
  ReportCaps& rc = reportOf(out_.collections.back(), type);
  return addCaps(it, rc, static_cast<uint16_t>(it.data & 0xFFFF), firstBit);
}

bool Parser::takeDataIndices(const Item& it, ReportCaps& rc, uint32_t usages, uint16_t& first, uint16_t& last) {
  if (++caps_ > kMaxCaps) return fail(it.offset, "too many capabilities");
  if (kMaxDataIndices - rc.dataIndices < usages) return fail(it.offset, "too many usages in one report type");
  first = rc.dataIndices;
  rc.dataIndices = static_cast<uint16_t>(rc.dataIndices + usages);
  last = static_cast<uint16_t>(rc.dataIndices - 1);
  return true;
}

// One capability per usage entry. Variable fields take the usages in order: a
// range covers as many fields as it has usages (cut at the last field), a
// single usage one field, and the last single usage every remaining field. An
// array's capabilities share all its fields, whose values select usages.
bool Parser::addCaps(const Item& it, ReportCaps& rc, uint16_t bitField, uint32_t firstBit) {
  const uint32_t size = global_.reportSize;
  const uint32_t count = global_.reportCount;
  const bool isArray = (bitField & kMainBitVariable) == 0;
  const int32_t logicalMin = global_.logicalMin;
  const int32_t logicalMax = maximumFor(logicalMin, global_.logicalMax);
  uint32_t pos = 0;  // arrays: position in the usage list; variables: fields used
  for (size_t i = 0; i < local_.usages.size(); ++i) {
    const UsageEntry u = resolved(local_.usages[i]);
    const uint32_t span = static_cast<uint32_t>(u.max - u.min) + 1;
    uint32_t fields = count;
    uint16_t usageMax = u.max;
    if (!isArray) {
      if (pos >= count) break;
      const bool last = i + 1 == local_.usages.size();
      fields = std::min(u.isRange ? span : (last ? count - pos : 1), count - pos);
      if (u.isRange) usageMax = static_cast<uint16_t>(u.min + fields - 1);
    }
    const uint32_t bitPosition = isArray ? firstBit : firstBit + pos * size;
    uint16_t indexMin = 0, indexMax = 0;
    if (!takeDataIndices(it, rc, static_cast<uint32_t>(usageMax - u.min) + 1, indexMin, indexMax)) return false;
    if (isArray || size == 1) {
      ButtonCaps b;
      b.usagePage = u.page;
      b.reportId = global_.reportId;
      b.isRange = u.isRange;
      b.usageMin = u.min;
      b.usageMax = usageMax;
      b.isArray = isArray;
      b.linkCollection = nodes_.back();
      b.bitField = bitField;
      b.bitPosition = bitPosition;
      b.reportSize = static_cast<uint16_t>(size);
      b.reportCount = static_cast<uint16_t>(fields);
      b.logicalMin = logicalMin;
      b.logicalMax = logicalMax;
      b.dataIndexMin = indexMin;
      b.dataIndexMax = indexMax;
      b.arrayIndex = isArray ? pos : 0;
      rc.buttons.push_back(b);
    } else {
      ValueCaps v;
      v.usagePage = u.page;
      v.reportId = global_.reportId;
      v.isRange = u.isRange;
      v.usageMin = u.min;
      v.usageMax = usageMax;
      v.linkCollection = nodes_.back();
      v.bitField = bitField;
      v.hasNull = (bitField & kMainBitNullState) != 0;
      v.bitPosition = bitPosition;
      v.bitSize = static_cast<uint16_t>(size);
      v.reportCount = static_cast<uint16_t>(fields);
      v.logicalMin = logicalMin;
      v.logicalMax = logicalMax;
      v.physicalMin = global_.physicalMin;
      v.physicalMax = maximumFor(global_.physicalMin, global_.physicalMax);
      v.units = global_.unit;
      v.unitsExp = global_.unitExponent;
      v.dataIndexMin = indexMin;
      v.dataIndexMax = indexMax;
      rc.values.push_back(v);
    }
    pos += isArray ? span : fields;
  }
  return true;
}

// Report lengths and id lists, from the bits each report uses.
void Parser::finish() {
  for (size_t t = 0; t < kReportTypes; ++t) {
    for (size_t id = 0; id < kReportIds; ++id) {
      if (owner_[t][id] == 0) continue;
      ReportCaps& rc = reportOf(out_.collections[owner_[t][id] - 1u], static_cast<ReportType>(t));
      const auto bytes = static_cast<uint16_t>((bits_[t][id] + 7) / 8 + 1);
      rc.byteLength = std::max(rc.byteLength, bytes);
      rc.reportIds.push_back(static_cast<uint8_t>(id));
    }
  }
}

bool Parser::run(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return fail(0, "empty descriptor");
  if (size > kMaxDescriptorBytes) return fail(0, "descriptor longer than 4096 bytes");
  size_t pos = 0;
  while (pos < size) {
    Item it;
    if (!readItem(data, size, pos, it)) return false;
    bool ok = true;
    switch (it.type) {
      case kTypeMain: ok = onMain(it); break;
      case kTypeGlobal: ok = onGlobal(it); break;
      case kTypeLocal: ok = onLocal(it); break;
      default: break;  // reserved item type: skipped, as the kernel does
    }
    if (!ok) return false;
  }
  if (!nodes_.empty()) return fail(size, "collection not closed at the end of the descriptor");
  if (out_.collections.empty()) return fail(size, "no top-level collection");
  finish();
  return true;
}

}  // namespace

bool parseReportDescriptor(const uint8_t* data, size_t size, DescriptorInfo& out, std::string* error) {
  DescriptorInfo parsed;
  Parser parser(parsed);
  if (!parser.run(data, size)) {
    out = DescriptorInfo{};
    if (error) *error = parser.error();
    return false;
  }
  out = std::move(parsed);
  if (error) error->clear();
  return true;
}

}  // namespace kavro::hid
