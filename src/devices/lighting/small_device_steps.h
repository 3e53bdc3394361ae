#pragma once
// The preview pieces the small devices (mouse, mousepad, headset) share: the
// pace of their effects and the wave over their LEDs in order.
#include <cstdint>

#include "devices/lighting/engine.h"

namespace kavro::lighting {

// Counter units needed before the next frame step at speed 0..5 (speeds
// above 5 count as 5); one table for every effect of these devices.
std::uint32_t smallDeviceThreshold(unsigned speed);

// A wave over the LEDs in their order: LED i shows wheel entry
// (phase + 1 + 7i) mod 192 at the level's brightness, or, single-coloured,
// the set colour along the 96-step breathing curve at the same index mod 96.
void stepLedWave(EngineState& s, const LightParams& p);

}  // namespace kavro::lighting
