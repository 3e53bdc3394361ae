#include "devices/lighting/small_device_steps.h"

#include <algorithm>
#include <array>

#include "devices/lighting/color_tables.h"
#include "devices/lighting/preview_state.h"

namespace kavro::lighting {
namespace {

constexpr std::array<std::uint8_t, 6> kThresholds = {28, 23, 18, 13, 7, 0};

constexpr int kSinglePeriod = 96;  // wave phase period when single-coloured
constexpr int kWavePerLed = 7;     // wave index distance from LED to LED

LedColor at(Rgb c, std::uint8_t brightness) { return {c.red, c.green, c.blue, brightness}; }

}  // namespace

std::uint32_t smallDeviceThreshold(unsigned speed) {
  return kThresholds[std::min<std::size_t>(speed, kThresholds.size() - 1)];
}

void stepLedWave(EngineState& s, const LightParams& p) {
  const int period = p.colorful ? kWheelSize : kSinglePeriod;
  s.effectPhase = advance(p.direction, period, s.effectPhase, 1);
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t i = 0; i < s.leds.size(); ++i) {
    const unsigned index = s.effectPhase + 1 + kWavePerLed * static_cast<unsigned>(i);
    if (p.colorful) {
      s.leds[i] = at(wheel(index % kWheelSize), level);
    } else {
      s.leds[i] = at({p.red, p.green, p.blue}, levelTimes(p, kBreathing96[index % kSinglePeriod]));
    }
  }
}

}  // namespace kavro::lighting
