// The headset's LED reports and preview frames, computed from the tables.
#include <gtest/gtest.h>

#include "devices/headset/headset_leds.h"
#include "devices/headset/headset_preview.h"
#include "devices/lighting/color_tables.h"

namespace kavro::headset {
namespace {

using lighting::LedColor;
using lighting::Rgb;
using lighting::wheel;
using mousepad::ZonePreview;

constexpr Rgb kSet{200, 100, 50};

LedColor lit(Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

profiles::LightSetting light(std::uint8_t effect, std::uint8_t direction, std::uint8_t multi) {
  profiles::LightSetting l;
  l.effect = effect;
  l.brightness = 5;
  l.speed = 5;  // a frame step on every pass
  l.direction = direction;
  l.multiColor = multi;
  l.red = kSet.red;
  l.green = kSet.green;
  l.blue = kSet.blue;
  return l;
}

std::uint8_t scaled(int v) { return static_cast<std::uint8_t>(255 * v >> 8); }

TEST(HeadsetLeds, ValuesAreScaledByBrightnessAndCappedAt247) {
  EXPECT_EQ(ledComponent(255, 255), 247);  // 254 computed
  EXPECT_EQ(ledComponent(248, 255), 247);  // 247.03
  EXPECT_EQ(ledComponent(200, 128), 100);
  EXPECT_EQ(ledComponent(255, 0), 0);
  std::vector<LedColor> frame(kLedCount + 2, lit({255, 255, 255}, 255));
  frame[3] = {100, 50, 10, 128};
  const LedValues v = ledValues(frame);
  EXPECT_EQ(v[0], (LedValue{247, 247, 247}));
  EXPECT_EQ(v[3], (LedValue{50, 25, 5}));
  EXPECT_EQ(ledValues({lit({9, 9, 9}, 255)})[1], LedValue{});  // a short frame: the rest dark
}

TEST(HeadsetLeds, TwelveReportsInOrderEachWithItsHalf) {
  LedValues v{};
  for (std::size_t m = 0; m < kLedCount; ++m)
    v[m] = {static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(100 + m), static_cast<std::uint8_t>(200 + m)};
  const LedReports r = ledReports(v);
  const std::uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                     {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                     {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
  for (std::size_t i = 0; i < kLedReportCount; ++i) {
    EXPECT_EQ(r[i][kLrReportId], 0xFF);
    EXPECT_EQ(r[i][kLrGroup], order[i][0]) << i;
    EXPECT_EQ(r[i][kLrChannel], order[i][1]) << i;
  }
  EXPECT_EQ(r[0], (LedReport{0xFF, 0x22, 0xAA, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r[5], (LedReport{0xFF, 0x22, 0xAE, 0, 107, 108, 109, 110, 111, 112, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r[11], (LedReport{0xFF, 0x44, 0xAF, 0, 207, 208, 209, 210, 211, 212, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(HeadsetLeds, AFailedReportDoesNotStopTheRest) {
  int calls = 0;
  const LedFrameResult r = sendLedReports(ledReports({}), [&calls](const LedReport&) {
    ++calls;
    return calls == 2 || calls == 5 ? transport::kResultWriteFailed : transport::kResultOk;
  });
  EXPECT_EQ(calls, 12);
  EXPECT_EQ(r, (LedFrameResult{10, 2, transport::kResultWriteFailed}));
  EXPECT_FALSE(r.ok());
}

TEST(HeadsetPreview, WaveMultiColouredSixteenEntriesApart) {
  ZonePreview p = makeHeadsetPreview();
  ASSERT_EQ(p.frame().size(), kLedCount);
  p.setLightState(light(mousepad::kEffectZoneWave, 1, 1));
  for (int i = 1; i <= 4; ++i) p.tick(static_cast<std::uint32_t>(i));  // phase 4
  for (unsigned m = 0; m < kLedCount; ++m) EXPECT_EQ(p.frame()[m], lit(wheel((4 + 1 + 16 * m) % 192), 255)) << m;
}

TEST(HeadsetPreview, WaveSingleColouredAlongTheCurveThreeStepsAFrame) {
  ZonePreview p = makeHeadsetPreview();
  p.setLightState(light(mousepad::kEffectZoneWave, 1, 0));
  p.tick(1);
  p.tick(2);  // phase 6
  for (unsigned m = 0; m < kLedCount; ++m)
    EXPECT_EQ(p.frame()[m], lit(kSet, scaled(lighting::kBreathing96[(6 + 10 * m) % 96]))) << m;
  p.setLightState(light(mousepad::kEffectZoneWave, 0, 0));
  p.reset(mousepad::kEffectZoneWave);
  p.tick(3);  // backwards from 0: 93
  EXPECT_EQ(p.frame()[0], lit(kSet, scaled(lighting::kBreathing96[93])));
  EXPECT_EQ(p.frame()[1], lit(kSet, scaled(lighting::kBreathing96[(93 + 10) % 96])));
}

TEST(HeadsetPreview, RunningGlowRunsOverTheThirteenLeds) {
  ZonePreview p = makeHeadsetPreview();
  p.setLightState(light(mousepad::kEffectRunningGlow, 0, 0));
  std::uint32_t clock = 0;
  // Downwards the flag passes places 22..13 before it reaches LED 12.
  for (int i = 0; i < 24; ++i) p.tick(++clock);
  EXPECT_EQ(p.frame()[12].brightness, 0);
  p.tick(++clock);  // the twelfth flag work
  EXPECT_EQ(p.frame()[12], lit(kSet, scaled(215)));
}

TEST(HeadsetPreview, PairGlowSkipsThePartnersPastTheLastLed) {
  ZonePreview p = makeHeadsetPreview();
  p.setLightState(light(mousepad::kEffectPairGlow, 0, 0));
  std::uint32_t clock = 0;
  for (int i = 0; i < 7; ++i) p.tick(++clock);  // pairs 1 and 2 lit
  EXPECT_EQ(p.frame().size(), kLedCount);
  EXPECT_EQ(p.frame()[1], lit(kSet, scaled(135)));
  EXPECT_EQ(p.frame()[2], lit(kSet, scaled(215)));
  for (int i = 0; i < 2; ++i) p.tick(++clock);  // pair 3: LEDs 3 and 12
  EXPECT_EQ(p.frame()[3], lit(kSet, scaled(215)));
  EXPECT_EQ(p.frame()[12], lit(kSet, scaled(215)));
}

}  // namespace
}  // namespace kavro::headset
