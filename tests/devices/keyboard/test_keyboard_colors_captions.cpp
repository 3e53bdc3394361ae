#include <gtest/gtest.h>

#include "devices/keyboard/keyboard_captions.h"
#include "devices/keyboard/keyboard_colors.h"

namespace kavro::keyboard {
namespace {

TEST(KeyboardColors, BuffersPlaceColoursByLedAndSkipIndicesPastTheEnd) {
  PositionMap toLed;
  toLed.fill(kUnmapped);
  toLed[0] = 2;
  toLed[1] = 200;  // bytes 600..602: outside the buffer
  toLed[2] = 170;  // bytes 510..512: one byte too far
  toLed[3] = 169;  // bytes 507..509: the last LED that fits
  std::vector<PreviewColor> colors(kPositionCount, PreviewColor{1, 1, 1, 255});
  colors[0] = {10, 20, 30, 128};
  colors[3] = {255, 0, 7, 0};

  const ColorBuffer plain = customColorBuffer(colors, toLed);
  const ColorBuffer scaled = scaledColorBuffer(colors, toLed);
  EXPECT_EQ(plain[6], 10);
  EXPECT_EQ(plain[7], 20);
  EXPECT_EQ(plain[8], 30);
  EXPECT_EQ(plain[507], 255);
  EXPECT_EQ(plain[509], 7);
  EXPECT_EQ(scaled[6], 5);
  EXPECT_EQ(scaled[7], 10);
  EXPECT_EQ(scaled[8], 15);
  EXPECT_EQ(scaled[507], 0);
  EXPECT_EQ(scaled[511], 0);
  // Nothing else is written: unmapped positions leave their bytes at 0.
  std::size_t nonZero = 0;
  for (std::uint8_t b : plain) nonZero += b != 0;
  EXPECT_EQ(nonZero, 5u);
  EXPECT_EQ(kCustomColorSendLength, 378u);
}

TEST(KeyboardColors, ShortColourListsAreSafe) {
  PositionMap toLed;
  toLed.fill(0);
  const std::vector<PreviewColor> one{{9, 9, 9, 255}};
  const ColorBuffer b = customColorBuffer(one, toLed);
  EXPECT_EQ(b[0], 9);
}

TEST(KeyboardPower, LinkByteAndMessageValue) {
  const PowerBlock answer = {1, 2, 3, 4, 5, 6};
  const PowerStatus wireless = powerStatus(answer, true);
  EXPECT_EQ(wireless.block, (PowerBlock{1, 2, 3, 1, 5, 6}));
  EXPECT_EQ(wireless.messageValue, 5);
  EXPECT_EQ(powerStatus(answer, false).block[kPowerLinkByte], 0);
}

TEST(KeyboardCaptions, FactoryKeyNames) {
  EXPECT_EQ(defaultKeyName(0), (FunctionName{{"keyboard_key_Esc"}, {}}));
  EXPECT_EQ(defaultKeyName(84), (FunctionName{{"keyboard_key_LShift"}, {}}));
  EXPECT_EQ(defaultKeyName(102), (FunctionName{{"keyboard_key_K45"}, {}}));
  EXPECT_EQ(defaultKeyName(110), (FunctionName{{"keyboard_key_FN"}, {}}));
  EXPECT_EQ(defaultKeyName(16), (FunctionName{{"keyboard_key_GM"}, {}}));
  EXPECT_EQ(defaultKeyName(124), (FunctionName{{"keyboard_key_M5"}, {}}));
  EXPECT_TRUE(defaultKeyName(18).empty());   // no key
  EXPECT_TRUE(defaultKeyName(126).empty());  // out of range
}

TEST(KeyboardCaptions, AssignedFunctionNames) {
  const std::vector<std::string> macros{"Reload", "Combo"};
  EXPECT_EQ(functionName({0x20, 0x01, 0x06}, macros),
            (FunctionName{{"keyboard_key_LCtrl", "keyboard_key_C"}, {}}));
  EXPECT_EQ(functionName({0x30, 0xE9, 0x00}, macros), (FunctionName{{"keyboard_key_Volume Up"}, {}}));
  EXPECT_EQ(functionName({0x10, 0x02, 0x00}, macros), (FunctionName{{"mouse_key_right"}, {}}));
  EXPECT_EQ(functionName({0x71, 0x01, 0x05}, macros), (FunctionName{{}, "Combo"}));
  EXPECT_EQ(functionName({0x70, 0x02, 0x00}, macros), (FunctionName{{"keyset_function_9"}, {}}));
  EXPECT_EQ(functionName({0x13, 0x02, 0x00}, macros), (FunctionName{{"keyset_function_4"}, {}}));
  EXPECT_TRUE(functionName({0x20, 0x00, 0xE7}, macros).empty());  // usage without a name
}

TEST(KeyboardCaptions, MarkedWhenTheAssignedNameDiffers) {
  EXPECT_FALSE(keyCaption(0, kDefaultKeyCodes[0], {}).marked);
  EXPECT_TRUE(keyCaption(0, {0x20, 0x00, 0x3A}, {}).marked);
  EXPECT_FALSE(keyCaption(18, {0x20, 0x00, 0x00}, {}).marked);
}

}  // namespace
}  // namespace kavro::keyboard
