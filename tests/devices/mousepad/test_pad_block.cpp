// The 21-byte block codec, block addresses and the notify usages.
#include <gtest/gtest.h>

#include "devices/mousepad/pad_block.h"

namespace kavro::mousepad {
namespace {

SettingsBlock patterned() {
  SettingsBlock b{};
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(0xA0 + i);
  return b;
}

TEST(PadBlock, EncodingReplacesOnlyTheLightingBytes) {
  profiles::LightSetting l;
  l.effect = 7;
  l.brightness = 4;
  l.speed = 1;
  l.direction = 1;
  l.multiColor = 1;
  l.red = 1;
  l.green = 2;
  l.blue = 3;
  const SettingsBlock read = patterned();
  const SettingsBlock b = encodeBlock(l, read);
  for (std::size_t i : {0u, 4u, 9u, 13u, 20u}) EXPECT_EQ(b[i], read[i]) << "byte " << i;
  EXPECT_EQ(b, (SettingsBlock{0xA0, 7, 4, 3, 0xA4, 1, 1, 2, 3, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0,
                              0xB1, 0xB2, 0xB3, 0xB4}));
}

TEST(PadBlock, OutOfRangeValuesAreWrittenAsTheDeviceTakesThem) {
  profiles::LightSetting l;
  l.effect = 9;      // no such effect: written as 0
  l.speed = 0;
  l.multiColor = 5;  // a damaged profile: written as 1
  SettingsBlock b = encodeBlock(l, {});
  EXPECT_EQ(b[kBlkEffect], 0);
  EXPECT_EQ(b[kBlkSpeed], 4);
  EXPECT_EQ(b[kBlkMultiColor], 1);
  l.effect = 8;
  l.speed = 9;
  b = encodeBlock(l, {});
  EXPECT_EQ(b[kBlkEffect], 8);
  EXPECT_EQ(b[kBlkSpeed], 0);
}

TEST(PadBlock, DecodingLeavesTheDirectionAndReadsSpeedReversed) {
  profiles::LightSetting l;
  l.direction = 1;
  l.areaEffect = 2;
  SettingsBlock b = patterned();
  b[kBlkEffect] = 6;
  b[kBlkBrightness] = 3;
  b[kBlkSpeed] = 4;
  b[kBlkMultiColor] = 2;
  decodeBlock(b, l);
  EXPECT_EQ(l.effect, 6);
  EXPECT_EQ(l.brightness, 3);
  EXPECT_EQ(l.speed, 0);
  EXPECT_EQ(l.multiColor, 1);
  EXPECT_EQ(l.red, 0xA6);
  EXPECT_EQ(l.blue, 0xA8);
  EXPECT_EQ(l.direction, 1);  // byte 4 (0xA4) is the device's
  EXPECT_EQ(l.areaEffect, 2);
  b[kBlkSpeed] = 5;           // out of range
  decodeBlock(b, l);
  EXPECT_EQ(l.speed, 0);
  // A block decoded and encoded again comes back byte for byte.
  b[kBlkSpeed] = 1;
  b[kBlkMultiColor] = 1;
  decodeBlock(b, l);
  EXPECT_EQ(encodeBlock(l, b), b);
}

TEST(PadBlock, AddressesOfBothAddressings) {
  EXPECT_EQ(blockReadAddress(kKeyboardStrideAddressing, 1), 25);
  EXPECT_EQ(blockWriteAddress(kKeyboardStrideAddressing, 1), 0);
  EXPECT_EQ(blockReadAddress(kKeyboardStrideAddressing, 0), blockReadAddress(kSlotAddressing, 0));
  EXPECT_EQ(blockReadAddress(kSlotAddressing, 1), 64);
  EXPECT_EQ(blockWriteAddress(kSlotAddressing, 1), 64);
  EXPECT_EQ(blockReadAddress(kSlotAddressing, 3), 192);
  EXPECT_EQ(blockWriteAddress(kSlotAddressing, 255), 255 * 64);
}

TEST(PadBlock, OnlyTwoNotifyUsagesMeanAnything) {
  EXPECT_EQ(notifyAction(0x401), NotifyAction::Sync);
  EXPECT_EQ(notifyAction(0x404), NotifyAction::Notice);
  for (std::uint16_t u : {0x0, 0x400, 0x402, 0x501, 0x601, 0xFFFF}) EXPECT_EQ(notifyAction(u), NotifyAction::None);
}

}  // namespace
}  // namespace kavro::mousepad
