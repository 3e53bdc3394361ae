#pragma once
// CRedioMacroButtonUI: the macro record button. While pulsing, a 50 ms timer
// (id 100) moves the fade of its "redioimage" between 80 and 255 in steps
// of 20 and shows it as the foreground image.
#include "widgets/control_rules.h"
#include "skin/button.h"

namespace kavro::widgets {

class CRedioMacroButtonUI : public skin::CButtonUI {
  Q_OBJECT
 public:
  static constexpr int kPulseTimerId = 100;
  static constexpr int kPulseIntervalMs = 50;

  explicit CRedioMacroButtonUI(QWidget* parent = nullptr) : CButtonUI(parent) {}
  QString GetClass() const override { return QStringLiteral("RedioMacroButton"); }

  void SetPulsing(bool on);
  bool IsPulsing() const { return pulsing_; }
  int GetFade() const { return fade_.value; }
  // One pulse step, as run by the timer.
  void PulseStep();

  void SetAttribute(const QString& name, const QString& value) override;

 protected:
  void OnTimer(int id) override;

 private:
  QString redioImage_;
  FadeState fade_;
  bool pulsing_ = false;
};

}  // namespace kavro::widgets
