#pragma once
// CEqCurveUI: the equaliser's response drawn as a curve over 20 Hz..20 kHz
// on a logarithmic axis, with a 0 dB line and the bands' frequencies marked.
#include <array>

#include "skin/control.h"

namespace kavro::panels {

class CEqCurveUI : public skin::CControlUI {
  Q_OBJECT
 public:
  static constexpr int kBands = 10;
  explicit CEqCurveUI(QWidget* parent = nullptr) : CControlUI(parent) {}
  QString GetClass() const override { return QStringLiteral("EqCurve"); }

  void setGains(const std::array<int, kBands>& gains);
  const std::array<int, kBands>& gains() const { return gains_; }
  void PaintStatusImage(QPainter& p) override;

 private:
  std::array<int, kBands> gains_{};
};

}  // namespace kavro::panels
