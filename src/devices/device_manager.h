#pragma once
// CDeviceManager: the device side of the main window. It builds one page per
// device kind (power display, device object, tab), runs the discovery and
// light threads, opens and closes the devices' channels as their interfaces
// come and go (always on the window thread), and shows and hides their tabs.
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "devices/lighting/sync_frames.h"

#include "devices/discovery/discovery.h"
#include "devices/discovery/thread_slots.h"
#include "skin/dialog_builder.h"

namespace kavro::skin {
class CWindowWnd;
class CTabLayoutUI;
class CContainerUI;
}  // namespace kavro::skin

namespace kavro::devices {

class CHalvionUSBDevice;
class CDeviceOptionUI;
class CMpDevicePowerUI;

// Names of the window's containers and controls the manager fills.
constexpr char kPowerSwitch[] = "device_power_switch";
constexpr char kDeviceSwitch[] = "device_switch";
constexpr char kSelectLayout[] = "device_select_layout";
constexpr char kNoDeviceLink[] = "No_device_Link";
constexpr char kPowerXml[] = "XML\\CustomControlXML\\MpDevicePower.xml";

// Registers the device page classes with the control factory.
void registerDeviceControls();

class CDeviceManager : public QObject, private DiscoveryHandler {
  Q_OBJECT
 public:
  // window: the main window whose containers receive the pages; callback:
  // the builder callback for class names the toolkit does not know.
  CDeviceManager(skin::CWindowWnd* window, skin::IDialogBuilderCallback* callback);
  ~CDeviceManager() override;

  // Builds the pages of every kind in table order. Returns the number built.
  int buildPages();
  // Starts the discovery and light threads.
  void startThreads();
  // Sets every stop event and waits for the threads, with their debug lines.
  void stopThreads();

  // Arrival and removal of an interface row, on the window thread.
  void interfaceArrivedOnWindow(int row);
  void interfaceGoneOnWindow(int row);

  // Device lists by kind (0 mouse, 1 keyboard, 2 mousepad, 3 headset as the kind table).
  const std::vector<CHalvionUSBDevice*>& devicesOfKind(size_t kind) const { return lists_[kind]; }
  CHalvionUSBDevice* deviceOfKind(size_t kind) const;
  std::vector<CHalvionUSBDevice*> allDevices() const;
  const std::vector<CDeviceOptionUI*>& tabs() const { return tabs_; }
  CDeviceOptionUI* selectedTab() const;
  CHalvionUSBDevice* selectedDevice() const;
  bool isAnyDeviceConnected() const;
  int visibleTabCount() const;
  void selectTab(CDeviceOptionUI* tab);
  DeviceDiscovery& discovery() { return discovery_; }
  // The effect the light thread computes for the synchronised devices
  // (nothing: no frames).
  void setSyncEffect(std::optional<lighting::CommonEffect> effect, const lighting::LightParams& params);
  bool anySynchronised() const;
  static constexpr int kIdleSyncCheckMs = 1000;
  ThreadSlots& threads() { return threads_; }

  // Called after every arrival (the window comes to the front).
  std::function<void()> onArrival;
  // Called once after the first scan (the instance message).
  std::function<void()> onFirstScan;

 private:
  // DiscoveryHandler, on the discovery thread.
  void interfaceArrived(int row) override;
  void interfaceGone(int row) override;
  void firstScanDone() override;
  // Runs fn on the window thread and waits for it, or for the stop event.
  void runOnWindow(std::function<void()> fn);

  bool buildKind(size_t kind);
  CHalvionUSBDevice* deviceForRow(const DeviceInterfaceRow& row) const;
  void showTab(CDeviceOptionUI* tab, bool select);
  void hideTab(CDeviceOptionUI* tab);
  void updateNoDeviceLink();
  void lightThread(Event& stop);

  QPointer<skin::CWindowWnd> window_;
  skin::IDialogBuilderCallback* callback_;
  DeviceDiscovery discovery_;
  ThreadSlots threads_;
  std::array<std::vector<CHalvionUSBDevice*>, kKindCount> lists_;
  std::vector<CDeviceOptionUI*> tabs_;
  std::vector<CMpDevicePowerUI*> powerControls_;
  bool threadsStopped_ = false;
  bool firstScanHandled_ = false;  // arrivals from now on are plug-ins, not devices present at start
  std::mutex syncMutex_;
  std::optional<lighting::CommonEffect> syncEffect_;
  lighting::LightParams syncParams_;
};

}  // namespace kavro::devices
