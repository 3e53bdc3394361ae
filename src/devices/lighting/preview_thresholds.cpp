#include "devices/lighting/preview_thresholds.h"

#include <algorithm>
#include <array>

namespace kavro::lighting {
namespace {

using SpeedRow = std::array<std::uint8_t, 6>;

// One row per group of effects that share their pace.
constexpr SpeedRow kFast = {6, 5, 4, 3, 2, 1};         // 1, 2, 12
constexpr SpeedRow kSnake = {7, 6, 5, 4, 3, 2};        // 3, 7, 9, 14, 15
constexpr SpeedRow kSpectrum = {20, 17, 14, 11, 9, 5}; // 4
constexpr SpeedRow kBreath = {20, 16, 13, 7, 4, 1};    // 5, 25
constexpr SpeedRow kRipple = {7, 5, 4, 3, 2, 1};       // 6, 8
constexpr SpeedRow kSlow = {28, 23, 18, 13, 7, 1};     // 10, 16, 17, 18, 20..24, 26
constexpr SpeedRow kCross = {13, 10, 8, 7, 5, 4};      // 11, 13
constexpr SpeedRow kStill = {0, 28, 23, 18, 13, 7};    // 27, 28, 29

const SpeedRow* rowOf(unsigned effect) {
  switch (effect) {
    case 1: case 2: case 12: return &kFast;
    case 3: case 7: case 9: case 14: case 15: return &kSnake;
    case 4: return &kSpectrum;
    case 5: case 25: return &kBreath;
    case 6: case 8: return &kRipple;
    case 10: case 16: case 17: case 18: case 20: case 21: case 22: case 23: case 24: case 26:
      return &kSlow;
    case 11: case 13: return &kCross;
    case 27: case 28: case 29: return &kStill;
    default: return nullptr;  // 19 and anything outside 1..29
  }
}

}  // namespace

std::optional<std::uint32_t> previewThreshold(unsigned effect, unsigned speed) {
  const SpeedRow* row = rowOf(effect);
  if (row == nullptr) return std::nullopt;
  return (*row)[std::min<unsigned>(speed, 5)];
}

}  // namespace kavro::lighting
