#include "widgets/circle_progress.h"

#include <QPainter>

#include "widgets/control_rules.h"
#include "skin/render.h"

namespace kavro::widgets {

using namespace kavro::skin;

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : CProgressUI(parent) {
  bkColor_ = 0xFF2A2F3A;
}

double CCircleProgressUI::SweepDegrees() const { return circleSweepDegrees(value_, min_, max_); }

void CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  if (name == "innercolor" && parseColor(value, &c)) innerColor_ = c;
  else if (name == "ringwidth") ringWidth_ = parseInt(value, 10);
  CProgressUI::SetAttribute(name, value);
}

void CCircleProgressUI::PaintStatusImage(QPainter& p) {
  const int side = qMin(width(), height());
  const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(argbColor(bkColor_));
  p.drawEllipse(circle);
  // Angles as on screen: 90 degrees points down and the sweep runs clockwise.
  const double sweep = SweepDegrees();
  if (sweep > 0) {
    p.setBrush(argbColor(foreColor_));
    p.drawPie(circle, -90 * 16, -qRound(sweep * 16));
  }
  const qreal inset = Scaled(ringWidth_);
  p.setBrush(argbColor(innerColor_));
  p.drawEllipse(circle.adjusted(inset, inset, -inset, -inset));
  p.restore();
}

}  // namespace kavro::widgets
