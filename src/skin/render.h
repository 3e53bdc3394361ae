#pragma once
// Drawing helpers shared by the controls: images with source rectangles,
// nine-slice corners and fade; rounded fills and frames; vector glyphs for
// title buttons and arrows that stay sharp at every scale.
#include <QColor>
#include <QPainter>
#include <QRect>
#include <cstdint>

#include "skin/attr_parse.h"
#include "skin/skin_theme.h"

namespace kavro::skin {

// A colour exactly as given (user colours: LED previews, palette swatches).
inline QColor rawColor(uint32_t argb) {
  return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}
// A skin colour as the active theme paints it.
inline QColor argbColor(uint32_t argb) { return rawColor(themedColor(argb)); }
QString colorToString(uint32_t argb);

// Draws desc into target (dest, when given, is relative to target and in
// unscaled units). False when the image is missing.
bool drawImageSpec(QPainter& p, const ImageSpec& desc, const QRect& target, double scale);
bool drawImageString(QPainter& p, const QString& desc, const QRect& target, double scale);

void fillRounded(QPainter& p, const QRectF& rc, const QColor& color, qreal radius);
void fillRoundedGradient(QPainter& p, const QRectF& rc, const QColor& top, const QColor& bottom, qreal radius);
void frameRounded(QPainter& p, const QRectF& rc, const QColor& color, qreal width, qreal radius);

enum class Glyph { None, Close, Minimize, Maximize, Restore, ArrowDown, ArrowUp, ArrowLeft, ArrowRight, Check,
                   Plus, Minus, Settings, Menu };
Glyph glyphFromName(const QString& name);
void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& color, qreal penWidth);

}  // namespace kavro::skin
