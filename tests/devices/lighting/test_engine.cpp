#include <gtest/gtest.h>

#include "devices/lighting/engine.h"

namespace kavro::lighting {
namespace {

LedColor lit(Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

EngineState keyboardState() {
  EngineState s;
  setLightCount(s, 126);
  return s;
}

LightParams params(std::uint8_t colorful, std::uint8_t direction = 1, std::uint8_t speed = 0) {
  LightParams p;
  p.brightnessLevel = 5;
  p.speedLevel = speed;
  p.direction = direction;
  p.colorful = colorful;
  p.red = 10;
  p.green = 20;
  p.blue = 30;
  return p;
}

TEST(Advance, WrapsForwardToZeroAndBackwardToLimitMinusStep) {
  struct Case { std::uint8_t dir; int limit; std::uint8_t pos; int step; std::uint8_t want; };
  const Case cases[] = {{1, 192, 190, 1, 191}, {1, 192, 191, 1, 0},  {0, 192, 0, 1, 191},
                        {0, 128, 0, 1, 127},   {0, 192, 1, 2, 190},  {1, 192, 189, 2, 191},
                        {1, 192, 190, 2, 0},   {0, 96, 50, 3, 47},   {0, 128, 200, 1, 127},
                        {1, 128, 200, 1, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(advance(c.dir, c.limit, c.pos, c.step), c.want)
        << int(c.dir) << " " << c.limit << " " << int(c.pos) << " " << c.step;
}

TEST(EngineEffects, SpectrumBackwardFromZeroGoesTo191) {
  EngineState s = keyboardState();
  effectSpectrum(s, params(1, 0));
  EXPECT_EQ(s.effectPhase, 191);
  EXPECT_EQ(s.leds[0], lit({255, 0, 0}, 255));
  effectSpectrum(s, params(1, 1));
  EXPECT_EQ(s.effectPhase, 0);
  EXPECT_EQ(s.leds[125], lit({255, 1, 0}, 255));
}

TEST(EngineEffects, BreathingColoursKeyboardColumnsFromTheWheel) {
  EngineState s = keyboardState();
  s.effectPhase = 62;
  effectBreathing(s, params(1));
  EXPECT_EQ(s.effectPhase, 63);
  EXPECT_EQ(s.leds[1], lit(wheel(1 + 7 * 3), 254));   // key 1 sits in column 3
  EXPECT_EQ(s.leds[41], lit(wheel(1 + 7 * 22), 254));
  EXPECT_EQ(s.leds[16], lit({0, 0, 0}, 254));         // off the grid: brightness only
  effectBreathing(s, params(0));
  EXPECT_EQ(s.leds[16], lit({10, 20, 30}, 254));
}

TEST(EngineEffects, BreathCycleMovesToTheNextColourEachTimeThePhaseReturnsToZero) {
  EngineState s = keyboardState();
  s.effectPhase = 127;
  effectBreathCycle(s, params(0));
  EXPECT_EQ(s.effectStep, 1);
  EXPECT_EQ(s.leds[5], lit({0, 255, 0}, 0));
  s.effectPhase = 1;
  s.effectStep = 3;
  effectBreathCycle(s, params(0, 0));
  EXPECT_EQ(s.effectStep, 0);
  EXPECT_EQ(s.leds[5], lit({0, 255, 180}, 0));
}

TEST(EngineEffects, RippleRingsTakeFixedWheelEntries) {
  EngineState s = keyboardState();
  effectRipple(s, params(1));
  const auto first = s.leds;
  effectRipple(s, params(1));
  EXPECT_EQ(s.leds, first);
  EXPECT_EQ(s.leds[73], lit(wheel(118), 255));  // ring 0
  EXPECT_EQ(s.leds[63], lit(wheel(161), 255));  // ring 10
  EXPECT_EQ(s.leds[41], lit(wheel(149), 255));  // ring 11
  effectRipple(s, params(0));
  EXPECT_EQ(s.leds[73], lit({10, 20, 30}, 255));
}

TEST(EngineEffects, BlinkWheelTogglesByTheSpeedLevelsPeriod) {
  struct Case { std::uint8_t speed; std::uint32_t period; };
  for (const Case c : {Case{4, 1400}, Case{0, 5600}}) {
    EngineState s = keyboardState();
    effectBlinkWheel(s, params(1, 1, c.speed), c.period - 1);
    EXPECT_FALSE(s.blinkOn);
    EXPECT_EQ(s.leds[0], LedColor{});
    effectBlinkWheel(s, params(1, 1, c.speed), c.period);
    EXPECT_TRUE(s.blinkOn);
    EXPECT_EQ(s.leds[0], lit(wheel(16), 255));
    effectBlinkWheel(s, params(1, 1, c.speed), 2 * c.period - 1);
    EXPECT_TRUE(s.blinkOn);
    effectBlinkWheel(s, params(1, 1, c.speed), 2 * c.period);
    EXPECT_FALSE(s.blinkOn);
    EXPECT_EQ(s.effectPhase, 32);
  }
}

TEST(EngineEffects, BlinkPhasesWrapAndFixedColourShows) {
  EngineState s = keyboardState();
  s.effectPhase = 176;
  effectBlinkWheel(s, params(0, 1, 4), 1400);
  EXPECT_EQ(s.effectPhase, 0);
  EXPECT_EQ(s.leds[3], lit({10, 20, 30}, 255));

  EngineState f = keyboardState();
  f.effectPhase = 3;
  effectBlinkFour(f, params(0, 1, 4), 1400);
  EXPECT_EQ(f.effectPhase, 0);
  EXPECT_EQ(f.leds[3], lit({0, 255, 180}, 255));
  effectOff(f);
  EXPECT_EQ(f.leds[3], LedColor{});
}

TEST(Afterglow, CoarseDecayFrom255ReachesZeroAfter12StepsAndStays) {
  const std::vector<int> want = {215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0, 0, 0};
  EngineState s = keyboardState();
  s.keyGlow[7] = 255;
  for (std::size_t i = 0; i < want.size(); ++i) {
    decayKeyGlow(s, 7, false);
    EXPECT_EQ(s.keyGlow[7], want[i]) << "step " << i + 1;
  }
  EXPECT_EQ(decayGlowValue(9, true), 8);
  EXPECT_EQ(decayGlowValue(1, true), 0);
  EXPECT_EQ(decayGlowValue(3, false), 0);
  decayKeyGlow(s, 500, true);  // out of range: ignored
}

TEST(Afterglow, ColumnFlagsShiftWithCarryAndLightTheNineZones) {
  EngineState s = keyboardState();
  s.columnFlags[0] = 5;
  s.columnFlags[22] = 7;
  shiftColumns(s, false);
  EXPECT_EQ(s.columnCarry, 5);
  EXPECT_EQ(s.columnFlags[21], 7);
  EXPECT_EQ(s.columnFlags[22], 7);
  shiftColumns(s, true);
  EXPECT_EQ(s.columnFlags[0], 5);
  EXPECT_EQ(s.columnFlags[22], 7);

  s.columnFlags.fill(0);
  s.columnFlags[8] = 1;
  s.columnFlags[9] = 1;
  lightGlowingColumns(s);
  EXPECT_EQ(s.keyGlow[8], 255);
  EXPECT_EQ(s.keyGlow[9], 0);
  clearGlow(s);
  EXPECT_EQ(s.keyGlow[8], 0);
  EXPECT_EQ(s.columnFlags[0], 0);
}

TEST(StreamFrame, ScalesByBrightnessAndNeverSendsLed126) {
  std::vector<LedColor> leds(128, LedColor{255, 255, 255, 255});
  leds[0] = {200, 100, 50, 128};
  const auto bytes = streamFrameBytes(leds);
  ASSERT_EQ(bytes.size(), 3u * 128);
  EXPECT_EQ(bytes[0], 100);
  EXPECT_EQ(bytes[1], 50);
  EXPECT_EQ(bytes[2], 25);
  EXPECT_EQ(bytes[3 * 125], 254);
  EXPECT_EQ(bytes[3 * 126], 0);
  EXPECT_EQ(bytes[3 * 126 + 2], 0);
  EXPECT_EQ(bytes[3 * 127], 254);
  EXPECT_EQ(buttonColor({1, 2, 3, 4}), 0x030201u);
}

TEST(LedColors, OutOfRangeIsIgnoredAndReadsZero) {
  EngineState s;
  setLightCount(s, 3);
  setLedColor(s, 2, 0x04030201u);
  EXPECT_EQ(s.leds[2], (LedColor{1, 2, 3, 4}));
  EXPECT_EQ(getLedColor(s, 2), 0x04030201u);
  setLedColor(s, 3, 0xFFFFFFFFu);
  EXPECT_EQ(getLedColor(s, 3), 0u);
  EXPECT_EQ(s.leds.size(), 3u);
}

}  // namespace
}  // namespace kavro::lighting
