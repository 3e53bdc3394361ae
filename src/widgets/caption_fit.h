#pragma once
// How a key caption is placed on its key cap: on one line at the key's own
// text size when it fits, else on two lines, else a step smaller, down to a
// smallest size that stays readable. Kept apart from the key button so the
// rule can be checked against every caption with real font metrics.
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

namespace kavro::widgets {

// Text sizes of a caption, in pixels at 100 %.
inline constexpr int kCaptionSmallestPx = 9;
// Room left free between the key's edge and its caption, in pixels at 100 %.
inline constexpr int kCaptionMarginPx = 2;

struct CaptionMetrics {
  std::function<double(const QString& text, int pixelSize)> width;
  std::function<double(int pixelSize)> lineHeight;
};

struct CaptionLayout {
  QStringList lines;   // one or two lines
  int pixelSize = 0;
  bool fits = false;   // false: nothing fitted; one line at the smallest size
};

// The places where a caption may be cut into two lines: at a space, and
// between a small letter and a capital ("PgUp" gives "Pg" / "Up"). Each
// entry holds the two lines.
QList<QStringList> twoLineSplits(const QString& text);

// Places text into a box (pixels): for each size from largestPx down to
// smallestPx, one line if it fits, else the two-line cut with the narrower
// longest line if both lines fit.
CaptionLayout fitCaption(const QString& text, const QSizeF& box, int largestPx, int smallestPx,
                         const CaptionMetrics& metrics);

}  // namespace kavro::widgets
