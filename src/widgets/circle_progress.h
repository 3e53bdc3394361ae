#pragma once
// CCircleProgressUI: ring-shaped progress. The whole circle in the
// background colour, a pie from the bottom (90 degrees) clockwise over the
// value's share of the range in the foreground colour, and an inner circle
// inset by 10 pixels ("innercolor", white unless set) that leaves a ring.
#include "skin/progress.h"

namespace kavro::widgets {

class CCircleProgressUI : public skin::CProgressUI {
  Q_OBJECT
 public:
  explicit CCircleProgressUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("CircleProgress"); }
  double SweepDegrees() const;
  void SetAttribute(const QString& name, const QString& value) override;
  void PaintBkColor(QPainter&) override {}
  void PaintStatusImage(QPainter& p) override;

 private:
  uint32_t innerColor_ = 0xFFFFFFFF;
  int ringWidth_ = 10;
};

}  // namespace kavro::widgets
