#pragma once
// The keyboard page's 126 key positions, their factory key codes, and how the
// positions are tied to the device's own key and LED numbering.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/profile_records.h"

namespace kavro::keyboard {

using profiles::KeyAssignment;
using profiles::KeyCodeBytes;

inline constexpr std::size_t kPositionCount = 126;  // key positions 0..125
// Map entry of a position that has no device key (or no LED).
inline constexpr std::uint8_t kUnmapped = 255;

// Kinds (byte 0) of a key code.
inline constexpr std::uint8_t kCodeKindKey = 0x20;          // ordinary key: modifier bits, HID usage
inline constexpr std::uint8_t kCodeKindFunction = 0xA0;     // keyboard function key (FN, GM, ...)
inline constexpr std::uint8_t kCodeKindDeviceMacro = 0xD0;  // the keyboard's own macro keys M1..M5
inline constexpr std::uint8_t kCodeKindMacroMode = 0x70;    // plays macro n in a play mode
inline constexpr std::uint8_t kCodeKindMacroRepeat = 0x71;  // plays macro n a number of times

// Factory code of every position, in position order.
extern const std::array<KeyCodeBytes, kPositionCount> kDefaultKeyCodes;

// Device tables as read from the keyboard. Each arrives in a buffer of this
// size; only the first keyCount (light index) or keyCount x 3 (codes) bytes
// carry data.
inline constexpr std::size_t kDeviceTableBufferSize = 512;
inline constexpr std::size_t kKeyCodeBytes = 3;

// True when a key code table of keyCount keys fits the table buffer; when it
// does not, the tables are never read and no position is mapped.
bool keyTableFits(std::size_t keyCount);

using PositionMap = std::array<std::uint8_t, kPositionCount>;

// keyToTablePos: for each position, the first device key (lowest index)
// whose code equals the position's factory code, else kUnmapped. All
// unmapped when the table does not fit.
PositionMap buildKeyToTablePos(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount);

// keyToLed: for each mapped position, the light index table entry of its
// device key, else kUnmapped.
PositionMap buildKeyToLed(const PositionMap& keyToTablePos, std::span<const std::uint8_t> lightIndexTable,
                          std::size_t keyCount);

// The position whose device key is deviceKey, if any (key events from the
// keyboard name device keys).
int positionOfDeviceKey(const PositionMap& keyToTablePos, std::uint8_t deviceKey);

// The key code table to write: a copy of the device's table (keyCount x 3
// bytes) in which every mapped position's device key carries the position's
// assigned code. assignments[p] belongs to position p. Empty when the table
// does not fit.
std::vector<std::uint8_t> keyTableImage(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount,
                                        const PositionMap& keyToTablePos,
                                        const std::vector<KeyAssignment>& assignments);

// After the macro list changed: assignments that run a macro numbered
// macroCount or above fall back to their default. Returns true when any
// assignment changed.
bool resetDanglingMacroKeys(std::vector<KeyAssignment>& assignments, std::size_t macroCount);

}  // namespace kavro::keyboard
