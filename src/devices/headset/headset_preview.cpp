#include "devices/headset/headset_preview.h"

namespace kavro::headset {
namespace {

constexpr int kWheelPerLed = 16;    // wheel entries from LED to LED
constexpr int kCurvePeriod = 96;    // the breathing curve's steps
constexpr int kCurveStep = 3;       // curve steps per frame, single-coloured
constexpr int kCurvePerLed = 10;    // curve steps from LED to LED

}  // namespace

void stepHeadsetWave(lighting::EngineState& s, const lighting::LightParams& p) {
  const std::uint8_t level = lighting::levelBrightness(p.brightnessLevel);
  if (p.colorful) {
    s.effectPhase = lighting::advance(p.direction, lighting::kWheelSize, s.effectPhase, 1);
    for (std::size_t m = 0; m < s.leds.size(); ++m) {
      const lighting::Rgb c = lighting::wheel((s.effectPhase + 1 + kWheelPerLed * m) % lighting::kWheelSize);
      s.leds[m] = {c.red, c.green, c.blue, level};
    }
    return;
  }
  s.effectPhase = lighting::advance(p.direction, kCurvePeriod, s.effectPhase, kCurveStep);
  for (std::size_t m = 0; m < s.leds.size(); ++m) {
    const std::uint8_t curve = lighting::kBreathing96[(s.effectPhase + kCurvePerLed * m) % kCurvePeriod];
    s.leds[m] = {p.red, p.green, p.blue, static_cast<std::uint8_t>(level * curve >> 8)};
  }
}

mousepad::ZonePreview makeHeadsetPreview() { return mousepad::ZonePreview(kLedCount, stepHeadsetWave); }

}  // namespace kavro::headset
