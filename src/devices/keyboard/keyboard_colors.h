#pragma once
// Per-key colour buffers written to the keyboard for the custom colour
// effect, and the power status block read by the power poll.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "devices/keyboard/keyboard_positions.h"

namespace kavro::keyboard {

// One preview colour: colour and brightness 0..255.
struct PreviewColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t brightness = 0;

  bool operator==(const PreviewColor&) const = default;
};

// Colours go to the device in a 512-byte buffer, three bytes per LED index.
inline constexpr std::size_t kColorBufferSize = 512;
inline constexpr std::size_t kColorBytesPerLed = 3;
using ColorBuffer = std::array<std::uint8_t, kColorBufferSize>;
// The custom colour write sends the first 3 bytes x positions of the buffer,
// into the bank "CustomGroup"; banks are this far apart in device memory.
inline constexpr std::size_t kCustomColorSendLength = kColorBytesPerLed * kPositionCount;
inline constexpr std::uint32_t kCustomColorBankStride = 512;

// Every position with an LED gets its colour at 3 x LED index. LED indices
// whose three bytes would pass the end of the buffer are skipped.
// colors[p] is position p's colour; brightness is not applied.
ColorBuffer customColorBuffer(std::span<const PreviewColor> colors, const PositionMap& keyToLed);

// As customColorBuffer, with each component scaled by the position's
// brightness: component x brightness / 256.
ColorBuffer scaledColorBuffer(std::span<const PreviewColor> colors, const PositionMap& keyToLed);

// The 6-byte power status block (read at address 0).
inline constexpr std::size_t kPowerBlockSize = 6;
inline constexpr std::uint16_t kPowerBlockAddress = 0;
inline constexpr std::size_t kPowerLinkByte = 3;   // replaced: 1 long time-out channel, else 0
inline constexpr std::size_t kPowerValueByte = 4;  // the value posted to the main window
using PowerBlock = std::array<std::uint8_t, kPowerBlockSize>;

struct PowerStatus {
  PowerBlock block{};              // for the power control
  std::uint8_t messageValue = 0;   // first parameter of message 0xD01
};
PowerStatus powerStatus(const PowerBlock& answer, bool longTimeouts);

}  // namespace kavro::keyboard
