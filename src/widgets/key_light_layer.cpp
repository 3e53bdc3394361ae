#include "widgets/key_light_layer.h"

#include <algorithm>

namespace kavro::widgets {

namespace {

constexpr uint32_t kByteMax = 255;
constexpr int kByteBits = 8;

constexpr uint32_t kEvenBytes = 0x00FF00FF;
constexpr uint32_t kOddBytes = 0xFF00FF00;
constexpr uint32_t kEvenHalf = 0x00800080;

// Every channel of a premultiplied pixel scaled by a (0…255), two channels
// at a time, each x * a / 255 rounded as the raster paint engine does it.
inline QRgb scalePixel(QRgb p, uint32_t a) {
  uint32_t even = (p & kEvenBytes) * a + kEvenHalf;
  even = ((even + ((even >> kByteBits) & kEvenBytes)) >> kByteBits) & kEvenBytes;
  uint32_t odd = ((p >> kByteBits) & kEvenBytes) * a + kEvenHalf;
  odd = (odd + ((odd >> kByteBits) & kEvenBytes)) & kOddBytes;
  return even | odd;
}

// Source-over of two premultiplied pixels.
inline QRgb over(QRgb src, QRgb dst) {
  // Premultiplied channels never exceed the alpha, so no channel carries over.
  return src + scalePixel(dst, kByteMax - static_cast<uint32_t>(qAlpha(src)));
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
  out_.fill(Qt::transparent);  // pixels outside both shapes stay clear
  sortPixels();
  valid_ = false;
}

void KeyLightLayer::sortPixels() {
  runs_.clear();
  rim_.clear();
  for (int y = 0; y < fill_.height(); ++y) {
    const auto* f = reinterpret_cast<const QRgb*>(fill_.constScanLine(y));
    const auto* e = edge_.isNull() ? nullptr : reinterpret_cast<const QRgb*>(edge_.constScanLine(y));
    for (int x = 0; x < fill_.width(); ++x) {
      const auto fa = static_cast<uint8_t>(qAlpha(f[x]));
      const auto ea = static_cast<uint8_t>(e ? qAlpha(e[x]) : 0);
      if (fa == kByteMax && ea == 0) {
        if (!runs_.empty() && runs_.back().y == y && runs_.back().x + runs_.back().length == x) ++runs_.back().length;
        else runs_.push_back({y, x, 1});
      } else if (fa != 0 || ea != 0) {
        rim_.push_back({y, x, fa, ea});
      }
    }
  }
}

const QImage& KeyLightLayer::compose(const QColor& fill, const QColor& edge) {
  const QRgb fillPx = qPremultiply(fill.rgba());
  const QRgb edgePx = qPremultiply(edge.rgba());
  if (valid_ && fillPx == lastFill_ && edgePx == lastEdge_) return out_;
  lastFill_ = fillPx, lastEdge_ = edgePx, valid_ = true;
  uchar* bits = out_.bits();
  const qsizetype stride = out_.bytesPerLine();
  auto at = [bits, stride](int y, int x) { return reinterpret_cast<QRgb*>(bits + y * stride) + x; };
  for (const Run& r : runs_) std::fill_n(at(r.y, r.x), r.length, fillPx);
  for (const RimPixel& px : rim_) {
    QRgb v = scalePixel(fillPx, px.fill);
    if (px.edge) v = over(scalePixel(edgePx, px.edge), v);
    *at(px.y, px.x) = v;
  }
  return out_;
}

}  // namespace kavro::widgets
