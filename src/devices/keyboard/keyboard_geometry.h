#pragma once
// Where each key position sits on the on-screen keyboard picture, in key
// units (1 = one standard key width). The data lives in
// keyboard_geometry.def, which also generates the keyboard page layout.
#include <array>
#include <cstddef>

#include "devices/keyboard/keyboard_positions.h"

namespace kavro::keyboard {

struct KeyRect {
  double x = 0;  // left edge
  double y = 0;  // top edge
  double width = 0;
  double height = 0;
  bool visible = false;  // false: no key is drawn for this position
};

extern const std::array<KeyRect, kPositionCount> kKeyboardGeometry;

// Size of the whole picture in key units.
inline constexpr double kKeyboardWidthUnits = 23.75;
inline constexpr double kKeyboardHeightUnits = 6.5;

// Top edges of the six key rows (the function row stands apart from the rest).
inline constexpr std::array<double, 6> kKeyboardRowTops = {0.0, 1.5, 2.5, 3.5, 4.5, 5.5};

// The rows a key covers: first and last row index, or -1, -1 for a hidden key.
struct RowSpan {
  int first = -1;
  int last = -1;
};
RowSpan rowSpanOf(const KeyRect& key);

}  // namespace kavro::keyboard
