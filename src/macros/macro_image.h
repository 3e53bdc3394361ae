#pragma once
// The macro memory image of the keyboard and the mouse: every macro of the
// device packed into one block that is downloaded in a single transfer.
//
// Layout (16-bit fields little-endian):
//   0   2        kMacroImageMagic
//   2   2        image length
//   4   2        number of macros D
//   6   10       reserved, 0
//   16  2 x D    offset of each macro record from the image start
//   then one record per macro: event count n (16 bits), 2 reserved bytes,
//   n events of 4 bytes: delay (16 bits), type byte (bit 7 = "down"), button.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavro::macros {

inline constexpr std::uint16_t kMacroImageMagic = 0x55AA;
inline constexpr std::size_t kMacroHeaderSize = 16;
inline constexpr std::size_t kMacroHeaderMagic = 0;
inline constexpr std::size_t kMacroHeaderLength = 2;
inline constexpr std::size_t kMacroHeaderCount = 4;
inline constexpr std::size_t kMacroOffsetEntrySize = 2;
inline constexpr std::size_t kMacroRecordHeaderSize = 4;  // event count, 2 reserved
inline constexpr std::size_t kMacroEventSize = 4;
inline constexpr std::size_t kMacroEventDelay = 0;   // 16 bits
inline constexpr std::size_t kMacroEventType = 2;    // type, bit 7 = "down"
inline constexpr std::size_t kMacroEventButton = 3;
inline constexpr std::uint8_t kMacroTypeDown = 0x80;
inline constexpr std::uint8_t kMacroTypeMask = 0x7F;

// The longest image the 16-bit length field can describe.
inline constexpr std::size_t kMacroImageMaxLength = 0xFFFF;
// Macro memory is counted in units of this many bytes (device info byte 6).
inline constexpr std::size_t kMacroMemoryUnit = 128;

// One macro step as it goes into the image.
struct MacroImageStep {
  std::uint16_t delay = 0;  // ms to wait after the step
  std::uint8_t type = 0;    // step type, 7 bits
  bool down = false;        // press (or "down" move) rather than release
  std::uint8_t button = 0;  // usage, modifier bit, button bit or distance

  bool operator==(const MacroImageStep&) const = default;
};

// The steps of every macro, in the order of the macro list.
using MacroImageInput = std::vector<std::vector<MacroImageStep>>;

// 16 + 6 x D + 4 x (total steps).
std::size_t macroImageLength(const MacroImageInput& macros);

// Capacity of the macro memory in bytes, from device info byte 6.
std::size_t macroCapacity(std::uint8_t memoryUnits);

// 0 when an image of `length` bytes fits the capacity; otherwise by how many
// 4-byte events it is too long: (length - capacity) / 4 + 1.
int macroOverflow(std::size_t length, std::size_t capacity);

// The image bytes. Empty when the image would be longer than its length
// field can say (such an image never fits a device).
std::vector<std::uint8_t> buildMacroImage(const MacroImageInput& macros);

// What to download: the image when it fits, else the overflow count the
// macro panel reports and no image.
struct MacroDownload {
  std::vector<std::uint8_t> image;
  int overflow = 0;
};
MacroDownload planMacroDownload(const MacroImageInput& macros, std::uint8_t memoryUnits);

}  // namespace kavro::macros
