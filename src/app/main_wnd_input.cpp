// The pointer, scroll, double-click and key-repeat controls of the mouse and
// keyboard pages. They change no device: the selected device keeps the value
// in its profile, and the desktop gets it through the input settings layer.
#include "app/main_wnd.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/input_settings.h"
#include "skin/controls.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kRepeatDelayPrefix[] = "repeat_delay_check_";

int sliderValue(CControlUI* c) {
  auto* s = qobject_cast<CSliderUI*>(c);
  return s ? s->GetValue() : 0;
}
int sliderMax(CControlUI* c) {
  auto* s = qobject_cast<CSliderUI*>(c);
  return s ? s->GetMaxValue() : 0;
}
bool isChecked(CControlUI* c) {
  auto* o = qobject_cast<COptionUI*>(c);
  return o && o->IsSelected();
}
}  // namespace

bool CMainWnd::handleInputSetting(TNotifyUI& msg) {
  if (!msg.pSender || !devices_ || !inputQueue_) return false;
  const QString name = msg.pSender->GetName();
  const bool valueChanged = msg.sType == QLatin1String(DUI_MSGTYPE_VALUECHANGED);
  const bool selectChanged = msg.sType == QLatin1String(DUI_MSGTYPE_SELECTCHANGED);
  devices::CHalvionUSBDevice* device = devices_->selectedDevice();
  auto post = [this](std::function<void(input::InputSettingsBackend&)> call) { inputQueue_->post(std::move(call)); };

  if (valueChanged && name == QLatin1String("pointer_speed_slider")) {
    const int speed = input::pointerSpeedFromSlider(sliderValue(msg.pSender));
    post([speed](input::InputSettingsBackend& b) { b.setPointerSpeed(speed); });
    return true;
  }
  if (selectChanged && name == QLatin1String("pointer_precision_check")) {
    const bool on = isChecked(msg.pSender);
    post([on](input::InputSettingsBackend& b) { b.setPointerPrecision(on); });
    return true;
  }
  if ((valueChanged && name == QLatin1String("scroll_speed_slider")) ||
      (selectChanged && name == QLatin1String("scrolls_page_check"))) {
    CControlUI* slider = device ? device->FindControlByName(QStringLiteral("scroll_speed_slider")) : nullptr;
    CControlUI* page = device ? device->FindControlByName(QStringLiteral("scrolls_page_check")) : nullptr;
    const int lines = input::scrollLinesFromSlider(sliderValue(slider), isChecked(page));
    post([lines](input::InputSettingsBackend& b) { b.setScrollLines(lines); });
    return true;
  }
  if (valueChanged && name == QLatin1String("double_click_slider")) {
    const int ms = input::doubleClickMsFromSlider(sliderValue(msg.pSender), sliderMax(msg.pSender));
    post([ms](input::InputSettingsBackend& b) { b.setDoubleClickTime(ms); });
    return true;
  }
  auto* keyboard = qobject_cast<devices::CHalvionKeyboardDevice*>(device);
  if (valueChanged && name == QLatin1String("repeat_rate_slider")) {
    if (keyboard) applyKeyboardRepeat(keyboard, sliderValue(msg.pSender), -1);
    return keyboard != nullptr;
  }
  if (selectChanged && name.startsWith(QLatin1String(kRepeatDelayPrefix))) {
    bool ok = false;
    const int index = name.mid(int(sizeof(kRepeatDelayPrefix)) - 1).toInt(&ok);
    if (!keyboard || !ok || !isChecked(msg.pSender)) return keyboard != nullptr;
    applyKeyboardRepeat(keyboard, -1, index);
    return true;
  }
  return false;
}

// Stores a repeat rate or delay (the other one is -1) in the keyboard's
// profile, shows it, and hands it to the desktop.
void CMainWnd::applyKeyboardRepeat(devices::CHalvionUSBDevice* device, int rate, int delayIndex) {
  auto* keyboard = qobject_cast<devices::CHalvionKeyboardDevice*>(device);
  if (!keyboard) return;
  keyboard::KeyboardSystemFields f = keyboard->systemSettings();
  if (rate >= 0) f.repeat = static_cast<uint16_t>(std::min(rate, input::kMaxRepeatRate));
  if (delayIndex >= 0) f.repeatDelay = static_cast<uint16_t>(std::min(delayIndex, input::kMaxRepeatDelayIndex));
  keyboard->setSystemSettings(f);
  keyboard->saveProfileData();
  if (delayIndex >= 0) {
    keyboard->showRepeatDelay(f.repeatDelay);
    const int index = f.repeatDelay;
    inputQueue_->post([index](input::InputSettingsBackend& b) { b.setKeyRepeatDelay(index); });
  } else {
    const int value = f.repeat;
    inputQueue_->post([value](input::InputSettingsBackend& b) { b.setKeyRepeatRate(value); });
  }
}

}  // namespace kavro::app
