#pragma once
// The 21-byte settings block of the zone-lit devices (the mousepad and the
// headset's lighting side), where a block lives in the device's settings
// memory, and what the device's notify interface reports.
//
// Bytes 1, 2, 3, 5, 6, 7 and 8 carry the lighting state; every other byte
// belongs to the device (calibration and the like) and is sent back exactly
// as it was last read.
#include <array>
#include <cstddef>
#include <cstdint>

#include "profiles/light_records.h"

namespace kavro::mousepad {

inline constexpr std::size_t kBlockSize = 21;
// A block read fetches this many bytes; the first kBlockSize are the block.
inline constexpr std::size_t kBlockReadSize = 26;
using SettingsBlock = std::array<std::uint8_t, kBlockSize>;

// Byte offsets of the lighting state within the block.
inline constexpr std::size_t kBlkEffect = 1;      // "SelectItem", 0..8
inline constexpr std::size_t kBlkBrightness = 2;  // "Light", level 0..5
inline constexpr std::size_t kBlkSpeed = 3;       // kMaxSpeed - "Speed"
inline constexpr std::size_t kBlkMultiColor = 5;  // "MultiColor"
inline constexpr std::size_t kBlkRed = 6;
inline constexpr std::size_t kBlkGreen = 7;
inline constexpr std::size_t kBlkBlue = 8;

// The effects are numbered 0..8; a larger number is written as effect 0.
inline constexpr std::uint8_t kEffectCount = 9;
// The device stores the speed reversed: byte = kMaxSpeed - speed.
inline constexpr std::uint8_t kMaxSpeed = 4;

// True for the bytes the host fills from the lighting state.
bool isLightingByte(std::size_t index);

// The block to write: `lastRead` with the lighting bytes replaced from
// `light`. A speed above kMaxSpeed is written as kMaxSpeed (byte 0); the
// multi-colour flag is written as 0 or 1.
SettingsBlock encodeBlock(const profiles::LightSetting& light, const SettingsBlock& lastRead);

// What a block read from the device changes in the lighting state: effect,
// brightness, speed (a speed byte above kMaxSpeed reads as speed 0),
// multi-colour flag (0 or 1) and colour. The direction and the rest keep
// their values: byte 4 is the device's own.
void decodeBlock(const SettingsBlock& block, profiles::LightSetting& light);

// ---- where blocks live ----------------------------------------------------------

// A read starts with one byte at this address: the slot b the device uses.
inline constexpr std::uint16_t kSlotByteAddress = 0;
inline constexpr std::size_t kSlotByteLength = 1;
// The device keeps slot s's block at s x kSlotStride.
inline constexpr std::uint16_t kSlotStride = 64;
// The first program read slot b's block at b x 25, the keyboard's stride.
inline constexpr std::uint16_t kKeyboardReadStride = 25;

// How the host addresses blocks.
struct BlockAddressing {
  std::uint16_t readStride = kSlotStride;  // slot b's block is read at b x readStride
  bool writeToReadSlot = true;             // writes go to the slot last read; else to slot 0
  bool operator==(const BlockAddressing&) const = default;
};

// Reads and writes the block of the slot the device uses, where the device
// keeps it. What the program uses.
inline constexpr BlockAddressing kSlotAddressing{kSlotStride, true};
// Reads at b x 25 and always writes slot 0, as the first program did. For
// b = 0 both agree; for any other slot the read lands between the device's
// blocks, so the host shows bytes that are no block at all and writes them
// back over slot 0 - the device's own bytes included. Kept for comparison.
inline constexpr BlockAddressing kKeyboardStrideAddressing{kKeyboardReadStride, false};

std::uint16_t blockReadAddress(const BlockAddressing& addressing, std::uint8_t slot);
// Writes land at slot x 64.
std::uint16_t blockWriteAddress(const BlockAddressing& addressing, std::uint8_t slot);

// ---- notify interface ---------------------------------------------------------

// The device reports usage 0x401 when its settings changed on the device;
// they are read again this long after it. 0x404 is a notice that needs no
// action. Every other usage is ignored.
inline constexpr std::uint16_t kUsageSettingsChanged = 0x401;
inline constexpr std::uint16_t kUsageNotice = 0x404;
inline constexpr int kSyncDelayMs = 500;

enum class NotifyAction { None, Sync, Notice };
NotifyAction notifyAction(std::uint16_t usage);

}  // namespace kavro::mousepad
