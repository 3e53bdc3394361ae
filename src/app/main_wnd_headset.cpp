// The main window's routing of the headset's voice and voice-changer panels
// to the headset device's audio operations, and the messages of the user
// preset rules.
#include "app/main_wnd_headset.h"

#include "app/main_wnd.h"
#include "devices/headset/headset_device.h"
#include "skin/controls.h"
#include "widgets/msg_wnd.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kPresetPrefix[] = "6533_eq_option_";
constexpr char kBandPrefix[] = "6533_eq_hz_slider_";
constexpr char kPresetList[] = "custom_eq_name_combo";
constexpr char kSaveButton[] = "hs_EQ_btn_save";
constexpr char kDeleteButton[] = "hs_EQ_btn_delete";
constexpr char kMicOption[] = "6533_MicIn_option";
constexpr char kMicSlider[] = "6533_MicIn_slider";
constexpr char kMonitorOption[] = "6533_MicMoniter_option";
constexpr char kMonitorSlider[] = "6533_MicMoniter_slider";
constexpr char kMagicOption[] = "magic_enable_option";
constexpr char kEffectPrefix[] = "magic_option_";
constexpr char kVoiceTab[] = "6533_voice_Op_tab";
constexpr char kMagicTab[] = "magic_Op_tab";

// The number after a prefix, or -1.
int numberAfterPrefix(const QString& name, const char* prefix) {
  const QLatin1String p(prefix);
  if (!name.startsWith(p)) return -1;
  bool ok = false;
  const int n = name.mid(p.size()).toInt(&ok);
  return ok ? n : -1;
}

bool is(const QString& a, const char* b) { return a == QLatin1String(b); }

using Kind = HeadsetAction::Kind;

std::optional<HeadsetAction> clickAction(const QString& name, bool selected) {
  if (is(name, kSaveButton)) return HeadsetAction{Kind::SaveUserPreset};
  if (is(name, kDeleteButton)) return HeadsetAction{Kind::DeleteUserPreset};
  if (is(name, kMicOption)) return HeadsetAction{Kind::ToggleMic};
  if (is(name, kMonitorOption)) return HeadsetAction{Kind::ToggleMonitor};
  // The click comes before the option flips: its new state is the other one.
  if (is(name, kMagicOption)) return HeadsetAction{Kind::VoiceChanger, 0, selected ? 0 : 1};
  return std::nullopt;
}

std::optional<HeadsetAction> selectAction(const QString& name, bool selected) {
  if (!selected) return std::nullopt;
  if (const int p = numberAfterPrefix(name, kPresetPrefix); p >= 0) return HeadsetAction{Kind::SelectPreset, 0, p};
  if (const int n = numberAfterPrefix(name, kEffectPrefix); n >= 0) return HeadsetAction{Kind::VoiceEffect, 0, n};
  if (is(name, kVoiceTab) || is(name, kMagicTab)) return HeadsetAction{Kind::ShowAudioTab};
  return std::nullopt;
}

std::optional<HeadsetAction> valueAction(const QString& name, int value) {
  if (const int b = numberAfterPrefix(name, kBandPrefix); b >= 0) return HeadsetAction{Kind::ChangeBand, b, value};
  if (is(name, kMicSlider)) return HeadsetAction{Kind::MicLevel, 0, value};
  if (is(name, kMonitorSlider)) return HeadsetAction{Kind::MonitorLevel, 0, value};
  return std::nullopt;
}

devices::CHalvionHS6533Device* headsetOf(QWidget* control) {
  for (QWidget* w = control; w; w = w->parentWidget()) {
    if (auto* d = qobject_cast<devices::CHalvionHS6533Device*>(w)) return d;
  }
  return nullptr;
}

const char* saveRefusalKey(int result, bool named) {
  if (result == 0) return devices::kEqNameTakenTextKey;
  return named ? devices::kEqListFullTextKey : devices::kEqNoneSelectedTextKey;
}
}  // namespace

std::optional<HeadsetAction> headsetAction(const QString& name, const QString& type, bool selected, int value) {
  if (type == QLatin1String(DUI_MSGTYPE_CLICK)) return clickAction(name, selected);
  if (type == QLatin1String(DUI_MSGTYPE_SELECTCHANGED)) return selectAction(name, selected);
  if (type == QLatin1String(DUI_MSGTYPE_VALUECHANGED)) return valueAction(name, value);
  if (type == QLatin1String(DUI_MSGTYPE_ITEMSELECT) && is(name, kPresetList)) return HeadsetAction{Kind::ApplyUserPreset};
  return std::nullopt;
}

// True when the notification was the headset's; the voice tabs are also left
// to the profile panel, which switches the page.
bool CMainWnd::handleHeadsetNotify(TNotifyUI& msg) {
  devices::CHalvionHS6533Device* headset = msg.pSender ? headsetOf(msg.pSender) : nullptr;
  if (!headset) return false;
  auto* option = qobject_cast<COptionUI*>(msg.pSender);
  auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
  const std::optional<HeadsetAction> action = headsetAction(msg.pSender->GetName(), msg.sType,
                                                            option && option->IsSelected(), slider ? slider->GetValue() : 0);
  if (!action) return false;
  switch (action->kind) {
    case Kind::SelectPreset: headset->selectEqPreset(action->value); break;
    case Kind::ChangeBand: headset->changeBand(action->index, action->value); break;
    case Kind::ApplyUserPreset: headset->applyUserPreset(); break;
    case Kind::SaveUserPreset: saveHeadsetPreset(headset); break;
    case Kind::DeleteUserPreset: headset->deleteUserPreset(); break;
    case Kind::ToggleMic: headset->toggleMicrophone(); break;
    case Kind::MicLevel: headset->setMicrophoneLevel(action->value); break;
    case Kind::ToggleMonitor: headset->toggleMonitor(); break;
    case Kind::MonitorLevel: headset->setMonitorLevel(action->value); break;
    case Kind::VoiceChanger: headset->setVoiceChanger(action->value != 0); break;
    case Kind::VoiceEffect: headset->selectVoiceEffect(action->value); break;
    case Kind::ShowAudioTab: headset->showAudioState(); return false;
  }
  return true;
}

void CMainWnd::saveHeadsetPreset(devices::CHalvionHS6533Device* headset) {
  auto* edit = qobject_cast<CEditUI*>(FindSubControlByName(headset, QStringLiteral("custom_eq_name_edit")));
  const bool named = edit && !edit->GetText().trimmed().isEmpty();
  const int result = headset->saveUserPreset();
  if (result == 1) return;
  const QString key = QString::fromLatin1(saveRefusalKey(result, named));
  showNotice(key);
}

}  // namespace kavro::app
