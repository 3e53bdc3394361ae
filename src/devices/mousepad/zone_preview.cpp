#include "devices/mousepad/zone_preview.h"

#include <utility>

#include "devices/lighting/small_device_steps.h"

namespace kavro::mousepad {
namespace {

using lighting::EngineState;
using lighting::LightParams;

// The effect whose frame step a custom step's mode borrows (and whose pace:
// every effect of these devices shares one threshold table).
unsigned effectOfStepMode(std::uint8_t mode) {
  switch (mode) {
    case lighting::kStepBreathing: return kEffectBreathing;
    case lighting::kStepStatic: return kEffectRipple;
    case lighting::kStepBlink: return kEffectBlinkWheel;
    case lighting::kStepWave: return kEffectZoneWave;
    case lighting::kStepSpectrum: return kEffectSpectrum;
    default: return kEffectOff;  // off, and modes nobody knows
  }
}

// The frame step of the effects every zone-lit device shares.
void runSharedStep(EngineState& s, unsigned effect, const LightParams& p, ZoneWaveStep wave, std::uint32_t nowMs) {
  switch (effect) {
    case kEffectZoneWave: wave(s, p); break;
    case kEffectSpectrum: lighting::effectSpectrum(s, p); break;
    case kEffectBreathing: lighting::effectBreathing(s, p); break;
    case kEffectRipple: lighting::effectRipple(s, p); break;
    case kEffectBlinkWheel: lighting::effectBlinkWheel(s, p, nowMs); break;
    case kEffectOff: lighting::effectOff(s); break;
    default: break;
  }
}

}  // namespace

std::optional<std::uint32_t> zoneThreshold(unsigned effect, unsigned speed) {
  if (effect == kEffectCustom || effect > kEffectOff) return std::nullopt;
  return lighting::smallDeviceThreshold(speed);
}

ZonePreview::ZonePreview(std::size_t zones, ZoneWaveStep wave) : zones_(zones), wave_(wave) {
  if (wave_ == nullptr) wave_ = lighting::stepLedWave;
  zoneAnims_.resize(zones_);
  reset(light_.effect);
}

void ZonePreview::setLightState(const profiles::LightSetting& light) {
  const bool changed = light.effect != light_.effect;
  light_ = light;
  if (changed) reset(light.effect);
}

void ZonePreview::reset(std::uint8_t effect) {
  light_.effect = effect;
  state_ = EngineState{};
  lighting::setLightCount(state_, zones_);
  counter_ = 0;
  glowCounter_ = 0;
  custom_ = {};
  if (effect == kEffectRunningGlow || effect == kEffectPairGlow) startRunningGlow(state_);
}

void ZonePreview::setZoneItems(std::vector<profiles::LightListEntry> items) {
  zoneItems_ = std::move(items);
  lighting::resetOverlayAnimations(zoneItems_, zoneAnims_);
}

void ZonePreview::setCustomSteps(std::vector<profiles::LightEffectStep> steps) {
  customSteps_ = std::move(steps);
  custom_ = {};
}

void ZonePreview::stepCustom(std::uint32_t nowMs) {
  if (customSteps_.empty()) {
    lighting::effectOff(state_);
    return;
  }
  lighting::followCustomSteps(customSteps_, custom_, nowMs);
  const profiles::LightEffectStep& step = customSteps_[custom_.stepIndex];
  const unsigned effect = effectOfStepMode(step.mode);
  if (++custom_.counter < zoneThreshold(effect, step.speed).value_or(0)) return;
  custom_.counter = 0;
  runSharedStep(state_, effect, lighting::paramsOfStep(step), wave_, nowMs);
}

void ZonePreview::runStep(std::uint32_t nowMs) {
  const unsigned effect = light_.effect;
  if (effect == kEffectCustom) {
    stepCustom(nowMs);
  } else if (effect == kEffectRunningGlow || effect == kEffectPairGlow) {
    stepRunningGlow(state_, lighting::paramsOf(light_), effect, glowCounter_);
  } else {
    runSharedStep(state_, effect, lighting::paramsOf(light_), wave_, nowMs);
  }
}

bool ZonePreview::tick(std::uint32_t nowMs) {
  ++counter_;
  bool stepped = false;
  const auto threshold = zoneThreshold(light_.effect, light_.speed);
  if (light_.effect <= kEffectOff && (!threshold || counter_ >= *threshold)) {
    counter_ = 0;
    runStep(nowMs);
    stepped = true;
  }
  lighting::applyOverlay(zoneItems_, zoneAnims_, state_.leds, nowMs);
  return stepped;
}

ZonePreview makePadPreview() { return ZonePreview(kPadZones, lighting::stepLedWave); }

}  // namespace kavro::mousepad
