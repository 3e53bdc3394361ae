// Dispatch of the keyboard preview's start and frame steps by effect number,
// and the helpers the steps share.
#include <random>

#include "devices/lighting/preview_state.h"

namespace kavro::lighting {

RandomFn seededRandom(std::uint32_t seed) {
  return [engine = std::minstd_rand(seed == 0 ? 1 : seed)]() mutable {
    return static_cast<std::uint32_t>(engine());
  };
}

LightParams paramsOf(const profiles::LightSetting& light) {
  LightParams p;
  p.mode = light.effect;
  p.brightnessLevel = light.brightness;
  p.speedLevel = light.speed;
  p.direction = light.direction;
  p.colorful = light.multiColor != 0 ? 1 : 0;
  p.red = light.red;
  p.green = light.green;
  p.blue = light.blue;
  return p;
}

void applyParams(profiles::LightSetting& light, const LightParams& p) {
  light.effect = p.mode;
  light.brightness = p.brightnessLevel;
  light.speed = p.speedLevel;
  light.direction = p.direction;
  light.multiColor = p.colorful;
  light.red = p.red;
  light.green = p.green;
  light.blue = p.blue;
}

std::uint8_t levelTimes(const LightParams& p, std::uint8_t v) {
  return static_cast<std::uint8_t>(levelBrightness(p.brightnessLevel) * v / 256);
}

void showGlow(PreviewState& s, const LightParams& p, std::size_t key) {
  const Rgb c = p.colorful ? wheel(s.hue[key]) : Rgb{p.red, p.green, p.blue};
  s.engine.leds[key] = {c.red, c.green, c.blue, levelTimes(p, s.engine.keyGlow[key])};
}

void clearPreview(PreviewState& s) {
  setLightCount(s.engine, kKeyCount);
  s.engine.effectPhase = 0;
  s.engine.effectStep = 0;
  s.engine.blinkOn = false;
  s.engine.lastToggle = 0;
  s.engine.columnCarry = 0;
  clearGlow(s.engine);
  s.hue.fill(0);
  s.keyPhase.fill(0);
  s.keyWheel.fill(0);
  s.hold.fill(HoldState::Idle);
  s.streaks = {};
  s.streakCounter = 0;
  s.cursor = -1;
  s.custom = {};
}

void runStartStep(PreviewState& s, const RandomFn& random) {
  switch (s.light.effect) {
    case 11: startKeyCycle(s); break;
    case 13: startCrossStreaks(s); break;
    case 15:
    case 21: startTwinkle(s, random); break;
    case 16: startBounceStreaks(s); break;
    case 20: startCustomColors(s); break;
    default: break;
  }
}

void runFrameStep(PreviewState& s, unsigned effect, const LightParams& p, const RandomFn& random,
                  std::uint32_t nowMs) {
  EngineState& e = s.engine;
  switch (effect) {
    case 1: stepColumnWave(s, p, 7, kBreathing96); break;
    case 2: stepColumnWave(s, p, 2, kFadeCurve); break;
    case 3: stepSnakeWave(s, p); break;
    case 4: effectSpectrum(e, p); break;
    case 5: effectBreathing(e, p); break;
    case 6: case 29: effectRipple(e, p); break;
    case 7: case 24: stepHold(s, p); break;
    case 8: stepReactiveWave(s, p, false); break;
    case 9: stepReactiveWave(s, p, true); break;
    case 10: stepRaindrops(s, p, random); break;
    case 11: stepKeyCycle(s, p); break;
    case 12: stepRowWave(s, p); break;
    case 13: stepCrossStreaks(s, p, random); break;
    case 14: stepScripted(s, p, random); break;
    case 15: stepTwinkle(s, p, 2, random); break;
    case 16: stepBounceStreaks(s, p, random); break;
    case 17: stepSingleWheel(s, p, s.light.areaEffect); break;
    case 18: stepRingWave(s, p); break;
    case 19: stepCustomEffect(s, random, nowMs); break;
    case 20: stepCustomColors(s, p); break;
    case 21: stepTwinkle(s, p, 1, random); break;
    case 22: effectBlinkWheel(e, p, nowMs); break;
    case 23: stepFallingRows(s, p); break;
    case 25: effectBreathCycle(e, p); break;
    case 26: effectBlinkFour(e, p, nowMs); break;
    case 27: effectOff(e); break;
    case 28: stepWipe(s, p); break;
    default: break;  // no frame for other numbers
  }
}

}  // namespace kavro::lighting
