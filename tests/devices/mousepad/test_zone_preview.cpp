// The mousepad's preview frames, computed from the tables: thresholds, the
// zone wave, the running glows, the custom effect and the per-zone overlay.
#include <gtest/gtest.h>

#include "devices/lighting/color_tables.h"
#include "devices/mousepad/zone_preview.h"

namespace kavro::mousepad {
namespace {

using lighting::LedColor;
using lighting::Rgb;
using lighting::wheel;

constexpr Rgb kSet{200, 100, 50};

LedColor lit(Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

// Brightness level 5 (255), colour kSet.
profiles::LightSetting light(std::uint8_t effect, std::uint8_t speed, std::uint8_t direction, std::uint8_t multi) {
  profiles::LightSetting l;
  l.effect = effect;
  l.brightness = 5;
  l.speed = speed;
  l.direction = direction;
  l.multiColor = multi;
  l.red = kSet.red;
  l.green = kSet.green;
  l.blue = kSet.blue;
  return l;
}

// Runs passes, one clock millisecond apart, until a frame step ran; returns
// the passes taken (-1 when none ran within 100).
int step(ZonePreview& p, std::uint32_t& clock) {
  for (int n = 1; n <= 100; ++n)
    if (p.tick(++clock)) return n;
  return -1;
}
void steps(ZonePreview& p, std::uint32_t& clock, int n) {
  for (int i = 0; i < n; ++i) step(p, clock);
}

// level 255 x glow >> 8
std::uint8_t glowBrightness(int glow) { return static_cast<std::uint8_t>(255 * glow / 256); }

TEST(ZonePreview, EveryPassCountsAndTheCustomEffectRunsOnEach) {
  ZonePreview p = makePadPreview();
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectSpectrum, 4, 1, 1));
  EXPECT_EQ(step(p, clock), 7);
  EXPECT_EQ(step(p, clock), 7);
  p.setLightState(light(kEffectSpectrum, 0, 1, 1));
  EXPECT_EQ(step(p, clock), 28);
  p.setLightState(light(kEffectSpectrum, 5, 1, 1));
  EXPECT_EQ(step(p, clock), 1);
  p.setLightState(light(kEffectCustom, 0, 1, 1));
  EXPECT_EQ(step(p, clock), 1);
  p.setLightState(light(9, 0, 1, 1));  // no such effect: no step at all
  EXPECT_EQ(step(p, clock), -1);
  EXPECT_EQ(zoneThreshold(kEffectOff, 9), 0u);
  EXPECT_FALSE(zoneThreshold(kEffectCustom, 0).has_value());
}

TEST(ZonePreview, PadWaveFromTheWheelAndTheBreathingCurve) {
  ZonePreview p = makePadPreview();
  ASSERT_EQ(p.frame().size(), kPadZones);
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectZoneWave, 5, 1, 1));
  steps(p, clock, 3);  // phase 3
  for (unsigned i = 0; i < kPadZones; ++i) EXPECT_EQ(p.frame()[i], lit(wheel((3 + 1 + 7 * i) % 192), 255)) << i;

  p.setLightState(light(kEffectZoneWave, 5, 0, 0));
  p.reset(kEffectZoneWave);
  step(p, clock);  // phase 0 backwards: 95
  for (unsigned i = 0; i < kPadZones; ++i)
    EXPECT_EQ(p.frame()[i], lit(kSet, glowBrightness(lighting::kBreathing96[(95 + 1 + 7 * i) % 96]))) << i;
}

TEST(ZonePreview, RunningGlowIsSeededAndRunsUpTheZonesOnEverySecondStep) {
  ZonePreview p = makePadPreview();
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectRunningGlow, 5, 1, 0));
  EXPECT_EQ(p.state().columnFlags[0], 1);
  steps(p, clock, 2);
  for (const LedColor& z : p.frame()) EXPECT_EQ(z.brightness, 0);
  step(p, clock);  // the first flag work: zone 0 lit, then decayed once
  EXPECT_EQ(p.frame()[0], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[1].brightness, 0);
  steps(p, clock, 2);  // zone 1 lit; zone 0 two decays further
  EXPECT_EQ(p.frame()[0], lit(kSet, glowBrightness(135)));
  EXPECT_EQ(p.frame()[1], lit(kSet, glowBrightness(215)));
  // The flag runs round all 23 places: 23 flag works bring it back to 0.
  steps(p, clock, 2 * 21);
  EXPECT_EQ(p.state().columnFlags[0], 1);
  for (std::size_t f = 1; f < 23; ++f) EXPECT_EQ(p.state().columnFlags[f], 0) << f;
}

TEST(ZonePreview, RunningGlowDownwardsEntersAtTheLastZoneAfterTheEmptyPlaces) {
  ZonePreview p = makePadPreview();
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectRunningGlow, 5, 0, 0));
  // Flag 0 rotates down to place 22; places 22..15 have no zone.
  steps(p, clock, 20);
  EXPECT_EQ(p.frame()[14].brightness, 0);
  step(p, clock);  // the tenth flag work lights zone 14
  EXPECT_EQ(p.frame()[14], lit(kSet, glowBrightness(215)));
}

TEST(ZonePreview, RunningGlowColoursMoveTwelveEntriesAPhaseByteAndHoldWhileTheGlowEnters) {
  ZonePreview p = makePadPreview();
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectRunningGlow, 5, 1, 1));
  step(p, clock);  // phase 1, then 13, 25 ... zone by zone
  for (unsigned i = 0; i < kPadZones; ++i) EXPECT_EQ(p.frame()[i], lit(wheel(1 + 12 * (i + 1)), 0)) << i;
  step(p, clock);  // phase 182: zone 0 at 194 - 192, zone 6 at 266 - 256 (the byte wrapped)
  EXPECT_EQ(p.frame()[0], lit(wheel(2), 0));
  EXPECT_EQ(p.frame()[5], lit(wheel(62), 0));
  EXPECT_EQ(p.frame()[6], lit(wheel(10), 0));
  const auto before = p.frame();
  step(p, clock);  // zone 0 glows: every zone keeps its colour
  EXPECT_EQ(p.frame()[0], lit(wheel(2), glowBrightness(215)));
  for (unsigned i = 1; i < kPadZones; ++i) EXPECT_EQ(p.frame()[i], before[i]) << i;
}

TEST(ZonePreview, PairGlowRunsOverTheMirroredPairs) {
  ZonePreview p = makePadPreview();
  std::uint32_t clock = 0;
  p.setLightState(light(kEffectPairGlow, 5, 0, 0));  // direction 0 runs the pairs up
  const LedColor zone0 = p.frame()[0];
  steps(p, clock, 5);
  EXPECT_EQ(p.frame()[1], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[14], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[2].brightness, 0);
  steps(p, clock, 2);
  EXPECT_EQ(p.frame()[2], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[13], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[14], lit(kSet, glowBrightness(135)));
  EXPECT_EQ(p.frame()[0], zone0);  // zone 0 is never touched

  p.setLightState(light(kEffectBreathing, 5, 1, 0));
  p.setLightState(light(kEffectPairGlow, 5, 1, 0));  // direction 1 runs them down, from pair 7
  steps(p, clock, 5);
  EXPECT_EQ(p.frame()[7], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[8], lit(kSet, glowBrightness(215)));
  EXPECT_EQ(p.frame()[1].brightness, 0);
}

TEST(ZonePreview, CustomEffectPlaysEachStepForItsTime) {
  ZonePreview p = makePadPreview();
  profiles::LightEffectStep spectrum{lighting::kStepSpectrum, 5, 4, 1, 1, 0, 0, 0, 100, 0};
  profiles::LightEffectStep still{lighting::kStepStatic, 5, 5, 1, 0, 1, 2, 3, 100, 0};
  p.setCustomSteps({spectrum, still});
  p.setLightState(light(kEffectCustom, 0, 1, 1));
  std::uint32_t clock = 1000;
  for (int i = 0; i < 6; ++i) p.tick(clock);
  EXPECT_EQ(p.frame()[0].brightness, 0);  // the step's speed 4: a frame every 7 passes
  p.tick(clock);
  for (const LedColor& z : p.frame()) EXPECT_EQ(z, lit(wheel(1), 255));
  p.tick(clock + 100);  // the first step's time is up
  for (const LedColor& z : p.frame()) EXPECT_EQ(z, lit({1, 2, 3}, 255));
  p.tick(clock + 200);  // and the list starts over
  EXPECT_EQ(p.frame()[0], lit({1, 2, 3}, 255));

  p.setCustomSteps({});
  p.tick(clock + 300);
  for (const LedColor& z : p.frame()) EXPECT_EQ(z, LedColor{});
}

TEST(ZonePreview, ZoneItemsAreDrawnOverEveryPass) {
  ZonePreview p = makePadPreview();
  profiles::LightListEntry still{1, 5, 0, 0, 0, 9, 8, 7, 1};
  profiles::LightListEntry off{4, 5, 0, 0, 0, 0, 0, 0, 1};
  profiles::LightListEntry absent{1, 5, 0, 0, 0, 9, 8, 7, 0};
  std::vector<profiles::LightListEntry> items(kPadZones + 5, absent);  // longer than the pad: ignored past it
  items[2] = still;
  items[3] = off;
  items[kPadZones + 1] = still;
  p.setZoneItems(items);
  p.setLightState(light(kEffectRipple, 0, 1, 0));
  std::uint32_t clock = 0;
  EXPECT_FALSE(p.tick(++clock));  // no frame step yet, the overlay runs
  EXPECT_EQ(p.frame()[2], lit({9, 8, 7}, 255));
  EXPECT_EQ(p.frame()[1], LedColor{});
  step(p, clock);
  EXPECT_EQ(p.frame()[1], lit(kSet, 255));
  EXPECT_EQ(p.frame()[2], lit({9, 8, 7}, 255));
  EXPECT_EQ(p.frame()[3], LedColor{});
  p.setLightState(light(12, 0, 1, 0));  // an effect the pad lacks: only the overlay
  EXPECT_FALSE(p.tick(++clock));
  EXPECT_EQ(p.frame()[2], lit({9, 8, 7}, 255));
  EXPECT_EQ(p.frame()[1], LedColor{});
}

}  // namespace
}  // namespace kavro::mousepad
