// Streak effects of the keyboard preview: four layers of bits over the grid
// columns that travel diagonally and leave glowing trails.
#include "devices/lighting/preview_state.h"

namespace kavro::lighting {
namespace {

constexpr std::uint8_t kTopBit = 0x01;     // grid row 0
constexpr std::uint8_t kBelowBit = 0x40;   // the row below the grid
constexpr std::size_t kLast = kGridColumns - 1;
constexpr std::size_t kCrossColumn = 9;    // the column effect 13 crosses at
constexpr std::size_t kLeftEdge = 1;       // the columns effect 16 bounces at
constexpr std::size_t kRightEdge = kLast;

using Bits = std::uint8_t;
Bits down(Bits b) { return static_cast<Bits>(b >> 1); }  // bit j to j-1: one row up
Bits up(Bits b) { return static_cast<Bits>(b << 1); }    // bit j to j+1: one row down

// Layer 0: left and up.
void moveLeftUp(StreakLayer& l) {
  l[0] = down(l[0]);
  for (std::size_t c = 1; c <= kLast; ++c) {
    l[c - 1] |= l[c];
    l[c] = down(l[c]);
  }
}

// Layer 1: right and up.
void moveRightUp(StreakLayer& l) {
  l[kLast] = down(l[kLast]);
  for (std::size_t c = kLast; c-- > 0;) {
    l[c + 1] |= l[c];
    l[c] = down(l[c]);
  }
}

// Layer 2: right and down.
void moveRightDown(StreakLayer& l) {
  l[kLast] = up(l[kLast]);
  for (std::size_t c = kLast; c-- > 0;) {
    l[c + 1] |= l[c];
    l[c] = up(l[c]);
  }
}

// Layer 3: left and down.
void moveLeftDown(StreakLayer& l) {
  for (std::size_t c = 0; c < kLast; ++c) {
    l[c] = up(l[c]);
    l[c] |= l[c + 1];
  }
  l[kLast] = up(l[kLast]);
}

Bits columnBits(const StreakLayers& layers, std::size_t column) {
  Bits all = 0;
  for (const auto& l : layers) all |= l[column];
  return all;
}

void setInAll(StreakLayers& layers, std::size_t column, Bits bit) {
  for (auto& l : layers) l[column] |= bit;
}

// Re-seeds a column whose layers together hold exactly one given bit.
void reseedIfOnly(StreakLayers& layers, std::size_t column, Bits bit) {
  if (columnBits(layers, column) == bit) setInAll(layers, column, bit);
}

void decayAndShow(PreviewState& s, const LightParams& p, std::size_t key) {
  decayKeyGlow(s.engine, key, true);
  showGlow(s, p, key);
}

}  // namespace

void moveStreakLayers(StreakLayers& layers) {
  moveLeftUp(layers[0]);
  moveRightUp(layers[1]);
  moveRightDown(layers[2]);
  moveLeftDown(layers[3]);
}

void lightStreakKeys(PreviewState& s, const LightParams& p, const RandomFn& random) {
  for (std::size_t c = 0; c < kGridColumns; ++c) {
    const Bits bits = columnBits(s.streaks, c);
    for (std::size_t row = 0; row < kGridRows; ++row) {
      const std::uint8_t key = kKeyGrid[c][row];
      if ((bits & (1u << row)) == 0 || key == kNoKey) continue;
      s.engine.keyGlow[key] = 255;
      if (p.colorful) s.hue[key] = static_cast<std::uint8_t>(random() % kWheelSize);
    }
  }
}

// Effect 13 starts with a streak seed at the top of the crossing column; the
// counter starts full so the first step already lights and moves.
void startCrossStreaks(PreviewState& s) {
  s.streaks = {};
  setInAll(s.streaks, kCrossColumn, kTopBit);
  s.streakCounter = 2;
}

void stepCrossStreaks(PreviewState& s, const LightParams& p, const RandomFn& random) {
  reseedIfOnly(s.streaks, kCrossColumn, kTopBit);
  reseedIfOnly(s.streaks, kCrossColumn, kBelowBit);
  if (s.streakCounter >= 2) {
    s.streakCounter = 0;
    lightStreakKeys(s, p, random);
    moveStreakLayers(s.streaks);
  }
  ++s.streakCounter;
  for (std::size_t key = 0; key < kKeyCount; ++key) decayAndShow(s, p, key);
}

// Effect 16 starts with a seed at the top of the left edge column.
void startBounceStreaks(PreviewState& s) {
  s.streaks = {};
  setInAll(s.streaks, kLeftEdge, kTopBit);
}

void stepBounceStreaks(PreviewState& s, const LightParams& p, const RandomFn& random) {
  reseedIfOnly(s.streaks, kLeftEdge, kTopBit);
  reseedIfOnly(s.streaks, kRightEdge, kBelowBit);
  lightStreakKeys(s, p, random);
  moveStreakLayers(s.streaks);
  for (std::uint8_t key : kSnakeOrder)
    if (key != kNoKey) decayAndShow(s, p, key);
}

}  // namespace kavro::lighting
