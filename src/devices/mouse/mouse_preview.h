#pragma once
// The mouse preview: renders the mouse's lighting effect (0..8) in software.
// Its frame paints the LED buttons of the mouse picture and is streamed to
// the mouse (command 18), so the mouse's own LEDs show it too.
//
// One `tick` is one pass of the preview loop: the tick counter moves on by 1
// whenever the clock has moved by more than 1 ms, and the effect's frame step
// runs when the counter reaches the effect's threshold at the current speed.
// Not thread-safe: the owning device serialises every call. Time comes in as
// a millisecond tick count, so frames are reproducible under test.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/lighting/engine.h"
#include "profiles/light_records.h"

namespace kavro::mouse {

// Mouse effect numbers.
enum MouseEffect : std::uint8_t {
  kEffectWave = 0,
  kEffectSpectrum = 1,
  kEffectBreathing = 2,
  kEffectRipple = 3,
  kEffectBlinkWheel = 4,
  kEffectRunningGlow = 5,
  kEffectBreathCycle = 6,
  kEffectBlinkFour = 7,
  kEffectOff = 8,
};

// Counter units needed before the next frame step at speed 0..5 (speeds
// above 5 count as 5); the same for every mouse effect.
std::uint32_t previewThreshold(unsigned speed);

// The nine zones of the running glow, three LED numbers each (kNoLed: none).
inline constexpr std::size_t kZoneCount = 9;
inline constexpr std::uint8_t kNoLed = 255;
using GlowZone = std::array<std::uint8_t, 3>;
extern const std::array<GlowZone, kZoneCount> kGlowZones;

// Frame steps (one frame into s.leds per call); effect 0 is the LED wave
// every small device shares.
// Effect 5: a glow running round the nine zones; its start lights zone 0.
void startRunningGlow(lighting::EngineState& s);
void stepRunningGlow(lighting::EngineState& s, const lighting::LightParams& p);
// The frame step of a mouse effect; false for a number that has none.
bool runFrameStep(lighting::EngineState& s, unsigned effect, const lighting::LightParams& p, std::uint32_t nowMs);

class MousePreview {
 public:
  // ledCount: the mouse's LEDs (the length of a frame).
  explicit MousePreview(std::size_t ledCount);

  // Takes the lighting state; when the effect number changes the preview is
  // reset and the new effect's start step runs.
  void setLightState(const profiles::LightSetting& light);
  const profiles::LightSetting& lightState() const { return light_; }

  // Clears the frame, phases and glow, and selects `effect`.
  void reset(std::uint8_t effect);

  // One pass of the preview loop; true when a frame step ran. An effect
  // number outside 0..8 runs an idle pass (the frame stays as it is) and
  // leaves the counter running.
  bool tick(std::uint32_t nowMs);

  // The frame: one entry per LED of red, green, blue, brightness.
  const std::vector<lighting::LedColor>& frame() const { return state_.leds; }
  // The frame as it is streamed: 3 bytes per LED, scaled by brightness.
  std::vector<std::uint8_t> frameBytes() const { return lighting::streamFrameBytes(state_.leds); }
  const lighting::EngineState& state() const { return state_; }

 private:
  void advanceCounter(std::uint32_t nowMs);

  std::size_t ledCount_;
  profiles::LightSetting light_;
  lighting::EngineState state_;
  std::uint32_t counter_ = 0;
  std::uint32_t lastAdvanceMs_ = 0;
};

}  // namespace kavro::mouse
