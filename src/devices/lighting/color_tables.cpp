#include "devices/lighting/color_tables.h"

#include <algorithm>

namespace kavro::lighting {
namespace {

// The rising half of the breathing curve (64 values).
constexpr std::array<std::uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// Rising and falling component ramps of one colour-wheel segment.
constexpr std::array<std::uint8_t, 32> kRampUp = {
    1,  3,  5,  7,  10, 14, 18, 22, 26, 32, 38, 44, 50, 57, 65, 73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<std::uint8_t, 32> kRampDown = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

// The non-zero head of the fade curve; the rest of the 192 entries are 0.
constexpr std::array<std::uint8_t, 88> kFadeHead = {
    0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120, 130, 140, 150,
    158, 166, 175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206,
    200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114,
    109, 104, 99,  94,  89,  85,  81,  77,  73,  69,  65,  61,  57,  53,  49,  45,
    42,  39,  36,  33,  30,  27,  24,  22,  20,  18,  16,  14,  12,  10,  9,   8,
    7,   6,   5,   4,   3,   2,   2,   1};

template <std::size_t N, std::size_t H>
constexpr std::array<std::uint8_t, N> mirrored(const std::array<std::uint8_t, H>& rise,
                                               std::size_t from) {
  std::array<std::uint8_t, N> out{};
  for (std::size_t i = 0; i < N / 2; ++i) out[i] = rise[from + i];
  for (std::size_t i = 0; i < N / 2; ++i) out[N / 2 + i] = out[N / 2 - 1 - i];
  return out;
}

constexpr std::array<Rgb, kWheelSize> buildWheel() {
  std::array<Rgb, kWheelSize> out{};
  for (std::size_t i = 0; i < 32; ++i) {
    const std::uint8_t r = kRampUp[i];
    const std::uint8_t f = kRampDown[i];
    out[i] = {255, r, 0};         // red -> yellow
    out[32 + i] = {f, 255, 0};    // yellow -> green
    out[64 + i] = {0, 255, r};    // green -> cyan
    out[96 + i] = {0, f, 255};    // cyan -> blue
    out[128 + i] = {r, 0, 255};   // blue -> magenta
    out[160 + i] = {255, 0, f};   // magenta -> red
  }
  return out;
}

constexpr std::array<std::uint8_t, 192> buildFade() {
  std::array<std::uint8_t, 192> out{};
  for (std::size_t i = 0; i < kFadeHead.size(); ++i) out[i] = kFadeHead[i];
  return out;
}

}  // namespace

const std::array<std::uint8_t, 128> kBreathing128 = mirrored<128>(kBreathRise, 0);
// The 96-step curve is the upper 48 values of the rising half (from 22) and back.
const std::array<std::uint8_t, 96> kBreathing96 = mirrored<96>(kBreathRise, 16);
const std::array<std::uint8_t, 192> kFadeCurve = buildFade();
const std::array<Rgb, kWheelSize> kColorWheel = buildWheel();

std::uint8_t levelBrightness(unsigned level) {
  return kBrightness[std::min<std::size_t>(level, kBrightness.size() - 1)];
}

std::uint32_t blinkPeriodMs(unsigned speedLevel) {
  return kBlinkPeriod[std::min<std::size_t>(speedLevel, kBlinkPeriod.size() - 1)] * kBlinkUnitMs;
}

Rgb wheel(unsigned index) { return kColorWheel[index % kWheelSize]; }

}  // namespace kavro::lighting
