#pragma once
// The command sequences of the zone-lit devices over their command channel:
// first connect, the settings block read (sync from the device) and write,
// the power poll and the streamed light frame. Each is a plain blocking
// function; the device class runs them on its worker. The headset uses the
// block read and write as they are (its first connect reads nothing).
//
// A closed channel sends nothing. A failed command never stops a configuration
// frame: end is always sent once begin was.
#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "devices/lighting/engine.h"
#include "devices/mousepad/pad_block.h"
#include "transport/hid_channel.h"

namespace kavro::mousepad {

// What a sequence did: the result of its main transfer (command result
// codes), or 0 when nothing was sent.
struct SequenceResult {
  int code = 0;
  bool ok() const;
  bool operator==(const SequenceResult&) const = default;
};

inline constexpr std::size_t kDeviceInfoSize = 34;
using DeviceInfo = std::array<std::uint8_t, kDeviceInfoSize>;

// The host's copy of the device's settings block.
struct HeldBlock {
  SettingsBlock bytes{};
  std::uint8_t slot = 0;      // the slot byte as last read
  bool fromDevice = false;    // bytes were read from the device on this connection
  bool operator==(const HeldBlock&) const = default;
};

// First connect of the mousepad: begin, 0x03 (device information), end. The
// held block is forgotten (the device may be another one); `info` changes
// only when 0x03 succeeded. code: the result of 0x03.
SequenceResult firstConnect(transport::HidChannel& ch, DeviceInfo& info, HeldBlock& held);

// Sync from the device: 0x05 of one byte at address 0 gives the slot b (a
// failed read keeps the previous slot), then 0x05 of 26 bytes at the slot's
// read address, of which the first 21 are kept. A failed block read leaves
// `held` as it was. code: the result of the block read.
SequenceResult readSettingsBlock(transport::HidChannel& ch, HeldBlock& held,
                                 const BlockAddressing& addressing = kSlotAddressing);

// Write settings: begin, 0x06 with the block built from `light` and the
// device bytes last read, at the slot's write address, end. When no block
// has been read on this connection it is read first, so the device's own
// bytes are never replaced by zeros; if that read fails nothing is written.
// On success `held` takes the block as written. code: the write's result, or
// end's failure when the write went through but the frame was not closed.
SequenceResult writeSettingsBlock(transport::HidChannel& ch, HeldBlock& held, const profiles::LightSetting& light,
                                  const BlockAddressing& addressing = kSlotAddressing);

// The held block of one device, shared by its queued block sequences. Only
// the sequences touch it, one after another on the device's worker, so each
// starts from what the one before left (never from a copy taken when it was
// queued); the lock keeps a sequence of an ended connection from overlapping
// the next.
struct SharedHeldBlock {
  std::mutex mutex;
  HeldBlock block;
};

// What a block sequence on the shared block brings back: the sequence's
// result code and a copy of the held block after it.
struct HeldBlockResult {
  int result = 0;
  HeldBlock held;
};

// readSettingsBlock and writeSettingsBlock on the shared block, under its lock.
HeldBlockResult readSharedBlock(transport::HidChannel& ch, SharedHeldBlock& shared);
HeldBlockResult writeSharedBlock(transport::HidChannel& ch, SharedHeldBlock& shared,
                                 const profiles::LightSetting& light);

// The power status block: 0x1A of 6 bytes at address 0. On success byte 3
// tells whether the channel runs with long time-outs (1) or not (0); a failed
// read leaves `status` as it was. code: the result of 0x1A.
inline constexpr std::size_t kPowerStatusSize = 6;
inline constexpr std::size_t kStatusLongTimeoutsByte = 3;
inline constexpr std::size_t kStatusConnectionByte = 4;  // goes to the window with message 0xD01
using PowerStatus = std::array<std::uint8_t, kPowerStatusSize>;
SequenceResult pollPower(transport::HidChannel& ch, PowerStatus& status);

// One stream tick: the frame (3 bytes per LED, scaled by brightness) with
// command 18, unless the channel runs with long time-outs (then nothing is
// sent and the code is 0). After a failed frame the caller waits 200 ms.
SequenceResult streamFrame(transport::HidChannel& ch, const std::vector<lighting::LedColor>& frame);

}  // namespace kavro::mousepad
