#include <gtest/gtest.h>

#include "devices/keyboard/keyboard_settings.h"

namespace kavro::keyboard {
namespace {

LightSetting sampleLight() {
  LightSetting l;
  l.effect = 12;
  l.brightness = 5;
  l.speed = 1;
  l.direction = 1;
  l.multiColor = 1;
  l.red = 0x11;
  l.green = 0x22;
  l.blue = 0x33;
  l.reserved = {9, 9, 9};
  l.areaEffect = 2;
  l.customGroup = 3;
  return l;
}

KeyboardSystemFields sampleSystem() {
  KeyboardSystemFields s;
  s.repeat = 20;
  s.repeatDelay = 2;
  s.key6Flag = 1;
  s.pollingRate = 3;
  s.wFlag = 1;
  s.winFlag = 0;
  return s;
}

TEST(KeyboardSettingsBlock, EncodesEveryNamedByteAndZeroesTheRest) {
  const SettingsBlock b = encodeSettingsBlock(sampleLight(), systemWords(sampleSystem()));
  const SettingsBlock expected = {0, 12, 5, 3, 1, 1, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 2, 1, 1, 0, 3, 0, 0, 3};
  EXPECT_EQ(b, expected);
}

TEST(KeyboardSettingsBlock, SpeedIsStoredReversed) {
  LightSetting l;
  l.speed = 0;
  EXPECT_EQ(encodeSettingsBlock(l, {})[kSbSpeed], 4);
  l.speed = 4;
  EXPECT_EQ(encodeSettingsBlock(l, {})[kSbSpeed], 0);
  l.speed = 9;  // out of range: counts as speed 4
  EXPECT_EQ(encodeSettingsBlock(l, {})[kSbSpeed], 0);

  SettingsBlock b{};
  KeyboardSystemSettings sys{};
  for (std::uint8_t byte = 0; byte <= 4; ++byte) {
    b[kSbSpeed] = byte;
    decodeSettingsBlock(b, l, sys);
    EXPECT_EQ(l.speed, 4 - byte);
  }
  b[kSbSpeed] = 0xFF;  // no speed encodes this; never an index past the tables
  decodeSettingsBlock(b, l, sys);
  EXPECT_EQ(l.speed, 0);
}

TEST(KeyboardSettingsBlock, DecodeKeepsWhatTheBlockDoesNotOwn) {
  LightSetting light = sampleLight();
  KeyboardSystemSettings sys = systemWords(sampleSystem());
  SettingsBlock b;
  b.fill(0x5A);  // ignored bytes (0, 9..17, 22..24) carry noise
  b[kSbEffect] = 7;
  b[kSbBrightness] = 2;
  b[kSbSpeed] = 4;
  b[kSbWFlag] = 0;
  b[kSbKey6Flag] = 0;
  b[kSbWinFlag] = 1;
  b[kSbCustomGroup] = 1;
  decodeSettingsBlock(b, light, sys);

  EXPECT_EQ(light.effect, 7);
  EXPECT_EQ(light.brightness, 2);
  EXPECT_EQ(light.speed, 0);
  EXPECT_EQ(light.direction, 0x5A);
  EXPECT_EQ(light.areaEffect, 0x5A);
  EXPECT_EQ(light.customGroup, 1);
  EXPECT_EQ(light.reserved, (std::array<std::uint8_t, 3>{9, 9, 9}));

  const KeyboardSystemFields f = systemFields(sys);
  EXPECT_EQ(f.pollingRate, 3);  // the profile's polling rate stays
  EXPECT_EQ(f.repeat, 20);
  EXPECT_EQ(f.repeatDelay, 2);
  EXPECT_EQ(f.wFlag, 0);
  EXPECT_EQ(f.key6Flag, 0);
  EXPECT_EQ(f.winFlag, 1);
}

TEST(KeyboardSettingsBlock, RoundTripAndSlotAddress) {
  const LightSetting in = sampleLight();
  const KeyboardSystemSettings sysIn = systemWords(sampleSystem());
  LightSetting out;
  KeyboardSystemSettings sysOut = systemWords(sampleSystem());
  decodeSettingsBlock(encodeSettingsBlock(in, sysIn), out, sysOut);
  LightSetting expected = in;
  expected.reserved = {};
  EXPECT_EQ(out, expected);
  EXPECT_EQ(sysOut, sysIn);

  EXPECT_EQ(settingsBlockAddress(0), 0);
  EXPECT_EQ(settingsBlockAddress(2), 50);
  EXPECT_EQ(settingsBlockAddress(255), 6375);
}

TEST(KeyboardSettingsBlock, SystemWordsMatchTheProfileLayout) {
  // Profile words: RepeatDelay|Repeat, PollingRate|Key6Flag, WinFlag|WFlag.
  const KeyboardSystemSettings w = systemWords(sampleSystem());
  EXPECT_EQ(w.word0, (2u << 16) | 20u);
  EXPECT_EQ(w.word1, (3u << 16) | 1u);
  EXPECT_EQ(w.word2, (0u << 16) | 1u);
  EXPECT_EQ(systemFields(w), sampleSystem());
}

}  // namespace
}  // namespace kavro::keyboard
