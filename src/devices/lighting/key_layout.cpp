#include "devices/lighting/key_layout.h"

namespace kavro::lighting {
namespace {

template <std::size_t N>
struct OrderBuilder {
  std::array<std::uint8_t, N> out{};
  std::size_t n = 0;
  constexpr OrderBuilder() {
    for (auto& v : out) v = kNoKey;
  }
  constexpr void add(int v) { out[n++] = static_cast<std::uint8_t>(v); }
  constexpr void up(int from, int to) {
    for (int v = from; v <= to; ++v) add(v);
  }
  constexpr void down(int from, int to) {
    for (int v = from; v >= to; --v) add(v);
  }
};

constexpr std::array<std::uint8_t, kKeyCount> buildSnake() {
  OrderBuilder<kKeyCount> b;
  b.down(15, 0);
  for (int v : {21, 42, 63, 84, 105, 106, 107, 108, 109, 125}) b.add(v);
  b.up(110, 119);
  b.down(41, 22);
  b.add(43);
  b.add(64);
  b.up(85, 99);
  b.add(78);
  b.down(61, 44);
  b.up(65, 77);
  return b.out;
}

constexpr std::array<std::uint8_t, kKeyCount> buildSweep() {
  OrderBuilder<kKeyCount> b;
  b.up(0, 15);
  for (int v : {17, 18, 19, 20, 41}) b.add(v);
  b.down(40, 21);
  b.up(42, 61);
  for (int v : {119, 78, 77, 76, 75, 126}) b.add(v);
  b.down(74, 63);
  b.add(84);
  b.add(kNoKey);
  b.up(85, 99);
  b.down(118, 105);
  return b.out;
}

constexpr std::array<std::uint8_t, kGridKeyCount> buildRaindrops() {
  std::array<std::uint8_t, kGridKeyCount> out{};
  std::size_t n = 0;
  for (const auto& column : kKeyGrid)
    for (std::uint8_t key : column)
      if (key != kNoKey && n < out.size()) out[n++] = key;
  return out;
}

// First grid column of each falling bar (see the header).
constexpr std::array<std::size_t, 8> kBarStart = {0, 6, 11, 6, 0, 6, 11, 6};

constexpr std::array<FallingRow, kFallingRowCount> buildFallingRows() {
  std::array<FallingRow, kFallingRowCount> out{};
  for (auto& row : out)
    for (auto& v : row) v = kNoKey;
  for (std::size_t bar = 0; bar < kBarStart.size(); ++bar) {
    for (std::size_t gridRow = 0; gridRow < kGridRows; ++gridRow) {
      FallingRow& row = out[bar * kGridRows + gridRow];
      std::size_t n = 0;
      for (std::size_t c = kBarStart[bar]; c < kBarStart[bar] + kFallingRowSize; ++c) {
        const std::uint8_t key = kKeyGrid[c][gridRow];
        if (key != kNoKey) row[n++] = key;
      }
    }
  }
  return out;
}

}  // namespace

const std::array<Ring, kRingCount> kRippleRings = {{
    {73, 126, 126, 126, 126, 126, 126, 126, 126, 126, 126, 126},
    {72, 52, 94, 74, 51, 93, 53, 126, 126, 126, 126, 126},
    {71, 31, 125, 50, 92, 30, 32, 110, 54, 29, 109, 33},
    {111, 70, 8, 75, 49, 91, 7, 9, 55, 95, 28, 6},
    {10, 34, 69, 48, 90, 5, 11, 27, 112, 126, 126, 126},
    {68, 12, 47, 89, 56, 26, 108, 35, 113, 4, 13, 126},
    {67, 46, 88, 57, 96, 25, 36, 114, 3, 14, 126, 126},
    {66, 45, 87, 58, 24, 107, 37, 115, 2, 15, 126, 126},
    {65, 76, 44, 86, 59, 97, 23, 38, 116, 1, 126, 126},
    {64, 77, 43, 85, 60, 98, 22, 106, 39, 0, 126, 126},
    {63, 78, 42, 84, 61, 99, 21, 105, 40, 117, 126, 126},
    {122, 119, 121, 123, 118, 120, 124, 41, 126, 126, 126, 126},
}};

const std::array<std::uint8_t, kKeyCount> kSnakeOrder = buildSnake();
const std::array<std::uint8_t, kKeyCount> kSweepOrder = buildSweep();
const std::array<std::uint8_t, kGridKeyCount> kRaindropKeys = buildRaindrops();
const std::array<FallingRow, kFallingRowCount> kFallingRows = buildFallingRows();

std::optional<GridCell> gridCellOf(std::size_t position) {
  if (position >= kKeyCount) return std::nullopt;
  for (std::size_t c = 0; c < kGridColumns; ++c)
    for (std::size_t r = 0; r < kGridRows; ++r)
      if (kKeyGrid[c][r] == position)
        return GridCell{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(r)};
  return std::nullopt;
}

}  // namespace kavro::lighting
