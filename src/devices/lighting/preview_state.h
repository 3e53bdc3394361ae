#pragma once
// State of the keyboard preview and the frame steps that work on it. The
// preview animates the keyboard picture in step with the effect that the
// keyboard's firmware runs. KeyboardPreview (keyboard_preview.h) wraps this
// state; the step functions are free functions so each can be tested alone.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "devices/lighting/engine.h"
#include "profiles/light_records.h"

namespace kavro::lighting {

// Source of random numbers; tests pass a seeded or scripted one.
using RandomFn = std::function<std::uint32_t()>;
RandomFn seededRandom(std::uint32_t seed);

enum class KeyAction : std::uint8_t { Press = 1, Release = 2 };
// Key state of the reactive hold effects.
enum class HoldState : std::uint8_t { Idle, Pressed, Released };

// Four layers of streak bits, one byte per grid column: bit j (0..5) marks
// grid row j, bit 6 a row below the grid.
inline constexpr std::size_t kStreakLayers = 4;
using StreakLayer = std::array<std::uint8_t, kGridColumns>;
using StreakLayers = std::array<StreakLayer, kStreakLayers>;

// Animation of one key of the per-key overlay.
struct PerKeyAnim {
  std::uint8_t phase = 0;      // breathing phase
  std::uint8_t wheelPos = 0;   // colour-wheel position
  bool started = false;        // blink timer running
  bool blinkOn = false;
  std::uint32_t lastToggle = 0;
};

// The modes of a custom light effect's steps ("LEDREGMode"): how a step
// animates the whole device with its brightness, speed, direction and colour.
enum CustomStepMode : std::uint8_t {
  kStepBreathing = 0,
  kStepStatic = 1,
  kStepBlink = 2,
  kStepWave = 3,
  kStepOff = 4,
  kStepSpectrum = 5,
};

// Progress through the step list of the custom light effect.
struct CustomEffectProgress {
  std::size_t stepIndex = 0;
  bool stepStarted = false;     // stepStartMs holds the start of the current step
  std::uint32_t stepStartMs = 0;
  std::uint32_t counter = 0;    // passes since the step mode's last frame
};

struct PreviewState {
  profiles::LightSetting light;  // the keyboard's lighting state
  EngineState engine;            // frame (126 LEDs), phase, glow, column flags

  std::array<std::uint8_t, kKeyCount> hue{};        // per-key wheel entry of glow effects
  std::array<std::uint8_t, kKeyCount> keyPhase{};   // per-key phase of the twinkles
  std::array<std::uint8_t, kKeyCount> keyWheel{};   // per-key wheel position (effect 11)
  std::array<HoldState, kKeyCount> hold{};          // reactive hold states
  std::array<Rgb, kKeyCount> customColors{};        // the custom colour bank (effect 20)
  StreakLayers streaks{};
  std::uint8_t streakCounter = 0;
  int cursor = -1;                                   // wipe cursor, -1 before the first step

  std::vector<profiles::LightEffectStep> customSteps;
  CustomEffectProgress custom;

  std::vector<profiles::LightListEntry> perKey;     // per-key effect items by position
  std::array<PerKeyAnim, kKeyCount> perKeyAnim{};
};

// The lighting bytes of the state as the engine takes them.
LightParams paramsOf(const profiles::LightSetting& light);
// The other way: the lighting bytes into a state; the fields they do not
// carry are left as they are.
void applyParams(profiles::LightSetting& light, const LightParams& p);
// The brightness of a level scaled by a glow or curve value (level * v / 256).
std::uint8_t levelTimes(const LightParams& p, std::uint8_t v);
// Shows a glowing key: its wheel hue (multi-colour) or the set colour, at
// level * glow / 256.
void showGlow(PreviewState& s, const LightParams& p, std::size_t key);

// Clears every buffer of the preview and its phases (the lighting state,
// step list, custom colours and per-key items stay).
void clearPreview(PreviewState& s);
// Start step of the current effect (11, 13, 15, 16, 20 and 21 have one).
void runStartStep(PreviewState& s, const RandomFn& random);
// Frame step of an effect with the given parameters.
void runFrameStep(PreviewState& s, unsigned effect, const LightParams& p,
                  const RandomFn& random, std::uint32_t nowMs);

// Colour waves (preview_waves.cpp).
// Column wave: wheel entries perColumn apart from column to column, or the
// set colour along `curve` (96 phases) when single-coloured.
void stepColumnWave(PreviewState& s, const LightParams& p, int perColumn,
                    std::span<const std::uint8_t> curve);  // 1, 2
void stepSnakeWave(PreviewState& s, const LightParams& p);           // 3
void stepKeyCycle(PreviewState& s, const LightParams& p);            // 11
void stepRowWave(PreviewState& s, const LightParams& p);             // 12
void stepTwinkle(PreviewState& s, const LightParams& p, int step, const RandomFn& random);  // 15, 21
void stepSingleWheel(PreviewState& s, const LightParams& p, std::uint8_t areaMode);  // 17
void stepRingWave(PreviewState& s, const LightParams& p);            // 18
void stepCustomColors(PreviewState& s, const LightParams& p);        // 20
void startKeyCycle(PreviewState& s);                                 // 11
void startTwinkle(PreviewState& s, const RandomFn& random);          // 15, 21
void startCustomColors(PreviewState& s);                             // 20

// Glow effects (preview_glow.cpp).
void stepHold(PreviewState& s, const LightParams& p);                // 7, 24
void stepReactiveWave(PreviewState& s, const LightParams& p, bool clearFlags);  // 8, 9
void stepRaindrops(PreviewState& s, const LightParams& p, const RandomFn& random);  // 10
void stepScripted(PreviewState& s, const LightParams& p, const RandomFn& random);   // 14
void stepFallingRows(PreviewState& s, const LightParams& p);         // 23
void stepWipe(PreviewState& s, const LightParams& p);                // 28
// Reactive hook of effects 7, 8, 9 and 24; other effects ignore key events.
void reactiveKeyEvent(PreviewState& s, std::size_t position, KeyAction action,
                      const RandomFn& random);

// Streaks (streaks.cpp).
void moveStreakLayers(StreakLayers& layers);
void lightStreakKeys(PreviewState& s, const LightParams& p, const RandomFn& random);
void stepCrossStreaks(PreviewState& s, const LightParams& p, const RandomFn& random);   // 13
void stepBounceStreaks(PreviewState& s, const LightParams& p, const RandomFn& random);  // 16
void startCrossStreaks(PreviewState& s);                             // 13
void startBounceStreaks(PreviewState& s);                            // 16

// Custom light effect (custom_effect.cpp): one pass of effect 19.
void stepCustomEffect(PreviewState& s, const RandomFn& random, std::uint32_t nowMs);
// The parts every device's custom effect shares: the lighting bytes of a
// step, and the move to the next step once the current one has run for its
// time (the first call only starts the clock of the step). The list must not
// be empty.
LightParams paramsOfStep(const profiles::LightEffectStep& step);
void followCustomSteps(const std::vector<profiles::LightEffectStep>& steps, CustomEffectProgress& progress,
                       std::uint32_t nowMs);

// Per-key overlay (per_key_overlay.cpp). The span forms serve any device:
// item i animates LED i; entries past the shortest of the three are ignored.
void resetOverlayAnimations(std::span<const profiles::LightListEntry> items, std::span<PerKeyAnim> anims);
void applyOverlay(std::span<const profiles::LightListEntry> items, std::span<PerKeyAnim> anims,
                  std::span<LedColor> leds, std::uint32_t nowMs);
void resetPerKeyAnimations(PreviewState& s);
void applyPerKeyOverlay(PreviewState& s, std::uint32_t nowMs);

}  // namespace kavro::lighting
