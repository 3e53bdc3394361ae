// The running glow of the zone-lit devices. A set flag lights its zone at full
// glow; the flags rotate on every second step, so the lit zone moves on and
// leaves a fading tail behind it.
//   effect 6: the glow runs along all zones (flags rotate over 23 places, so
//             a device with fewer zones has a dark pause between rounds);
//   effect 7: the glow runs over seven mirrored pairs of zones, (1, 14),
//             (2, 13) ... (7, 8), pair i lit by the glow of zone i.
#include <algorithm>

#include "devices/mousepad/zone_preview.h"

namespace kavro::mousepad {
namespace {

using lighting::EngineState;
using lighting::LightParams;
using lighting::Rgb;

constexpr std::uint8_t kFullGlow = 255;
constexpr std::uint8_t kFlagWorkEvery = 2;   // the flag work runs when the counter has reached this
constexpr std::uint8_t kHuePerZone = 12;     // wheel distance from zone to zone (and pair to pair)

Rgb colorOf(const lighting::LedColor& c) { return {c.red, c.green, c.blue}; }

// The colour of the next zone (or pair). Without the multi-colour flag it is
// the set colour. With it the phase moves on by 12 (a byte: it wraps at 256,
// and from 192 on names wheel entry phase - 192), except that `current` is
// kept while the glow stands at the zone where it enters: zone 0 running up,
// the last zone running down.
Rgb nextGlowColor(EngineState& s, const LightParams& p, Rgb current) {
  if (!p.colorful) return {p.red, p.green, p.blue};
  s.effectPhase = static_cast<std::uint8_t>(s.effectPhase + kHuePerZone);
  const std::size_t entry = p.direction != 0 ? 0 : s.leds.size() - 1;
  if (s.keyGlow[entry] != 0) return current;
  const unsigned phase = s.effectPhase;
  return lighting::wheel(phase >= lighting::kWheelSize ? phase - lighting::kWheelSize : phase);
}

void glowAlongZones(EngineState& s, const LightParams& p, bool fine) {
  for (std::size_t i = 0; i < s.leds.size(); ++i) {
    lighting::decayKeyGlow(s, i, fine);
    const Rgb c = nextGlowColor(s, p, colorOf(s.leds[i]));
    s.leds[i] = {c.red, c.green, c.blue, lighting::levelTimes(p, s.keyGlow[i])};
  }
}

// Pair members past the last zone are not written (the headset has 13 LEDs).
void glowAlongPairs(EngineState& s, const LightParams& p, bool fine) {
  for (std::size_t i = 1; i <= kGlowPairs && i < s.leds.size(); ++i) {
    lighting::decayKeyGlow(s, i, fine);
    const Rgb c = nextGlowColor(s, p, colorOf(s.leds[i]));
    const lighting::LedColor lit{c.red, c.green, c.blue, lighting::levelTimes(p, s.keyGlow[i])};
    s.leds[i] = lit;
    if (kPairSum - i < s.leds.size()) s.leds[kPairSum - i] = lit;
  }
}

}  // namespace

void lightFlaggedZones(EngineState& s) {
  const std::size_t n = std::min({s.leds.size(), s.columnFlags.size(), s.keyGlow.size()});
  for (std::size_t i = 0; i < n; ++i)
    if (s.columnFlags[i] != 0) s.keyGlow[i] = kFullGlow;
}

void rotateZoneFlags(EngineState& s, std::size_t length, bool forward) {
  const auto first = s.columnFlags.begin();
  const auto last = first + static_cast<std::ptrdiff_t>(std::min(length, s.columnFlags.size()));
  if (first == last) return;
  if (forward) std::rotate(first, last - 1, last);
  else std::rotate(first, first + 1, last);
}

void startRunningGlow(EngineState& s) {
  lighting::clearGlow(s);
  s.columnFlags[0] = 1;
  for (std::size_t i = 0; i < s.leds.size(); ++i) {
    const Rgb c = lighting::wheel(static_cast<unsigned>(kHuePerZone * (i + 1)));
    s.leds[i] = {c.red, c.green, c.blue, 0};
  }
}

void stepRunningGlow(EngineState& s, const LightParams& p, unsigned effect, std::uint8_t& counter) {
  if (s.leds.empty()) return;
  const bool pairs = effect == kEffectPairGlow;
  s.effectPhase = lighting::advance(p.direction, lighting::kWheelSize, s.effectPhase, 1);
  if (counter >= kFlagWorkEvery) {
    counter = 0;
    lightFlaggedZones(s);
    // Effect 7 runs its pairs the other way round for the same direction.
    const bool forward = pairs ? p.direction == 0 : p.direction != 0;
    rotateZoneFlags(s, pairs ? kPairGlowFlags : kRunningGlowFlags, forward);
  }
  ++counter;
  // The effect number is the fine flag of the decay; it is never 0 here.
  const bool fine = effect != 0;
  if (pairs) glowAlongPairs(s, p, fine);
  else glowAlongZones(s, p, fine);
}

}  // namespace kavro::mousepad
