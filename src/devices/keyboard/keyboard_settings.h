#pragma once
// The keyboard's 26-byte settings block: lighting state, key-lock flags and
// polling rate, as kept in the keyboard's settings memory.
#include <array>
#include <cstddef>
#include <cstdint>

#include "profiles/light_records.h"
#include "profiles/profile_records.h"

namespace kavro::keyboard {

using profiles::KeyboardSystemSettings;
using profiles::LightSetting;

inline constexpr std::size_t kSettingsBlockSize = 26;
using SettingsBlock = std::array<std::uint8_t, kSettingsBlockSize>;

// Byte offsets within the block. Bytes 9..17, 23 and 24 are written as 0 and
// ignored on reading.
inline constexpr std::size_t kSbFirstByte = 0;    // written 0; on reading, see readSlotOf
inline constexpr std::size_t kSbEffect = 1;       // "SelectItem"
inline constexpr std::size_t kSbBrightness = 2;   // "Light", level 0..5
inline constexpr std::size_t kSbSpeed = 3;        // kMaxSpeed - "Speed"
inline constexpr std::size_t kSbDirection = 4;    // "Fx"
inline constexpr std::size_t kSbMultiColor = 5;   // "MultiColor"
inline constexpr std::size_t kSbRed = 6;
inline constexpr std::size_t kSbGreen = 7;
inline constexpr std::size_t kSbBlue = 8;
inline constexpr std::size_t kSbAreaLedMode = 18;  // "ZZCCLedMode"
inline constexpr std::size_t kSbWFlag = 19;        // "WFlag"
inline constexpr std::size_t kSbKey6Flag = 20;     // "Key6Flag"
inline constexpr std::size_t kSbWinFlag = 21;      // "WinFlag"
inline constexpr std::size_t kSbPollingRate = 22;  // "PollingRate"; written only, the profile keeps its own
inline constexpr std::size_t kSbCustomGroup = 25;  // "CustomGroup"

// The device stores the speed reversed: byte = kMaxSpeed - speed.
inline constexpr std::uint8_t kMaxSpeed = 4;

// Blocks are kept in slots of this many bytes of settings memory.
inline constexpr std::uint16_t kSettingsSlotStride = 25;
// Reading starts with one byte at this address: the slot of the current block.
inline constexpr std::uint16_t kSlotByteAddress = 0;
inline constexpr std::size_t kSlotByteLength = 1;

// Address of the block of a slot.
constexpr std::uint16_t settingsBlockAddress(std::uint8_t slot) {
  return static_cast<std::uint16_t>(slot * kSettingsSlotStride);
}

// The "SystemStages" values, named (the profile keeps them as three words).
struct KeyboardSystemFields {
  std::uint16_t repeat = 0;       // "Repeat"
  std::uint16_t repeatDelay = 0;  // "RepeatDelay"
  std::uint16_t key6Flag = 0;     // "Key6Flag"
  std::uint16_t pollingRate = 0;  // "PollingRate"
  std::uint16_t wFlag = 0;        // "WFlag"
  std::uint16_t winFlag = 0;      // "WinFlag"

  bool operator==(const KeyboardSystemFields&) const = default;
};
KeyboardSystemFields systemFields(const KeyboardSystemSettings& words);
KeyboardSystemSettings systemWords(const KeyboardSystemFields& fields);

// The block written with the lighting state and system settings. The profile
// slot and the first byte are 0 for every caller. A speed above kMaxSpeed is
// written as kMaxSpeed (speed 0 stays representable as byte 4).
SettingsBlock encodeSettingsBlock(const LightSetting& light, const KeyboardSystemSettings& system);

// Applies a block read from the device: the lighting fields, "ZZCCLedMode",
// "CustomGroup" and the three flags change; polling rate, repeat values and
// everything else keep their values. A speed byte above kMaxSpeed (which no
// speed encodes) reads as speed 0.
void decodeSettingsBlock(const SettingsBlock& block, LightSetting& light, KeyboardSystemSettings& system);

}  // namespace kavro::keyboard
