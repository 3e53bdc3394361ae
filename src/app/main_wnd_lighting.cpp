// The lighting-control switch, power suspend and resume, repainting while the
// user can see the window, and the lighting synchronisation of all devices.
#include <QEnterEvent>

#include "app/inter_program.h"
#include "app/main_wnd.h"
#include "app/main_wnd_panels.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "devices/discovery/device_tables.h"
#include "devices/lighting/sync_frames.h"
#include "platform/debug.h"
#include "widgets/msg_wnd.h"
#include "skin/control.h"

namespace kavro::app {

namespace {
// Kinds whose lights the switch drives and whose pages repaint on view:
// mouse, keyboard, mousepad (the headset is left alone).
constexpr size_t kLightKinds[] = {0, 1, 2};
// Order of the synchronisation: keyboards, mice, mousepads, headsets.
constexpr size_t kSyncOrder[] = {1, 0, 2, 3};
constexpr int kSyncMinimumTabs = 2;
// Told when the synchronised lighting is asked for with an effect not all kinds have.
constexpr char kSyncEffectNoticeKey[] = "sync_effect_unsupported";

template <class Fn>
void forLightKinds(devices::CDeviceManager* m, Fn fn) {
  if (!m) return;
  for (size_t kind : kLightKinds) {
    for (devices::CHalvionUSBDevice* d : m->devicesOfKind(kind)) fn(d);
  }
}
}  // namespace

void CMainWnd::toggleLightControl() {
  lightControl_ = !lightControl_;
  if (bus_) bus_->announceLightingControl(1, lightControl_ ? 1 : 0);
  if (skin::CControlUI* c = FindControl("control_light_status")) {
    c->SetText(QString::fromUtf8(lightControl_ ? kLightControlOnText : kLightControlOffText));
  }
  applyLightControl();
}

void CMainWnd::setLightControl(bool on) {
  lightControl_ = on;
  if (skin::CControlUI* c = FindControl("control_light_status")) {
    c->SetText(QString::fromUtf8(on ? kLightControlOnText : kLightControlOffText));
  }
  applyLightControl();
}

// While the system sleeps nothing streams; the switch takes effect on resume.
void CMainWnd::applyLightControl() { setStreaming(awake_ && lightControl_); }

void CMainWnd::setStreaming(bool on) {
  forLightKinds(devices_.get(), [on](devices::CHalvionUSBDevice* d) { d->setStreamEnabled(on); });
}

void CMainWnd::onSuspend() {
  awake_ = false;
  setStreaming(false);
}

void CMainWnd::onResume() {
  awake_ = true;
  applyLightControl();
}

void CMainWnd::onPrepareForSleep(bool start) {
  HandleMessage(WM_POWERBROADCAST, start ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC, 0);
}

// ---- repainting while visible ---------------------------------------------------------

void CMainWnd::updateRepaintFlags() {
  const int on = pointerInside_ ? 1 : 0;
  forLightKinds(devices_.get(), [on](devices::CHalvionUSBDevice* d) { d->secondEnable = on; });
}

void CMainWnd::changeEvent(QEvent* e) {
  CWindowWnd::changeEvent(e);
  if (e->type() != QEvent::ActivationChange) return;
  windowActive_ = isActiveWindow();
  pointerInside_ = windowActive_;
  updateRepaintFlags();
}

void CMainWnd::enterEvent(QEnterEvent* e) {
  CWindowWnd::enterEvent(e);
  if (windowActive_) return;
  dbg::write("鼠标移入");
  pointerInside_ = true;
  updateRepaintFlags();
}

void CMainWnd::leaveEvent(QEvent* e) {
  CWindowWnd::leaveEvent(e);
  if (windowActive_) return;
  dbg::write("鼠标移出");
  pointerInside_ = false;
  updateRepaintFlags();
}

void CMainWnd::connectPanels() {
  if (devices_) connectLightPanels(*devices_, [this] { synchroniseLighting(); });
}

// ---- lighting synchronisation --------------------------------------------------------

void CMainWnd::synchroniseLighting() {
  devices::CHalvionUSBDevice* selected = devices_ ? devices_->selectedDevice() : nullptr;
  if (!selected) return;
  const devices::DeviceLightParams source = selected->getLightParams();
  const auto effect = lighting::commonEffectOf(selected->getInterfaceRow().type, source.light.mode);
  if (!effect) return;
  // Devices follow the shared frames only while there is more than one of
  // them to keep in step.
  const bool follow = devices_->visibleTabCount() >= kSyncMinimumTabs;
  for (size_t kind : kSyncOrder) {
    const uint32_t type = devices::kDeviceKinds[kind].type;
    for (devices::CHalvionUSBDevice* d : devices_->devicesOfKind(kind)) {
      if (!d->channel.isConnected()) continue;
      devices::DeviceLightParams p = d->getLightParams();
      p.light = source.light;
      p.light.mode = lighting::modeOfCommonEffect(type, *effect);
      d->channel.stateFlag = follow ? 1 : 0;
      showOnLightPanel(d, p);
      d->setLightParams(p);
      d->saveProfileData();
      d->applyLightState();
      d->writeLightSettings();
      if (follow) d->channel.stateFlag = 1;
    }
  }
  devices_->setSyncEffect(follow ? effect : std::nullopt, source.light);
  for (devices::CDeviceOptionUI* tab : devices_->tabs()) tab->showSynchronisation();
}

// The tab's check box: checked, the devices take up the selected device's
// lighting together; cleared, this device leaves and runs its own effect
// again (with the lighting it was given).
void CMainWnd::showNotice(const QString& key) {
  if (notice_) notice_(key);
  else widgets::CMsgWnd::ShowMessage(this, QString(), key);
}

void CMainWnd::onSynchroCheck(devices::CDeviceOptionUI* tab) {
  devices::CHalvionUSBDevice* d = tab ? tab->device() : nullptr;
  if (!d) return;
  if (tab->isSynchronised()) {
    // Only the effects every kind of device can show run together; the box
    // goes back and says why rather than staying checked for nothing.
    devices::CHalvionUSBDevice* selected = devices_->selectedDevice();
    const auto effect = selected ? lighting::commonEffectOf(selected->getInterfaceRow().type,
                                                            selected->getLightParams().light.mode)
                                 : std::nullopt;
    if (!effect) {
      tab->showSynchronisation();
      showNotice(QString::fromLatin1(kSyncEffectNoticeKey));
      return;
    }
    synchroniseLighting();
  } else {
    d->channel.stateFlag = 0;
    d->applyLightState();
  }
  tab->showSynchronisation();
  tab->updateIcons();
}

}  // namespace kavro::app
