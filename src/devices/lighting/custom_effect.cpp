// The custom light effect: plays the steps of a user-made effect one after
// another, each for its own time, and starts over after the last.
//
// Each step names a mode that animates the whole keyboard with the step's
// brightness level, speed, direction and colour:
//   0 breathing   the engine's breathing (rainbow columns when multi-coloured)
//   1 static      the step colour, or the rainbow rings when multi-coloured
//   2 blink       the engine's blinking, wheel colours when multi-coloured
//   3 wave        the column wave of effect 1
//   4 off         all keys dark
//   5 spectrum    the whole board cycling through the colour wheel
// A mode's frame runs when its pass counter reaches the mode's threshold,
// which is the threshold of the built-in effect it mirrors; the counter
// counts every pass. Unknown modes show nothing.
#include "devices/lighting/preview_state.h"
#include "devices/lighting/preview_thresholds.h"

namespace kavro::lighting {
namespace {

// The built-in effect whose pace and look a step mode borrows.
unsigned mirroredEffect(std::uint8_t mode) {
  switch (mode) {
    case kStepBreathing: return 5;
    case kStepStatic: return 6;
    case kStepBlink: return 22;
    case kStepWave: return 1;
    case kStepSpectrum: return 4;
    default: return 27;  // off
  }
}

}  // namespace

LightParams paramsOfStep(const profiles::LightEffectStep& step) {
  LightParams p;
  p.mode = step.mode;
  p.brightnessLevel = step.brightness;
  p.speedLevel = step.speed;
  p.direction = step.direction;
  p.colorful = step.multiColor != 0 ? 1 : 0;
  p.red = step.red;
  p.green = step.green;
  p.blue = step.blue;
  return p;
}

// Moves on to the next step once the current one has run for its time.
void followCustomSteps(const std::vector<profiles::LightEffectStep>& steps, CustomEffectProgress& c,
                       std::uint32_t nowMs) {
  if (c.stepIndex >= steps.size()) c = {};
  if (!c.stepStarted) {
    c.stepStarted = true;
    c.stepStartMs = nowMs;
    return;
  }
  const std::int32_t time = steps[c.stepIndex].timeMs;
  const std::uint32_t duration = time > 0 ? static_cast<std::uint32_t>(time) : 0;
  if (nowMs - c.stepStartMs < duration) return;
  c.stepIndex = (c.stepIndex + 1) % steps.size();
  c.stepStartMs = nowMs;
  c.counter = 0;
}

void stepCustomEffect(PreviewState& s, const RandomFn& random, std::uint32_t nowMs) {
  if (s.customSteps.empty()) {
    effectOff(s.engine);
    return;
  }
  followCustomSteps(s.customSteps, s.custom, nowMs);
  const profiles::LightEffectStep& step = s.customSteps[s.custom.stepIndex];
  const LightParams p = paramsOfStep(step);
  const unsigned effect = mirroredEffect(step.mode);
  const std::uint32_t threshold = previewThreshold(effect, step.speed).value_or(0);
  if (++s.custom.counter < threshold) return;
  s.custom.counter = 0;
  runFrameStep(s, effect, p, random, nowMs);
}

}  // namespace kavro::lighting
