#pragma once
// The mouse page's ten buttons, their factory key codes, and how they are
// tied to the mouse's own key numbering (its key code table).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

namespace kavro::mouse {

using profiles::KeyAssignment;
using profiles::KeyCodeBytes;

inline constexpr std::size_t kButtonCount = 10;  // button positions 0..9
// Map entry of a position whose factory code is not in the mouse's table.
inline constexpr std::uint8_t kNoDeviceKey = 126;
inline constexpr std::size_t kKeyCodeBytes = 3;
// The key code table travels in a buffer of this size (the channel's largest
// transfer); a table of K keys needs K x 3 bytes of it.
inline constexpr std::size_t kKeyTableBufferSize = 512;

// Button positions, in the page's order.
enum ButtonPosition : std::size_t {
  kButtonLeft = 0,
  kButtonRight = 1,
  kButtonMiddle = 2,
  kButtonForward = 3,
  kButtonBack = 4,
  kButtonDpiUp = 5,
  kButtonDpiDown = 6,
  kButtonDpiLoop = 7,
  kButtonGameMode = 8,
  kButtonM8 = 9,
};

// Factory code of every position, in position order.
extern const std::array<KeyCodeBytes, kButtonCount> kDefaultButtonCodes;
// The page's button control of every position.
extern const std::array<std::string_view, kButtonCount> kButtonControlNames;

// The position whose factory code is `code`, or -1.
int positionOfDefaultCode(const KeyCodeBytes& code);

// The position of a button control name, or -1.
int buttonPositionOfControl(std::string_view controlName);

// True when a table of keyCount keys fits the buffer; otherwise the table is
// never read and no position is mapped.
bool keyTableFits(std::size_t keyCount);

using ButtonMap = std::array<std::uint8_t, kButtonCount>;

// For each position, the first device key (lowest index) whose code equals
// the position's factory code; kNoDeviceKey when there is none or the table
// does not fit.
ButtonMap buildButtonMap(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount);

// The position whose device key is deviceKey, or -1.
int positionOfDeviceKey(const ButtonMap& map, std::uint8_t deviceKey);

// The key code table to write: a copy of the mouse's table (keyCount x 3
// bytes) in which the device key of every mapped position carries the
// position's assigned code. assignments[p] belongs to position p; positions
// mapped to kNoDeviceKey are skipped. Empty when the table does not fit.
std::vector<std::uint8_t> keyTableImage(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount,
                                        const ButtonMap& map, const std::vector<KeyAssignment>& assignments);

}  // namespace kavro::mouse
