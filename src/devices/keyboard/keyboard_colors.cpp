#include "devices/keyboard/keyboard_colors.h"

#include <algorithm>

namespace kavro::keyboard {
namespace {

template <typename Scale>
ColorBuffer fillBuffer(std::span<const PreviewColor> colors, const PositionMap& keyToLed, Scale scale) {
  ColorBuffer buffer{};
  const std::size_t positions = std::min(colors.size(), kPositionCount);
  for (std::size_t p = 0; p < positions; ++p) {
    const std::size_t led = keyToLed[p];
    const std::size_t at = led * kColorBytesPerLed;
    if (led == kUnmapped || at + kColorBytesPerLed > kColorBufferSize) continue;
    const PreviewColor& c = colors[p];
    buffer[at] = scale(c.red, c.brightness);
    buffer[at + 1] = scale(c.green, c.brightness);
    buffer[at + 2] = scale(c.blue, c.brightness);
  }
  return buffer;
}

}  // namespace

ColorBuffer customColorBuffer(std::span<const PreviewColor> colors, const PositionMap& keyToLed) {
  return fillBuffer(colors, keyToLed, [](std::uint8_t v, std::uint8_t) { return v; });
}

ColorBuffer scaledColorBuffer(std::span<const PreviewColor> colors, const PositionMap& keyToLed) {
  return fillBuffer(colors, keyToLed, [](std::uint8_t v, std::uint8_t brightness) {
    return static_cast<std::uint8_t>(v * brightness / 256);
  });
}

PowerStatus powerStatus(const PowerBlock& answer, bool longTimeouts) {
  PowerStatus s;
  s.block = answer;
  s.block[kPowerLinkByte] = longTimeouts ? 1 : 0;
  s.messageValue = answer[kPowerValueByte];
  return s;
}

}  // namespace kavro::keyboard
