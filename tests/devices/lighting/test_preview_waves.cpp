// Keyboard preview: pacing and the colour-wave effect families.
#include <gtest/gtest.h>

#include "devices/lighting/preview_thresholds.h"
#include "preview_helpers.h"

namespace kavro::lighting {
namespace {

using test::lightOf;
using test::lit;
using test::stepOnce;

TEST(PreviewThresholds, TableByEffectAndSpeed) {
  struct Case { unsigned effect, speed; std::optional<std::uint32_t> want; };
  const Case cases[] = {{1, 0, 6},   {12, 5, 1},  {15, 0, 7},  {4, 5, 5},   {25, 3, 7},
                        {8, 0, 7},   {26, 2, 18}, {13, 2, 8},  {27, 0, 0},  {29, 5, 7},
                        {28, 9, 7},  {19, 0, std::nullopt}, {0, 0, std::nullopt},
                        {30, 3, std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(previewThreshold(c.effect, c.speed), c.want) << c.effect;
}

TEST(PreviewPacing, CounterAddsThreeWhenTheClockMovedMoreThanOneMs) {
  KeyboardPreview p;
  p.setLightState(lightOf(1, 1, 1, 0));  // threshold 6
  EXPECT_FALSE(p.tick(2));               // counter 3
  EXPECT_FALSE(p.tick(3));               // 1 ms: no advance
  EXPECT_TRUE(p.tick(4));                // counter 6: step, restart
  EXPECT_FALSE(p.tick(6));
  EXPECT_TRUE(p.tick(8));
}

TEST(PreviewPacing, UnthresholdedEffectsStepOnEveryPass) {
  for (std::uint8_t effect : {19, 0, 31}) {
    KeyboardPreview p;
    p.setLightState(lightOf(effect));
    EXPECT_TRUE(p.tick(1));
    EXPECT_TRUE(p.tick(1));
  }
  KeyboardPreview off;
  off.setLightState(lightOf(27, 1, 1, 0));
  EXPECT_TRUE(off.tick(1));
  EXPECT_TRUE(off.tick(1));
}

TEST(PreviewWaves, ColumnWaveMultiAndSingleColoured) {
  std::uint32_t now = 0;
  KeyboardPreview multi;
  multi.setLightState(lightOf(1));
  stepOnce(multi, now);
  EXPECT_EQ(multi.frame()[0], lit(wheel(2 + 7 * 2), 255));    // key 0: column 2
  EXPECT_EQ(multi.frame()[41], lit(wheel(2 + 7 * 22), 255));  // key 41: column 22

  KeyboardPreview single;
  single.setLightState(lightOf(1, 0));
  stepOnce(single, now);
  EXPECT_EQ(single.frame()[0], lit({255, 0, 0}, 255 * kBreathing96[16] / 256));

  KeyboardPreview slow;
  slow.setLightState(lightOf(2, 0));
  stepOnce(slow, now);
  EXPECT_EQ(slow.frame()[0], lit({255, 0, 0}, 255 * kFadeCurve[6] / 256));
}

TEST(PreviewWaves, SnakeAddsFivePerKeyAlongTheSnakeOrder) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(3));
  stepOnce(p, now);
  EXPECT_EQ(p.frame()[15], lit(wheel(1), 255));
  EXPECT_EQ(p.frame()[14], lit(wheel(6), 255));
  EXPECT_EQ(p.frame()[21], lit(wheel(81), 255));
  EXPECT_EQ(p.frame()[77], lit(wheel((1 + 5 * 104) % 192), 255));
  EXPECT_EQ(p.frame()[120], LedColor{});  // macro keys are not on the snake
}

TEST(PreviewWaves, RowAndRingWaves) {
  std::uint32_t now = 0;
  KeyboardPreview rows;
  rows.setLightState(lightOf(12, 0));  // always multi-coloured
  stepOnce(rows, now);
  EXPECT_EQ(rows.frame()[0], lit(wheel(2), 255));
  EXPECT_EQ(rows.frame()[105], lit(wheel(2 + 21 * 5), 255));

  KeyboardPreview rings;
  rings.setLightState(lightOf(18, 1, 0));
  stepOnce(rings, now);  // backward: phase 191
  EXPECT_EQ(rings.frame()[73], lit(wheel((191 + 14) % 192), 255));
  EXPECT_EQ(rings.frame()[41], lit(wheel((191 + 14 * 12) % 192), 255));
}

TEST(PreviewWaves, SingleWheelColourByAreaMode) {
  const std::pair<std::uint8_t, unsigned> cases[] = {{1, 25}, {2, 70}, {3, 95}, {0, 174}, {7, 174}};
  for (auto [mode, entry] : cases) {
    std::uint32_t now = 0;
    KeyboardPreview p;
    auto light = lightOf(17);
    light.areaEffect = mode;
    p.setLightState(light);
    stepOnce(p, now);
    EXPECT_EQ(p.frame()[50], lit(wheel(entry), 255)) << int(mode);
  }
}

TEST(PreviewWaves, KeyCycleStartsAsADiagonalRainbowAndMovesOn) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(11));
  EXPECT_EQ(p.state().keyWheel[0], 16);   // column 2, row 0
  EXPECT_EQ(p.state().keyWheel[105], 88); // column 1, row 5
  stepOnce(p, now);
  EXPECT_EQ(p.frame()[0], lit(wheel(17), 255));
}

TEST(PreviewWaves, TwinklesTakeANewHueWhenTheirPhaseWraps) {
  std::uint32_t now = 0;
  KeyboardPreview p(test::scripted(std::vector<std::uint32_t>(2 * 105, 95)));
  p.setLightState(lightOf(15));  // every key: phase 190, hue 95
  EXPECT_EQ(p.state().keyPhase[15], 190);
  stepOnce(p, now);              // phase wraps to 0, new hue from the source (0)
  EXPECT_EQ(p.state().hue[15], 0);
  EXPECT_EQ(p.frame()[15], lit(wheel(0), 0));
  stepOnce(p, now);
  EXPECT_EQ(p.frame()[15], lit(wheel(0), 255 * kFadeCurve[2] / 256));
}

TEST(PreviewWaves, CustomColoursShowAtOnceAndTakePaintedKeys) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setCustomColors({profiles::KeyColor{1, 2, 3, 0}, profiles::KeyColor{4, 5, 6, 0}});
  p.setLightState(lightOf(20));
  EXPECT_EQ(p.frame()[1], (LedColor{4, 5, 6, 255}));
  p.paintKey(2, {7, 8, 9});
  stepOnce(p, now);
  EXPECT_EQ(p.frame()[2], (LedColor{7, 8, 9, 255}));
  EXPECT_EQ(p.frame()[3], (LedColor{0, 0, 0, 255}));
}

TEST(PreviewWaves, EngineEffectsRunOnTheKeyboardFrame) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(4, 1, 0));
  stepOnce(p, now);
  EXPECT_EQ(p.frame()[125], lit(wheel(191), 255));
  auto light = lightOf(27);
  p.setLightState(light);
  EXPECT_EQ(p.frame()[125], LedColor{});  // the effect change cleared the frame
}

}  // namespace
}  // namespace kavro::lighting
