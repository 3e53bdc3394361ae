#include "skin/layout_engine.h"

#include <algorithm>

namespace kavro::skin {
namespace {

int clampSize(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

int alignOffset(BoxAlign align, int room) {
  if (room <= 0) return 0;
  if (align == BoxAlign::Center) return room / 2;
  if (align == BoxAlign::End) return room;
  return 0;
}

// The box axis is abstracted as "main" and "cross" so that one routine serves
// both orientations.
struct AxisItem {
  int mainFixed, crossFixed, mainMin, mainMax, crossMin, crossMax;
  int padMainBefore, padMainAfter, padCrossBefore, padCrossAfter;
};

AxisItem toAxis(const LayoutItem& it, bool vertical) {
  if (vertical)
    return {it.fixedHeight, it.fixedWidth, it.minHeight, it.maxHeight, it.minWidth, it.maxWidth,
            it.padding.top(), it.padding.bottom(), it.padding.left(), it.padding.right()};
  return {it.fixedWidth, it.fixedHeight, it.minWidth, it.maxWidth, it.minHeight, it.maxHeight,
          it.padding.left(), it.padding.right(), it.padding.top(), it.padding.bottom()};
}

void layoutBox(const QRect& inner, const LayoutParams& p, const std::vector<LayoutItem>& items,
               LayoutResult& r) {
  const bool vertical = p.kind == BoxKind::Vertical;
  const int mainLen = vertical ? inner.height() : inner.width();
  const int crossLen = vertical ? inner.width() : inner.height();

  int fixedSum = 0, stretchCount = 0, flowCount = 0;
  for (const auto& it : items) {
    if (!it.visible || it.floating) continue;
    AxisItem a = toAxis(it, vertical);
    fixedSum += a.padMainBefore + a.padMainAfter;
    if (a.mainFixed > 0) fixedSum += a.mainFixed;
    else { ++stretchCount; fixedSum += a.mainMin; }
    ++flowCount;
  }
  if (flowCount > 1) fixedSum += p.childPadding * (flowCount - 1);
  const int spare = std::max(0, mainLen - fixedSum);
  const int share = stretchCount > 0 ? spare / stretchCount : 0;
  int remainder = stretchCount > 0 ? spare - share * stretchCount : 0;

  int cursor = stretchCount == 0 ? alignOffset(p.mainAlign, mainLen - fixedSum) : 0;
  cursor -= vertical ? p.scrollY : p.scrollX;
  int crossScroll = vertical ? p.scrollX : p.scrollY;
  int used = 0;
  bool first = true;
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& it = items[i];
    if (!it.visible || it.floating) continue;
    AxisItem a = toAxis(it, vertical);
    if (!first) { cursor += p.childPadding; used += p.childPadding; }
    first = false;
    int main = a.mainFixed;
    if (main <= 0) {
      main = a.mainMin + share + (remainder > 0 ? 1 : 0);
      if (remainder > 0) --remainder;
      main = clampSize(main, a.mainMin, a.mainMax);
    }
    const int crossRoom = crossLen - a.padCrossBefore - a.padCrossAfter;
    int cross = a.crossFixed > 0 ? a.crossFixed : clampSize(crossRoom, a.crossMin, a.crossMax);
    int crossPos = a.padCrossBefore + (a.crossFixed > 0 ? alignOffset(p.crossAlign, crossRoom - cross) : 0);
    cursor += a.padMainBefore;
    QRect rc = vertical ? QRect(inner.left() + crossPos - crossScroll, inner.top() + cursor, cross, main)
                        : QRect(inner.left() + cursor, inner.top() + crossPos - crossScroll, main, cross);
    r.rects[i] = rc;
    cursor += main + a.padMainAfter;
    used += a.padMainBefore + main + a.padMainAfter;
    const int crossNeed = a.padCrossBefore + cross + a.padCrossAfter;
    if (vertical) r.contentWidth = std::max(r.contentWidth, crossNeed);
    else r.contentHeight = std::max(r.contentHeight, crossNeed);
  }
  if (vertical) r.contentHeight = used;
  else r.contentWidth = used;
}

void layoutStack(const QRect& inner, const LayoutParams& p, const std::vector<LayoutItem>& items,
                 LayoutResult& r) {
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& it = items[i];
    if (!it.visible || it.floating) continue;
    const int roomW = inner.width() - it.padding.left() - it.padding.right();
    const int roomH = inner.height() - it.padding.top() - it.padding.bottom();
    const int w = it.fixedWidth > 0 ? it.fixedWidth : clampSize(roomW, it.minWidth, it.maxWidth);
    const int h = it.fixedHeight > 0 ? it.fixedHeight : clampSize(roomH, it.minHeight, it.maxHeight);
    const int x = inner.left() + it.padding.left() + alignOffset(p.crossAlign, roomW - w) - p.scrollX;
    const int y = inner.top() + it.padding.top() + alignOffset(p.mainAlign, roomH - h) - p.scrollY;
    r.rects[i] = QRect(x, y, w, h);
    r.contentWidth = std::max(r.contentWidth, it.padding.left() + w + it.padding.right());
    r.contentHeight = std::max(r.contentHeight, it.padding.top() + h + it.padding.bottom());
  }
}

}  // namespace

LayoutResult computeLayout(const QRect& area, const LayoutParams& params,
                           const std::vector<LayoutItem>& items) {
  LayoutResult r;
  r.rects.assign(items.size(), QRect());
  const QRect inner = area.marginsRemoved(params.inset);
  if (params.kind == BoxKind::Stack) layoutStack(inner, params, items, r);
  else layoutBox(inner, params, items, r);
  // Floating children sit at their own position relative to the container;
  // a float rectangle without size takes the fixed size.
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& it = items[i];
    if (!it.visible || !it.floating) continue;
    int w = it.floatRect.width() > 0 ? it.floatRect.width() : it.fixedWidth;
    int h = it.floatRect.height() > 0 ? it.floatRect.height() : it.fixedHeight;
    r.rects[i] = QRect(area.left() + it.floatRect.left() - params.scrollX,
                       area.top() + it.floatRect.top() - params.scrollY, std::max(0, w), std::max(0, h));
  }
  return r;
}

}  // namespace kavro::skin
