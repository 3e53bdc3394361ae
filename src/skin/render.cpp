#include "skin/render.h"

#include <QPainterPath>
#include <QtMath>

#include "skin/resource_manager.h"

namespace kavro::skin {

QString colorToString(uint32_t argb) {
  return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

namespace {

QRect scaledRect(const Rect4& r, double scale) {
  return QRect(qRound(r.l * scale), qRound(r.t * scale), qRound(r.width() * scale), qRound(r.height() * scale));
}

// Nine-slice: corners keep their size, edges stretch in one direction and
// the middle in both.
void drawNineSlice(QPainter& p, const QImage& img, const QRect& src, const QRect& dst, const Rect4& c,
                   double scale) {
  const int sl = c.l, st = c.t, sr = c.r, sb = c.b;
  const int dl = qRound(sl * scale), dt = qRound(st * scale), dr = qRound(sr * scale), db = qRound(sb * scale);
  const int sx[4] = {src.left(), src.left() + sl, src.right() + 1 - sr, src.right() + 1};
  const int sy[4] = {src.top(), src.top() + st, src.bottom() + 1 - sb, src.bottom() + 1};
  const int dx[4] = {dst.left(), dst.left() + dl, dst.right() + 1 - dr, dst.right() + 1};
  const int dy[4] = {dst.top(), dst.top() + dt, dst.bottom() + 1 - db, dst.bottom() + 1};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
      QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
      if (s.isValid() && d.isValid()) p.drawImage(d, img, s);
    }
}

}  // namespace

bool drawImageSpec(QPainter& p, const ImageSpec& desc, const QRect& target, double scale) {
  const QImage* img = CResourceManager::GetInstance().GetImage(desc.file);
  if (!img) return false;
  QRect src = img->rect();
  if (desc.hasSource) src = QRect(QPoint(desc.source.l, desc.source.t), QPoint(desc.source.r - 1, desc.source.b - 1)) & img->rect();
  QRect dst = target;
  if (desc.hasDest) dst = scaledRect(desc.dest, scale).translated(target.topLeft());
  if (src.isEmpty() || dst.isEmpty()) return true;
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  if (desc.fade < 255) p.setOpacity(p.opacity() * desc.fade / 255.0);
  if (!desc.corner.isNull()) drawNineSlice(p, *img, src, dst, desc.corner, scale);
  else p.drawImage(dst, *img, src);
  p.restore();
  return true;
}

bool drawImageString(QPainter& p, const QString& text, const QRect& target, double scale) {
  ImageSpec desc;
  if (!parseImageSpec(text, &desc)) return false;
  return drawImageSpec(p, desc, target, scale);
}

void fillRounded(QPainter& p, const QRectF& rc, const QColor& color, qreal radius) {
  if (color.alpha() == 0) return;
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  if (radius > 0) p.drawRoundedRect(rc, radius, radius);
  else p.drawRect(rc);
  p.restore();
}

void fillRoundedGradient(QPainter& p, const QRectF& rc, const QColor& top, const QColor& bottom, qreal radius) {
  QLinearGradient g(rc.topLeft(), rc.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  if (radius > 0) p.drawRoundedRect(rc, radius, radius);
  else p.drawRect(rc);
  p.restore();
}

void frameRounded(QPainter& p, const QRectF& rc, const QColor& color, qreal width, qreal radius) {
  if (width <= 0 || color.alpha() == 0) return;
  p.save();
  p.setPen(QPen(color, width));
  p.setBrush(Qt::NoBrush);
  const qreal h = width / 2.0;
  QRectF r = rc.adjusted(h, h, -h, -h);
  if (radius > 0) p.drawRoundedRect(r, qMax<qreal>(0, radius - h), qMax<qreal>(0, radius - h));
  else p.drawRect(r);
  p.restore();
}

Glyph glyphFromName(const QString& name) {
  static const QHash<QString, Glyph> map = {
      {"close", Glyph::Close},         {"min", Glyph::Minimize},     {"max", Glyph::Maximize},
      {"restore", Glyph::Restore},     {"down", Glyph::ArrowDown},   {"up", Glyph::ArrowUp},
      {"left", Glyph::ArrowLeft},      {"right", Glyph::ArrowRight}, {"check", Glyph::Check},
      {"plus", Glyph::Plus},           {"minus", Glyph::Minus},      {"settings", Glyph::Settings},
      {"menu", Glyph::Menu}};
  return map.value(name.trimmed().toLower(), Glyph::None);
}

void drawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& color, qreal penWidth) {
  if (glyph == Glyph::None) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(color, penWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal s = qMin(box.width(), box.height());
  const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
  const QPointF c = r.center();
  const qreal h = s / 2;
  switch (glyph) {
    case Glyph::Close:
      p.drawLine(r.topLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomLeft());
      break;
    case Glyph::Minimize:
    case Glyph::Minus: p.drawLine(QPointF(r.left(), c.y()), QPointF(r.right(), c.y())); break;
    case Glyph::Plus:
      p.drawLine(QPointF(r.left(), c.y()), QPointF(r.right(), c.y()));
      p.drawLine(QPointF(c.x(), r.top()), QPointF(c.x(), r.bottom()));
      break;
    case Glyph::Maximize: p.drawRect(r); break;
    case Glyph::Restore: {
      const qreal o = s * 0.25;
      p.drawRect(QRectF(r.left(), r.top() + o, s - o, s - o));
      p.drawPolyline(QPolygonF({QPointF(r.left() + o, r.top() + o), QPointF(r.left() + o, r.top()),
                                QPointF(r.right(), r.top()), QPointF(r.right(), r.bottom() - o),
                                QPointF(r.right() - o, r.bottom() - o)}));
      break;
    }
    case Glyph::ArrowDown:
      p.drawPolyline(QPolygonF({QPointF(r.left(), c.y() - h / 2), c + QPointF(0, h / 2), QPointF(r.right(), c.y() - h / 2)}));
      break;
    case Glyph::ArrowUp:
      p.drawPolyline(QPolygonF({QPointF(r.left(), c.y() + h / 2), c - QPointF(0, h / 2), QPointF(r.right(), c.y() + h / 2)}));
      break;
    case Glyph::ArrowLeft:
      p.drawPolyline(QPolygonF({QPointF(c.x() + h / 2, r.top()), c - QPointF(h / 2, 0), QPointF(c.x() + h / 2, r.bottom())}));
      break;
    case Glyph::ArrowRight:
      p.drawPolyline(QPolygonF({QPointF(c.x() - h / 2, r.top()), c + QPointF(h / 2, 0), QPointF(c.x() - h / 2, r.bottom())}));
      break;
    case Glyph::Check:
      p.drawPolyline(QPolygonF({QPointF(r.left(), c.y()), QPointF(r.left() + s * 0.38, r.bottom() - s * 0.15),
                                QPointF(r.right(), r.top() + s * 0.15)}));
      break;
    case Glyph::Menu:
      for (int i = -1; i <= 1; ++i)
        p.drawLine(QPointF(r.left(), c.y() + i * s * 0.35), QPointF(r.right(), c.y() + i * s * 0.35));
      break;
    case Glyph::Settings: {
      p.drawEllipse(c, s * 0.2, s * 0.2);
      for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.drawLine(c + QPointF(qCos(a), qSin(a)) * s * 0.32, c + QPointF(qCos(a), qSin(a)) * s * 0.5);
      }
      p.drawEllipse(c, s * 0.34, s * 0.34);
      break;
    }
    case Glyph::None: break;
  }
  p.restore();
}

}  // namespace kavro::skin
