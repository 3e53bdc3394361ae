// Preview frames of the mouse effects, computed from the tables and driven by
// an injected clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/lighting/color_tables.h"
#include "devices/lighting/preview_helpers.h"
#include "devices/mouse/mouse_preview.h"

namespace kavro::mouse {
namespace {

using lighting::LedColor;
using lighting::wheel;

constexpr std::size_t kMouseLeds = 7;

LedColor lit(lighting::Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

// Brightness level 5, colour (200, 100, 50).
profiles::LightSetting light(std::uint8_t effect, std::uint8_t speed, std::uint8_t direction, std::uint8_t multi) {
  profiles::LightSetting l = lighting::test::lightOf(effect, multi, direction, speed);
  l.red = 200;
  l.green = 100;
  l.blue = 50;
  return l;
}

// Ticks with the clock 2 ms apart until a frame step ran; returns the ticks taken.
int ticksToStep(MousePreview& p, std::uint32_t& clock) {
  for (int n = 1; n < 100; ++n) {
    clock += 2;
    if (p.tick(clock)) return n;
  }
  return -1;
}

TEST(MousePreview, CounterMovesOnlyWithTheClockAndStepsAtTheThreshold) {
  MousePreview p(kMouseLeds);
  p.setLightState(light(kEffectWave, 4, 1, 1));  // threshold 7
  std::uint32_t clock = 100;
  EXPECT_FALSE(p.tick(clock));
  for (int i = 0; i < 20; ++i) EXPECT_FALSE(p.tick(clock + 1));  // 1 ms is not "moved"
  EXPECT_EQ(ticksToStep(p, clock), 6);  // the first tick above counted already
  EXPECT_EQ(ticksToStep(p, clock), 7);
  p.setLightState(light(kEffectWave, 0, 1, 1));
  EXPECT_EQ(ticksToStep(p, clock), 28);
  p.setLightState(light(kEffectWave, 5, 1, 1));
  EXPECT_EQ(ticksToStep(p, clock), 1);  // threshold 0: every pass
  EXPECT_EQ(previewThreshold(9), 0u);
}

TEST(MousePreview, WaveMultiColouredGoesRoundTheWheel) {
  MousePreview p(kMouseLeds);
  p.setLightState(light(kEffectWave, 5, 1, 1));
  std::uint32_t clock = 0;
  ticksToStep(p, clock);
  ticksToStep(p, clock);  // phase 2
  ASSERT_EQ(p.frame().size(), kMouseLeds);
  for (std::size_t i = 0; i < kMouseLeds; ++i) EXPECT_EQ(p.frame()[i], lit(wheel(2 + 1 + 7 * i), 255)) << i;
  const auto bytes = p.frameBytes();
  ASSERT_EQ(bytes.size(), 3 * kMouseLeds);
  EXPECT_EQ(bytes[3], wheel(10).red * 255 >> 8);
}

TEST(MousePreview, WaveSingleColouredBreathesBackwards) {
  MousePreview p(kMouseLeds);
  p.setLightState(light(kEffectWave, 5, 0, 0));
  std::uint32_t clock = 0;
  ticksToStep(p, clock);  // phase 0 backwards: 95
  for (std::size_t i = 0; i < kMouseLeds; ++i) {
    const std::uint8_t b = 255 * lighting::kBreathing96[(95 + 1 + 7 * i) % 96] / 256;
    EXPECT_EQ(p.frame()[i], lit({200, 100, 50}, b)) << i;
  }
}

TEST(MousePreview, RunningGlowFollowsItsZones) {
  MousePreview p(19);  // enough LEDs for every zone
  p.setLightState(light(kEffectRunningGlow, 5, 1, 1));
  std::uint32_t clock = 0;
  ticksToStep(p, clock);
  // Zone 0 was lit and decayed once (215); the rest are dark. The phase went
  // 0 -> 1, then 12 more per zone.
  const auto& f = p.frame();
  EXPECT_EQ(f[0], lit(wheel(13), 255 * 215 / 256));
  EXPECT_EQ(f[18], f[0]);
  EXPECT_EQ(f[1], lit(wheel(25), 0));
  EXPECT_EQ(f[17], f[1]);

  ticksToStep(p, clock);  // the glow moved on to zone 1; the phase 109 -> 110
  EXPECT_EQ(f[1].brightness, 255 * 215 / 256);
  EXPECT_EQ(f[0].brightness, 255 * 175 / 256);
  EXPECT_EQ(f[0], lit(wheel(122), f[0].brightness));
  EXPECT_EQ(f[6].red, wheel(2).red);    // phase 194: past 192, entry 2
  EXPECT_EQ(f[11], lit(wheel(14), 0));  // zone 7: LEDs 7, 9, 11
  EXPECT_EQ(f[9], lit(wheel(26), 0));   // LED 9 is zone 8's too, which comes last
  EXPECT_EQ(p.state().effectPhase, 218);

  ticksToStep(p, clock);  // 218 + 1 is past the period: 0, and zone 0 gets entry 12
  EXPECT_EQ(f[0].red, wheel(12).red);
  EXPECT_EQ(f[2].brightness, 255 * 215 / 256);
}

TEST(MousePreview, RunningGlowGoesRoundTheNineZonesBothWays) {
  for (std::uint8_t direction : {0, 1}) {
    MousePreview p(kMouseLeds);
    p.setLightState(light(kEffectRunningGlow, 5, direction, 0));
    std::uint32_t clock = 0;
    int brightest[10];
    for (int& z : brightest) {
      ticksToStep(p, clock);
      z = static_cast<int>(std::max_element(p.state().keyGlow.begin(), p.state().keyGlow.begin() + 9) -
                           p.state().keyGlow.begin());
    }
    const int forward[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0};
    const int backward[10] = {0, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    EXPECT_TRUE(std::equal(brightest, brightest + 10, direction ? forward : backward)) << int(direction);
    // Single-coloured: the set colour; LEDs of zones 7 and 8 beyond the seven are skipped.
    EXPECT_EQ(p.frame().size(), kMouseLeds);
    EXPECT_EQ(p.frame()[3].red, 200);
  }
}

TEST(MousePreview, OtherEffectNumbersIdleAndAChangeResets) {
  MousePreview p(kMouseLeds);
  p.setLightState(light(kEffectSpectrum, 5, 1, 1));
  std::uint32_t clock = 0;
  ticksToStep(p, clock);
  EXPECT_EQ(p.frame()[0], lit(wheel(1), 255));
  p.setLightState(light(12, 5, 1, 1));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(p.tick(clock += 2));
  EXPECT_EQ(p.frame()[0], LedColor{});  // reset, and nothing drawn since
  p.setLightState(light(kEffectOff, 5, 1, 1));
  EXPECT_TRUE(p.tick(clock += 2));
  EXPECT_EQ(p.frame()[0], LedColor{});
}

}  // namespace
}  // namespace kavro::mouse
