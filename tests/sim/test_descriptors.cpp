// The emulators' report descriptors as the host's parser sees them: the
// collections the discovery table looks for, report lengths, and usages that
// unpack from the notify reports.
#include <gtest/gtest.h>

#include "platform/hid/report_descriptor.h"
#include "sim/descriptors.h"
#include "sim/headset_emulator.h"
#include "sim/keyboard_emulator.h"
#include "sim/mouse_emulator.h"

namespace kavro::sim {
namespace {

hid::DescriptorInfo parse(const std::vector<uint8_t>& d) {
  hid::DescriptorInfo info;
  std::string error;
  EXPECT_TRUE(hid::parseReportDescriptor(d.data(), d.size(), info, &error)) << error;
  return info;
}

std::vector<uint16_t> usagesOf(const hid::CollectionCaps& caps, const std::vector<uint8_t>& report) {
  std::vector<uint16_t> usages;
  const uint32_t st = hid::getUsages(caps, hid::ReportType::Input, kConsumerPage, report.data(), report.size(), usages);
  EXPECT_EQ(st, hid::kStatusSuccess);
  return usages;
}

TEST(Descriptors, VendorInterfaceHasTheFourCollections) {
  const auto info = parse(vendorInterfaceDescriptor());
  ASSERT_EQ(info.collections.size(), 4u);
  EXPECT_TRUE(info.usesReportIds);
  const uint16_t pages[4][2] = {{0x0001, 0x0080}, {0x0001, 0x0006}, {kConsumerPage, kConsumerControl},
                                {kVendorUsagePage, kVendorUsage}};
  for (size_t c = 0; c < 4; ++c) {
    EXPECT_EQ(info.collections[c].usagePage, pages[c][0]) << "collection " << c + 1;
    EXPECT_EQ(info.collections[c].usage, pages[c][1]) << "collection " << c + 1;
    EXPECT_EQ(info.collections[c].input.reportIds, std::vector<uint8_t>{static_cast<uint8_t>(c + 1)});
  }
  const auto& command = info.collections[3];
  EXPECT_EQ(command.input.byteLength, 64);
  EXPECT_EQ(command.output.byteLength, 64);
  EXPECT_EQ(command.output.reportIds, std::vector<uint8_t>{kReportCommand});
  EXPECT_EQ(info.collections[2].input.byteLength, 3);
}

TEST(Descriptors, NotifyReportsUnpackToTheirUsages) {
  const auto info = parse(vendorInterfaceDescriptor());
  const auto& notify = info.collections[2];
  for (uint16_t usage : {uint16_t{0x401}, uint16_t{0x404}, uint16_t{0x500}, uint16_t{0x56C}, uint16_t{0x600 + 12}}) {
    const auto got = usagesOf(notify, {kReportNotify, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)});
    ASSERT_EQ(got.size(), 1u) << std::hex << usage;
    EXPECT_EQ(got[0], usage);
  }
  EXPECT_TRUE(usagesOf(notify, {kReportNotify, 0, 0}).empty());  // the idle report holds nothing
}

TEST(Descriptors, HeadsetCarriesCommandsAndLedReportsOnConsumerControl) {
  const auto info = parse(headsetDescriptor());
  ASSERT_EQ(info.collections.size(), 1u);
  const auto& c = info.collections[0];
  EXPECT_EQ(c.usagePage, kConsumerPage);
  EXPECT_EQ(c.usage, kConsumerControl);
  EXPECT_EQ(c.input.byteLength, 64);
  EXPECT_EQ(c.output.byteLength, 64);
  auto ids = c.output.reportIds;
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<uint8_t>{kReportCommand, headset::kReportLeds}));
  const auto got = usagesOf(c, {headset::kReportButtons, 0x01, 0x04});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], 0x401);
}

TEST(Descriptors, BootInterfaces) {
  const auto kb = parse(bootKeyboardDescriptor());
  ASSERT_EQ(kb.collections.size(), 1u);
  EXPECT_FALSE(kb.usesReportIds);
  EXPECT_EQ(kb.collections[0].usage, 0x0006);
  EXPECT_EQ(kb.collections[0].input.byteLength, 9);  // 8 bytes + the (absent) id byte
  EXPECT_EQ(kb.collections[0].output.byteLength, 2);
  const auto mouse = parse(bootMouseDescriptor());
  ASSERT_EQ(mouse.collections.size(), 1u);
  EXPECT_EQ(mouse.collections[0].usage, 0x0002);
}

}  // namespace
}  // namespace kavro::sim
