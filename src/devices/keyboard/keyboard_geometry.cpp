#include "devices/keyboard/keyboard_geometry.h"

namespace kavro::keyboard {
namespace {

constexpr std::array<KeyRect, kPositionCount> makeGeometry() {
  std::array<KeyRect, kPositionCount> g{};
#define KAVRO_KEY(position, x, y, width, height, visible) \
  g[position] = KeyRect{x, y, width, height, (visible) != 0};
#include "devices/keyboard/keyboard_geometry.def"
#undef KAVRO_KEY
  return g;
}

}  // namespace

const std::array<KeyRect, kPositionCount> kKeyboardGeometry = makeGeometry();

RowSpan rowSpanOf(const KeyRect& key) {
  if (!key.visible) return {};
  RowSpan span;
  const double bottom = key.y + key.height;
  for (std::size_t r = 0; r < kKeyboardRowTops.size(); ++r) {
    // A key covers a row when it overlaps the row's one-unit band.
    const double top = kKeyboardRowTops[r];
    if (key.y < top + 1.0 && bottom > top) {
      if (span.first < 0) span.first = static_cast<int>(r);
      span.last = static_cast<int>(r);
    }
  }
  return span;
}

}  // namespace kavro::keyboard
