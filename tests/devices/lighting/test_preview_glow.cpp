// Keyboard preview: glow effects, streak layers and the reactive hooks.
#include <gtest/gtest.h>

#include "preview_helpers.h"

namespace kavro::lighting {
namespace {

using test::lightOf;
using test::steps;
using test::stepOnce;

std::uint8_t glowOf(const KeyboardPreview& p, std::size_t key) {
  return p.state().engine.keyGlow[key];
}

StreakLayers oneBit(std::size_t layer, std::size_t column, int row) {
  StreakLayers l{};
  l[layer][column] = static_cast<std::uint8_t>(1u << row);
  return l;
}

TEST(StreakLayers, EachLayerDrawsADiagonalInItsOwnDirection) {
  struct Case { std::size_t layer; std::size_t head; int headRow; int tailRow; };
  // One bit at column 5, row 3 after one move: the bit copies to the next
  // column in the layer's travel direction, and column 5 moves up or down.
  const Case cases[] = {{0, 4, 3, 2}, {1, 6, 3, 2}, {2, 6, 3, 4}, {3, 4, 3, 4}};
  for (const Case& c : cases) {
    StreakLayers l = oneBit(c.layer, 5, 3);
    moveStreakLayers(l);
    StreakLayer want{};
    want[c.head] = static_cast<std::uint8_t>(1u << c.headRow);
    want[5] = static_cast<std::uint8_t>(1u << c.tailRow);
    EXPECT_EQ(l[c.layer], want) << "layer " << c.layer;
  }
}

TEST(StreakLayers, EdgeColumnsOnlyShift) {
  StreakLayers l = oneBit(0, 0, 2);
  moveStreakLayers(l);
  EXPECT_EQ(l[0][0], 1u << 1);
  l = oneBit(2, 22, 2);
  moveStreakLayers(l);
  EXPECT_EQ(l[2][22], 1u << 3);
  l = oneBit(1, 0, 0);  // row 0 cannot rise further: only the copy survives
  moveStreakLayers(l);
  EXPECT_EQ(l[1][0], 0);
  EXPECT_EQ(l[1][1], 1);
}

TEST(PreviewStreaks, CrossStreaksLightFromTheTopOfColumnNineEverySecondStep) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(13, 0));
  stepOnce(p, now);
  EXPECT_EQ(glowOf(p, 6), 215);  // grid column 9, row 0: lit, then one fine decay
  EXPECT_EQ(p.frame()[6], (LedColor{255, 0, 0, 255 * 215 / 256}));
  stepOnce(p, now);              // odd step: no lighting
  EXPECT_EQ(glowOf(p, 6), 175);
  EXPECT_EQ(glowOf(p, 30), 0);
  stepOnce(p, now);              // the streaks spread to columns 8 and 10 and row 1
  EXPECT_EQ(glowOf(p, 5), 215);
  EXPECT_EQ(glowOf(p, 7), 215);
  EXPECT_EQ(glowOf(p, 29), 215);
  EXPECT_EQ(glowOf(p, 28), 0);
}

TEST(PreviewStreaks, BounceStreaksReachBothEdgesAndReturn) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(16, 0));
  int rightEdgeLit = 0, leftEdgeRelit = 0;
  bool leftDark = false;
  for (int i = 0; i < 300; ++i) {
    stepOnce(p, now);
    if (glowOf(p, 119) > 0 || glowOf(p, 118) > 0) ++rightEdgeLit;
    if (glowOf(p, 21) == 0 && glowOf(p, 42) == 0) leftDark = true;
    else if (leftDark && i > 30) ++leftEdgeRelit;
  }
  EXPECT_GT(rightEdgeLit, 0);
  EXPECT_GT(leftEdgeRelit, 0);
  EXPECT_EQ(p.frame()[120], LedColor{});  // outside the snake order: left alone
}

TEST(PreviewGlow, FallingRowsDropRowByRowAndHueStopsAtTheWheelEnd) {
  std::uint32_t now = 0;
  KeyboardPreview single;
  single.setLightState(lightOf(23, 0));
  stepOnce(single, now);
  EXPECT_EQ(glowOf(single, 0), 250);
  EXPECT_EQ(glowOf(single, 8), 250);
  EXPECT_EQ(glowOf(single, 22), 0);
  EXPECT_EQ(single.frame()[0], (LedColor{255, 0, 0, 255 * 250 / 256}));
  stepOnce(single, now);
  EXPECT_EQ(glowOf(single, 22), 250);  // row 1 of the left bar

  KeyboardPreview multi;
  multi.setLightState(lightOf(23));
  stepOnce(multi, now);
  EXPECT_EQ(multi.frame()[0], test::lit(wheel(3), 255));
  steps(multi, now, 100);
  EXPECT_EQ(multi.state().hue[16], 191);  // never lit: the hue climbed to the end
  EXPECT_EQ(multi.frame()[16], test::lit(wheel(191), 255));
}

TEST(PreviewGlow, WipeRunsTheSweepOrderInBothDirections) {
  std::uint32_t now = 0;
  KeyboardPreview forward;
  forward.setLightState(lightOf(28, 0));
  stepOnce(forward, now);
  EXPECT_EQ(glowOf(forward, 0), 214);  // 254 after one fine decay
  stepOnce(forward, now);
  EXPECT_EQ(glowOf(forward, 1), 214);
  EXPECT_EQ(glowOf(forward, 0), 174);
  steps(forward, now, 124);
  EXPECT_EQ(forward.state().cursor, 0);  // restarted after 125

  KeyboardPreview backward;
  backward.setLightState(lightOf(28, 0, 0));
  steps(backward, now, 16);              // the padding at the end of the sweep
  EXPECT_EQ(glowOf(backward, 105), 0);
  stepOnce(backward, now);
  EXPECT_EQ(glowOf(backward, 105), 214);
}

TEST(PreviewGlow, RaindropsLightSixPickedKeys) {
  std::uint32_t now = 0;
  // Pairs of (raindrop index, hue) for six drops.
  KeyboardPreview p(test::scripted({0, 10, 1, 20, 2, 30, 3, 40, 4, 50, 5, 60}));
  p.setLightState(lightOf(10));
  stepOnce(p, now);
  int lit = 0;
  for (std::size_t k = 0; k < kKeyCount; ++k) lit += glowOf(p, k) > 0;
  EXPECT_EQ(lit, 6);
  EXPECT_EQ(glowOf(p, kRaindropKeys[0]), 215);
  EXPECT_EQ(p.frame()[kRaindropKeys[5]], test::lit(wheel(60), 255 * 215 / 256));
}

TEST(PreviewReactive, HoldGlowRisesWhilePressedAndFadesAfterRelease) {
  for (std::uint8_t effect : {7, 24}) {
    std::uint32_t now = 0;
    KeyboardPreview p;
    p.setLightState(lightOf(effect, 0));
    p.keyEvent(30, KeyAction::Press);
    stepOnce(p, now);
    EXPECT_EQ(glowOf(p, 30), 15);
    steps(p, now, 20);
    EXPECT_EQ(glowOf(p, 30), 255);
    EXPECT_EQ(p.frame()[30], (LedColor{255, 0, 0, 254}));
    p.keyEvent(30, KeyAction::Release);
    stepOnce(p, now);
    EXPECT_EQ(glowOf(p, 30), 250);
    steps(p, now, 50);
    EXPECT_EQ(glowOf(p, 30), 0);
    EXPECT_EQ(p.state().hold[30], HoldState::Idle);
  }
}

TEST(PreviewReactive, WaveCarriesAPressAcrossTheColumnsAndOffTheBoard) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(8, 0, 0));  // leftwards
  p.keyEvent(41, KeyAction::Press);   // column 22
  stepOnce(p, now);
  EXPECT_EQ(glowOf(p, 41), 215);
  stepOnce(p, now);
  EXPECT_EQ(glowOf(p, 40), 215);      // column 21
  EXPECT_EQ(glowOf(p, 41), 175);      // not lit again: the flag left column 22
  steps(p, now, 30);
  for (auto f : p.state().engine.columnFlags) EXPECT_EQ(f, 0);
}

TEST(PreviewReactive, SingleKeyGlowAndIgnoredEvents) {
  std::uint32_t now = 0;
  KeyboardPreview p;
  p.setLightState(lightOf(9, 0));
  p.keyEvent(50, KeyAction::Press);
  p.keyEvent(500, KeyAction::Press);
  stepOnce(p, now);
  EXPECT_EQ(glowOf(p, 50), 215);
  EXPECT_EQ(glowOf(p, 49), 0);

  KeyboardPreview other;
  other.setLightState(lightOf(4));
  other.keyEvent(50, KeyAction::Press);
  EXPECT_EQ(glowOf(other, 50), 0);
}

}  // namespace
}  // namespace kavro::lighting
