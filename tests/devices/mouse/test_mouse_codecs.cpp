// The mouse's button map, key table image and settings block.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/mouse/mouse_buttons.h"
#include "devices/mouse/mouse_settings.h"

namespace kavro::mouse {
namespace {

std::vector<std::uint8_t> tableOf(const std::vector<KeyCodeBytes>& codes) {
  std::vector<std::uint8_t> t;
  for (const auto& c : codes) t.insert(t.end(), c.begin(), c.end());
  return t;
}

TEST(MouseButtons, EachPositionTakesTheFirstDeviceKeyWithItsCode) {
  // The factory codes in reverse, the left button twice, no M8 code.
  std::vector<KeyCodeBytes> codes(kDefaultButtonCodes.rbegin() + 1, kDefaultButtonCodes.rend());
  codes.push_back(kDefaultButtonCodes[kButtonLeft]);
  const auto table = tableOf(codes);
  const ButtonMap map = buildButtonMap(table, codes.size());
  EXPECT_EQ(map, (ButtonMap{8, 7, 6, 5, 4, 3, 2, 1, 0, kNoDeviceKey}));
  EXPECT_EQ(positionOfDeviceKey(map, 8), static_cast<int>(kButtonLeft));
  EXPECT_EQ(positionOfDeviceKey(map, 9), -1);  // the second left button
  EXPECT_EQ(positionOfDeviceKey(map, kNoDeviceKey), -1);
}

TEST(MouseButtons, TablesThatCannotBeTrustedMapNothing) {
  const auto table = tableOf({kDefaultButtonCodes.begin(), kDefaultButtonCodes.end()});
  ButtonMap none;
  none.fill(kNoDeviceKey);
  EXPECT_EQ(buildButtonMap(table, 171), none);  // 513 bytes: more than a transfer holds
  // A key count beyond the bytes read maps only what is there.
  EXPECT_EQ(buildButtonMap(std::span(table).first(6), 10)[kButtonMiddle], kNoDeviceKey);
  // Device key 126 cannot be told from the "no key" marker and is not used.
  std::vector<KeyCodeBytes> many(130, KeyCodeBytes{0x20, 0x00, 0x00});
  many[126] = kDefaultButtonCodes[kButtonRight];
  EXPECT_EQ(buildButtonMap(tableOf(many), many.size())[kButtonRight], kNoDeviceKey);
}

TEST(MouseButtons, KeyImageWritesMappedButtonsAndSkipsTheRest) {
  std::vector<KeyCodeBytes> codes(kDefaultButtonCodes.begin(), kDefaultButtonCodes.end());
  codes[kButtonM8] = {0x20, 0x00, 0x04};  // the mouse has no M8 code
  codes.resize(130, KeyCodeBytes{0x20, 0x00, 0x05});  // keys at and past 126 exist
  const auto table = tableOf(codes);
  const ButtonMap map = buildButtonMap(table, codes.size());
  std::vector<KeyAssignment> assignments(kButtonCount);
  for (std::size_t p = 0; p < kButtonCount; ++p) assignments[p].code = {0x30, static_cast<std::uint8_t>(p), 0};
  const auto image = keyTableImage(table, codes.size(), map, assignments);
  ASSERT_EQ(image.size(), table.size());
  for (std::size_t p = 0; p < kButtonCount; ++p) {
    if (p == kButtonM8) continue;
    EXPECT_EQ(image[3 * p + 1], p);
  }
  // Neither the M8 slot nor device key 126 (the marker's number) is touched.
  EXPECT_EQ(image[3 * kButtonM8], 0x20);
  EXPECT_TRUE(std::equal(image.begin() + 3 * 126, image.end(), table.begin() + 3 * 126));
  EXPECT_TRUE(keyTableImage(table, 171, map, assignments).empty());
}

TEST(MouseButtons, ControlNames) {
  EXPECT_EQ(buttonPositionOfControl("mouse_key_DPI_loop"), static_cast<int>(kButtonDpiLoop));
  EXPECT_EQ(buttonPositionOfControl("keyboard_key_GM"), static_cast<int>(kButtonGameMode));
  EXPECT_EQ(buttonPositionOfControl("mouse_key_nothing"), -1);
}

SettingsSource fullSource() {
  SettingsSource s;
  s.light = {7, 5, 0, 1, 1, 0xAA, 0xBB, 0xCC, {}, 9, 3};
  s.system = systemWords({4, 10, 1, 0, 3, 3});
  for (std::uint8_t i = 0; i < 5; ++i)
    s.stages.push_back({1, 0, static_cast<std::uint16_t>(0x0101 * (i + 1)), static_cast<std::uint16_t>(0x0203 + i),
                        i, static_cast<std::uint8_t>(10 + i), static_cast<std::uint8_t>(20 + i)});
  s.stages.push_back({1, 1, 1, 1, 1, 1, 1});  // a sixth stage is not sent
  s.currentStage = 4;
  s.screen = {1920, 1080};
  s.corrections = {{2, 4, 0, "a"}, {1, 2, 1, "b"}, {4, 8, 1, "c"}};
  return s;
}

TEST(MouseSettingsBlock, EveryByteOfAFullBlock) {
  const SettingsBlock b = encodeSettingsBlock(fullSource());
  const SettingsBlock expected = {
      0, 7, 5, 4, 1, 1, 0xAA, 0xBB, 0xCC, 0, 0, 3, 4, 0,
      1, 0, 0x01, 0x01, 0x03, 0x02, 0, 10, 20,  // stage 0
      1, 0, 0x02, 0x02, 0x04, 0x02, 1, 11, 21,  // stage 1
      1, 0, 0x03, 0x03, 0x05, 0x02, 2, 12, 22,  // stage 2
      1, 0, 0x04, 0x04, 0x06, 0x02, 3, 13, 23,  // stage 3
      1, 0, 0x05, 0x05, 0x07, 0x02, 4, 14, 24,  // stage 4
      1, 0x80, 0x07, 0x38, 0x04,                // screen 1920 x 1080
      2, 1,                                     // the first selected correction
      0, 0, 0, 0, 0};
  EXPECT_EQ(b, expected);
}

TEST(MouseSettingsBlock, ValuesTheMouseCannotTakeAreMadeSafe) {
  SettingsSource s = fullSource();
  s.light.effect = 9;     // no mouse effect 9: written as effect 0
  s.light.speed = 7;      // written as speed 4 (byte 0)
  s.system = systemWords({.pollingRate = 5});  // not a choice of the page: 0
  s.currentStage = 5;
  s.screen = {70000, -3};
  s.stages.resize(3);
  s.corrections = {{2, 4, 0, "a"}};
  const SettingsBlock b = encodeSettingsBlock(s);
  EXPECT_EQ(b[kSbEffect], 0);
  EXPECT_EQ(b[kSbSpeed], 0);
  EXPECT_EQ(b[kSbPollingRate], 0);
  EXPECT_EQ(b[kSbCurrentStage], 0);
  EXPECT_EQ(b[kSbScreenWidth] | b[kSbScreenWidth + 1] << 8, 0xFFFF);
  EXPECT_EQ(b[kSbScreenHeight] | b[kSbScreenHeight + 1] << 8, 0);
  EXPECT_TRUE(std::all_of(b.begin() + kSbStages + 27, b.begin() + kSbScreenFlag, [](auto v) { return v == 0; }));
  EXPECT_EQ(b[kSbCorrectMinSq], 0);
  EXPECT_EQ(b[kSbCorrectPixThresh], 0);
  s.light.effect = 8;
  EXPECT_EQ(encodeSettingsBlock(s)[kSbEffect], 8);
}

TEST(MouseSettingsBlock, DecodeTakesLightingAndCurrentStageOnly) {
  SettingsBlock b{};
  b[kSbEffect] = 5;
  b[kSbBrightness] = 2;
  b[kSbSpeed] = 4;  // speed 0
  b[kSbDirection] = 1;
  b[kSbMultiColor] = 7;
  b[kSbRed] = 1;
  b[kSbGreen] = 2;
  b[kSbBlue] = 3;
  b[kSbCurrentStage] = 3;
  LightSetting light;
  light.direction = 0;
  light.areaEffect = 6;
  light.customGroup = 2;
  int stage = 0;
  decodeSettingsBlock(b, light, stage);
  EXPECT_EQ(light, (LightSetting{5, 2, 0, 0, 1, 1, 2, 3, {}, 6, 2}));
  EXPECT_EQ(stage, 3);
  b[kSbSpeed] = 9;  // no speed writes this
  b[kSbCurrentStage] = 200;
  decodeSettingsBlock(b, light, stage);
  EXPECT_EQ(light.speed, 0);
  EXPECT_EQ(stage, 0);
}

TEST(MouseSettingsBlock, SystemWordsRoundTrip) {
  const MouseSystemFields f{5, 10, 1, 1, 3, 2};
  const MouseSystemSettings w = systemWords(f);
  EXPECT_EQ(w.word0, (10u << 16) | 5u);
  EXPECT_EQ(w.word2, (2u << 16) | 3u);
  EXPECT_EQ(systemFields(w), f);
}

}  // namespace
}  // namespace kavro::mouse
