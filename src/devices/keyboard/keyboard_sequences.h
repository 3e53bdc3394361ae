#pragma once
// The keyboard's command sequences, each a function over the channel that the
// device's command worker runs. Everything a sequence needs comes in as a
// copy taken when the user acted; everything it learns goes back in its
// result, which the device applies on the window thread. Every sequence keeps
// its commands and their order; a failed command does not stop it (end is
// always sent), and `result` sums it up (transport/sequence_result.h).
#include <array>
#include <cstdint>
#include <vector>

#include "devices/keyboard/keyboard_colors.h"
#include "devices/keyboard/keyboard_macro_source.h"
#include "devices/keyboard/keyboard_positions.h"
#include "devices/keyboard/keyboard_settings.h"
#include "transport/command_set.h"

namespace kavro::transport {
class HidChannel;
}

namespace kavro::keyboard {

using DeviceInfo = std::array<std::uint8_t, transport::kDeviceInfoSize>;
using TableBuffer = std::array<std::uint8_t, kDeviceTableBufferSize>;

// The device tables of a connection.
struct DeviceTables {
  DeviceInfo info{};
  std::uint8_t keys = 0;     // device info byte 5
  bool tablesRead = false;   // the tables fit their buffers and were asked for
  TableBuffer keyTable{};
  TableBuffer lightIndex{};
};

// The settings block of the active slot.
struct SettingsRead {
  int result = transport::kCmdOk;
  std::uint8_t slot = 0;     // the slot read, or the previous one when that read failed
  bool blockRead = false;
  SettingsBlock block{};
};

// First connect: the tables, then the settings.
struct ArrivalRead {
  int result = transport::kCmdOk;
  DeviceTables tables;
  SettingsRead settings;
};

// begin, 0x03, 0x07, 0x1B, end, then 0x05 (1 byte) and 0x05 (26 bytes).
// previous: the tables as known so far; a failed read leaves its part as it
// was. The transfer size is set to keys x 3; when it is refused, the tables
// are not read. lastSlot: the slot used when the slot byte cannot be read.
ArrivalRead readOnArrival(transport::HidChannel& ch, const DeviceTables& previous, std::uint8_t lastSlot);

// 0x05 (1 byte at 0: the active slot), 0x05 (26 bytes at slot x 25).
SettingsRead readSettingsBlock(transport::HidChannel& ch, std::uint8_t lastSlot);

// begin, 0x06 (the block at slot x 25), end.
int writeSettingsBlock(transport::HidChannel& ch, const SettingsBlock& block, std::uint8_t slot);

// A sequence that refreshes the device info first.
struct InfoWrite {
  int result = transport::kCmdOk;
  bool infoRead = false;
  DeviceInfo info{};
  int overflow = 0;  // macros: events too many for the memory (nothing was sent)
};

// 0x03, then, when image is not empty: begin, 0x09 (the image), end. The
// transfer size becomes the image's length.
InfoWrite writeKeyTableImage(transport::HidChannel& ch, DeviceInfo info, const std::vector<std::uint8_t>& image);

// 0x03, then, when there is a macro list and its image fits the memory the
// refreshed info gives: begin, 0x15 (the image), end.
InfoWrite writeMacroMemory(transport::HidChannel& ch, DeviceInfo info, const MacroSource& source);

// 0x0B: the first kCustomColorSendLength bytes of the buffer into a bank.
int writeColorBank(transport::HidChannel& ch, const ColorBuffer& buffer, std::uint8_t bank);

}  // namespace kavro::keyboard
