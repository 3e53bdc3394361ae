#pragma once
// The mousepad, 0x0C45:0x6627. Lighting only.
//   interface 1: the four collections of descriptors.h (notify on col03,
//                commands on col04); it has no interface 0 of its own.
// Settings memory (256 bytes): slot s's 21-byte block at s x 64; byte 0 of
// the memory (byte 0 of block 0) is the slot in use. Bytes 0 and 4 of a block
// and bytes 9..20 hold the pad's own values, which the host sends back as it
// read them; they differ from slot to slot. The memory between the blocks is
// unused and reads as 0. Reads and writes are plain memory accesses: a host
// that reads a block anywhere but at its slot x 64 gets whatever lies there
// (unused bytes and parts of neighbouring blocks), as the device would.
#include <memory>
#include <string>

#include "sim/emulator.h"

namespace kavro::sim {

constexpr uint16_t kMousepadVid = 0x0C45;
constexpr uint16_t kMousepadPid = 0x6627;

namespace pad {
constexpr unsigned kSlots = 4;
constexpr size_t kSlotStride = 64;
constexpr size_t kBlockSize = 21;
constexpr size_t kSettingsSize = 256;
constexpr size_t kDeviceBytes = 9;     // first of the device's own bytes 9..20
constexpr size_t kDeviceByteCount = 12;
constexpr uint8_t kDeviceByteBase = 0x30;   // slot s's byte 9 + i is kDeviceByteBase + s x kDeviceByteSlotStep + i
constexpr uint8_t kDeviceByteSlotStep = 0x10;
constexpr unsigned kLeds = 15;
}  // namespace pad

// Fills the 21-byte lighting blocks of a pad-like device (mousepad, headset).
void putPadBlocks(std::vector<uint8_t>& settings, unsigned slots, const uint8_t* effects);
// The firmware of the zone-lit devices (mousepad and headset): 4 slots of
// blocks at slot x 64, the commands they take, powered from USB.
FirmwareConfig padFamilyConfig(const char* kind, uint8_t firmwareLo, uint8_t firmwareHi, uint8_t deviceType,
                               uint8_t leds, const uint8_t (&effects)[pad::kSlots]);
FirmwareConfig mousepadConfig();

class MousepadEmulator final : public Emulator {
 public:
  MousepadEmulator(std::shared_ptr<Presence> presence, const std::string& namePrefix);
  ~MousepadEmulator() override;
};

std::unique_ptr<Emulator> makeMousepad(std::shared_ptr<Presence> presence, const std::string& namePrefix);

}  // namespace kavro::sim
