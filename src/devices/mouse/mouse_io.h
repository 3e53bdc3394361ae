#pragma once
// The mouse's command sequences over its command channel: first connect,
// settings read and write, key table, macro download and power poll. Each is
// a plain blocking function; the device class runs them on its worker.
//
// A mouse reached through a wireless receiver (the channel in long mode) is
// asked whether it is online before every step of a sequence; the first
// failed check abandons the sequence, and nothing after it is sent. A closed
// channel sends nothing at all.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/mouse/mouse_buttons.h"
#include "devices/mouse/mouse_rules.h"
#include "devices/mouse/mouse_settings.h"
#include "macros/macro_image_source.h"
#include "transport/hid_channel.h"

namespace kavro::mouse {

// True when the channel reaches the mouse through a wireless receiver.
bool isWireless(const transport::HidChannel& ch);
// A wired mouse is always online; a wireless one when queryLink says so.
bool online(transport::HidChannel& ch);

// What a sequence did.
struct SequenceResult {
  // The result of the sequence's main transfer (command result codes), or the
  // sequence's own code where a function says so. 0 when it was not sent.
  int code = 0;
  // A wireless mouse failed an online check: the sequence stopped there.
  bool offline = false;
  bool operator==(const SequenceResult&) const = default;
};

// The mouse reports usage 0x401 on its notify interface when its settings
// changed on the device; the settings are read again this long after it.
inline constexpr std::uint16_t kUsageSettingsChanged = 0x401;
inline constexpr int kSyncDelayMs = 500;

// The device tables of one connection.
struct DeviceTables {
  std::array<std::uint8_t, kDeviceInfoSize> info{};
  std::array<std::uint8_t, kKeyTableBufferSize> keyTable{};
  std::size_t keyCount = 0;    // device info byte 5
  bool keyTableRead = false;   // keyTable holds keyCount x 3 bytes from the mouse
  ButtonMap buttons = unmappedButtons();

  DpiRange dpiRange() const { return dpiRangeFromInfo(info); }
  static ButtonMap unmappedButtons();
};

// First connect: begin, 0x03, transfer size K x 3, 0x07, end. The tables
// (and the button map built from them) change only when the whole sequence
// ran. code: the result of 0x07; kCmdRefused when K x 3 is too large for a
// transfer (then 0x07 is skipped, end still closes the frame, the new device
// information is kept and no button is mapped); the result of 0x03 when it
// failed (then the tables keep what they held).
SequenceResult readDeviceTables(transport::HidChannel& ch, DeviceTables& tables);

// Reads the current block: 0x05 one byte at address 0 gives the slot b (kept
// in `slot`; a failed read leaves the previous value), then 0x05 of 71 bytes
// at b x 128 into `block` (left as it was unless the read succeeded).
// code: the result of the block read.
SequenceResult readSettingsBlock(transport::HidChannel& ch, SettingsBlock& block, std::uint8_t& slot);

// Every write below is framed: begin, the write, end. A failed command does
// not stop the frame; the code is the write's result, or end's failure when
// the write went through but the frame was not closed.

// begin, 0x06 with the block's first 66 bytes at slot x 128, end.
// code: 0 when the mouse was offline at any check.
SequenceResult writeSettingsBlock(transport::HidChannel& ch, const SettingsBlock& block, std::uint8_t slot = 0);

// 0x03 (refreshes tables.info), begin, 0x09 with the key table image, end:
// every mapped button's device key gets the button's assigned code; buttons
// without a device key are skipped. Nothing is sent while the key table of
// this connection has not been read. code: 0 when offline or nothing was
// sent.
SequenceResult writeKeyAssignments(transport::HidChannel& ch, DeviceTables& tables,
                                   const std::vector<KeyAssignment>& assignments);

// Macro download codes.
inline constexpr int kMacrosSent = 0;       // sent, or no macro list to send
inline constexpr int kMacrosFailed = -1;    // not sent: failed transfer, offline, or no image
// A positive code: the image does not fit; that many 4-byte events too many.

// 0x03 (refreshes tables.info), then, when the image fits the mouse's macro
// memory (128 x device info byte 6): begin, 0x15 with the image, end.
// Without a macro list ("macro.config" missing) nothing is sent and the
// code is kMacrosSent.
SequenceResult downloadMacros(transport::HidChannel& ch, DeviceTables& tables, const macros::MacroSource& source);

// The power status block: 0x1A of 6 bytes at address 0. On success byte 3
// tells whether the mouse is wireless (1) or not (0); a failed read leaves
// `status` as it was. code: the result of 0x1A.
inline constexpr std::size_t kPowerStatusSize = 6;
inline constexpr std::size_t kStatusWirelessByte = 3;
inline constexpr std::size_t kStatusConnectionByte = 4;  // the connection state
SequenceResult pollPower(transport::HidChannel& ch, std::array<std::uint8_t, kPowerStatusSize>& status);

}  // namespace kavro::mouse
