#include "panels/eq_curve_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "audio/eq_curve.h"

namespace kavro::panels {

namespace {
constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kRangeDb = 20.0;  // the curve shows -20..+20 dB
constexpr int kPoints = 160;
constexpr int kMargin = 6;
const QColor kGridColor(0x2C, 0x31, 0x3B);
const QColor kCurveColor(0x2F, 0x8C, 0xFF);
const QColor kFillColor(0x2F, 0x8C, 0xFF, 0x30);
}  // namespace

void CEqCurveUI::setGains(const std::array<int, kBands>& gains) {
  if (gains == gains_) return;
  gains_ = gains;
  update();
}

void CEqCurveUI::PaintStatusImage(QPainter& p) {
  const QRectF area = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
  if (area.width() <= 0 || area.height() <= 0) return;
  const double span = std::log10(kHighHz / kLowHz);
  auto xOf = [&](double hz) { return area.left() + area.width() * std::log10(hz / kLowHz) / span; };
  auto yOf = [&](double db) {
    const double clamped = std::clamp(db, -kRangeDb, kRangeDb);
    return area.center().y() - area.height() / 2 * clamped / kRangeDb;
  };
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kGridColor, 1));
  p.drawLine(QPointF(area.left(), yOf(0)), QPointF(area.right(), yOf(0)));
  for (double hz : audio::kEqBandHz) p.drawLine(QPointF(xOf(hz), area.top()), QPointF(xOf(hz), area.bottom()));
  audio::EqGains gains{};
  for (int i = 0; i < kBands; ++i) gains[static_cast<size_t>(i)] = gains_[static_cast<size_t>(i)];
  QPainterPath curve;
  for (int i = 0; i <= kPoints; ++i) {
    const double hz = kLowHz * std::pow(kHighHz / kLowHz, static_cast<double>(i) / kPoints);
    const QPointF pt(xOf(hz), yOf(audio::eqResponseDb(hz, gains)));
    if (i == 0) curve.moveTo(pt);
    else curve.lineTo(pt);
  }
  QPainterPath fill = curve;
  fill.lineTo(area.right(), yOf(0));
  fill.lineTo(area.left(), yOf(0));
  fill.closeSubpath();
  p.fillPath(fill, kFillColor);
  p.setPen(QPen(kCurveColor, 2));
  p.drawPath(curve);
  p.restore();
}

}  // namespace kavro::panels
