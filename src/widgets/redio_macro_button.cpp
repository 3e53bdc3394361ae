#include "widgets/redio_macro_button.h"

namespace kavro::widgets {

void CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "redioimage") redioImage_ = value;
  CButtonUI::SetAttribute(name, value);
}

void CRedioMacroButtonUI::SetPulsing(bool on) {
  if (on == pulsing_) return;
  pulsing_ = on;
  if (on) {
    fade_ = FadeState{};
    SetTimer(kPulseTimerId, kPulseIntervalMs);
  } else {
    KillTimer(kPulseTimerId);
    SetForeImage(QString());
  }
}

void CRedioMacroButtonUI::PulseStep() {
  fade_ = nextFade(fade_);
  SetForeImage(QString::asprintf("res='%s' ", qUtf8Printable(redioImage_)) + QString::asprintf("fade='%d'", fade_.value));
}

void CRedioMacroButtonUI::OnTimer(int id) {
  if (id == kPulseTimerId && pulsing_) PulseStep();
  else CButtonUI::OnTimer(id);
}

}  // namespace kavro::widgets
