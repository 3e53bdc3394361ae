#include <gtest/gtest.h>

#include "devices/lighting/sync_frames.h"

namespace kavro::lighting {
namespace {

LightParams syncParams(std::uint8_t colorful, std::uint8_t speed = 4) {
  LightParams p;
  p.brightnessLevel = 5;
  p.speedLevel = speed;
  p.direction = 1;
  p.colorful = colorful;
  p.red = 9;
  return p;
}

TEST(SyncModes, TranslateBetweenDeviceKinds) {
  EXPECT_EQ(commonEffectOf(1, 22), CommonEffect::Blinking);
  EXPECT_EQ(commonEffectOf(2, 4), CommonEffect::Blinking);
  EXPECT_EQ(commonEffectOf(7, 8), CommonEffect::Off);
  EXPECT_FALSE(commonEffectOf(1, 1).has_value());
  EXPECT_FALSE(commonEffectOf(3, 5).has_value());
  EXPECT_EQ(modeOfCommonEffect(1, CommonEffect::Spectrum), 4);
  EXPECT_EQ(modeOfCommonEffect(3, CommonEffect::Static), 3);
}

TEST(SyncFrames, PassesCountClockMovesOfMoreThanOneMs) {
  SyncState s;
  int frames = 0;
  std::uint32_t firstAt = 0;
  for (std::uint32_t t = 1; t <= 28; ++t) {
    if (syncPass(s, CommonEffect::Static, syncParams(0), t)) {
      if (++frames == 1) firstAt = t;
    }
  }
  EXPECT_EQ(firstAt, 14u);  // seven counts at 2, 4, ..., 14
  EXPECT_EQ(frames, 2);
}

TEST(SyncFrames, BreathingMovesTheWheelWhileThePhaseIsBelowTwo) {
  SyncState s;
  EXPECT_EQ(syncFrame(s, CommonEffect::Breathing, syncParams(1), 0), (LedColor{255, 81, 0, 0}));
  EXPECT_EQ(s.wheelPos, 16);
  syncFrame(s, CommonEffect::Breathing, syncParams(1), 0);
  EXPECT_EQ(s.wheelPos, 16);
  EXPECT_EQ(syncFrame(s, CommonEffect::Breathing, syncParams(0), 0).red, 9);
}

TEST(SyncFrames, SpectrumBlinkingStaticAndOff) {
  SyncState s;
  s.wheelPos = 191;
  EXPECT_EQ(syncFrame(s, CommonEffect::Spectrum, syncParams(1), 0), (LedColor{255, 1, 0, 255}));
  s.wheelPos = 180;
  EXPECT_EQ(syncFrame(s, CommonEffect::Blinking, syncParams(1), 1400), (LedColor{255, 1, 0, 255}));
  EXPECT_EQ(syncFrame(s, CommonEffect::Blinking, syncParams(1), 2799).brightness, 255);
  EXPECT_EQ(syncFrame(s, CommonEffect::Blinking, syncParams(1), 2800), LedColor{});
  EXPECT_EQ(syncFrame(s, CommonEffect::Static, syncParams(1), 0), (LedColor{9, 0, 0, 255}));
  EXPECT_EQ(syncFrame(s, CommonEffect::Off, syncParams(1), 0), LedColor{});
}

}  // namespace
}  // namespace kavro::lighting
