#pragma once
// The device base's software lighting engine: a colour model of the device's
// LEDs, the effects that compute one frame of it per call, the per-key
// afterglow and the bytes of a streamed light frame.
//
// Pure state and functions: the caller owns the state and serialises calls
// (the device's light thread and the window thread share it under the
// device's own lock). Time comes in as a millisecond tick argument.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/lighting/color_tables.h"
#include "devices/lighting/key_layout.h"

namespace kavro::lighting {

// One LED of the colour model: colour and brightness 0..255.
struct LedColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t brightness = 0;

  bool operator==(const LedColor&) const = default;
};

// The eight lighting bytes of a device.
struct LightParams {
  std::uint8_t mode = 0;
  std::uint8_t brightnessLevel = 0;  // 0..5
  std::uint8_t speedLevel = 0;       // 0..4
  std::uint8_t direction = 0;        // non-zero: forward
  std::uint8_t colorful = 0;         // colour wheel instead of the fixed colour
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const LightParams&) const = default;
};

inline constexpr std::size_t kGlowKeys = 126;

struct EngineState {
  std::vector<LedColor> leds;         // one per LED (lightCount)
  std::uint8_t effectPhase = 0;       // position of the running effect
  std::uint8_t effectStep = 0;        // colour index of the breathing cycle
  bool blinkOn = false;               // on/off phase of the blinking effects
  std::uint32_t lastToggle = 0;       // tick of the last on/off toggle
  std::array<std::uint8_t, kGlowKeys> keyGlow{};        // per-key afterglow
  std::array<std::uint8_t, kGridColumns> columnFlags{};  // ripple column flags
  std::uint8_t columnCarry = 0;       // value shifted out of columnFlags
};

// Resizes the colour model to n LEDs, every entry cleared.
void setLightCount(EngineState& s, std::size_t n);

// Packed form of an LED: red | green << 8 | blue << 16 | brightness << 24.
std::uint32_t packLed(LedColor c);
LedColor unpackLed(std::uint32_t value);
// Stores a packed value into LED n; out-of-range n is ignored.
void setLedColor(EngineState& s, std::size_t n, std::uint32_t value);
// Packed value of LED n, 0 when n is out of range.
std::uint32_t getLedColor(const EngineState& s, std::size_t n);

// Steps a phase of period `limit` by `step`: forward (direction non-zero)
// wraps to 0 on reaching the limit; backward wraps from below 0 to limit-step.
std::uint8_t advance(std::uint8_t direction, int limit, std::uint8_t position, int step);

// Effects; each computes one frame into s.leds.
void effectBreathing(EngineState& s, const LightParams& p);
void effectBreathCycle(EngineState& s, const LightParams& p);
void effectRipple(EngineState& s, const LightParams& p);
void effectSpectrum(EngineState& s, const LightParams& p);
void effectBlinkWheel(EngineState& s, const LightParams& p, std::uint32_t nowMs);
void effectBlinkFour(EngineState& s, const LightParams& p, std::uint32_t nowMs);
void effectOff(EngineState& s);

// Afterglow.
// Keys 0..8 whose column flag is set glow at 255 (the nine zones of the
// small devices).
void lightGlowingColumns(EngineState& s);
// One decay step of a glow value: fine steps end in ones, coarse in fours.
std::uint8_t decayGlowValue(std::uint8_t g, bool fine);
// One decay step of key's glow; keys out of range are ignored.
void decayKeyGlow(EngineState& s, std::size_t key, bool fine);
// Right: every flag moves up one place, flag 0 takes the carry. Left: the
// carry takes flag 0, every flag moves down and the last keeps its value.
void shiftColumns(EngineState& s, bool right);
void clearGlow(EngineState& s);

// Colour of an on-screen light button: red | green << 8 | blue << 16.
std::uint32_t buttonColor(LedColor c);

// Bytes of one streamed frame: 3 per LED, each component scaled by the LED's
// brightness (c * b >> 8). LED 126 is never sent: its three bytes stay 0,
// so the frame is always 3 * lightCount long and later LEDs keep their place.
std::vector<std::uint8_t> streamFrameBytes(const std::vector<LedColor>& leds);

inline constexpr std::size_t kUnsentLed = 126;

}  // namespace kavro::lighting
