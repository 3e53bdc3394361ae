#pragma once
// The lighting preview of the zone-lit devices (the mousepad's zones, the
// headset's LEDs): the program renders the effect, and the frame both paints
// the page's light buttons and goes to the device (the mousepad by command
// 18, the headset by LED output reports).
//
// One `tick` is one pass of the preview loop (the device's light thread runs
// one pass per millisecond): the pass counter moves on by 1, the effect's frame
// step runs when the counter reaches the effect's threshold at the current
// speed, and the per-zone overlay runs over the frame. The clock argument
// only times the blinking effects, the custom effect's steps and the overlay.
// Not thread-safe: the owning device serialises every call.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "devices/lighting/engine.h"
#include "devices/lighting/preview_state.h"
#include "profiles/light_records.h"

namespace kavro::mousepad {

// Effect numbers of the zone-lit devices.
enum ZoneEffect : std::uint8_t {
  kEffectZoneWave = 0,
  kEffectSpectrum = 1,
  kEffectBreathing = 2,
  kEffectRipple = 3,
  kEffectBlinkWheel = 4,
  kEffectCustom = 5,
  kEffectRunningGlow = 6,
  kEffectPairGlow = 7,
  kEffectOff = 8,
};

// Passes needed before the next frame step at speed 0..5 (speeds above 5
// count as 5). Nothing for the custom effect and for numbers outside 0..8:
// they have no threshold and run on every pass.
std::optional<std::uint32_t> zoneThreshold(unsigned effect, unsigned speed);

// A device's own wave step (effect 0, and the wave mode of the custom effect);
// the mousepad's is the LED wave every small device shares (lighting::stepLedWave).
using ZoneWaveStep = void (*)(lighting::EngineState&, const lighting::LightParams&);

// ---- running glow (effects 6 and 7) ---------------------------------------------

// Flags rotate over this many places: all 23 for effect 6, 8 for effect 7.
inline constexpr std::size_t kRunningGlowFlags = 23;
inline constexpr std::size_t kPairGlowFlags = 8;
// Effect 7's zone pairs: pair i (1..7) is zones (i, 15 - i), lit by the glow of zone i.
inline constexpr std::size_t kGlowPairs = 7;
inline constexpr std::size_t kPairSum = 15;

// Every zone n whose flag n is set glows at 255 (all zones, not only 0..8).
void lightFlaggedZones(lighting::EngineState& s);
// Rotates the first `length` flags one place: forward moves each flag up
// and the last of them to place 0; backward the reverse. No carry.
void rotateZoneFlags(lighting::EngineState& s, std::size_t length, bool forward);
// Start of effects 6 and 7: glow and flags cleared, flag 0 set so that a glow
// runs, and every zone given a wheel colour at brightness 0, so that a zone
// that keeps its colour while the glow enters keeps a visible one.
void startRunningGlow(lighting::EngineState& s);
// One frame step of effect 6 or 7. `counter` is the step counter of the flag
// work (it runs on every second step).
void stepRunningGlow(lighting::EngineState& s, const lighting::LightParams& p, unsigned effect,
                     std::uint8_t& counter);

// ---- the preview ----------------------------------------------------------------

class ZonePreview {
 public:
  // zones: the device's LEDs (the length of a frame); wave: its effect 0.
  ZonePreview(std::size_t zones, ZoneWaveStep wave);

  // Takes the lighting state; when the effect number changes the preview is
  // reset and the new effect's start step runs.
  void setLightState(const profiles::LightSetting& light);
  const profiles::LightSetting& lightState() const { return light_; }
  // Clears the frame, phases, glow and counters and selects `effect`.
  void reset(std::uint8_t effect);

  // The per-zone effect items ("LightList"), item i for zone i; their
  // animations restart.
  void setZoneItems(std::vector<profiles::LightListEntry> items);
  // The step list of the custom effect; it restarts at step 0.
  void setCustomSteps(std::vector<profiles::LightEffectStep> steps);

  // One pass; true when the effect's frame step ran.
  bool tick(std::uint32_t nowMs);

  // The frame: one entry per zone of red, green, blue, brightness.
  const std::vector<lighting::LedColor>& frame() const { return state_.leds; }
  // The frame as command 18 carries it: 3 bytes per zone, scaled by brightness.
  std::vector<std::uint8_t> frameBytes() const { return lighting::streamFrameBytes(state_.leds); }
  const lighting::EngineState& state() const { return state_; }
  std::size_t zoneCount() const { return zones_; }

 private:
  void runStep(std::uint32_t nowMs);
  void stepCustom(std::uint32_t nowMs);

  std::size_t zones_;
  ZoneWaveStep wave_;
  profiles::LightSetting light_;
  lighting::EngineState state_;
  std::uint32_t counter_ = 0;
  std::uint8_t glowCounter_ = 0;
  std::vector<profiles::LightEffectStep> customSteps_;
  lighting::CustomEffectProgress custom_;
  std::vector<profiles::LightListEntry> zoneItems_;
  std::vector<lighting::PerKeyAnim> zoneAnims_;
};

// The mousepad's 15 zones.
inline constexpr std::size_t kPadZones = 15;
ZonePreview makePadPreview();

}  // namespace kavro::mousepad
