#include "devices/device_option.h"

#include "devices/device_base.h"
#include "devices/discovery/device_tables.h"
#include "skin/option.h"

namespace kavro::devices {

namespace {
constexpr char kSelect[] = "device_select";
constexpr char kSynchro[] = "synchro_device_select";
constexpr char kName[] = "device_select_name";
constexpr char kIconFolder[] = "common/device_ico/";
}  // namespace

QString deviceIconPrefix(int type, int role) {
  switch (type) {
    case kTypeKeyboard: return QStringLiteral("kb");
    case kTypeMouse: return QStringLiteral("ms");
    case kTypeMousepad: return role == 0 ? QStringLiteral("hard_mp") : QStringLiteral("soft_mp");
    case kTypeHeadsetPlain:
    case kTypeHeadset: return QStringLiteral("hd");
    case kTypeHub: return QStringLiteral("hub");
    default: return QStringLiteral("unknow");
  }
}

void CDeviceOptionUI::bind(CHalvionUSBDevice* device, int pageIndex, int powerIndex, int type, int role,
                           const QString& typeName) {
  device_ = device;
  pageIndex_ = pageIndex;
  powerIndex_ = powerIndex;
  type_ = type;
  role_ = role;
  if (CControlUI* name = child(kName)) {
    name->SetText(deviceIconPrefix(type, role) + QStringLiteral("_device_name_text"));
    name->SetToolTip(typeName);
  }
  updateIcons();
}

bool CDeviceOptionUI::isSynchronised() const {
  auto* check = qobject_cast<skin::CCheckBoxUI*>(const_cast<CDeviceOptionUI*>(this)->child(kSynchro));
  return check && check->GetCheck();
}

bool CDeviceOptionUI::isSelected() const {
  auto* opt = qobject_cast<skin::COptionUI*>(const_cast<CDeviceOptionUI*>(this)->child(kSelect));
  return opt && opt->IsSelected();
}

void CDeviceOptionUI::setSelected(bool selected) {
  if (auto* opt = qobject_cast<skin::COptionUI*>(child(kSelect))) opt->Selected(selected, false);
}

void CDeviceOptionUI::updateIcons() {
  auto* opt = qobject_cast<skin::COptionUI*>(child(kSelect));
  if (!opt) return;
  const QString base = QString::fromLatin1(kIconFolder) + deviceIconPrefix(type_, role_) +
                       (isSynchronised() ? QStringLiteral("_device_synchro") : QStringLiteral("_device"));
  opt->SetAttribute(QStringLiteral("normalimage"), QStringLiteral("file='%1_normal.png'").arg(base));
  opt->SetAttribute(QStringLiteral("selectedimage"), QStringLiteral("file='%1_selected.png'").arg(base));
}

// The check box shows whether the device follows the synchronised lighting:
// it joins when the main window synchronises, and leaves when its own
// lighting is applied (from its page, a profile, or a sync from the device).
void CDeviceOptionUI::showSynchronisation() {
  auto* check = qobject_cast<skin::CCheckBoxUI*>(child(kSynchro));
  const bool following = device_ && device_->channel.stateFlag.load() != 0;
  if (!check || check->GetCheck() == following) return;
  check->SetCheck(following, false);
  updateIcons();
}

void CDeviceOptionUI::runFrame() {
  showSynchronisation();
  // The light buttons repaint themselves when their colour changes, so the
  // page needs no repaint of its own after a frame.
  device_->streamLights();
  // A device that needs no frames right now is visited less often.
  const int wanted = device_->frameIntervalMs();
  if (wanted != frameInterval_) {
    frameInterval_ = wanted;
    SetTimer(kTimerFrame, frameInterval_);
  }
}

void CDeviceOptionUI::OnTimer(int id) {
  // Timers are re-armed only while the device's channel is open.
  if (!device_ || !device_->channel.isConnected()) {
    KillTimer(id);
    return;
  }
  switch (id) {
    case kTimerConnected:
      KillTimer(id);
      device_->onConnected();
      frameInterval_ = kFrameIntervalMs;
      SetTimer(kTimerFrame, frameInterval_);
      if (device_->hasPowerStatus) SetTimer(kTimerPower, kPowerIntervalMs);
      break;
    case kTimerFrame: runFrame(); break;
    case kTimerRefresh: KillTimer(id), device_->onRefreshTimer(); break;
    case kTimerAux1003: KillTimer(id), device_->onAuxTimer1003(); break;
    case kTimerAux1004: KillTimer(id), device_->onAuxTimer1004(); break;
    case kTimerPower: device_->pollStatus(); break;
    default: CHorizontalLayoutUI::OnTimer(id); break;
  }
}

}  // namespace kavro::devices
