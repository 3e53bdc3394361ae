// Glow-based frame steps of the keyboard preview: reactive effects,
// raindrops, falling rows, the wipe and the scripted show of effect 14.
#include "devices/lighting/preview_state.h"

#include <algorithm>

namespace kavro::lighting {
namespace {

constexpr std::uint8_t kHoldRise = 15;     // glow gained per step while a key is held
constexpr std::uint8_t kHoldFall = 5;      // glow lost per step after release
constexpr std::size_t kRaindropsPerStep = 6;
constexpr std::uint8_t kRowFall = 5;       // glow lost per step by falling rows
constexpr std::uint8_t kRowHueRise = 3;    // hue gained per step by falling rows
constexpr std::uint8_t kMaxHue = kWheelSize - 1;
constexpr std::uint8_t kWipeGlow = 254;
constexpr int kSweepLast = static_cast<int>(kKeyCount) - 1;

void decayAndShowAll(PreviewState& s, const LightParams& p) {
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    decayKeyGlow(s.engine, key, true);
    showGlow(s, p, key);
  }
}

void lightKey(PreviewState& s, std::size_t key, std::uint8_t hue) {
  s.engine.keyGlow[key] = 255;
  s.hue[key] = hue;
}

std::uint8_t randomHue(const RandomFn& random) {
  return static_cast<std::uint8_t>(random() % kWheelSize);
}

// Keys of every grid column whose flag is set glow at 255; their hue follows
// the column, so a wave crossing the board runs through the colour wheel.
void lightKeyboardColumns(PreviewState& s) {
  for (std::size_t c = 0; c < kGridColumns; ++c) {
    if (s.engine.columnFlags[c] == 0) continue;
    for (std::uint8_t key : kKeyGrid[c])
      if (key != kNoKey) lightKey(s, key, static_cast<std::uint8_t>(7 * c));
  }
}

// Moves the column flags one column; the column left behind is cleared (no
// carry), so a flag leaves the board at the far edge instead of sticking.
void moveColumnFlags(PreviewState& s, bool right) {
  s.engine.columnCarry = 0;
  shiftColumns(s.engine, right);
  if (!right) s.engine.columnFlags.back() = 0;
  s.engine.columnCarry = 0;
}

void lightFallingRow(PreviewState& s, std::size_t row, std::uint8_t hue) {
  for (std::uint8_t key : kFallingRows[row % kFallingRowCount])
    if (key != kNoKey) lightKey(s, key, hue);
}

}  // namespace

void stepHold(PreviewState& s, const LightParams& p) {
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    std::uint8_t& glow = s.engine.keyGlow[key];
    if (s.hold[key] == HoldState::Pressed) {
      glow = static_cast<std::uint8_t>(std::min(255, glow + kHoldRise));
    } else if (s.hold[key] == HoldState::Released) {
      glow = glow > kHoldFall ? glow - kHoldFall : 0;
      if (glow == 0) s.hold[key] = HoldState::Idle;
    }
    showGlow(s, p, key);
  }
}

void stepReactiveWave(PreviewState& s, const LightParams& p, bool clearFlags) {
  if (clearFlags) s.engine.columnFlags.fill(0);
  lightKeyboardColumns(s);
  moveColumnFlags(s, p.direction != 0);
  decayAndShowAll(s, p);
}

void stepRaindrops(PreviewState& s, const LightParams& p, const RandomFn& random) {
  for (std::size_t i = 0; i < kRaindropsPerStep; ++i) {
    const std::uint8_t key = kRaindropKeys[random() % kRaindropKeys.size()];
    lightKey(s, key, randomHue(random));
  }
  decayAndShowAll(s, p);
}

void stepFallingRows(PreviewState& s, const LightParams& p) {
  lightFallingRow(s, s.engine.effectPhase, 0);
  s.engine.effectPhase = advance(p.direction, kFallingRowCount, s.engine.effectPhase, 1);
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  for (std::size_t key = 0; key < kKeyCount; ++key) {
    std::uint8_t& glow = s.engine.keyGlow[key];
    glow = glow > kRowFall ? glow - kRowFall : 0;
    // The hue stops at the last wheel entry so it always names a colour.
    s.hue[key] = static_cast<std::uint8_t>(std::min<int>(kMaxHue, s.hue[key] + kRowHueRise));
    if (p.colorful) {
      const Rgb c = wheel(s.hue[key]);
      s.engine.leds[key] = {c.red, c.green, c.blue, level};
    } else {
      s.engine.leds[key] = {p.red, p.green, p.blue, levelTimes(p, glow)};
    }
  }
}

// The wipe's cursor runs along the sweep order, up from 0 or down from 125;
// keys take a hue by their place in the sweep, a rainbow along the rows.
void stepWipe(PreviewState& s, const LightParams& p) {
  const bool forward = p.direction != 0;
  if (s.cursor < 0 || s.cursor > kSweepLast) s.cursor = forward ? 0 : kSweepLast;
  const std::uint8_t key = kSweepOrder[static_cast<std::size_t>(s.cursor)];
  if (key != kNoKey) {
    s.engine.keyGlow[key] = kWipeGlow;
    s.hue[key] = static_cast<std::uint8_t>(s.cursor * kWheelSize / static_cast<int>(kKeyCount));
  }
  if (forward) s.cursor = s.cursor >= kSweepLast ? 0 : s.cursor + 1;
  else s.cursor = s.cursor <= 0 ? kSweepLast : s.cursor - 1;
  decayAndShowAll(s, p);
}

// Effect 14 is a show in two scenes of 52 steps each: a light rain (two
// random keys per step, random hues), then a curtain of the falling rows of
// effect 23 whose hue moves on 3 entries per row. Everything glows and
// decays with the fine rule. Direction 0 plays the show backwards.
void stepScripted(PreviewState& s, const LightParams& p, const RandomFn& random) {
  constexpr int kScene = static_cast<int>(kFallingRowCount);
  const int phase = s.engine.effectPhase;
  if (phase < kScene) {
    for (int i = 0; i < 2; ++i)
      lightKey(s, kRaindropKeys[random() % kRaindropKeys.size()], randomHue(random));
  } else {
    const int row = phase - kScene;
    lightFallingRow(s, static_cast<std::size_t>(row), static_cast<std::uint8_t>(3 * row));
  }
  s.engine.effectPhase = advance(p.direction, 2 * kScene, s.engine.effectPhase, 1);
  decayAndShowAll(s, p);
}

void reactiveKeyEvent(PreviewState& s, std::size_t position, KeyAction action,
                      const RandomFn& random) {
  if (position >= kKeyCount) return;
  switch (s.light.effect) {
    case 7:
    case 24:
      if (action == KeyAction::Press) {
        if (s.hold[position] == HoldState::Idle) s.hue[position] = randomHue(random);
        s.hold[position] = HoldState::Pressed;
      } else {
        s.hold[position] = HoldState::Released;
      }
      return;
    case 8:
      if (action != KeyAction::Press) return;
      if (auto cell = gridCellOf(position)) {
        s.engine.columnFlags[cell->column] = 1;
        lightKey(s, position, static_cast<std::uint8_t>(7 * cell->column));
      } else {
        lightKey(s, position, randomHue(random));
      }
      return;
    case 9:
      if (action == KeyAction::Press) lightKey(s, position, randomHue(random));
      return;
    default:
      return;
  }
}

}  // namespace kavro::lighting
