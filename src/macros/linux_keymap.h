#pragma once
// Maps Linux input key codes (KEY_* of evdev) to the scan code and extended
// flag by which the recorder and key capture find a key in ScanCodeTable.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kavro::macros {

struct ScanKey {
  std::uint8_t scanCode;
  bool extended;
  bool operator==(const ScanKey&) const = default;
};

// The key's scan code and extended flag, or nothing for keys the tables do
// not know (media keys, mouse buttons, unknown codes).
std::optional<ScanKey> scanKeyForLinuxKey(int linuxKeyCode);

// The ScanCodeTable (and KeyCodeTable) row of a Linux key code.
std::optional<std::size_t> keyRowForLinuxKey(int linuxKeyCode);

// Number of Linux key codes the map knows (every ScanCodeTable row once).
std::size_t linuxKeyMapSize();
// The Linux key code mapped to a ScanCodeTable row, for tests and reverse use.
std::optional<int> linuxKeyForScanRow(std::size_t row);

}  // namespace kavro::macros
