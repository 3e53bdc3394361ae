#include "widgets/key_light_layer.h"

namespace kavro::widgets {

namespace {

constexpr uint32_t kByteMax = 255;
constexpr uint32_t kRoundHalf = 0x80;
constexpr int kByteBits = 8;

// x * a / 255 rounded, as the raster paint engine computes it.
inline uint32_t mul255(uint32_t x, uint32_t a) {
  const uint32_t t = x * a + kRoundHalf;
  return (t + (t >> kByteBits)) >> kByteBits;
}

// Every channel of a premultiplied pixel scaled by a (0…255).
inline QRgb scalePixel(QRgb p, uint32_t a) {
  return qRgba(static_cast<int>(mul255(qRed(p), a)), static_cast<int>(mul255(qGreen(p), a)),
               static_cast<int>(mul255(qBlue(p), a)), static_cast<int>(mul255(qAlpha(p), a)));
}

// Source-over of two premultiplied pixels.
inline QRgb over(QRgb src, QRgb dst) {
  const uint32_t keep = kByteMax - static_cast<uint32_t>(qAlpha(src));
  const QRgb d = scalePixel(dst, keep);
  return qRgba(qRed(src) + qRed(d), qGreen(src) + qGreen(d), qBlue(src) + qBlue(d), qAlpha(src) + qAlpha(d));
}

}  // namespace

QImage emptyMask(const QSize& size, qreal dpr) {
  QImage img(size * dpr, QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(dpr);
  img.fill(Qt::transparent);
  return img;
}

void KeyLightLayer::setMasks(QImage fill, QImage edge) {
  fill_ = std::move(fill);
  edge_ = edge.size() == fill_.size() ? std::move(edge) : QImage();
  out_ = QImage(fill_.size(), QImage::Format_ARGB32_Premultiplied);
  out_.setDevicePixelRatio(fill_.devicePixelRatio());
  valid_ = false;
}

void KeyLightLayer::clear() {
  fill_ = edge_ = out_ = QImage();
  valid_ = false;
}

const QImage& KeyLightLayer::compose(const QColor& fill, const QColor& edge) {
  const QRgb fillPx = qPremultiply(fill.rgba());
  const QRgb edgePx = qPremultiply(edge.rgba());
  if (valid_ && fillPx == lastFill_ && edgePx == lastEdge_) return out_;
  lastFill_ = fillPx, lastEdge_ = edgePx, valid_ = true;
  const bool withEdge = !edge_.isNull();
  for (int y = 0; y < out_.height(); ++y) {
    const auto* f = reinterpret_cast<const QRgb*>(fill_.constScanLine(y));
    const auto* e = withEdge ? reinterpret_cast<const QRgb*>(edge_.constScanLine(y)) : nullptr;
    auto* o = reinterpret_cast<QRgb*>(out_.scanLine(y));
    for (int x = 0; x < out_.width(); ++x) {
      QRgb px = scalePixel(fillPx, static_cast<uint32_t>(qAlpha(f[x])));
      if (e && qAlpha(e[x])) px = over(scalePixel(edgePx, static_cast<uint32_t>(qAlpha(e[x]))), px);
      o[x] = px;
    }
  }
  return out_;
}

}  // namespace kavro::widgets
