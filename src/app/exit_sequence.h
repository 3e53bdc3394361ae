#pragma once
// What the keyboard is told when the program ends: the exit notice, then a
// fixed lighting block with the user's brightness and colour, so the keyboard
// keeps showing the user's colour after the program has gone.
#include "devices/keyboard/keyboard_settings.h"

namespace kavro::transport {
class HidChannel;
}

namespace kavro::app {

// Effect and reversed-speed bytes of the block left on the keyboard.
inline constexpr uint8_t kExitEffect = 1;
inline constexpr uint8_t kExitSpeedByte = 4;
// The block is written to the second slot first, then to the first.
inline constexpr uint16_t kExitSecondSlotOffset = 25;
inline constexpr uint16_t kExitFirstSlotOffset = 0;

// Byte 1 effect 1, byte 2 brightness, byte 3 4, byte 5 multi-colour, bytes
// 6..8 red, green, blue; every other byte 0.
keyboard::SettingsBlock exitLightingBlock(const profiles::LightSetting& light);

// Sends the exit notice and the block: at offset 25 unframed, then, when the
// channel is open, framed at offset 0. Failures are not retried.
void sendExitSequence(transport::HidChannel& channel, const profiles::LightSetting& light);

}  // namespace kavro::app
