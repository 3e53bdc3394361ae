#pragma once
// KeyLightLayer: the tinted light of one key, composed pixel by pixel from
// coverage masks that are drawn once per key size. An animated preview then
// costs one pass over the key's pixels per colour change instead of
// rasterising antialiased rounded shapes for every frame.
//
// A mask is an ARGB32_Premultiplied image drawn in opaque white: its alpha
// is the shape's coverage. The result equals filling the "fill" shape with
// one colour and then painting the "edge" shape over it in another. The
// masks are sorted once into runs of fully covered pixels (filled with the
// colour as it is) and the few partly covered pixels of the rims, which are
// blended one by one.
#include <QColor>
#include <QImage>
#include <vector>

namespace kavro::widgets {

class KeyLightLayer {
 public:
  // Both masks must have the same size and pixel ratio; edge may be null
  // (a light image alone has no edge).
  void setMasks(QImage fill, QImage edge);
  bool hasEdge() const { return !edge_.isNull(); }

  // The light in these colours; rebuilt only when a colour changed.
  const QImage& compose(const QColor& fill, const QColor& edge);

 private:
  struct Run {  // pixels [x, x + length) of row y are fully inside the fill and off the edge
    int y, x, length;
  };
  struct RimPixel {  // a partly covered pixel: its offset in the image and its coverages
    int y, x;
    uint8_t fill, edge;
  };
  void sortPixels();

  QImage fill_, edge_, out_;
  std::vector<Run> runs_;
  std::vector<RimPixel> rim_;
  QRgb lastFill_ = 0, lastEdge_ = 0;
  bool valid_ = false;
};

// A mask the size of size * dpr, transparent, with a painter-ready pixel ratio.
QImage emptyMask(const QSize& size, qreal dpr);

}  // namespace kavro::widgets
