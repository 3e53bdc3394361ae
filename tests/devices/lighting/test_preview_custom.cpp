// Keyboard preview: the custom light effect's step list and the per-key overlay.
#include <gtest/gtest.h>

#include "preview_helpers.h"

namespace kavro::lighting {
namespace {

using test::lightOf;
using test::lit;

profiles::LightEffectStep stepOf(std::uint8_t mode, Rgb c, std::int32_t timeMs,
                                 std::uint8_t speed = 5) {
  profiles::LightEffectStep s;
  s.mode = mode;
  s.brightness = 5;
  s.speed = speed;
  s.direction = 1;
  s.red = c.red;
  s.green = c.green;
  s.blue = c.blue;
  s.timeMs = timeMs;
  return s;
}

TEST(CustomEffect, StepsFollowEachOtherByTimeAndWrap) {
  KeyboardPreview p;
  p.setCustomSteps({stepOf(1, {255, 0, 0}, 100), stepOf(1, {0, 255, 0}, 50)});
  p.setLightState(lightOf(19));
  const LedColor red = lit({255, 0, 0}, 255), green = lit({0, 255, 0}, 255);
  const std::pair<std::uint32_t, LedColor> passes[] = {
      {1000, red}, {1099, red}, {1100, green}, {1149, green}, {1150, red}};
  for (auto [t, want] : passes) {
    p.tick(t);
    EXPECT_EQ(p.frame()[60], want) << t;
  }
}

TEST(CustomEffect, ModeRunsAtItsOwnThresholdCountedPerPass) {
  KeyboardPreview p;
  p.setCustomSteps({stepOf(5, {}, 100000, 0)});  // spectrum, speed 0: every 20 passes
  p.setLightState(lightOf(19));
  for (int i = 0; i < 19; ++i) p.tick(1000);
  EXPECT_EQ(p.frame()[0], LedColor{});
  p.tick(1000);
  EXPECT_EQ(p.frame()[0], lit(wheel(1), 255));
}

TEST(CustomEffect, EmptyListIsOff) {
  KeyboardPreview p;
  p.setCustomSteps({stepOf(1, {255, 0, 0}, 100)});
  p.setLightState(lightOf(19));
  p.tick(10);
  EXPECT_EQ(p.frame()[0].red, 255);
  p.setCustomSteps({});
  p.tick(11);
  EXPECT_EQ(p.frame()[0], LedColor{});
}

profiles::LightListEntry item(std::uint8_t mode, Rgb c, std::uint8_t speed = 0,
                              std::uint8_t brightness = 5, std::uint8_t multi = 0) {
  profiles::LightListEntry e;
  e.mode = mode;
  e.brightness = brightness;
  e.speed = speed;
  e.direction = 1;
  e.multiColor = multi;
  e.red = c.red;
  e.green = c.green;
  e.blue = c.blue;
  e.valid = 1;
  return e;
}

TEST(PerKeyOverlay, ModesDrawOverTheEffectOnEveryPass) {
  KeyboardPreview p;
  p.setLightState(lightOf(6, 0, 1, 0));  // steady red underneath
  std::vector<profiles::LightListEntry> items(8);
  items[0] = item(1, {0, 0, 255});       // static
  items[1] = item(4, {0, 0, 255});       // off
  items[2] = item(2, {0, 255, 0}, 4, 3); // blink every 1400 ms
  items[3] = item(3, {}, 0);             // wave from wheel entry 28
  items[4] = item(0, {1, 2, 3}, 0);      // breathing, phase +4 per pass
  items[6] = item(9, {9, 9, 9});         // unknown mode
  items[6].valid = 1;
  p.setPerKeyItems(items);
  p.tick(1000);
  p.tick(1000);  // the effect's frame has not run yet: only the overlay
  EXPECT_EQ(p.frame()[0], lit({0, 0, 255}, 255));
  EXPECT_EQ(p.frame()[1], LedColor{});
  EXPECT_EQ(p.frame()[2], lit({0, 255, 0}, 135));
  EXPECT_EQ(p.frame()[3], lit(wheel(30), 255));
  EXPECT_EQ(p.frame()[4], lit({1, 2, 3}, 255 * kBreathing128[8] / 256));
  EXPECT_EQ(p.frame()[5], LedColor{});   // no item: the effect's frame (not drawn yet)

  std::uint32_t now = 1000;
  test::stepOnce(p, now);
  EXPECT_EQ(p.frame()[5], lit({255, 0, 0}, 255));
  EXPECT_EQ(p.frame()[6], lit({255, 0, 0}, 255));  // unknown mode leaves the effect
  EXPECT_EQ(p.frame()[0], lit({0, 0, 255}, 255));
  p.tick(2400);
  EXPECT_EQ(p.frame()[2], LedColor{});
  p.tick(3800);
  EXPECT_EQ(p.frame()[2], lit({0, 255, 0}, 135));
}

TEST(PerKeyOverlay, BreathingMovesTheWheelEachBreathAndBlinkStepsFourteen) {
  KeyboardPreview p;
  p.setLightState(lightOf(27));
  p.setPerKeyItems({item(0, {}, 0, 5, 1), item(2, {}, 4, 5, 1)});
  for (int i = 0; i < 32; ++i) p.tick(5);  // 32 x 4 = one breath
  EXPECT_EQ(p.state().perKeyAnim[0].wheelPos, 1);
  EXPECT_EQ(p.frame()[0], lit(wheel(1), 0));
  p.tick(5 + 1400);
  EXPECT_EQ(p.state().perKeyAnim[1].wheelPos, 14);
  p.setPerKeyItems({item(0, {}, 0, 5, 1)});  // loading a list restarts the animations
  EXPECT_EQ(p.state().perKeyAnim[0].wheelPos, 0);
}

}  // namespace
}  // namespace kavro::lighting
