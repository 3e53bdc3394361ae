#include "panels/light_control_palette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "skin/render.h"

namespace kavro::panels {

namespace {
constexpr int kHueSteps = 6;
constexpr int kMarkerRadius = 6;
constexpr uint32_t kOpaque = 0xFF000000u;
}  // namespace

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : CControlUI(parent) { setMouseTracking(false); }

uint32_t CColorPaletteUI::GetSelectColor() const { return color_; }

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
  const QColor c = QColor::fromRgb((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  int h = 0, s = 0, v = 0;
  c.getHsv(&h, &s, &v);
  if (h >= 0) hue_ = h;  // greys have no hue: keep the bar where it is
  sat_ = s;
  val_ = v;
  color_ = kOpaque | (argb & 0xFFFFFFu);  // exactly as given, not rounded through HSV
  update();
}

void CColorPaletteUI::SetAttribute(const QString& name, const QString& value) {
  if (name == QLatin1String("barwidth")) barWidth_ = qMax(4, skin::parseInt(value, barWidth_));
  else if (name == QLatin1String("bargap")) gap_ = qMax(0, skin::parseInt(value, gap_));
  else if (name == QLatin1String("selectcolor") || name == QLatin1String("color")) {
    uint32_t c = 0;
    if (skin::parseColor(value, &c)) SetSelectColor(c);
  }
  CControlUI::SetAttribute(name, value);
}

QRect CColorPaletteUI::squareRect() const {
  const int bar = Scaled(barWidth_) + Scaled(gap_);
  return QRect(0, 0, qMax(1, width() - bar), height());
}

QRect CColorPaletteUI::barRect() const {
  const int w = Scaled(barWidth_);
  return QRect(width() - w, 0, w, height());
}

void CColorPaletteUI::DoPaint(QPainter& p) {
  PaintBkColor(p);
  const qreal radius = Scaled(8);
  const QRectF sq = squareRect();
  QPainterPath clip;
  clip.addRoundedRect(sq, radius, radius);
  p.save();
  p.setClipPath(clip);
  QLinearGradient sat(sq.topLeft(), sq.topRight());
  sat.setColorAt(0, Qt::white);
  sat.setColorAt(1, QColor::fromHsv(hue_, 255, 255));
  p.fillRect(sq, sat);
  QLinearGradient val(sq.topLeft(), sq.bottomLeft());
  val.setColorAt(0, QColor(0, 0, 0, 0));
  val.setColorAt(1, Qt::black);
  p.fillRect(sq, val);
  p.restore();

  const QRectF bar = barRect();
  QLinearGradient hues(bar.topLeft(), bar.bottomLeft());
  for (int i = 0; i <= kHueSteps; ++i) hues.setColorAt(qreal(i) / kHueSteps, QColor::fromHsv((i * 60) % 360, 255, 255));
  QPainterPath barPath;
  barPath.addRoundedRect(bar, bar.width() / 2.0, bar.width() / 2.0);
  p.fillPath(barPath, hues);

  // Markers: a ring at the chosen saturation/brightness, a band on the hue bar.
  const qreal x = sq.left() + sq.width() * sat_ / 255.0;
  const qreal y = sq.top() + sq.height() * (255 - val_) / 255.0;
  const qreal r = Scaled(kMarkerRadius);
  p.setBrush(skin::rawColor(color_));
  p.setPen(QPen(Qt::white, Scaled(2)));
  p.drawEllipse(QPointF(x, y), r, r);
  const qreal hy = bar.top() + bar.height() * hue_ / 360.0;
  p.setBrush(QColor::fromHsv(hue_, 255, 255));
  p.drawRoundedRect(QRectF(bar.left() - Scaled(2), hy - Scaled(4), bar.width() + Scaled(4), Scaled(8)), Scaled(3),
                    Scaled(3));
  if (!IsEnabled()) {
    // Dim the whole picker when the effect has no colour.
    QPainterPath all;
    all.addRoundedRect(QRectF(rect()), radius, radius);
    p.fillPath(all, QColor(0x15, 0x18, 0x1E, 170));
  }
  PaintBorder(p);
}

void CColorPaletteUI::pick(const QPoint& pt) {
  if (drag_ == Drag::Square) {
    const QRect sq = squareRect();
    sat_ = qBound(0, (pt.x() - sq.left()) * 255 / qMax(1, sq.width()), 255);
    val_ = qBound(0, 255 - (pt.y() - sq.top()) * 255 / qMax(1, sq.height()), 255);
  } else if (drag_ == Drag::Bar) {
    const QRect bar = barRect();
    hue_ = qBound(0, (pt.y() - bar.top()) * 359 / qMax(1, bar.height()), 359);
  }
  color_ = kOpaque | (QColor::fromHsv(hue_, sat_, val_).rgb() & 0xFFFFFFu);
  update();
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* e) {
  if (!IsEnabled() || e->button() != Qt::LeftButton) return CControlUI::mousePressEvent(e);
  const QPoint pt = e->position().toPoint();
  drag_ = barRect().adjusted(-Scaled(gap_) / 2, 0, 0, 0).contains(pt) ? Drag::Bar : Drag::Square;
  pick(pt);
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* e) {
  if (drag_ == Drag::None) return CControlUI::mouseMoveEvent(e);
  pick(e->position().toPoint());
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* e) {
  if (drag_ == Drag::None) return CControlUI::mouseReleaseEvent(e);
  pick(e->position().toPoint());
  drag_ = Drag::None;
  SendNotify(skin::DUI_MSGTYPE_COLORCHANGED, GetSelectColor());
}

}  // namespace kavro::panels
