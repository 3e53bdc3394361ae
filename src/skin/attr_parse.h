#pragma once
// Parsing of layout attribute values: colours, rectangles, sizes, booleans,
// attribute lists and image descriptions. Pure functions, no widgets.
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <cstdint>

namespace kavro::skin {

// Four integers "l,t,r,b" as written in a layout (not a QRect's width/height).
struct Rect4 {
  int l = 0, t = 0, r = 0, b = 0;
  bool isNull() const { return l == 0 && t == 0 && r == 0 && b == 0; }
  int width() const { return r - l; }
  int height() const { return b - t; }
  bool operator==(const Rect4&) const = default;
};

// An image string: either a bare file name or a list of
// file='…' source='l,t,r,b' corner='l,t,r,b' dest='l,t,r,b' fade='n'.
struct ImageSpec {
  QString file;
  Rect4 source;  // null: the whole image
  Rect4 corner;  // nine-slice margins in image pixels
  Rect4 dest;    // null: the whole control rectangle
  int fade = 255;
  bool hasSource = false;
  bool hasDest = false;
  bool valid() const { return !file.isEmpty(); }
};

// "#AARRGGBB", "#RRGGBB", "0xAARRGGBB" or bare hex digits. Six digits are opaque.
bool parseColor(const QString& text, uint32_t* argb);
bool parseRect4(const QString& text, Rect4* out);
// "w,h"
bool parseSize(const QString& text, int* w, int* h);
// "true"/"false" (also "1"/"0"); anything else is false.
bool parseBool(const QString& text);
// Integer with a fallback when the text is not a number.
int parseInt(const QString& text, int fallback = 0);
// name='value' name="value" pairs, in order. Unterminated quotes end the list.
QList<QPair<QString, QString>> parseAttributeList(const QString& text);
// Fills out from an image string; false when no file could be found.
bool parseImageSpec(const QString& text, ImageSpec* out);

}  // namespace kavro::skin
