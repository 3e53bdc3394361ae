#include "devices/keyboard/keyboard_settings.h"

#include <algorithm>

namespace kavro::keyboard {
namespace {

using profiles::halves;
using profiles::high16;
using profiles::low16;

constexpr std::uint8_t lowByte(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

}  // namespace

KeyboardSystemFields systemFields(const KeyboardSystemSettings& w) {
  KeyboardSystemFields f;
  f.repeat = low16(w.word0);
  f.repeatDelay = high16(w.word0);
  f.key6Flag = low16(w.word1);
  f.pollingRate = high16(w.word1);
  f.wFlag = low16(w.word2);
  f.winFlag = high16(w.word2);
  return f;
}

KeyboardSystemSettings systemWords(const KeyboardSystemFields& f) {
  return {halves(f.repeatDelay, f.repeat), halves(f.pollingRate, f.key6Flag), halves(f.winFlag, f.wFlag)};
}

SettingsBlock encodeSettingsBlock(const LightSetting& light, const KeyboardSystemSettings& system) {
  const KeyboardSystemFields sys = systemFields(system);
  SettingsBlock b{};
  b[kSbFirstByte] = 0;
  b[kSbEffect] = light.effect;
  b[kSbBrightness] = light.brightness;
  b[kSbSpeed] = static_cast<std::uint8_t>(kMaxSpeed - std::min(light.speed, kMaxSpeed));
  b[kSbDirection] = light.direction;
  b[kSbMultiColor] = light.multiColor;
  b[kSbRed] = light.red;
  b[kSbGreen] = light.green;
  b[kSbBlue] = light.blue;
  b[kSbAreaLedMode] = light.areaEffect;
  b[kSbWFlag] = lowByte(sys.wFlag);
  b[kSbKey6Flag] = lowByte(sys.key6Flag);
  b[kSbWinFlag] = lowByte(sys.winFlag);
  b[kSbPollingRate] = lowByte(sys.pollingRate);
  b[kSbCustomGroup] = light.customGroup;
  return b;
}

void decodeSettingsBlock(const SettingsBlock& b, LightSetting& light, KeyboardSystemSettings& system) {
  light.effect = b[kSbEffect];
  light.brightness = b[kSbBrightness];
  light.speed = b[kSbSpeed] > kMaxSpeed ? 0 : static_cast<std::uint8_t>(kMaxSpeed - b[kSbSpeed]);
  light.direction = b[kSbDirection];
  light.multiColor = b[kSbMultiColor];
  light.red = b[kSbRed];
  light.green = b[kSbGreen];
  light.blue = b[kSbBlue];
  light.areaEffect = b[kSbAreaLedMode];
  light.customGroup = b[kSbCustomGroup];

  KeyboardSystemFields sys = systemFields(system);
  sys.wFlag = b[kSbWFlag];
  sys.key6Flag = b[kSbKey6Flag];
  sys.winFlag = b[kSbWinFlag];
  system = systemWords(sys);
}

}  // namespace kavro::keyboard
