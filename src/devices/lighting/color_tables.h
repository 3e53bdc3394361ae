#pragma once
// Colour and timing tables shared by the software lighting engine, the
// keyboard preview and the synchronised lighting.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kavro::lighting {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const Rgb&) const = default;
};

// Brightness of the six brightness levels 0..5.
inline constexpr std::array<std::uint8_t, 6> kBrightness = {0, 80, 110, 135, 195, 255};

// Blink period of the speed levels 0..4, in units of 200 ms.
inline constexpr std::array<std::uint8_t, 5> kBlinkPeriod = {28, 23, 18, 13, 7};
inline constexpr std::uint32_t kBlinkUnitMs = 200;

// The four colours of the breathing and blinking cycles.
inline constexpr std::array<Rgb, 4> kFourColors = {
    Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}};

// Period of the colour wheel.
inline constexpr int kWheelSize = 192;

// 128-step breathing curve: rises from 0 to 255 and falls back.
extern const std::array<std::uint8_t, 128> kBreathing128;
// 96-step breathing curve of the keyboard preview's single-coloured waves.
extern const std::array<std::uint8_t, 96> kBreathing96;
// 192-step fade curve: a quick rise, a long fall, then dark.
extern const std::array<std::uint8_t, 192> kFadeCurve;
// Full hue circle: red, yellow, green, cyan, blue, magenta, back to red.
extern const std::array<Rgb, kWheelSize> kColorWheel;

// Brightness of a level; levels above 5 count as 5.
std::uint8_t levelBrightness(unsigned level);
// Blink period of a speed level in ms; levels above 4 count as 4.
std::uint32_t blinkPeriodMs(unsigned speedLevel);
// Colour-wheel entry; indices wrap around the wheel.
Rgb wheel(unsigned index);

}  // namespace kavro::lighting
