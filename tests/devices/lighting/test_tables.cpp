#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "devices/lighting/color_tables.h"
#include "devices/lighting/key_layout.h"

namespace kavro::lighting {
namespace {

TEST(ColorTables, WheelSegmentsJoinAtTheirEnds) {
  struct Case { unsigned index; Rgb rgb; };
  const Case cases[] = {{0, {255, 1, 0}},   {31, {255, 255, 0}}, {32, {248, 255, 0}},
                        {64, {0, 255, 1}},  {96, {0, 248, 255}}, {128, {1, 0, 255}},
                        {160, {255, 0, 248}}, {191, {255, 0, 0}}, {192, {255, 1, 0}}};
  for (const Case& c : cases) EXPECT_EQ(wheel(c.index), c.rgb) << c.index;
}

TEST(ColorTables, CurvesRiseAndFallBack) {
  EXPECT_EQ(kBreathing128[0], 0);
  EXPECT_EQ(kBreathing128[63], 255);
  EXPECT_EQ(kBreathing128[64], 255);
  EXPECT_EQ(kBreathing128[127], 0);
  EXPECT_EQ(kBreathing96[0], 22);
  EXPECT_EQ(kBreathing96[47], 255);
  EXPECT_EQ(kBreathing96[95], 22);
  EXPECT_EQ(kFadeCurve[24], 255);
  EXPECT_EQ(kFadeCurve[87], 1);
  EXPECT_TRUE(std::all_of(kFadeCurve.begin() + 88, kFadeCurve.end(), [](auto v) { return v == 0; }));
  EXPECT_EQ(levelBrightness(9), 255);
  EXPECT_EQ(blinkPeriodMs(9), 1400u);
}

std::set<int> gridKeys() {
  std::set<int> keys;
  for (const auto& column : kKeyGrid)
    for (auto k : column)
      if (k != kNoKey) keys.insert(k);
  return keys;
}

int distance2(std::size_t key) {
  const auto cell = gridCellOf(key);
  const int dc = cell->column - 11, dr = cell->row - 3;
  return dc * dc + dr * dr;
}

TEST(KeyLayout, RippleRingsHoldEveryGridKeyOnceOrderedOutward) {
  std::multiset<int> seen;
  int farthestSoFar = -1;
  for (const auto& ring : kRippleRings) {
    int nearest = 1 << 30, farthest = -1;
    for (auto k : ring) {
      if (k >= kNoKey) continue;
      seen.insert(k);
      nearest = std::min(nearest, distance2(k));
      farthest = std::max(farthest, distance2(k));
    }
    EXPECT_LE(farthestSoFar, nearest);
    farthestSoFar = farthest;
  }
  const auto keys = gridKeys();
  EXPECT_EQ(seen.size(), keys.size());
  EXPECT_EQ(std::set<int>(seen.begin(), seen.end()), keys);
}

TEST(KeyLayout, OrdersVisitDistinctKeysThenPad) {
  std::set<int> snake(kSnakeOrder.begin(), kSnakeOrder.begin() + 105);
  EXPECT_EQ(snake.size(), 105u);
  EXPECT_EQ(kSnakeOrder[0], 15);
  EXPECT_EQ(kSnakeOrder[104], 77);
  EXPECT_EQ(kSnakeOrder[105], kNoKey);
  EXPECT_EQ(kSweepOrder[0], 0);
  EXPECT_EQ(kSweepOrder[109], 105);
  EXPECT_EQ(kSweepOrder[110], kNoKey);
  EXPECT_EQ(gridKeys(), std::set<int>(kRaindropKeys.begin(), kRaindropKeys.end()));
}

TEST(KeyLayout, FallingRowsAreBarsOfOneGridRow) {
  EXPECT_EQ(std::vector<int>(kFallingRows[0].begin(), kFallingRows[0].begin() + 9),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  for (std::size_t i = 0; i < kFallingRowCount; ++i) {
    std::set<int> rows;
    for (auto k : kFallingRows[i])
      if (k != kNoKey) rows.insert(gridCellOf(k)->row);
    if (i >= 48) EXPECT_TRUE(rows.empty()) << i;
    else EXPECT_EQ(rows, std::set<int>{static_cast<int>(i % 6)}) << i;
  }
  EXPECT_FALSE(gridCellOf(16).has_value());
  EXPECT_FALSE(gridCellOf(126).has_value());
}

}  // namespace
}  // namespace kavro::lighting
