#pragma once
// Geometry of the keyboard's 126 key positions (which are also its LED
// numbers) and the orders in which the lighting effects visit them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kavro::lighting {

inline constexpr std::size_t kKeyCount = 126;     // key positions 0..125
inline constexpr std::uint8_t kNoKey = 126;       // "no key here" in every table
inline constexpr std::size_t kGridColumns = 23;
inline constexpr std::size_t kGridRows = 6;

using GridColumn = std::array<std::uint8_t, kGridRows>;

// Key grid, column by column from the left, top row first. It is also the
// wave-column table of the engine (LEDs by column).
inline constexpr std::array<GridColumn, kGridColumns> kKeyGrid = {{
    {126, 120, 121, 122, 123, 124}, {126, 21, 42, 63, 84, 105}, {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 126},       {2, 24, 45, 66, 87, 107},   {3, 25, 46, 67, 88, 126},
    {4, 26, 47, 68, 89, 108},       {126, 27, 48, 69, 90, 126}, {5, 28, 49, 70, 91, 126},
    {6, 29, 50, 71, 92, 109},       {7, 30, 51, 72, 93, 126},   {8, 31, 52, 73, 94, 125},
    {9, 32, 53, 74, 126, 110},      {10, 33, 54, 126, 126, 111}, {11, 34, 55, 75, 95, 126},
    {12, 126, 126, 126, 126, 112},  {13, 35, 56, 126, 126, 113}, {14, 36, 57, 126, 96, 114},
    {15, 37, 58, 126, 126, 115},    {126, 38, 59, 76, 97, 116}, {126, 39, 60, 77, 98, 126},
    {126, 40, 61, 78, 99, 117},     {126, 41, 126, 119, 118, 126},
}};

// The engine's wave columns are the grid's columns.
inline constexpr const auto& kWaveColumns = kKeyGrid;

// Ripple rings: keys by distance from the centre key 73 (grid column 11,
// row 3). Ring r holds the keys whose distance in grid cells lies in [r, r+1)
// (the outermost ring takes everything farther); a ring that would exceed 12
// keys passes its farthest keys on to the next ring. Within a ring keys are
// ordered by distance. 126 pads the rings.
inline constexpr std::size_t kRingCount = 12;
inline constexpr std::size_t kRingSize = 12;
using Ring = std::array<std::uint8_t, kRingSize>;
extern const std::array<Ring, kRingCount> kRippleRings;

// Snake order: a serpentine through the rows, 105 keys then 126 fillers.
extern const std::array<std::uint8_t, kKeyCount> kSnakeOrder;
// Sweep order of the wipe: row by row, alternating direction, 126-padded.
extern const std::array<std::uint8_t, kKeyCount> kSweepOrder;

// Every key position on the grid, column by column: the raindrop picks.
inline constexpr std::size_t kGridKeyCount = 110;
extern const std::array<std::uint8_t, kGridKeyCount> kRaindropKeys;

// Falling rows: 52 rows of up to 12 keys. Eight bars of 12 grid columns fall
// from the top grid row to the bottom one (six rows each), alternating
// between the left (columns 0-11), centre (6-17) and right (11-22) parts of
// the board as left, centre, right, centre, left, centre, right, centre; the
// last four rows are empty, a short pause before the next round.
inline constexpr std::size_t kFallingRowCount = 52;
inline constexpr std::size_t kFallingRowSize = 12;
using FallingRow = std::array<std::uint8_t, kFallingRowSize>;
extern const std::array<FallingRow, kFallingRowCount> kFallingRows;

struct GridCell {
  std::uint8_t column = 0;
  std::uint8_t row = 0;
};
// Where a key position sits on the grid; nothing for positions off the grid.
std::optional<GridCell> gridCellOf(std::size_t position);

}  // namespace kavro::lighting
