#include "widgets/control_rules.h"

#include <QtGlobal>

namespace kavro::widgets {

QRect handDeleteZone(const QRect& button, double scale) {
  const int size = qRound(20 * scale);
  const int right = button.left() + button.width() - qRound(10 * scale);  // exclusive right edge
  const int top = button.top() + button.height() - qRound(29 * scale);
  return QRect(right - size, top, size, size);
}

QRect selectionRect(const QPoint& press, const QPoint& current) {
  return QRect(QPoint(qMin(press.x(), current.x()), qMin(press.y(), current.y())),
               QPoint(qMax(press.x(), current.x()), qMax(press.y(), current.y())));
}

bool keyInSelection(const QRect& key, const QRect& band) { return key.intersects(band); }

FadeState nextFade(FadeState s) {
  if (s.rising) {
    if (s.value + 20 > 254) {
      s.value = 255;
      s.rising = false;
    } else {
      s.value += 20;
    }
  } else {
    s.value -= 20;
    if (s.value <= 80) {
      s.value = 80;
      s.rising = true;
    }
  }
  return s;
}

double circleSweepDegrees(int value, int min, int max) {
  if (max <= min) return 0.0;
  const double share = static_cast<double>(qBound(min, value, max) - min) / (max - min);
  return share * 360.0;
}

QColor keyLightColor(uint32_t colorRef, int brightness) {
  const int b = qBound(0, brightness, 255);
  const int r = static_cast<int>(colorRef & 0xFF) * b / 255;
  const int g = static_cast<int>((colorRef >> 8) & 0xFF) * b / 255;
  const int bl = static_cast<int>((colorRef >> 16) & 0xFF) * b / 255;
  return QColor(r, g, bl);
}

}  // namespace kavro::widgets
