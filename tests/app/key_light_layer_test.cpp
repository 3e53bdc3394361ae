// The composed key light must look like the light painted directly with
// QPainter, for every colour in turn on the same layer (a stale layer would
// show the previous colour).
#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>

#include "skin/render.h"
#include "widgets/key_light_layer.h"

namespace kavro::widgets {
namespace {

constexpr int kCapAlpha = 150;
constexpr int kEdgeLighter = 130;
const QColor kKeyColor(0x2A, 0x2D, 0x34);

struct Shape {
  QSize size;
  qreal dpr, scale, radius;
};

QRectF capRect(const Shape& s) {
  const qreal m = 2 * s.scale;
  return QRectF(QPointF(0, 0), QSizeF(s.size)).adjusted(m, m, -m, -m);
}

QImage keyImage(const Shape& s) {
  QImage img(s.size * s.dpr, QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(s.dpr);
  img.fill(kKeyColor);
  return img;
}

// The light as the key button painted it before: a translucent cap and a brighter outline.
QImage paintedDirectly(const Shape& s, const QColor& tint) {
  QImage img = keyImage(s);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QColor fill = tint;
  fill.setAlpha(kCapAlpha);
  skin::fillRounded(p, capRect(s), fill, s.radius);
  skin::frameRounded(p, capRect(s), tint.lighter(kEdgeLighter), qMax<qreal>(1.0, 1.2 * s.scale), s.radius);
  return img;
}

KeyLightLayer layerFor(const Shape& s) {
  QImage fill = emptyMask(s.size, s.dpr), edge = emptyMask(s.size, s.dpr);
  {
    QPainter p(&fill);
    p.setRenderHint(QPainter::Antialiasing);
    skin::fillRounded(p, capRect(s), Qt::white, s.radius);
  }
  {
    QPainter p(&edge);
    p.setRenderHint(QPainter::Antialiasing);
    skin::frameRounded(p, capRect(s), Qt::white, qMax<qreal>(1.0, 1.2 * s.scale), s.radius);
  }
  KeyLightLayer layer;
  layer.setMasks(std::move(fill), std::move(edge));
  return layer;
}

QImage composed(const Shape& s, KeyLightLayer& layer, const QColor& tint) {
  QImage img = keyImage(s);
  QColor fill = tint;
  fill.setAlpha(kCapAlpha);
  QPainter p(&img);
  p.drawImage(QPointF(0, 0), layer.compose(fill, tint.lighter(kEdgeLighter)));
  return img;
}

int largestDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(pa) - qRed(pb)), std::abs(qGreen(pa) - qGreen(pb)),
                        std::abs(qBlue(pa) - qBlue(pb))});
    }
  }
  return worst;
}

TEST(KeyLightLayer, LooksLikeTheLightPaintedDirectlyForEveryColourAndKeyShape) {
  const Shape shapes[] = {{{36, 36}, 1, 1, 2}, {{240, 36}, 1, 1, 2}, {{54, 54}, 1.5, 1.5, 4}, {{36, 76}, 2, 1, 0}};
  const QColor tints[] = {QColor(255, 0, 0), QColor(0, 255, 128), QColor(255, 255, 255),
                          QColor(0, 0, 0),   QColor(12, 200, 255), QColor(255, 0, 0)};
  for (const Shape& s : shapes) {
    KeyLightLayer layer = layerFor(s);
    for (const QColor& tint : tints) {
      // One step of rounding is all the two ways of blending may differ by.
      EXPECT_LE(largestDifference(composed(s, layer, tint), paintedDirectly(s, tint)), 1)
          << s.size.width() << "x" << s.size.height() << "@" << s.dpr << " " << tint.name().toStdString();
    }
  }
}

TEST(KeyLightLayer, AnImageMaskTakesTheColourWithTheImagesAlpha) {
  QImage mask = emptyMask(QSize(8, 4), 1);
  mask.setPixelColor(1, 1, QColor(255, 255, 255, 255));
  mask.setPixelColor(2, 1, QColor(255, 255, 255, 100));
  KeyLightLayer layer;
  layer.setMasks(mask, QImage());
  ASSERT_FALSE(layer.hasEdge());
  const QImage& out = layer.compose(QColor(200, 40, 0), QColor(255, 255, 255));
  EXPECT_EQ(out.pixel(1, 1), qRgba(200, 40, 0, 255));
  const QColor half = out.pixelColor(2, 1);
  EXPECT_EQ(half.alpha(), 100);
  EXPECT_NEAR(half.red(), 200, 2);
  EXPECT_NEAR(half.green(), 40, 2);
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
}

}  // namespace
}  // namespace kavro::widgets
