#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

#include "devices/keyboard/keyboard_geometry.h"

namespace kavro::keyboard {
namespace {

// The preview's key grid: 23 columns of 6 rows, top row first; 126 = no key.
constexpr std::uint8_t kNone = 126;
constexpr std::array<std::array<std::uint8_t, 6>, 23> kGrid = {{
    {126, 120, 121, 122, 123, 124}, {126, 21, 42, 63, 84, 105}, {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 126},       {2, 24, 45, 66, 87, 107},   {3, 25, 46, 67, 88, 126},
    {4, 26, 47, 68, 89, 108},       {126, 27, 48, 69, 90, 126}, {5, 28, 49, 70, 91, 126},
    {6, 29, 50, 71, 92, 109},       {7, 30, 51, 72, 93, 126},   {8, 31, 52, 73, 94, 125},
    {9, 32, 53, 74, 126, 110},      {10, 33, 54, 126, 126, 111}, {11, 34, 55, 75, 95, 126},
    {12, 126, 126, 126, 126, 112},  {13, 35, 56, 126, 126, 113}, {14, 36, 57, 126, 96, 114},
    {15, 37, 58, 126, 126, 115},    {126, 38, 59, 76, 97, 116}, {126, 39, 60, 77, 98, 126},
    {126, 40, 61, 78, 99, 117},     {126, 41, 126, 119, 118, 126},
}};

double centre(const KeyRect& k) { return k.x + k.width / 2; }

TEST(KeyboardGeometry, GridKeysSitInTheirGridRow) {
  for (std::size_t c = 0; c < kGrid.size(); ++c) {
    for (int r = 0; r < 6; ++r) {
      const std::uint8_t p = kGrid[c][r];
      if (p == kNone) continue;
      const RowSpan span = rowSpanOf(kKeyboardGeometry[p]);
      EXPECT_TRUE(span.first <= r && r <= span.last) << "position " << int(p) << " grid row " << r;
    }
  }
}

TEST(KeyboardGeometry, GridColumnsRunLeftToRightInEveryRow) {
  for (int r = 0; r < 6; ++r) {
    const KeyRect* previous = nullptr;
    for (std::size_t c = 0; c < kGrid.size(); ++c) {
      const std::uint8_t p = kGrid[c][r];
      if (p == kNone) continue;
      const KeyRect& k = kKeyboardGeometry[p];
      if (previous) {
        EXPECT_LE(previous->x + previous->width, k.x + 1e-9) << "position " << int(p);
      }
      previous = &k;
    }
  }
}

TEST(KeyboardGeometry, GridColumnsStayTogether) {
  // A column's keys stay within 1.5 key widths of the column's mean centre,
  // and the columns' means run left to right.
  double lastMean = -1;
  for (std::size_t c = 0; c < kGrid.size(); ++c) {
    double sum = 0;
    int n = 0;
    for (std::uint8_t p : kGrid[c]) {
      if (p != kNone) {
        sum += centre(kKeyboardGeometry[p]);
        ++n;
      }
    }
    ASSERT_GT(n, 0);
    const double mean = sum / n;
    for (std::uint8_t p : kGrid[c]) {
      if (p != kNone) {
        EXPECT_LE(std::fabs(centre(kKeyboardGeometry[p]) - mean), 1.5) << "position " << int(p);
      }
    }
    EXPECT_GT(mean, lastMean) << "column " << c;
    lastMean = mean;
  }
}

TEST(KeyboardGeometry, VisibleKeysAreTheGridPlusTheTwoFunctionKeys) {
  std::set<std::size_t> expected{16, 17};
  for (const auto& column : kGrid) {
    for (std::uint8_t p : column) {
      if (p != kNone) {
        EXPECT_TRUE(expected.insert(p).second) << "position twice on the grid: " << int(p);
      }
    }
  }
  for (std::size_t p = 0; p < kPositionCount; ++p)
    EXPECT_EQ(kKeyboardGeometry[p].visible, expected.count(p) == 1) << "position " << p;
}

TEST(KeyboardGeometry, KeysDoNotOverlapAndStayInThePicture) {
  for (std::size_t a = 0; a < kPositionCount; ++a) {
    const KeyRect& k = kKeyboardGeometry[a];
    if (!k.visible) continue;
    EXPECT_GT(k.width, 0);
    EXPECT_GT(k.height, 0);
    EXPECT_GE(k.x, 0);
    EXPECT_GE(k.y, 0);
    EXPECT_LE(k.x + k.width, kKeyboardWidthUnits);
    EXPECT_LE(k.y + k.height, kKeyboardHeightUnits);
    for (std::size_t b = a + 1; b < kPositionCount; ++b) {
      const KeyRect& o = kKeyboardGeometry[b];
      if (!o.visible) continue;
      const bool apart = k.x + k.width <= o.x || o.x + o.width <= k.x || k.y + k.height <= o.y ||
                         o.y + o.height <= k.y;
      EXPECT_TRUE(apart) << "positions " << a << " and " << b;
    }
  }
}

}  // namespace
}  // namespace kavro::keyboard
