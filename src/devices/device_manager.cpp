#include "devices/device_manager.h"

#include <QMetaObject>

#include "devices/device_base.h"
#include "devices/device_option.h"
#include "devices/device_power.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mousepad/mousepad_device.h"
#include "devices/headset/headset_device.h"
#include "platform/debug.h"
#include "skin/container.h"
#include "skin/window.h"

namespace kavro::devices {

namespace {
const char* arrivalLine(uint16_t type) {
  switch (type) {
    case kTypeKeyboard: return "添加一个键盘设备";
    case kTypeMouse:
    case kTypeMouseLong: return "添加一个鼠标设备";
    case kTypeMousepad: return "添加一个鼠标垫设备";
    default: return nullptr;
  }
}
const char* removalLine(uint16_t type) {
  switch (type) {
    case kTypeKeyboard: return "删除一个键盘设备";
    case kTypeMouse:
    case kTypeMouseLong: return "删除一个鼠标设备";
    case kTypeMousepad: return "删除一个鼠标垫设备";
    default: return nullptr;
  }
}
QString xmlPath(const char* path) { return QString::fromLatin1(path); }
}  // namespace

void registerDeviceControls() {
  auto* f = skin::CControlFactory::GetInstance();
  f->RegistControl(QStringLiteral("CDeviceOptionUI"), [] { return new CDeviceOptionUI; });
  f->RegistControl(QStringLiteral("DeviceOption"), [] { return new CDeviceOptionUI; });
  f->RegistControl(QStringLiteral("CMpDevicePowerUI"), [] { return new CMpDevicePowerUI; });
  f->RegistControl(QStringLiteral("MpDevicePower"), [] { return new CMpDevicePowerUI; });
  registerKeyboardDevice();
  registerMouseDevice();
  registerMousepadDevice();
  registerHeadsetDevice();
}

CDeviceManager::CDeviceManager(skin::CWindowWnd* window, skin::IDialogBuilderCallback* callback)
    : window_(window), callback_(callback), discovery_(*this) {
  registerDeviceControls();
}

CDeviceManager::~CDeviceManager() { stopThreads(); }

bool CDeviceManager::buildKind(size_t kind) {
  const DeviceKindRow& k = kDeviceKinds[kind];
  const auto match = interfaceMatchTable();
  bool hasRow = false;
  DeviceInterfaceRow row;
  for (const auto& m : match) {
    if (m.vendorId == k.vendorId && m.productId == k.productId && m.type == k.type && m.role == k.role) {
      row = m, hasRow = true;
      break;
    }
  }
  if (!hasRow || !window_) return false;
  auto* powerBox = qobject_cast<skin::CContainerUI*>(window_->FindControl(kPowerSwitch));
  auto* pageBox = qobject_cast<skin::CContainerUI*>(window_->FindControl(kDeviceSwitch));
  auto* tabBox = qobject_cast<skin::CContainerUI*>(window_->FindControl(kSelectLayout));
  if (!powerBox || !pageBox || !tabBox) return false;

  const DeviceXmlRow& x = kDeviceXml[kind];
  skin::CPaintManagerUI* pm = &window_->GetPaintManager();
  skin::CDialogBuilder b1, b2, b3;
  auto* power = qobject_cast<CMpDevicePowerUI*>(b1.Create(xmlPath(kPowerXml), callback_, pm));
  auto* device = qobject_cast<CHalvionUSBDevice*>(b2.Create(xmlPath(x.pageXml), callback_, pm));
  auto* tab = qobject_cast<CDeviceOptionUI*>(b3.Create(xmlPath(k.optionXml), callback_, pm));
  if (!power || !device || !tab) {
    dbg::printf("device page of %s could not be built\n", k.typeName);
    delete power, delete device, delete tab;
    return false;
  }
  powerBox->Add(power);
  power->setDeviceType(k.type, k.role);
  powerControls_.push_back(power);

  device->setPageXml(xmlPath(x.pageXml));
  device->setOwnerWindow(window_);
  device->setKeyCount(x.keyCount);
  device->setLightCount(x.lightCount);
  device->thirdValue = x.third;
  device->setTypeName(k.typeName);
  device->setPowerControl(power);
  device->setInterfaceRow(row);
  device->setKindIndex(k.kindIndex);
  device->setLightFilePrefix(x.lightFilePrefix);
  device->initPage();
  pageBox->Add(device);
  lists_[kind].push_back(device);

  tabBox->Add(tab);
  tab->bind(device, pageBox->GetItemIndex(device), powerBox->GetItemIndex(power), k.type, k.role,
            QString::fromLatin1(k.typeName));
  device->setTab(tab);
  tab->SetVisible(false);
  tabs_.push_back(tab);
  return true;
}

int CDeviceManager::buildPages() {
  int built = 0;
  for (size_t kind = 0; kind < kKindCount; ++kind) built += buildKind(kind) ? 1 : 0;
  updateNoDeviceLink();
  return built;
}

void CDeviceManager::startThreads() {
  threadsStopped_ = false;
  threads_.start(kSlotDiscovery, [this](Event& stop) { discovery_.run(stop); });
  threads_.start(kSlotLight, [this](Event& stop) { lightThread(stop); });
}

void CDeviceManager::stopThreads() {
  if (threadsStopped_) return;
  threadsStopped_ = true;
  threads_.stopAll();
}

void CDeviceManager::runOnWindow(std::function<void()> fn) {
  // A blocking hand-over that also ends when discovery is told to stop, so a
  // window that is itself waiting for the thread never deadlocks with it.
  auto done = std::make_shared<Event>(Event::Reset::Manual);
  QMetaObject::invokeMethod(
      this,
      [fn = std::move(fn), done] {
        fn();
        done->set();
      },
      Qt::QueuedConnection);
  waitAny({*done, threads_.stopEvent(kSlotDiscovery)}, -1);
}

void CDeviceManager::interfaceArrived(int row) {
  runOnWindow([this, row] { interfaceArrivedOnWindow(row); });
}
void CDeviceManager::interfaceGone(int row) {
  runOnWindow([this, row] { interfaceGoneOnWindow(row); });
}
void CDeviceManager::firstScanDone() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        firstScanHandled_ = true;
        if (onFirstScan) onFirstScan();
      },
      Qt::QueuedConnection);
}

CHalvionUSBDevice* CDeviceManager::deviceForRow(const DeviceInterfaceRow& row) const {
  const int kind = kindIndexOfType(row.type);
  if (kind < 0) return nullptr;
  for (CHalvionUSBDevice* d : lists_[static_cast<size_t>(kind)]) {
    if (d->getInterfaceRow().sameInterface(row)) return d;
  }
  return nullptr;
}

void CDeviceManager::interfaceArrivedOnWindow(int index) {
  const DeviceInterfaceRow row = discovery_.row(index);
  if (const char* line = arrivalLine(row.type)) dbg::write(line);
  const int kind = kindIndexOfType(row.type);
  if (row.role == kRoleCommand) {
    CHalvionUSBDevice* d = deviceForRow(row);
    if (d && !d->channel.isConnected()) {
      const bool opened = d->channel.openPath(row.path);
      if (opened) {
        d->channel.longTimeouts = (row.type == kTypeMouseLong) ? 1 : 0;
        d->setInterfaceRow(row);
        d->commandInterfaceOpened();
      }
      // The tab shows even when opening failed; the row is released only
      // when its path goes away.
      if (CDeviceOptionUI* tab = d->tab()) {
        showTab(tab, selectedTab() == nullptr);
        // A device plugged in now gets time to settle; one that was there
        // before the program started has settled long ago.
        tab->startConnection(firstScanHandled_ ? kConnectDelayMs : kPresentConnectDelayMs);
      }
    }
  } else if (row.role == kRoleNotify && kind >= 0) {
    for (CHalvionUSBDevice* d : lists_[static_cast<size_t>(kind)]) {
      const auto& r = d->getInterfaceRow();
      if (!d->notifyChannel.isConnected() && r.vendorId == row.vendorId && r.productId == row.productId) {
        d->attachNotifyInterface(row.path);
        break;
      }
    }
  }
  if (onArrival) onArrival();
}

void CDeviceManager::interfaceGoneOnWindow(int index) {
  if (index < 0 || static_cast<size_t>(index) >= kInterfaceRowCount) return;
  const DeviceInterfaceRow match = interfaceMatchTable()[static_cast<size_t>(index)];
  if (const char* line = removalLine(match.type)) dbg::write(line);
  if (match.role == kRoleCommand) {
    CHalvionUSBDevice* d = deviceForRow(match);
    if (!d) return;
    d->channel.closeChannel();  // a waiting transfer is aborted
    d->commandInterfaceGone();  // queued sequences are dropped
    if (CDeviceOptionUI* tab = d->tab()) hideTab(tab);
    // Synchronised lighting needs at least two devices on show.
    if (visibleTabCount() < 2) {
      for (CHalvionUSBDevice* any : allDevices()) any->channel.stateFlag.store(0);
    }
    if (d->getPowerControl()) d->getPowerControl()->clearStatus();
    d->onDisconnected();
    return;
  }
  const int kind = kindIndexOfType(match.type);
  if (kind < 0) return;
  for (CHalvionUSBDevice* d : lists_[static_cast<size_t>(kind)]) {
    const auto& r = d->getInterfaceRow();
    if (d->notifyChannel.isConnected() && r.vendorId == match.vendorId && r.productId == match.productId) {
      d->detachNotifyInterface();
      return;
    }
  }
}

CDeviceOptionUI* CDeviceManager::selectedTab() const {
  for (CDeviceOptionUI* t : tabs_) {
    if (t->IsVisible() && t->isSelected()) return t;
  }
  return nullptr;
}

CHalvionUSBDevice* CDeviceManager::selectedDevice() const {
  CDeviceOptionUI* t = selectedTab();
  return t ? t->device() : nullptr;
}

void CDeviceManager::selectTab(CDeviceOptionUI* tab) {
  if (!window_ || !tab) return;
  for (CDeviceOptionUI* t : tabs_) t->setSelected(t == tab);
  if (auto* pages = qobject_cast<skin::CTabLayoutUI*>(window_->FindControl(kDeviceSwitch))) {
    pages->SelectItem(tab->pageIndex());
  }
  if (auto* power = qobject_cast<skin::CTabLayoutUI*>(window_->FindControl(kPowerSwitch))) {
    power->SetVisible(tab->powerIndex() >= 0);
    if (tab->powerIndex() >= 0) power->SelectItem(tab->powerIndex());
  }
}

void CDeviceManager::showTab(CDeviceOptionUI* tab, bool select) {
  tab->SetVisible(true);
  if (select) selectTab(tab);
  updateNoDeviceLink();
}

void CDeviceManager::hideTab(CDeviceOptionUI* tab) {
  const bool wasSelected = tab->isSelected();
  tab->setSelected(false);
  tab->SetVisible(false);
  if (wasSelected) {
    for (CDeviceOptionUI* t : tabs_) {
      if (t->IsVisible()) {
        selectTab(t);
        break;
      }
    }
  }
  updateNoDeviceLink();
}

int CDeviceManager::visibleTabCount() const {
  int n = 0;
  for (CDeviceOptionUI* t : tabs_) n += t->IsVisible() ? 1 : 0;
  return n;
}

bool CDeviceManager::isAnyDeviceConnected() const { return visibleTabCount() > 0; }

void CDeviceManager::updateNoDeviceLink() {
  if (!window_) return;
  const bool any = isAnyDeviceConnected();
  if (skin::CControlUI* c = window_->FindControl(kNoDeviceLink)) c->SetVisible(!any);
  if (any) return;
  if (auto* pages = qobject_cast<skin::CTabLayoutUI*>(window_->FindControl(kDeviceSwitch))) pages->SelectItem(0);
  if (auto* power = qobject_cast<skin::CTabLayoutUI*>(window_->FindControl(kPowerSwitch))) power->SelectItem(0);
}

CHalvionUSBDevice* CDeviceManager::deviceOfKind(size_t kind) const {
  return kind < lists_.size() && !lists_[kind].empty() ? lists_[kind].front() : nullptr;
}

void CDeviceManager::setSyncEffect(std::optional<lighting::CommonEffect> effect, const lighting::LightParams& p) {
  std::lock_guard<std::mutex> lock(syncMutex_);
  syncEffect_ = effect;
  syncParams_ = p;
}

bool CDeviceManager::anySynchronised() const {
  for (size_t kind = 0; kind < kKindCount; ++kind) {
    for (CHalvionUSBDevice* d : lists_[kind]) {
      if (d->channel.isConnected() && d->channel.stateFlag.load()) return true;
    }
  }
  return false;
}

void CDeviceManager::lightThread(Event& stop) {
  lighting::SyncState state;
  for (;;) {
    // Nothing to compute while no device follows the synchronised lighting.
    if (!anySynchronised()) {
      if (stop.wait(kIdleSyncCheckMs)) break;
      continue;
    }
    if (stop.wait(1)) break;
    std::optional<lighting::CommonEffect> effect;
    lighting::LightParams params;
    {
      std::lock_guard<std::mutex> lock(syncMutex_);
      effect = syncEffect_;
      params = syncParams_;
    }
    if (!effect) continue;
    const auto colour = lighting::syncPass(state, *effect, params, static_cast<uint32_t>(tickMs()));
    if (!colour) continue;
    const uint32_t packed = lighting::packLed(*colour);
    for (size_t kind = 0; kind < kKindCount; ++kind) {
      for (CHalvionUSBDevice* d : lists_[kind]) {
        if (!d->channel.stateFlag.load()) continue;
        for (int n = 0; n < d->lightCount; ++n) d->setLedColor(static_cast<size_t>(n), packed);
      }
    }
  }
  dbg::write("同步灯光线程设定退出");
}

std::vector<CHalvionUSBDevice*> CDeviceManager::allDevices() const {
  std::vector<CHalvionUSBDevice*> all;
  for (const auto& l : lists_) all.insert(all.end(), l.begin(), l.end());
  return all;
}

}  // namespace kavro::devices
