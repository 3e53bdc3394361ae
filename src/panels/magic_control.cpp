#include "panels/magic_control.h"

#include "platform/debug.h"
#include "skin/dialog_builder.h"
#include "skin/option.h"

namespace kavro::panels {

namespace {
constexpr char kLayoutFile[] = "XML/CustomControlXML/MagicControl.xml";
constexpr char kEnableOption[] = "magic_enable_option";
constexpr char kEffectArea[] = "magic_option_layout";
constexpr char kEffectPrefix[] = "magic_option_";

QString effectName(int effect) { return QString::fromLatin1(kEffectPrefix) + QString::number(effect); }
}  // namespace

CMagicControlUI::CMagicControlUI(QWidget* parent) : CHorizontalLayoutUI(parent) {
  skin::CDialogBuilder builder;
  if (skin::CControlUI* root = builder.Create(QString::fromLatin1(kLayoutFile))) Add(root);
  else dbg::write("voice changer panel: its layout could not be built\n");
}

skin::COptionUI* CMagicControlUI::option(const QString& name) const {
  return qobject_cast<skin::COptionUI*>(const_cast<CMagicControlUI*>(this)->FindControlByName(name));
}

void CMagicControlUI::setOn(bool on) {
  if (skin::COptionUI* o = option(QString::fromLatin1(kEnableOption))) o->Selected(on, false);
  enableEffects(on);
}

bool CMagicControlUI::isOn() const {
  const skin::COptionUI* o = option(QString::fromLatin1(kEnableOption));
  return o && o->IsSelected();
}

// The chosen effect stays selected while the area is disabled.
void CMagicControlUI::enableEffects(bool on) {
  if (skin::CControlUI* area = FindControlByName(QString::fromLatin1(kEffectArea))) area->SetEnabled(on);
}

void CMagicControlUI::selectEffect(int effect) {
  for (int n = 1; n <= kVoiceEffectCount; ++n) {
    if (skin::COptionUI* o = option(effectName(n))) o->Selected(false, false);
  }
  const bool valid = effect >= 1 && effect <= kVoiceEffectCount;
  effect_ = valid ? effect : 0;
  if (!valid) return;
  if (skin::COptionUI* o = option(effectName(effect))) o->Selected(true, false);
}

void registerMagicPanel() {
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl(QStringLiteral("MagicControl"), [] { return new CMagicControlUI; });
  factory->RegistControl(QStringLiteral("CMagicControlUI"), [] { return new CMagicControlUI; });
}

}  // namespace kavro::panels
