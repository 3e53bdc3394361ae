#include "devices/mouse/mouse_preview.h"

#include <algorithm>

#include "devices/lighting/preview_state.h"
#include "devices/lighting/small_device_steps.h"

namespace kavro::mouse {
namespace {

using lighting::EngineState;
using lighting::LedColor;
using lighting::LightParams;
using lighting::Rgb;

constexpr std::uint32_t kCounterStep = 1;
constexpr int kGlowHuePerZone = 12;  // wheel distance from zone to zone

LedColor at(Rgb c, std::uint8_t brightness) { return {c.red, c.green, c.blue, brightness}; }
Rgb setColor(const LightParams& p) { return {p.red, p.green, p.blue}; }

// The zone flags run round the nine zones as a ring: one place up (towards
// zone 8, then back to zone 0) with a direction, one place down without.
void rotateZoneFlags(EngineState& s, bool up) {
  auto first = s.columnFlags.begin();
  auto last = first + static_cast<std::ptrdiff_t>(kZoneCount);
  if (up) std::rotate(first, last - 1, last);
  else std::rotate(first, first + 1, last);
}

}  // namespace

const std::array<GlowZone, kZoneCount> kGlowZones = {{
    {0, 18, 18}, {1, kNoLed, 17}, {2, kNoLed, 16}, {3, kNoLed, 15}, {4, kNoLed, 14},
    {5, kNoLed, 13}, {6, kNoLed, 12}, {7, 9, 11}, {8, 9, 10},
}};

std::uint32_t previewThreshold(unsigned speed) { return lighting::smallDeviceThreshold(speed); }

void startRunningGlow(EngineState& s) {
  lighting::clearGlow(s);
  s.columnFlags[0] = 1;
}

void stepRunningGlow(EngineState& s, const LightParams& p) {
  s.effectPhase = lighting::advance(1, lighting::kWheelSize, s.effectPhase, 1);
  lighting::lightGlowingColumns(s);
  rotateZoneFlags(s, p.direction != 0);
  for (std::size_t z = 0; z < kZoneCount; ++z) {
    lighting::decayKeyGlow(s, z, false);
    Rgb color = setColor(p);
    if (p.colorful) {
      // The phase is a byte: it wraps at 256, and from 192 on the wheel
      // entry is the phase less 192.
      s.effectPhase = static_cast<std::uint8_t>(s.effectPhase + kGlowHuePerZone);
      const unsigned entry = s.effectPhase >= lighting::kWheelSize ? s.effectPhase - lighting::kWheelSize : s.effectPhase;
      color = lighting::wheel(entry);
    }
    const LedColor lit = at(color, lighting::levelTimes(p, s.keyGlow[z]));
    for (std::uint8_t led : kGlowZones[z])
      if (led != kNoLed && led < s.leds.size()) s.leds[led] = lit;
  }
}

bool runFrameStep(EngineState& s, unsigned effect, const LightParams& p, std::uint32_t nowMs) {
  switch (effect) {
    case kEffectWave: lighting::stepLedWave(s, p); break;
    case kEffectSpectrum: lighting::effectSpectrum(s, p); break;
    case kEffectBreathing: lighting::effectBreathing(s, p); break;
    case kEffectRipple: lighting::effectRipple(s, p); break;
    case kEffectBlinkWheel: lighting::effectBlinkWheel(s, p, nowMs); break;
    case kEffectRunningGlow: stepRunningGlow(s, p); break;
    case kEffectBreathCycle: lighting::effectBreathCycle(s, p); break;
    case kEffectBlinkFour: lighting::effectBlinkFour(s, p, nowMs); break;
    case kEffectOff: lighting::effectOff(s); break;
    default: return false;
  }
  return true;
}

MousePreview::MousePreview(std::size_t ledCount) : ledCount_(ledCount) { reset(light_.effect); }

void MousePreview::setLightState(const profiles::LightSetting& light) {
  const bool changed = light.effect != light_.effect;
  light_ = light;
  if (changed) reset(light.effect);
}

void MousePreview::reset(std::uint8_t effect) {
  light_.effect = effect;
  state_ = lighting::EngineState{};
  lighting::setLightCount(state_, ledCount_);
  counter_ = 0;
  if (effect == kEffectRunningGlow) startRunningGlow(state_);
}

void MousePreview::advanceCounter(std::uint32_t nowMs) {
  if (nowMs - lastAdvanceMs_ <= 1) return;
  counter_ += kCounterStep;
  lastAdvanceMs_ = nowMs;
}

bool MousePreview::tick(std::uint32_t nowMs) {
  advanceCounter(nowMs);
  if (light_.effect > kEffectOff) return false;  // idle pass; the counter keeps running
  if (counter_ < previewThreshold(light_.speed)) return false;
  counter_ = 0;
  return runFrameStep(state_, light_.effect, lighting::paramsOf(light_), nowMs);
}

}  // namespace kavro::mouse
