#pragma once
// What the keyboard is told when the program ends: the exit notice, then a
// fixed lighting block with the user's brightness and colour, so the keyboard
// keeps showing the user's colour after the program has gone. The block is
// remembered, so the next start can tell it from a change made on the
// keyboard meanwhile (devices/keyboard/keyboard_exit_record.h).
#include "devices/keyboard/keyboard_settings.h"

namespace kavro::transport {
class HidChannel;
}
namespace kavro::devices {
class CHalvionKeyboardDevice;
}

namespace kavro::app {

// Effect and reversed-speed bytes of the block left on the keyboard.
inline constexpr uint8_t kExitEffect = 1;
inline constexpr uint8_t kExitSpeedByte = 4;
// The block is written to the second slot first, then to the first.
inline constexpr uint16_t kExitSecondSlotOffset = 25;
inline constexpr uint16_t kExitFirstSlotOffset = 0;
// How long sequences still queued at exit may run on before they are dropped
// (only while the keyboard answers).
inline constexpr int kExitDrainMs = 1500;

// Byte 1 effect 1, byte 2 brightness, byte 3 4, byte 5 multi-colour, bytes
// 6..8 red, green, blue; every other byte 0.
keyboard::SettingsBlock exitLightingBlock(const profiles::LightSetting& light);

struct ExitOutcome {
  bool sent = false;       // the channel was open: the sequence went out
  bool blockKept = false;  // the framed write of the first slot succeeded
  keyboard::SettingsBlock block{};
};

// Sends the exit notice and the block: at offset 25 unframed, then, when the
// channel is open, framed at offset 0. Failures are not retried.
ExitOutcome sendExitSequence(transport::HidChannel& channel, const profiles::LightSetting& light);

// The keyboard's part of the exit: its queued sequences finish or are
// dropped, the exit sequence follows on the calling thread, and the block
// it left is remembered (or forgotten when it could not be left).
void leaveKeyboard(devices::CHalvionKeyboardDevice& keyboard);

}  // namespace kavro::app
