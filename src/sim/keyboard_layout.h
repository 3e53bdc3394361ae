#pragma once
// The keyboard's physical layout as the firmware knows it: the 126 key
// positions of the on-screen board with their factory codes, which of them
// the full-size board really has, and the order in which the firmware keeps
// its device keys (its scan matrix: row by row) and wires its LEDs (a chain
// that runs left to right on the top row, right to left on the next, ...).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::sim::keyboard {

constexpr unsigned kPositions = 126;
constexpr unsigned kGridColumns = 23;
constexpr unsigned kGridRows = 6;
constexpr uint8_t kNoPosition = 126;

using KeyCode = std::array<uint8_t, 3>;

// Factory code of a position (type byte, modifier bits, usage).
const KeyCode& defaultCode(unsigned position);
// The grid cell's position, or kNoPosition for an empty cell.
uint8_t gridPosition(unsigned column, unsigned row);

struct DeviceKey {
  uint8_t position;  // the key position it sits at
  uint8_t led;       // its LED index on the chain
};
// The board's device keys in device order.
const std::vector<DeviceKey>& deviceKeys();

// A short name of a position ("Esc", "A", "F5", "Num7", "M1"), or "" when the
// board has no key there.
const char* positionName(unsigned position);
// Device key by name (case-insensitive) or by number ("#12" or "12"); -1 when unknown.
int findDeviceKey(const std::string& name);

}  // namespace kavro::sim::keyboard
