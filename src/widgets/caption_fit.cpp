#include "widgets/caption_fit.h"

#include <algorithm>

namespace kavro::widgets {

QList<QStringList> twoLineSplits(const QString& text) {
  QList<QStringList> splits;
  const QString t = text.trimmed();
  for (int i = 1; i + 1 < t.size(); ++i) {
    if (t[i] == QLatin1Char(' ')) {
      const QString first = t.left(i).trimmed(), second = t.mid(i + 1).trimmed();
      if (!first.isEmpty() && !second.isEmpty()) splits.append({first, second});
    }
  }
  for (int i = 1; i < t.size(); ++i) {
    if (t[i - 1].isLower() && t[i].isUpper()) splits.append({t.left(i), t.mid(i)});
  }
  return splits;
}

CaptionLayout fitCaption(const QString& text, const QSizeF& box, int largestPx, int smallestPx,
                         const CaptionMetrics& m) {
  const QList<QStringList> splits = twoLineSplits(text);
  for (int px = largestPx; px >= smallestPx && px > 0; --px) {
    const double line = m.lineHeight(px);
    if (line <= box.height() && m.width(text, px) <= box.width()) return {{text}, px, true};
    if (2 * line > box.height()) continue;
    const QStringList* best = nullptr;
    double bestWidth = 0;
    for (const QStringList& s : splits) {
      const double w = std::max(m.width(s[0], px), m.width(s[1], px));
      if (w <= box.width() && (!best || w < bestWidth)) best = &s, bestWidth = w;
    }
    if (best) return {*best, px, true};
  }
  return {{text}, std::max(smallestPx, 1), false};
}

}  // namespace kavro::widgets
