// The keyboard page's settings controls and key captions.
#include "widgets/device_key_button.h"
#include "devices/keyboard/keyboard_captions.h"
#include "devices/keyboard/keyboard_device.h"
#include "skin/label.h"
#include "skin/option.h"
#include "skin/progress.h"
#include "skin/resource_manager.h"
#include "skin/richedit.h"

namespace kavro::devices {

namespace {
constexpr char kWinLockOption[] = "winlockflag_option";
constexpr char kWFlagOption[] = "wflag_option";
constexpr char k6FlagOption[] = "6flag_option";
constexpr char kRepeatRateSlider[] = "repeat_rate_slider";
constexpr char kRepeatDelayPrefix[] = "repeat_delay_check_";
constexpr char kPollingRatePrefix[] = "polling_rate_option_";
constexpr char kRepeatDelayLabel[] = "repeat_delay_time_label1";
constexpr char kRepeatInput[] = "repeat_input_richedit";
constexpr char kRepeatDelayTextKey[] = "Repeat_Delay_Time";
constexpr char kRepeatInputTipKey[] = "Repeat_input_text";
constexpr char kKeySetTextKey[] = "Key_Set";
constexpr int kRadioCount = 4;
constexpr int kRepeatDelayStepMs = 250;

QString text(const char* key) { return skin::CResourceManager::GetInstance().ResolveText(QString::fromLatin1(key)); }

// A function name as shown: the translated keys joined with "+", then the
// literal text.
QString shownName(const keyboard::FunctionName& name) {
  QStringList parts;
  for (const std::string& key : name.nameKeys) {
    parts << skin::CResourceManager::GetInstance().ResolveText(QString::fromStdString(key));
  }
  if (!name.text.empty()) parts << QString::fromStdString(name.text);
  return parts.join(QLatin1Char('+'));
}

// Radio groups take an index 0..3; anything else selects the first.
int radioIndex(int index) { return index >= 0 && index < kRadioCount ? index : 0; }
}  // namespace

void CHalvionKeyboardDevice::showSettings() {
  const keyboard::KeyboardSystemFields f = keyboard::systemFields(system_);
  auto check = [this](const char* name, bool on) {
    if (auto* c = qobject_cast<skin::CCheckBoxUI*>(FindControlByName(QString::fromLatin1(name)))) c->SetCheck(on, false);
  };
  check(kWinLockOption, f.winFlag != 0);
  check(kWFlagOption, f.wFlag != 0);
  check(k6FlagOption, f.key6Flag != 0);
  if (auto* s = qobject_cast<skin::CSliderUI*>(FindControlByName(QString::fromLatin1(kRepeatRateSlider)))) {
    s->SetValue(f.repeat);
  }
  showRepeatDelay(f.repeatDelay);
  if (auto* edit = qobject_cast<skin::CRichEditUI*>(FindControlByName(QString::fromLatin1(kRepeatInput)))) {
    edit->SetText(QString());
    edit->SetToolTip(text(kRepeatInputTipKey));
  }
  showPollingRate(f.pollingRate);
  refreshKeyCaptions();
  refreshPanels();  // the lighting panel and the others show the new state
}

void CHalvionKeyboardDevice::showRepeatDelay(int index) {
  const int i = radioIndex(index);
  const QString name = QString::fromLatin1(kRepeatDelayPrefix) + QString::number(i);
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(name))) o->Selected(true, false);
  if (skin::CControlUI* label = FindControlByName(QString::fromLatin1(kRepeatDelayLabel))) {
    label->SetText(text(kRepeatDelayTextKey) + QString::number(kRepeatDelayStepMs * i + kRepeatDelayStepMs) +
                   QStringLiteral("ms"));
  }
}

void CHalvionKeyboardDevice::showPollingRate(int index) {
  const QString name = QString::fromLatin1(kPollingRatePrefix) + QString::number(radioIndex(index));
  if (auto* o = qobject_cast<skin::COptionUI*>(FindControlByName(name))) o->Selected(true, false);
}

void CHalvionKeyboardDevice::setKeyCaption(size_t position) {
  widgets::CDeviceKeyButtonUI* button = keyButton(position);
  if (!button) return;
  const profiles::KeyCodeBytes assigned =
      position < assignments_.size() ? assignments_[position].code : keyboard::kDefaultKeyCodes[position];
  const keyboard::KeyCaption c = keyboard::keyCaption(position, assigned, macroNames_);
  button->SetText(shownName(c.key));
  button->SetToolTip(text(kKeySetTextKey) + shownName(c.assigned));
  button->setKeyMarkHidden(!c.marked);
}

void CHalvionKeyboardDevice::refreshKeyCaptions() {
  for (size_t p = 0; p < keyboard::kPositionCount; ++p) setKeyCaption(p);
}

}  // namespace kavro::devices
