#include "devices/lighting/keyboard_preview.h"

#include <utility>

#include "devices/lighting/preview_thresholds.h"

namespace kavro::lighting {

KeyboardPreview::KeyboardPreview(RandomFn random) : random_(std::move(random)) {
  if (!random_) random_ = seededRandom(1);
  clearPreview(s_);
}

void KeyboardPreview::setLightState(const profiles::LightSetting& light) {
  const bool changed = light.effect != s_.light.effect;
  s_.light = light;
  if (!changed) return;
  reset(light.effect);
  startStep();
}

void KeyboardPreview::reset(std::uint8_t effect) {
  s_.light.effect = effect;
  clearPreview(s_);
  counter_ = 0;
}

void KeyboardPreview::startStep() { runStartStep(s_, random_); }

void KeyboardPreview::advanceCounter(std::uint32_t nowMs) {
  if (nowMs - lastAdvanceMs_ <= 1) return;
  counter_ += kPreviewCounterStep;
  lastAdvanceMs_ = nowMs;
}

bool KeyboardPreview::tick(std::uint32_t nowMs) {
  advanceCounter(nowMs);
  const auto threshold = previewThreshold(s_.light.effect, s_.light.speed);
  bool stepped = true;
  if (threshold && counter_ < *threshold) {
    stepped = false;
  } else {
    if (threshold) counter_ = 0;
    runFrameStep(s_, s_.light.effect, paramsOf(s_.light), random_, nowMs);
  }
  applyPerKeyOverlay(s_, nowMs);
  return stepped;
}

void KeyboardPreview::keyEvent(std::size_t position, KeyAction action) {
  reactiveKeyEvent(s_, position, action, random_);
}

void KeyboardPreview::setPerKeyItems(std::vector<profiles::LightListEntry> items) {
  s_.perKey = std::move(items);
  resetPerKeyAnimations(s_);
}

void KeyboardPreview::setCustomSteps(std::vector<profiles::LightEffectStep> steps) {
  s_.customSteps = std::move(steps);
  s_.custom = {};
}

void KeyboardPreview::setCustomColors(const std::vector<profiles::KeyColor>& colors) {
  s_.customColors.fill(Rgb{});
  for (std::size_t key = 0; key < colors.size() && key < kKeyCount; ++key)
    s_.customColors[key] = {colors[key].red, colors[key].green, colors[key].blue};
  if (s_.light.effect == 20) startCustomColors(s_);
}

void KeyboardPreview::paintKey(std::size_t position, Rgb color) {
  if (position >= kKeyCount) return;
  s_.customColors[position] = color;
  LedColor& led = s_.engine.leds[position];
  led = {color.red, color.green, color.blue, led.brightness};
}

}  // namespace kavro::lighting
