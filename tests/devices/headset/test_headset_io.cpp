// The headset's LED reports and settings block against the headset emulator,
// through the real HID path and command channel.
#include <gtest/gtest.h>

#include "devices/headset/headset_leds.h"
#include "devices/headset/headset_preview.h"
#include "devices/emulator_rig.h"
#include "platform/event.h"
#include "sim/headset_emulator.h"
#include "sim/mousepad_emulator.h"
#include "transport/command_set.h"

namespace kavro::headset {
namespace {

using lighting::LedColor;
using devices::test::Sent;
using ReportIds = std::vector<sim::HeadsetLedReportId>;
namespace tp = transport;

const ReportIds kOrder = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
                          {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};

class HeadsetIo : public devices::test::EmulatorRig<sim::DeviceKind::Headset> {
 protected:
  sim::HeadsetEmulator& headset() { return static_cast<sim::HeadsetEmulator&>(*emulator); }
  // Waits until the emulator has taken n LED reports in all.
  sim::HeadsetLeds ledsAfter(std::uint64_t n) {
    for (int i = 0; i < 400 && headset().leds().reports < n; ++i) sleepMs(5);
    return headset().leds();
  }
};

std::vector<LedColor> testFrame() {
  std::vector<LedColor> frame(kLedCount, LedColor{10, 20, 30, 255});
  frame[0] = {255, 255, 255, 255};  // 254 computed: sent as 247
  frame[12] = {100, 50, 0, 128};
  return frame;
}

TEST_F(HeadsetIo, TheTwelveReportsArriveInOrderWithValuesCappedAt247) {
  EXPECT_TRUE(sendLedFrame(ch, testFrame()).ok());
  const sim::HeadsetLeds leds = ledsAfter(12);
  EXPECT_EQ(leds.reports, 12u);
  EXPECT_EQ(leds.recent, kOrder);
  for (const auto& group : leds.groups) {
    EXPECT_EQ(group[0], (sim::Rgb{247, 247, 247}));
    EXPECT_EQ(group[5], (sim::Rgb{9, 19, 29}));
    EXPECT_EQ(group[12], (sim::Rgb{50, 25, 0}));
  }
  EXPECT_EQ(headset().ledView().source, sim::LedView::Source::Reports);
  EXPECT_TRUE(sent().empty());  // no command went out
}

TEST_F(HeadsetIo, AFailingReportDoesNotStopTheRest) {
  const LedReports reports = ledReports(ledValues(testFrame()));
  std::size_t n = 0;
  const LedFrameResult r = sendLedReports(reports, [&](const LedReport& report) {
    if (n++ == 2) return tp::kResultWriteFailed;  // the third report, (0x44, 0xAA), is lost
    return ch.writeOutputReport(report.data(), report.size());
  });
  EXPECT_EQ(r, (LedFrameResult{11, 1, tp::kResultWriteFailed}));
  const sim::HeadsetLeds leds = ledsAfter(11);
  ReportIds expected = kOrder;
  expected.erase(expected.begin() + 2);
  EXPECT_EQ(leds.recent, expected);
  EXPECT_EQ(leds.groups[1][0], (sim::Rgb{0, 247, 247}));  // group 0x44 got no red for LEDs 0..6
  EXPECT_EQ(leds.groups[1][7], (sim::Rgb{9, 19, 29}));
}

TEST_F(HeadsetIo, APreviewFrameReachesTheLeds) {
  mousepad::ZonePreview preview = makeHeadsetPreview();
  profiles::LightSetting light;
  light.effect = mousepad::kEffectZoneWave;
  light.brightness = 5;
  light.speed = 5;
  light.direction = 1;
  light.multiColor = 1;
  preview.setLightState(light);
  preview.tick(1);
  ASSERT_TRUE(sendLedFrame(ch, preview.frame()).ok());
  const LedValues v = ledValues(preview.frame());
  const sim::HeadsetLeds leds = ledsAfter(12);
  for (std::size_t m = 0; m < kLedCount; ++m)
    EXPECT_EQ(leds.groups[0][m], (sim::Rgb{v[m].red, v[m].green, v[m].blue})) << m;
}

TEST_F(HeadsetIo, TheFirstWriteOfAConnectionReadsTheBlockFirst) {
  mousepad::HeldBlock held;
  ASSERT_TRUE(emulator->firmware().setActiveSlot(2));
  profiles::LightSetting light;
  light.effect = 12;  // the headset has no effect 12: written as 0
  light.brightness = 3;
  EXPECT_TRUE(mousepad::writeSettingsBlock(ch, held, light).ok());
  EXPECT_EQ(sent(), (std::vector<Sent>{{tp::kCmdReadSettings, 1, 0},
                                       {tp::kCmdReadSettings, 26, 128},
                                       {tp::kCmdBeginConfig, 0, 0},
                                       {tp::kCmdWriteSettings, 21, 128},
                                       {tp::kCmdEndConfig, 0, 0}}));
  const auto memory = settingsMemory();
  EXPECT_EQ(memory[128 + mousepad::kBlkEffect], 0);
  EXPECT_EQ(memory[128 + mousepad::kBlkBrightness], 3);
  EXPECT_EQ(memory[128 + sim::pad::kDeviceBytes], sim::pad::kDeviceByteBase + 2 * sim::pad::kDeviceByteSlotStep);
}

TEST_F(HeadsetIo, AClosedChannelSendsNoReports) {
  ch.closeChannel();
  EXPECT_EQ(sendLedFrame(ch, testFrame()), LedFrameResult{});
  sleepMs(20);
  EXPECT_EQ(headset().leds().reports, 0u);
}

}  // namespace
}  // namespace kavro::headset
