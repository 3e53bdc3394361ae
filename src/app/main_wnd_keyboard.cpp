// The keyboard page's own settings: the three key-lock flags and the polling
// rate go into the profile's "SystemStages" and to the keyboard with the
// settings block; "Clear" empties the repeat test field.
#include "app/main_wnd_keyboard.h"

#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/debug.h"
#include "skin/controls.h"
#include "transport/command_set.h"
#include "widgets/msg_wnd.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kWinLockOption[] = "winlockflag_option";
constexpr char kWFlagOption[] = "wflag_option";
constexpr char k6FlagOption[] = "6flag_option";
constexpr char kPollingRatePrefix[] = "polling_rate_option_";
constexpr char kRepeatInput[] = "repeat_input_richedit";
constexpr char kRepeatClearButton[] = "reset_repeat_btn";
constexpr char kDefaultButton[] = "default_btn";
constexpr char kDefaultQuestion[] = "message_text_22";
constexpr int kPollingRateCount = 4;

bool isSelected(CControlUI* c) {
  auto* o = qobject_cast<COptionUI*>(c);
  return o && o->IsSelected();
}

// The index after a control name's prefix, or -1.
int indexAfter(const QString& name, const char* prefix) {
  const QLatin1String p(prefix);
  if (!name.startsWith(p)) return -1;
  bool ok = false;
  const int index = name.mid(p.size()).toInt(&ok);
  return ok ? index : -1;
}
}  // namespace

// The new system fields for a changed control of the keyboard's system tab,
// or nothing when the notification is not one of them (or changes nothing).
std::optional<keyboard::KeyboardSystemFields> keyboardSystemChange(keyboard::KeyboardSystemFields f,
                                                                   const QString& name, bool selected) {
  const uint16_t flag = selected ? 1 : 0;
  if (name == QLatin1String(kWinLockOption)) f.winFlag = flag;
  else if (name == QLatin1String(kWFlagOption)) f.wFlag = flag;
  else if (name == QLatin1String(k6FlagOption)) f.key6Flag = flag;
  else {
    const int rate = indexAfter(name, kPollingRatePrefix);
    // Only the newly selected rate of the radio group carries the change.
    if (rate < 0 || rate >= kPollingRateCount || !selected) return std::nullopt;
    f.pollingRate = static_cast<uint16_t>(rate);
  }
  return f;
}

bool CMainWnd::handleKeyboardSettings(TNotifyUI& msg) {
  if (!msg.pSender || !devices_ || msg.sType != QLatin1String(DUI_MSGTYPE_SELECTCHANGED)) return false;
  auto* keyboard = qobject_cast<devices::CHalvionKeyboardDevice*>(devices_->selectedDevice());
  if (!keyboard || !keyboard->isAncestorOf(msg.pSender)) return false;
  const auto fields = keyboardSystemChange(keyboard->systemSettings(), msg.pSender->GetName(), isSelected(msg.pSender));
  if (!fields) return false;
  if (*fields == keyboard->systemSettings()) return true;
  keyboard->setSystemSettings(*fields);
  keyboard->saveProfileData();
  const int r = keyboard->writeSettings(0, 0);
  if (r != transport::kCmdOk) dbg::printf("keyboard settings write: %d\n", r);
  return true;
}

bool CMainWnd::handleKeyboardClick(const QString& name) {
  if (name == QLatin1String(kDefaultButton)) {
    if (confirm(QString::fromLatin1(kDefaultQuestion))) restoreKeyboardDefaults();
    return true;
  }
  if (name != QLatin1String(kRepeatClearButton) || !devices_) return false;
  devices::CHalvionUSBDevice* device = devices_->selectedDevice();
  if (auto* field = device ? device->FindControlByName(QString::fromLatin1(kRepeatInput)) : nullptr) {
    field->SetText(QString());
  }
  return true;
}

// The page shows the profile again and the keyboard gets its key table and
// settings block from it.
void CMainWnd::restoreKeyboardDefaults() {
  devices::CHalvionUSBDevice* device = devices_ ? devices_->selectedDevice() : nullptr;
  if (!device) return;
  device->reloadProfile();
  const int keys = device->writeKeyAssignments();
  const int settings = device->writeLightSettings();
  if (keys != transport::kCmdOk || settings != transport::kCmdOk) {
    dbg::printf("default settings to the device: keys %d, settings %d\n", keys, settings);
  }
}

bool CMainWnd::confirm(const QString& textKey) {
  if (confirm_) return confirm_(textKey);
  return widgets::CMsgWnd::ShowMessage(this, QString(), textKey, 96, DT_CENTER | DT_VCENTER | DT_WORDBREAK,
                                       widgets::CMsgWnd::kConfirmCancel) == 1;
}

}  // namespace kavro::app
