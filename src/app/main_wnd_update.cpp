// The main window's update thread: it asks the update service at start and
// again when a device arrives; an update found puts the mark on "setbtn" and
// opens the settings window centred (message 3093). Message 3094 clears it.
#include <QMetaObject>
#include <QPointer>

#include "app/main_wnd_settings.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "devices/discovery/device_tables.h"
#include "skin/controls.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kUpdateMarkImage[] = "file='sysbtn/haveNewInfo.png'";

std::vector<update::ModelEntry> modelTable() {
  std::vector<update::ModelEntry> out;
  for (const devices::ModelRow& m : devices::kModels) {
    update::ModelEntry e{m.number1, m.number2, m.number3, {}};
    for (size_t i = 0; i < e.strings.size(); ++i) e.strings[i] = m.strings[i] ? m.strings[i] : "";
    out.push_back(std::move(e));
  }
  return out;
}
}  // namespace

// The program, then every device whose command interface is open, with the
// firmware version its interface reports.
std::vector<update::UpdateItem> CMainWnd::collectUpdateItems() const {
  std::vector<update::AttachedDevice> attached;
  if (devices_) {
    for (devices::CHalvionUSBDevice* d : devices_->allDevices()) {
      if (!d || !d->channel.isConnected()) continue;
      attached.push_back({static_cast<uint16_t>(d->deviceType), d->channel.hid.attributes.versionNumber, {}});
    }
  }
  return update::buildUpdateItems(modelTable(), attached);
}

void CMainWnd::startUpdateCheck() {
  SettingsOptions& o = settingsOptions();
  if (!o.backgroundCheck || o.check) return;
  QPointer<CMainWnd> self(this);
  o.check = std::make_unique<update::BackgroundCheck>(
      o.updateConfig.serviceBase, o.updateConfig.client, [self](bool found) {
        if (!self) return;
        QMetaObject::invokeMethod(
            self.data(), [self, found] { if (self) self->showUpdateMark(found); }, Qt::QueuedConnection);
      });
  o.check->setItems(collectUpdateItems());
  o.check->start();
  if (devices_) {
    auto arrived = devices_->onArrival;
    devices_->onArrival = [this, arrived] {
      if (arrived) arrived();
      refreshUpdateItems();
    };
  }
}

void CMainWnd::stopUpdateCheck() {
  if (settingsOptions_ && settingsOptions_->check) settingsOptions_->check->stop();
}

// A device came: ask again with it among the items.
void CMainWnd::refreshUpdateItems() {
  SettingsOptions& o = settingsOptions();
  if (!o.check) return;
  o.check->setItems(collectUpdateItems());
  o.check->recheck();
}

// The mark on "setbtn"; a newly found update also opens the settings window
// centred, unless the window is hidden in the tray or already open.
void CMainWnd::showUpdateMark(bool found) {
  SettingsOptions& o = settingsOptions();
  const bool wasMarked = o.updateMark;
  o.updateMark = found;
  if (setBtn_) setBtn_->SetForeImage(found ? QString::fromLatin1(kUpdateMarkImage) : QString());
  if (found && !wasMarked && isVisible() && !settingsWindow()) PostMessage(WM_OPEN_SETTINGS_CENTRED);
}

}  // namespace kavro::app
