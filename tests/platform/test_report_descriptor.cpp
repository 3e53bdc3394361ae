// Report-descriptor parser and report extraction: real-world descriptors with
// figures worked out by hand, extraction of usages and values, and hostile
// descriptors that must be refused without harm.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/hid/hid_device.h"
#include "platform/hid/report_descriptor.h"

using namespace kavro::hid;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes loadDescriptor(const std::string& name) {
  std::ifstream in(std::string(KAVRO_TEST_DATA_DIR) + "/descriptors/" + name + ".rpt_desc", std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DescriptorInfo parseOk(const Bytes& d) {
  DescriptorInfo info;
  std::string error;
  EXPECT_TRUE(parseReportDescriptor(d.data(), d.size(), info, &error)) << error;
  return info;
}

DescriptorInfo parseFile(const std::string& name) {
  const Bytes d = loadDescriptor(name);
  EXPECT_FALSE(d.empty()) << name;
  return parseOk(d);
}

}  // namespace

TEST(ReportDescriptor, BootKeyboard) {
  const DescriptorInfo info = parseFile("0c45_7601_0001_0006");
  ASSERT_EQ(info.collections.size(), 1u);
  EXPECT_FALSE(info.usesReportIds);
  const CollectionCaps& kb = info.collections[0];
  EXPECT_EQ(kb.usagePage, 0x01);
  EXPECT_EQ(kb.usage, 0x06);
  EXPECT_EQ(kb.linkCollectionNodes, 1);
  EXPECT_EQ(kb.input.byteLength, 9);
  EXPECT_EQ(kb.output.byteLength, 2);
  EXPECT_EQ(kb.feature.byteLength, 0);
  EXPECT_EQ(kb.input.reportIds, Bytes{0});
  // Modifier bits and the key array; the constant byte between them has no usage.
  ASSERT_EQ(kb.input.buttons.size(), 2u);
  const ButtonCaps& mods = kb.input.buttons[0];
  EXPECT_FALSE(mods.isArray);
  EXPECT_TRUE(mods.isRange);
  EXPECT_EQ(mods.usagePage, 0x07);
  EXPECT_EQ(mods.usageMin, 0xE0);
  EXPECT_EQ(mods.usageMax, 0xE7);
  EXPECT_EQ(mods.bitPosition, 0u);
  const ButtonCaps& keys = kb.input.buttons[1];
  EXPECT_TRUE(keys.isArray);
  EXPECT_EQ(keys.usageMin, 0x00);
  EXPECT_EQ(keys.usageMax, 0x65);
  EXPECT_EQ(keys.bitPosition, 16u);
  EXPECT_EQ(keys.reportSize, 8);
  EXPECT_EQ(keys.reportCount, 6);
  EXPECT_TRUE(kb.input.values.empty());
  ASSERT_EQ(kb.output.buttons.size(), 1u);
  EXPECT_EQ(kb.output.buttons[0].usagePage, 0x08);
  EXPECT_EQ(kb.output.buttons[0].usageMax, 0x05);
  EXPECT_EQ(maxUsageListLength(kb, ReportType::Input, 0x07), 8u + 6u);
  EXPECT_EQ(maxUsageListLength(kb, ReportType::Output, 0x08), 5u);
  EXPECT_EQ(maxUsageListLength(kb, ReportType::Input, 0x09), 0u);
}

TEST(ReportDescriptor, BootMouseNestedCollectionAndValues) {
  const DescriptorInfo info = parseFile("0c45_7602_0001_0002");
  ASSERT_EQ(info.collections.size(), 1u);
  const CollectionCaps& m = info.collections[0];
  EXPECT_EQ(m.usagePage, 0x01);
  EXPECT_EQ(m.usage, 0x02);
  EXPECT_EQ(m.linkCollectionNodes, 2);
  EXPECT_EQ(m.input.byteLength, 4);
  EXPECT_EQ(m.output.byteLength, 0);
  ASSERT_EQ(m.input.buttons.size(), 1u);
  EXPECT_EQ(m.input.buttons[0].linkCollection, 1);
  ASSERT_EQ(m.input.values.size(), 2u);
  const ValueCaps& x = m.input.values[0];
  const ValueCaps& y = m.input.values[1];
  EXPECT_EQ(x.usageMin, 0x30);
  EXPECT_EQ(y.usageMin, 0x31);
  EXPECT_EQ(x.bitPosition, 8u);
  EXPECT_EQ(y.bitPosition, 16u);
  EXPECT_EQ(y.reportCount, 1);
  EXPECT_EQ(x.logicalMin, -127);
  EXPECT_EQ(x.logicalMax, 127);
  EXPECT_EQ(x.bitField, 0x06);

  // Buttons 1 and 3, X = -2, Y = +5.
  const Bytes report{0x00, 0x05, 0xFE, 0x05};
  std::vector<uint16_t> usages;
  EXPECT_EQ(getUsages(m, ReportType::Input, 0x09, report.data(), report.size(), usages), kStatusSuccess);
  EXPECT_EQ(usages, (std::vector<uint16_t>{1, 3}));
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(getUsageValue(m, ReportType::Input, 0x01, 0x30, report.data(), report.size(), raw), kStatusSuccess);
  EXPECT_EQ(raw, 0xFEu);  // not sign-extended
  EXPECT_EQ(getScaledUsageValue(m, ReportType::Input, 0x01, 0x30, report.data(), report.size(), scaled),
            kStatusSuccess);
  EXPECT_EQ(scaled, -2);  // no physical range: the logical range stands in
  EXPECT_EQ(getScaledUsageValue(m, ReportType::Input, 0x01, 0x31, report.data(), report.size(), scaled),
            kStatusSuccess);
  EXPECT_EQ(scaled, 5);
}

TEST(ReportDescriptor, ConsumerAndVendorCollections) {
  const DescriptorInfo consumer = parseFile("0c45_7603_000c_0001");
  ASSERT_EQ(consumer.collections.size(), 1u);
  EXPECT_EQ(consumer.collections[0].usagePage, 0x0C);
  EXPECT_EQ(consumer.collections[0].input.byteLength, 3);
  ASSERT_EQ(consumer.collections[0].input.buttons.size(), 1u);
  EXPECT_EQ(consumer.collections[0].input.buttons[0].usageMax, 0x3FF);
  EXPECT_EQ(consumer.collections[0].input.dataIndices, 0x400);

  const DescriptorInfo vendor = parseFile("0c45_7604_ff1c_0092");
  ASSERT_EQ(vendor.collections.size(), 1u);
  const CollectionCaps& v = vendor.collections[0];
  EXPECT_TRUE(vendor.usesReportIds);
  EXPECT_EQ(v.usagePage, 0xFF1C);
  EXPECT_EQ(v.usage, 0x0092);
  EXPECT_EQ(v.input.byteLength, 65);
  EXPECT_EQ(v.output.byteLength, 65);
  EXPECT_EQ(v.input.reportIds, Bytes{4});
  EXPECT_EQ(v.output.reportIds, Bytes{4});
  ASSERT_EQ(v.input.values.size(), 1u);
  EXPECT_EQ(v.input.values[0].reportCount, 64);  // one usage over every field
  EXPECT_EQ(v.input.values[0].bitSize, 8);
}

TEST(ReportDescriptor, MultiCollectionInterface) {
  const DescriptorInfo info = parseFile("0c45_7666_0001_0006");
  ASSERT_EQ(info.collections.size(), 4u);
  EXPECT_TRUE(info.usesReportIds);
  struct Expected {
    uint16_t page, usage, input, output;
    uint8_t id;
  };
  const Expected expected[] = {
      {0x0001, 0x0006, 9, 2, 1}, {0x0001, 0x0080, 2, 0, 2}, {0x000C, 0x0001, 3, 0, 3}, {0xFF1C, 0x0092, 65, 65, 4}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const CollectionCaps& c = info.collections[i];
    EXPECT_EQ(c.usagePage, expected[i].page);
    EXPECT_EQ(c.usage, expected[i].usage);
    EXPECT_EQ(c.input.byteLength, expected[i].input);
    EXPECT_EQ(c.output.byteLength, expected[i].output);
    EXPECT_EQ(c.input.reportIds, Bytes{expected[i].id});
    EXPECT_EQ(c.output.reportIds, expected[i].output ? Bytes{expected[i].id} : Bytes{});
    for (const ButtonCaps& b : c.input.buttons) EXPECT_EQ(b.reportId, expected[i].id);
  }

  // Keyboard report: left shift with keys A and B; the list ends early.
  const CollectionCaps& kb = info.collections[0];
  const Bytes keys{0x01, 0x02, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
  std::vector<uint16_t> usages;
  EXPECT_EQ(getUsages(kb, ReportType::Input, 0x07, keys.data(), keys.size(), usages), kStatusSuccess);
  EXPECT_EQ(usages, (std::vector<uint16_t>{0xE1, 0x04, 0x05}));
  EXPECT_LT(usages.size(), maxUsageListLength(kb, ReportType::Input, 0x07));

  // Consumer report: volume up; a report of another id is refused.
  const CollectionCaps& cc = info.collections[2];
  const Bytes volumeUp{0x03, 0xE9, 0x00};
  EXPECT_EQ(getUsages(cc, ReportType::Input, 0x0C, volumeUp.data(), volumeUp.size(), usages), kStatusSuccess);
  EXPECT_EQ(usages, std::vector<uint16_t>{0xE9});
  const Bytes other{0x01, 0xE9, 0x00};
  EXPECT_EQ(getUsages(cc, ReportType::Input, 0x0C, other.data(), other.size(), usages),
            kStatusIncompatibleReportId);
  EXPECT_EQ(getUsages(cc, ReportType::Input, 0x07, volumeUp.data(), volumeUp.size(), usages),
            kStatusUsageNotFound);
  EXPECT_EQ(getUsages(cc, ReportType::Input, 0x0C, volumeUp.data(), 2, usages), kStatusInvalidReportLength);
  EXPECT_TRUE(usages.empty());
}

// A gamepad-like collection: a value with a physical range, a hat switch with a
// null state, an extended usage, a variable range cut at the field count and
// an array whose usages come in two entries.
TEST(ReportDescriptor, ScaledValuesNullStateAndUsageAssignment) {
  const Bytes d{
      0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,                          // Generic Desktop, Joystick
      0x85, 0x07,                                                  // report id 7
      0x09, 0x30, 0x15, 0x00, 0x26, 0xFF, 0x00,                    // X, logical 0..255
      0x35, 0x00, 0x46, 0xE8, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,  // physical 0..1000
      0x09, 0x39, 0x15, 0x00, 0x25, 0x07, 0x35, 0x00, 0x46, 0x3B, 0x01,  // hat, 0..7 -> 0..315
      0x75, 0x04, 0x95, 0x01, 0x81, 0x42,                          // with null state
      0x75, 0x04, 0x81, 0x01,                                      // padding
      0x05, 0x09, 0x19, 0x01, 0x29, 0x10, 0x15, 0x00, 0x25, 0x01,  // buttons 1..16 ...
      0x75, 0x01, 0x95, 0x04, 0x81, 0x02,                          // ... over 4 fields
      0x95, 0x04, 0x81, 0x01,                                      // padding
      0x0B, 0x35, 0x00, 0x01, 0x00,                                // extended usage: Generic Desktop Rz
      0x15, 0x00, 0x25, 0x00, 0x35, 0x00, 0x45, 0x00,              // logical 0..0: no sane range
      0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
      0x05, 0x07, 0x09, 0x04, 0x19, 0x10, 0x29, 0x12,              // array: A, then 0x10..0x12
      0x15, 0x01, 0x25, 0x04, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00,
      0xC0};
  const DescriptorInfo info = parseOk(d);
  ASSERT_EQ(info.collections.size(), 1u);
  const CollectionCaps& c = info.collections[0];
  EXPECT_EQ(c.input.byteLength, 1 + 6);
  ASSERT_EQ(c.input.values.size(), 3u);
  EXPECT_TRUE(c.input.values[1].hasNull);
  EXPECT_EQ(c.input.values[2].usagePage, 0x01);
  EXPECT_EQ(c.input.values[2].usageMin, 0x35);
  ASSERT_EQ(c.input.buttons.size(), 3u);
  EXPECT_EQ(c.input.buttons[0].usageMax, 4);  // range cut to the four fields
  EXPECT_EQ(maxUsageListLength(c, ReportType::Input, 0x07), 2u);  // one array of two fields
  EXPECT_EQ(maxUsageListLength(c, ReportType::Input, 0), 4u + 2u);

  //                X     hat=8 buttons 2,4  Rz   array: 0x11, A
  Bytes report{0x07, 0x80, 0x08, 0x0A, 0x10, 0x03, 0x01};
  int32_t scaled = 0;
  uint32_t raw = 0;
  EXPECT_EQ(getScaledUsageValue(c, ReportType::Input, 0x01, 0x30, report.data(), report.size(), scaled),
            kStatusSuccess);
  EXPECT_EQ(scaled, 128 * 1000 / 255);
  EXPECT_EQ(getScaledUsageValue(c, ReportType::Input, 0x01, 0x39, report.data(), report.size(), scaled),
            kStatusNullValue);
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x01, 0x39, report.data(), report.size(), raw), kStatusSuccess);
  EXPECT_EQ(raw, 8u);
  report[2] = 0x07;
  EXPECT_EQ(getScaledUsageValue(c, ReportType::Input, 0x01, 0x39, report.data(), report.size(), scaled),
            kStatusSuccess);
  EXPECT_EQ(scaled, 315);
  EXPECT_EQ(getScaledUsageValue(c, ReportType::Input, 0x01, 0x35, report.data(), report.size(), scaled),
            kStatusBadLogPhyValues);
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x01, 0x32, report.data(), report.size(), raw),
            kStatusUsageNotFound);
  report[0] = 0x08;
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x01, 0x30, report.data(), report.size(), raw),
            kStatusIncompatibleReportId);

  report[0] = 0x07;
  std::vector<uint16_t> usages;
  EXPECT_EQ(getUsages(c, ReportType::Input, 0x09, report.data(), report.size(), usages), kStatusSuccess);
  EXPECT_EQ(usages, (std::vector<uint16_t>{2, 4}));
  EXPECT_EQ(getUsages(c, ReportType::Input, 0x07, report.data(), report.size(), usages), kStatusSuccess);
  EXPECT_EQ(usages, (std::vector<uint16_t>{0x11, 0x04}));
}

TEST(ReportDescriptor, HostileDescriptorsAreRefused) {
  // Wraps items in an application collection.
  auto wrap = [](Bytes inner) {
    Bytes d{0x05, 0x01, 0x09, 0x06, 0xA1, 0x01};
    d.insert(d.end(), inner.begin(), inner.end());
    d.push_back(0xC0);
    return d;
  };
  auto repeat = [](Bytes unit, size_t n, Bytes tail = {}) {
    Bytes d;
    for (size_t i = 0; i < n; ++i) d.insert(d.end(), unit.begin(), unit.end());
    d.insert(d.end(), tail.begin(), tail.end());
    return d;
  };
  Bytes tooManyUsages;
  for (int i = 0; i < 257; ++i) tooManyUsages.insert(tooManyUsages.end(), {0x09, 0x01});
  tooManyUsages.insert(tooManyUsages.end(), {0x75, 0x01, 0x95, 0x01, 0x81, 0x02});

  const struct {
    const char* name;
    Bytes descriptor;
  } cases[] = {
      {"empty", {}},
      {"truncated data", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x26, 0xFF}},
      {"long item", wrap({0xFE, 0x02, 0x10, 0x00, 0x00})},
      {"reserved global tag", wrap({0xC4})},
      {"report size above 256", wrap({0x76, 0x01, 0x01, 0x95, 0x01, 0x81, 0x02})},
      {"report count above 12288", wrap({0x75, 0x01, 0x96, 0x01, 0x30, 0x81, 0x02})},
      {"absurd report count", wrap({0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02})},
      {"report just over the limit", wrap(repeat({0x75, 0x08, 0x96, 0x00, 0x30, 0x81, 0x02}, 5,
                                                  {0x96, 0xFF, 0x0F, 0x81, 0x02}))},  // 65535 bytes
      {"nesting too deep", repeat({0xA1, 0x00}, kMaxCollectionDepth + 1, Bytes(kMaxCollectionDepth + 1, 0xC0))},
      {"push overflow", wrap(Bytes(kMaxGlobalStack * 2 + 2, 0xA4))},  // A4 = push, zero data
      {"pop on empty", wrap({0xB4})},
      {"end collection unbalanced", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0, 0xC0}},
      {"collection never closed", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01}},
      {"no collection", {0x05, 0x01, 0x09, 0x06}},
      {"main item outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
      {"inverted usage range", wrap({0x19, 0x10, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02})},
      {"usage minimum alone", wrap({0x19, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02})},
      {"range over two pages", wrap({0x1B, 0x01, 0x00, 0x07, 0x00, 0x2B, 0x02, 0x00, 0x09, 0x00, 0x81, 0x02})},
      {"huge array range", wrap({0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00})},
      {"report id 0", wrap({0x85, 0x00})},
      {"report id over 255", wrap({0x86, 0x00, 0x01})},
      {"usage page over 16 bits", wrap({0x07, 0x00, 0x00, 0x01, 0x00})},
      {"fields before the first id",
       wrap({0x75, 0x08, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02})},
      {"id shared by two collections",
       {0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
        0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x81, 0x02, 0xC0}},
      {"two collections without ids",
       {0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0, 0x09, 0x02, 0xA1, 0x01, 0x81, 0x02, 0xC0}},
      {"nested delimiter", wrap({0xA9, 0x01, 0xA9, 0x01})},
      {"delimiter left open", wrap({0xA9, 0x01, 0x09, 0x01, 0x81, 0x02})},
      {"too many usages", wrap(tooManyUsages)},
      {"descriptor too long", wrap(repeat({0xA4, 0xB4}, kMaxDescriptorBytes / 2))},  // push, pop
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DescriptorInfo info;
    info.usesReportIds = true;  // a refused parse leaves a clean result
    std::string error;
    EXPECT_FALSE(parseReportDescriptor(c.descriptor.data(), c.descriptor.size(), info, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(info.collections.empty());
    EXPECT_FALSE(info.usesReportIds);
  }
}

TEST(ReportDescriptor, LimitsStillAcceptSaneExtremes) {
  // The largest report (65534 data bytes: five fields of 12288 bytes and one
  // of 4094), the widest field (256 bits), push/pop at full depth, maximum nesting.
  Bytes d{0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0x75, 0x08};
  for (int i = 0; i < 5; ++i) d.insert(d.end(), {0x96, 0x00, 0x30, 0x81, 0x02});
  d.insert(d.end(), {0x96, 0xFE, 0x0F, 0x81, 0x02});
  d.insert(d.end(), {0x85, 0x02, 0x09, 0x02, 0x76, 0x00, 0x01, 0x95, 0x01, 0xB1, 0x02});
  d.insert(d.end(), kMaxGlobalStack, 0xA4);
  d.insert(d.end(), kMaxGlobalStack, 0xB4);
  for (size_t i = 1; i < kMaxCollectionDepth; ++i) d.insert(d.end(), {0xA1, 0x00});
  d.insert(d.end(), kMaxCollectionDepth, 0xC0);
  const DescriptorInfo info = parseOk(d);
  ASSERT_EQ(info.collections.size(), 1u);
  EXPECT_EQ(info.collections[0].input.byteLength, 65535);
  EXPECT_EQ(info.collections[0].feature.byteLength, 1 + 32);
  EXPECT_EQ(info.collections[0].linkCollectionNodes, kMaxCollectionDepth);
}

// A touch screen whose raw sensor frame is one 7,488-byte input report,
// beside its ordinary contact report.
TEST(ReportDescriptor, TouchScreenWithAReportLongerThan4095Bytes) {
  const DescriptorInfo info = parseFile("0c45_7611_000d_0004");
  ASSERT_EQ(info.collections.size(), 1u);
  const CollectionCaps& c = info.collections[0];
  EXPECT_EQ(c.usagePage, 0x0D);
  EXPECT_EQ(c.usage, 0x04);
  EXPECT_EQ(c.input.byteLength, 1 + 7488);
  EXPECT_EQ(c.input.reportIds, (Bytes{1, 3}));
  EXPECT_EQ(c.feature.byteLength, 2);
  ASSERT_EQ(c.input.values.size(), 5u);  // contact id, X, Y, contact count, frame
  EXPECT_EQ(c.input.values[4].reportCount, 7488);

  Bytes frame(c.input.byteLength, 0);
  frame[0] = 3;
  frame[1] = 0x42;
  frame.back() = 0x99;
  uint32_t raw = 0;
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0xFF00, 0xC5, frame.data(), frame.size(), raw), kStatusSuccess);
  EXPECT_EQ(raw, 0x42u);
  //                  tip   id    X = 0x1234  Y = 0x0100  count
  const Bytes contact{1, 0x01, 0x05, 0x34, 0x12, 0x00, 0x01, 0x01};
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x01, 0x30, contact.data(), contact.size(), raw), kStatusSuccess);
  EXPECT_EQ(raw, 0x1234u);
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x0D, 0x54, contact.data(), contact.size(), raw), kStatusSuccess);
  EXPECT_EQ(raw, 1u);
}

// A pen whose transducer serial number is one 64-bit field: no number, but
// its bytes, and the report's other values still read.
TEST(ReportDescriptor, PenSerialNumberWiderThan32BitsIsReadAsBytes) {
  const DescriptorInfo info = parseFile("0c45_7612_000d_0002");
  ASSERT_EQ(info.collections.size(), 1u);
  const CollectionCaps& c = info.collections[0];
  EXPECT_EQ(c.usage, 0x02);
  EXPECT_EQ(c.input.byteLength, 1 + 1 + 6 + 8);
  ASSERT_EQ(c.input.values.size(), 4u);
  EXPECT_EQ(c.input.values[3].usageMin, 0x5B);
  EXPECT_EQ(c.input.values[3].bitSize, 64);

  //                tip   X = 0x0102  Y = 0x0304  pressure    serial, least significant byte first
  const Bytes report{7, 0x01, 0x02, 0x01, 0x04, 0x03, 0xFF, 0x0F, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(getUsageValue(c, ReportType::Input, 0x0D, 0x5B, report.data(), report.size(), raw), kStatusBufferTooSmall);
  EXPECT_EQ(getScaledUsageValue(c, ReportType::Input, 0x0D, 0x5B, report.data(), report.size(), scaled),
            kStatusBufferTooSmall);
  Bytes serial;
  EXPECT_EQ(getUsageValueBytes(c, ReportType::Input, 0x0D, 0x5B, report.data(), report.size(), serial),
            kStatusSuccess);
  EXPECT_EQ(serial, (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
  EXPECT_EQ(getUsageValueBytes(c, ReportType::Input, 0x0D, 0x5B, report.data(), report.size() - 1, serial),
            kStatusInvalidReportLength);
  EXPECT_TRUE(serial.empty());
  // Narrow fields read as bytes too, from any bit position.
  EXPECT_EQ(getUsageValueBytes(c, ReportType::Input, 0x0D, 0x42, report.data(), report.size(), serial),
            kStatusUsageNotFound);  // a button, not a value
  EXPECT_EQ(getUsageValueBytes(c, ReportType::Input, 0x01, 0x31, report.data(), report.size(), serial),
            kStatusSuccess);
  EXPECT_EQ(serial, (Bytes{0x04, 0x03}));

  // Unpacking the report skips the serial number and still reads X after it.
  std::vector<HidDataItem> items(2);
  items[0].usagePage = 0x0D, items[0].usage = 0x5B, items[0].reportId = 7;
  items[1].usagePage = 0x01, items[1].usage = 0x30, items[1].reportId = 7;
  EXPECT_TRUE(unpackReport(report.data(), report.size(), ReportType::Input, items, c));
  EXPECT_EQ(items[0].status, kStatusBufferTooSmall);
  EXPECT_FALSE(items[0].isDataSet);
  EXPECT_TRUE(items[1].isDataSet);
  EXPECT_EQ(items[1].value, 0x0102u);
}

// Items of the reserved type and reserved main items, such as a zero byte
// after the last item, change nothing.
TEST(ReportDescriptor, ReservedAndZeroItemsAreSkipped) {
  const Bytes plain = loadDescriptor("0c45_7604_ff1c_0092");
  ASSERT_FALSE(plain.empty());
  const DescriptorInfo expected = parseOk(plain);
  Bytes trailingZero = plain;
  trailingZero.push_back(0x00);
  Bytes reservedInside = plain;
  // Before the last End Collection: reserved type (1 data byte), reserved main tag.
  reservedInside.insert(reservedInside.end() - 1, {0x0D, 0xFF, 0xD0, 0x00});
  for (const Bytes& d : {trailingZero, reservedInside}) {
    const DescriptorInfo info = parseOk(d);
    ASSERT_EQ(info.collections.size(), 1u);
    const CollectionCaps& c = info.collections[0];
    EXPECT_EQ(c.usagePage, expected.collections[0].usagePage);
    EXPECT_EQ(c.input.byteLength, expected.collections[0].input.byteLength);
    EXPECT_EQ(c.output.byteLength, expected.collections[0].output.byteLength);
    EXPECT_EQ(c.input.values.size(), expected.collections[0].input.values.size());
  }
  // A zero byte drops the usages before it, as any main item does.
  const Bytes usageDropped{0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x05, 0x00,
                           0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
  const DescriptorInfo dropped = parseOk(usageDropped);
  ASSERT_EQ(dropped.collections.size(), 1u);
  EXPECT_TRUE(dropped.collections[0].input.values.empty());
  EXPECT_EQ(dropped.collections[0].input.byteLength, 2);
}
