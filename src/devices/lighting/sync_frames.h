#pragma once
// Synchronised lighting: one effect shared by all open devices, computed in
// software by the main window's light thread and written as one colour into
// every LED of every device that follows it.
#include <cstdint>
#include <optional>

#include "devices/lighting/engine.h"

namespace kavro::lighting {

// The effects that every device kind has.
enum class CommonEffect : std::uint8_t { Spectrum, Breathing, Static, Blinking, Off };

inline constexpr std::uint32_t kKeyboardDeviceType = 1;

// The common effect of a device's effect number: keyboard 4, 5, 6, 22, 27;
// the other kinds 1, 2, 3, 4, 8. Nothing for any other number.
std::optional<CommonEffect> commonEffectOf(std::uint32_t deviceType, std::uint8_t mode);
// The effect number of a common effect on a device kind.
std::uint8_t modeOfCommonEffect(std::uint32_t deviceType, CommonEffect effect);

struct SyncState {
  std::uint8_t phase = 0;        // breathing phase
  std::uint8_t wheelPos = 0;     // colour-wheel position
  bool blinkOn = false;
  std::uint32_t lastToggle = 0;  // tick of the last blink toggle
  std::uint32_t count = 0;       // observed clock changes since the last frame
  std::uint32_t lastCountMs = 0; // clock at the last counted change
};

// The shared frame colour of one step of a common effect.
LedColor syncFrame(SyncState& s, CommonEffect effect, const LightParams& p, std::uint32_t nowMs);

// One pass of the light thread: counts the clock (a move of more than 1 ms
// since the last count is one change) and, when the count reaches 28, 23,
// 18, 13 or 7 for speed level 0..4, returns the next frame colour and
// starts counting again.
std::optional<LedColor> syncPass(SyncState& s, CommonEffect effect, const LightParams& p,
                                 std::uint32_t nowMs);

}  // namespace kavro::lighting
