#pragma once
// Box layout rules of the skin containers, as pure functions over numbers:
// vertical and horizontal boxes, stacks (tab pages, plain containers) and
// floating children. All values are already scaled to device-independent
// pixels of the window.
#include <QMargins>
#include <QRect>
#include <climits>
#include <vector>

namespace kavro::skin {

enum class BoxKind { Vertical, Horizontal, Stack };
enum class BoxAlign { Start, Center, End };

struct LayoutItem {
  bool visible = true;
  bool floating = false;
  QRect floatRect;  // position relative to the container's top left
  int fixedWidth = 0;   // 0: take the available space
  int fixedHeight = 0;  // 0: take the available space
  int minWidth = 0, minHeight = 0;
  int maxWidth = INT_MAX, maxHeight = INT_MAX;
  QMargins padding;
};

struct LayoutParams {
  BoxKind kind = BoxKind::Vertical;
  QMargins inset;
  int childPadding = 0;
  BoxAlign mainAlign = BoxAlign::Start;   // along the box axis, when nothing stretches
  BoxAlign crossAlign = BoxAlign::Start;  // across it, for children with a fixed size
  int scrollX = 0;
  int scrollY = 0;
};

struct LayoutResult {
  std::vector<QRect> rects;  // one per item, empty rect for hidden items
  int contentWidth = 0;      // space the non-floating children need
  int contentHeight = 0;
};

LayoutResult computeLayout(const QRect& area, const LayoutParams& params,
                           const std::vector<LayoutItem>& items);

}  // namespace kavro::skin
