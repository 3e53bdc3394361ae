#pragma once
// Value conversions of the lighting panel: colour edit commits, ARGB colours
// and the word form of a device's lighting parameters. Pure functions.
#include <QString>

#include <cstdint>

#include "devices/device_base.h"

namespace kavro::panels {

struct RgbColor {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const RgbColor&) const = default;
};

// 0xAARRGGBB: R in bits 16..23, G in 8..15, B in 0..7; alpha is ignored.
RgbColor splitArgb(std::uint32_t argb);
// The opaque ARGB value of a colour (alpha 255).
std::uint32_t makeArgb(const RgbColor& color);

// The result of committing the text of a colour edit.
struct ColorCommit {
  std::uint8_t value = 0;
  QString text;          // the text the edit should show
  bool rewrite = false;  // the edit must be rewritten with text
};
// A decimal number 0..255. Above 255 gives 255, empty text 0; negative or
// unreadable text gives 0 as well. The edit is rewritten whenever the value
// differs from what was typed.
ColorCommit commitColorText(const QString& text);

// The lighting parameters in the three-word form of a light setting: word 0
// bytes 0..3 (effect, brightness, speed, direction), word 1 bytes 4..7
// (multi-colour, red, green, blue), word 2 bytes 8..11. Word 2 travels as the
// device's third lighting parameter, so its top byte is the second zone effect.
struct LightWords {
  std::uint32_t word0 = 0, word1 = 0, word2 = 0;
  bool operator==(const LightWords&) const = default;
};
LightWords wordsFromParams(const devices::DeviceLightParams& params);

inline constexpr int kAreaEffectShift = 24;  // byte 11 of the light setting in word 2
std::uint8_t areaEffectOf(std::uint32_t word2);
std::uint32_t withAreaEffect(std::uint32_t word2, std::uint8_t effect);

// Byte n (0..3) of a word.
constexpr std::uint8_t wordByte(std::uint32_t word, int n) { return static_cast<std::uint8_t>(word >> (8 * n)); }

}  // namespace kavro::panels
