#include "devices/mousepad/pad_block.h"

#include <algorithm>

namespace kavro::mousepad {

bool isLightingByte(std::size_t i) {
  return i == kBlkEffect || i == kBlkBrightness || i == kBlkSpeed || i == kBlkMultiColor || i == kBlkRed ||
         i == kBlkGreen || i == kBlkBlue;
}

SettingsBlock encodeBlock(const profiles::LightSetting& light, const SettingsBlock& lastRead) {
  SettingsBlock b = lastRead;
  b[kBlkEffect] = light.effect < kEffectCount ? light.effect : 0;
  b[kBlkBrightness] = light.brightness;
  b[kBlkSpeed] = static_cast<std::uint8_t>(kMaxSpeed - std::min(light.speed, kMaxSpeed));
  b[kBlkMultiColor] = light.multiColor != 0 ? 1 : 0;
  b[kBlkRed] = light.red;
  b[kBlkGreen] = light.green;
  b[kBlkBlue] = light.blue;
  return b;
}

void decodeBlock(const SettingsBlock& b, profiles::LightSetting& light) {
  light.effect = b[kBlkEffect];
  light.brightness = b[kBlkBrightness];
  light.speed = b[kBlkSpeed] > kMaxSpeed ? 0 : static_cast<std::uint8_t>(kMaxSpeed - b[kBlkSpeed]);
  light.multiColor = b[kBlkMultiColor] != 0 ? 1 : 0;
  light.red = b[kBlkRed];
  light.green = b[kBlkGreen];
  light.blue = b[kBlkBlue];
}

std::uint16_t blockReadAddress(const BlockAddressing& a, std::uint8_t slot) {
  return static_cast<std::uint16_t>(slot * a.readStride);
}

std::uint16_t blockWriteAddress(const BlockAddressing& a, std::uint8_t slot) {
  return static_cast<std::uint16_t>((a.writeToReadSlot ? slot : 0) * kSlotStride);
}

NotifyAction notifyAction(std::uint16_t usage) {
  switch (usage) {
    case kUsageSettingsChanged: return NotifyAction::Sync;
    case kUsageNotice: return NotifyAction::Notice;
    default: return NotifyAction::None;
  }
}

}  // namespace kavro::mousepad
