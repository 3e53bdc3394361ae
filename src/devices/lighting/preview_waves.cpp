// Colour-wave frame steps of the keyboard preview: waves over columns, rows,
// rings and the snake order, per-key colour cycles and twinkles.
#include "devices/lighting/preview_state.h"

namespace kavro::lighting {
namespace {

constexpr int kSinglePeriod = 96;  // phase period of the single-coloured waves

LedColor at(Rgb c, std::uint8_t brightness) { return {c.red, c.green, c.blue, brightness}; }
Rgb setColor(const LightParams& p) { return {p.red, p.green, p.blue}; }

std::uint8_t& phaseOf(PreviewState& s) { return s.engine.effectPhase; }

// A key of a wave at wave index `index`: a wheel entry at level, or the set
// colour at level scaled by the curve.
LedColor waveKey(const LightParams& p, unsigned index, std::span<const std::uint8_t> curve) {
  if (p.colorful) return at(wheel(index % kWheelSize), levelBrightness(p.brightnessLevel));
  return at(setColor(p), levelTimes(p, curve[index % kSinglePeriod]));
}

std::uint8_t advanceWavePhase(PreviewState& s, const LightParams& p) {
  const int period = p.colorful ? kWheelSize : kSinglePeriod;
  phaseOf(s) = advance(p.direction, period, phaseOf(s), 1);
  return phaseOf(s);
}

}  // namespace

void stepColumnWave(PreviewState& s, const LightParams& p, int perColumn,
                    std::span<const std::uint8_t> curve) {
  const unsigned phase = advanceWavePhase(s, p);
  for (std::size_t c = 0; c < kGridColumns; ++c) {
    const LedColor color = waveKey(p, phase + 1 + perColumn * c, curve);
    for (std::uint8_t key : kKeyGrid[c])
      if (key != kNoKey) s.engine.leds[key] = color;
  }
}

void stepSnakeWave(PreviewState& s, const LightParams& p) {
  unsigned index = advanceWavePhase(s, p);
  for (std::uint8_t key : kSnakeOrder) {
    if (key == kNoKey) continue;
    s.engine.leds[key] = waveKey(p, index, kBreathing96);
    index += 5;
  }
}

// Effect 11 starts from a diagonal rainbow: 8 wheel entries per column and
// 16 per row, so neighbouring keys differ a little and the board shows about
// one and a half hue circles from the top left to the bottom right.
void startKeyCycle(PreviewState& s) {
  s.keyWheel.fill(0);
  for (std::size_t c = 0; c < kGridColumns; ++c)
    for (std::size_t r = 0; r < kGridRows; ++r)
      if (kKeyGrid[c][r] != kNoKey) s.keyWheel[kKeyGrid[c][r]] = (8 * c + 16 * r) % kWheelSize;
}

void stepKeyCycle(PreviewState& s, const LightParams& p) {
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    s.keyWheel[key] = advance(p.direction, kWheelSize, s.keyWheel[key], 1);
    s.engine.leds[key] = at(wheel(s.keyWheel[key]), level);
  }
}

void stepRowWave(PreviewState& s, const LightParams& p) {
  const unsigned phase = phaseOf(s) = advance(p.direction, kWheelSize, phaseOf(s), 1);
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t r = 0; r < kGridRows; ++r) {
    const LedColor color = at(wheel((phase + 1 + 21 * r) % kWheelSize), level);
    for (const auto& column : kKeyGrid)
      if (column[r] != kNoKey) s.engine.leds[column[r]] = color;
  }
}

// Twinkles start with every key of the snake order at a random phase and hue,
// so the keys light up one by one instead of all at once.
void startTwinkle(PreviewState& s, const RandomFn& random) {
  for (std::uint8_t key : kSnakeOrder) {
    if (key == kNoKey) continue;
    s.keyPhase[key] = static_cast<std::uint8_t>(2 * (random() % (kWheelSize / 2)));
    s.hue[key] = static_cast<std::uint8_t>(random() % kWheelSize);
  }
}

void stepTwinkle(PreviewState& s, const LightParams& p, int step, const RandomFn& random) {
  for (std::uint8_t key : kSnakeOrder) {
    if (key == kNoKey) continue;
    const std::uint8_t old = s.keyPhase[key];
    const std::uint8_t now = advance(p.direction, kWheelSize, old, step);
    const bool wrapped = p.direction != 0 ? now < old : now > old;
    if (wrapped) s.hue[key] = static_cast<std::uint8_t>(random() % kWheelSize);
    s.keyPhase[key] = now;
    const Rgb color = p.colorful ? wheel(s.hue[key]) : setColor(p);
    s.engine.leds[key] = at(color, levelTimes(p, kFadeCurve[now]));
  }
}

void stepSingleWheel(PreviewState& s, const LightParams& p, std::uint8_t areaMode) {
  const unsigned entry = areaMode == 1 ? 25 : areaMode == 2 ? 70 : areaMode == 3 ? 95 : 174;
  const LedColor color = at(wheel(entry), levelBrightness(p.brightnessLevel));
  for (auto& led : s.engine.leds) led = color;
}

void stepRingWave(PreviewState& s, const LightParams& p) {
  const unsigned phase = phaseOf(s) = advance(p.direction, kWheelSize, phaseOf(s), 1);
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t i = 0; i < kRingCount; ++i) {
    const LedColor color = at(wheel((phase + 14 * (i + 1)) % kWheelSize), level);
    for (std::uint8_t key : kRippleRings[i])
      if (key < kNoKey) s.engine.leds[key] = color;
  }
}

// Effect 20 shows the custom colour bank at once, before its first step.
void startCustomColors(PreviewState& s) { stepCustomColors(s, paramsOf(s.light)); }

void stepCustomColors(PreviewState& s, const LightParams& p) {
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t key = 0; key < kKeyCount; ++key)
    s.engine.leds[key] = at(s.customColors[key], level);
}

}  // namespace kavro::lighting
