#pragma once
// The headset's lighting preview: the zone preview of the mousepad over the
// headset's 13 LEDs, with the headset's own wave as effect 0. The running
// glows (effects 6 and 7) are the mousepad's; pair members past LED 12 are
// not written.
#include "devices/headset/headset_leds.h"
#include "devices/mousepad/pad_io.h"
#include "devices/mousepad/zone_preview.h"

namespace kavro::headset {

// Effect 0. Multi-coloured: the phase moves by 1 over the 192-entry wheel;
// LED 0 shows wheel entry (phase + 1) mod 192 and each next LED the entry 16
// further on, at the level's brightness. Single-coloured: the phase moves by
// 3 over the 96-step breathing curve; LED 0 shows the set colour at level x
// curve[phase] >> 8 and each next LED the curve 10 steps further on.
void stepHeadsetWave(lighting::EngineState& s, const lighting::LightParams& p);

mousepad::ZonePreview makeHeadsetPreview();

}  // namespace kavro::headset
