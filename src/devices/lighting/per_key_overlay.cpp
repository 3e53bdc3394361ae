// Per-key overlay: keys (or zones) that have their own effect item are drawn
// over the frame of the running effect on every pass.
#include "devices/lighting/preview_state.h"

#include <algorithm>

namespace kavro::lighting {
namespace {

enum OverlayMode : std::uint8_t { kBreathing, kStatic, kBlink, kWave, kOff };

constexpr int kBreathPeriod = 128;
constexpr int kBlinkWheelStep = 14;  // wheel entries a multi-coloured blink moves per toggle

// Start of a wave key's wheel position by speed 0..4.
constexpr std::array<std::uint8_t, 5> kWaveStart = {28, 23, 18, 13, 7};

std::uint8_t waveStart(std::uint8_t speed) {
  return kWaveStart[std::min<std::size_t>(speed, kWaveStart.size() - 1)];
}

Rgb itemColor(const profiles::LightListEntry& item, const PerKeyAnim& a) {
  if (item.multiColor) return wheel(a.wheelPos);
  return {item.red, item.green, item.blue};
}

LedColor at(Rgb c, std::uint8_t brightness) { return {c.red, c.green, c.blue, brightness}; }

LedColor breathingKey(const profiles::LightListEntry& item, PerKeyAnim& a) {
  const int phase = a.phase + item.speed + 4;
  if (phase >= kBreathPeriod) {
    a.phase = 0;
    a.wheelPos = static_cast<std::uint8_t>((a.wheelPos + 1) % kWheelSize);
  } else {
    a.phase = static_cast<std::uint8_t>(phase);
  }
  const int b = kBreathing128[a.phase] * levelBrightness(item.brightness) / 256;
  return at(itemColor(item, a), static_cast<std::uint8_t>(b));
}

LedColor blinkingKey(const profiles::LightListEntry& item, PerKeyAnim& a, std::uint32_t nowMs) {
  if (!a.started) {
    a.started = true;
    a.blinkOn = true;
    a.lastToggle = nowMs;
  } else if (nowMs - a.lastToggle >= blinkPeriodMs(item.speed)) {
    a.blinkOn = !a.blinkOn;
    a.lastToggle = nowMs;
    if (item.multiColor) {
      const int next = a.wheelPos + kBlinkWheelStep;
      a.wheelPos = static_cast<std::uint8_t>(next >= kWheelSize ? 0 : next);
    }
  }
  if (!a.blinkOn) return LedColor{};
  return at(itemColor(item, a), levelBrightness(item.brightness));
}

LedColor waveKey(const profiles::LightListEntry& item, PerKeyAnim& a) {
  a.wheelPos = advance(item.direction, kWheelSize, a.wheelPos, 1);
  return at(wheel(a.wheelPos), levelBrightness(item.brightness));
}

}  // namespace

void resetOverlayAnimations(std::span<const profiles::LightListEntry> items, std::span<PerKeyAnim> anims) {
  std::fill(anims.begin(), anims.end(), PerKeyAnim{});
  const std::size_t n = std::min(items.size(), anims.size());
  for (std::size_t i = 0; i < n; ++i)
    if (items[i].mode == kWave) anims[i].wheelPos = waveStart(items[i].speed);
}

void applyOverlay(std::span<const profiles::LightListEntry> items, std::span<PerKeyAnim> anims,
                  std::span<LedColor> leds, std::uint32_t nowMs) {
  const std::size_t n = std::min({items.size(), anims.size(), leds.size()});
  for (std::size_t i = 0; i < n; ++i) {
    const profiles::LightListEntry& item = items[i];
    if (!item.valid) continue;
    PerKeyAnim& a = anims[i];
    LedColor& led = leds[i];
    switch (item.mode) {
      case kBreathing: led = breathingKey(item, a); break;
      case kStatic: led = at({item.red, item.green, item.blue}, levelBrightness(item.brightness)); break;
      case kBlink: led = blinkingKey(item, a, nowMs); break;
      case kWave: led = waveKey(item, a); break;
      case kOff: led = LedColor{}; break;
      default: break;  // unknown modes leave the effect's colour
    }
  }
}

void resetPerKeyAnimations(PreviewState& s) { resetOverlayAnimations(s.perKey, s.perKeyAnim); }

void applyPerKeyOverlay(PreviewState& s, std::uint32_t nowMs) {
  applyOverlay(s.perKey, s.perKeyAnim, s.engine.leds, nowMs);
}

}  // namespace kavro::lighting
