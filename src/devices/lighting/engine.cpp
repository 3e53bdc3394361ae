#include "devices/lighting/engine.h"

namespace kavro::lighting {
namespace {

LedColor lit(Rgb c, std::uint8_t brightness) { return {c.red, c.green, c.blue, brightness}; }

Rgb fixedColor(const LightParams& p) { return {p.red, p.green, p.blue}; }

void fill(EngineState& s, LedColor c) {
  for (auto& led : s.leds) led = c;
}

std::uint8_t scaled(std::uint8_t a, std::uint8_t b) { return static_cast<std::uint8_t>(a * b >> 8); }

// The ripple's wheel entry of ring r: 118 for ring 0, each ring 12 less, and
// 161 after a ring whose entry is below 12.
std::uint8_t ringWheelEntry(std::size_t ring) {
  int w = 118;
  for (std::size_t r = 1; r <= ring; ++r) w = w < 12 ? 161 : w - 12;
  return static_cast<std::uint8_t>(w);
}

// Shared timing of the two blinking effects: true when the phase flipped.
bool blinkToggle(EngineState& s, const LightParams& p, std::uint32_t nowMs) {
  if (nowMs - s.lastToggle < blinkPeriodMs(p.speedLevel)) return false;
  s.blinkOn = !s.blinkOn;
  s.lastToggle = nowMs;
  return true;
}

}  // namespace

void setLightCount(EngineState& s, std::size_t n) { s.leds.assign(n, LedColor{}); }

std::uint32_t packLed(LedColor c) {
  return c.red | c.green << 8 | c.blue << 16 | static_cast<std::uint32_t>(c.brightness) << 24;
}

LedColor unpackLed(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

void setLedColor(EngineState& s, std::size_t n, std::uint32_t value) {
  if (n < s.leds.size()) s.leds[n] = unpackLed(value);
}

std::uint32_t getLedColor(const EngineState& s, std::size_t n) {
  return n < s.leds.size() ? packLed(s.leds[n]) : 0;
}

std::uint8_t advance(std::uint8_t direction, int limit, std::uint8_t position, int step) {
  if (direction != 0) {
    const int next = position + step;
    return static_cast<std::uint8_t>(next >= limit ? 0 : next);
  }
  const int next = position - step;
  return static_cast<std::uint8_t>(next < 0 || next >= limit ? limit - step : next);
}

void effectBreathing(EngineState& s, const LightParams& p) {
  s.effectPhase = advance(p.direction, 128, s.effectPhase, 1);
  const std::uint8_t b = scaled(kBreathing128[s.effectPhase], levelBrightness(p.brightnessLevel));
  if (!p.colorful) {
    fill(s, lit(fixedColor(p), b));
    return;
  }
  for (auto& led : s.leds) led.brightness = b;
  for (std::size_t c = 0; c < kGridColumns; ++c)
    for (std::uint8_t n : kWaveColumns[c])
      if (n != kNoKey && n < s.leds.size()) s.leds[n] = lit(wheel(1 + 7 * c), b);
}

void effectBreathCycle(EngineState& s, const LightParams& p) {
  s.effectPhase = advance(p.direction, 128, s.effectPhase, 1);
  if (s.effectStep >= kFourColors.size()) s.effectStep = 0;
  if (s.effectPhase == 0) s.effectStep = (s.effectStep + 1) % kFourColors.size();
  const std::uint8_t b = scaled(kBreathing128[s.effectPhase], levelBrightness(p.brightnessLevel));
  fill(s, lit(kFourColors[s.effectStep], b));
}

void effectRipple(EngineState& s, const LightParams& p) {
  const std::uint8_t b = levelBrightness(p.brightnessLevel);
  if (!p.colorful) {
    fill(s, lit(fixedColor(p), b));
    return;
  }
  for (std::size_t r = 0; r < kRingCount; ++r) {
    const Rgb c = wheel(ringWheelEntry(r));
    for (std::uint8_t n : kRippleRings[r])
      if (n < kNoKey && n < s.leds.size()) s.leds[n] = lit(c, b);
  }
}

void effectSpectrum(EngineState& s, const LightParams& p) {
  s.effectPhase = advance(p.direction, kWheelSize, s.effectPhase, 1);
  fill(s, lit(wheel(s.effectPhase), levelBrightness(p.brightnessLevel)));
}

void effectBlinkWheel(EngineState& s, const LightParams& p, std::uint32_t nowMs) {
  if (blinkToggle(s, p, nowMs)) {
    const int next = s.effectPhase + 16;
    s.effectPhase = static_cast<std::uint8_t>(next >= kWheelSize ? 0 : next);
  }
  if (!s.blinkOn) {
    fill(s, LedColor{});
    return;
  }
  const Rgb c = p.colorful ? wheel(s.effectPhase) : fixedColor(p);
  fill(s, lit(c, levelBrightness(p.brightnessLevel)));
}

void effectBlinkFour(EngineState& s, const LightParams& p, std::uint32_t nowMs) {
  if (s.effectPhase >= kFourColors.size()) s.effectPhase = 0;
  if (blinkToggle(s, p, nowMs)) s.effectPhase = static_cast<std::uint8_t>((s.effectPhase + 1) % 4);
  if (!s.blinkOn) {
    fill(s, LedColor{});
    return;
  }
  fill(s, lit(kFourColors[s.effectPhase], levelBrightness(p.brightnessLevel)));
}

void effectOff(EngineState& s) { fill(s, LedColor{}); }

void lightGlowingColumns(EngineState& s) {
  for (std::size_t n = 0; n < 9; ++n)
    if (s.columnFlags[n] != 0) s.keyGlow[n] = 255;
}

std::uint8_t decayGlowValue(std::uint8_t g, bool fine) {
  if (g == 0) return 0;
  if (g & 0x80) return g - 40;
  if (g & 0x40) return g - 30;
  if (g & 0x20) return g - 10;
  if (g > 16) return g - 8;
  if (fine) return g - 1;
  return g < 4 ? 0 : g - 4;
}

void decayKeyGlow(EngineState& s, std::size_t key, bool fine) {
  if (key < s.keyGlow.size()) s.keyGlow[key] = decayGlowValue(s.keyGlow[key], fine);
}

void shiftColumns(EngineState& s, bool right) {
  auto& f = s.columnFlags;
  if (right) {
    for (std::size_t i = f.size() - 1; i > 0; --i) f[i] = f[i - 1];
    f[0] = s.columnCarry;
  } else {
    s.columnCarry = f[0];
    for (std::size_t i = 0; i + 1 < f.size(); ++i) f[i] = f[i + 1];
  }
}

void clearGlow(EngineState& s) {
  s.keyGlow.fill(0);
  s.columnFlags.fill(0);
}

std::uint32_t buttonColor(LedColor c) { return c.red | c.green << 8 | c.blue << 16; }

std::vector<std::uint8_t> streamFrameBytes(const std::vector<LedColor>& leds) {
  std::vector<std::uint8_t> out(3 * leds.size(), 0);
  for (std::size_t n = 0; n < leds.size(); ++n) {
    if (n == kUnsentLed) continue;
    const LedColor& c = leds[n];
    out[3 * n] = scaled(c.red, c.brightness);
    out[3 * n + 1] = scaled(c.green, c.brightness);
    out[3 * n + 2] = scaled(c.blue, c.brightness);
  }
  return out;
}

}  // namespace kavro::lighting
