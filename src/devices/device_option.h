#pragma once
// CDeviceOptionUI: the tab of one device page. It shows the device's icon and
// name, tells whether the device takes part in lighting synchronisation, and
// drives its device with the tab timers while the device's channel is open.
#include <QPointer>

#include "skin/container.h"

namespace kavro::devices {

class CHalvionUSBDevice;

// Tab timers.
constexpr int kTimerFrame = 1000;       // kFrameIntervalMs: streamLights
constexpr int kTimerConnected = 1001;   // one-shot 500 ms after arrival: onConnected
constexpr int kTimerRefresh = 1002;     // one-shot, armed by the device: onRefreshTimer
constexpr int kTimerAux1003 = 1003;
constexpr int kTimerAux1004 = 1004;
constexpr int kTimerPower = 1005;       // 5000 ms: pollStatus
// About sixty frames a second: smooth on the LEDs, and each streaming device
// wakes the window thread a third as often as a 5 ms tick would.
constexpr int kFrameIntervalMs = 16;
constexpr int kIdleFrameIntervalMs = 200;  // while nobody can see a device that sends no frames
constexpr int kConnectDelayMs = 500;
constexpr int kPresentConnectDelayMs = 0;  // a device found by the first scan
constexpr int kPowerIntervalMs = 5000;

// Icon prefix of a device type ("kb", "ms", "hard_mp", ...).
QString deviceIconPrefix(int type, int role);

class CDeviceOptionUI : public skin::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  using CHorizontalLayoutUI::CHorizontalLayoutUI;
  QString GetClass() const override { return QStringLiteral("DeviceOption"); }

  // Binds the tab to its device and page positions; sets icon and name.
  void bind(CHalvionUSBDevice* device, int pageIndex, int powerIndex, int type, int role, const QString& typeName);
  CHalvionUSBDevice* device() const { return device_; }
  int pageIndex() const { return pageIndex_; }
  int powerIndex() const { return powerIndex_; }
  int deviceType() const { return type_; }

  bool isSynchronised() const;
  void setSelected(bool selected);
  bool isSelected() const;
  // Updates the icons after the synchronisation check box changed.
  void updateIcons();
  // Sets the check box (and icons) from the device's synchronisation flag.
  void showSynchronisation();

  // The device has arrived: onConnected after delayMs (500 ms for a device
  // plugged in while the program runs).
  void startConnection(int delayMs = kConnectDelayMs) { SetTimer(kTimerConnected, delayMs); }
  // Arms a one-shot device timer (1002, 1003, 1004) from the device.
  void armDeviceTimer(int id, int ms) { SetTimer(id, ms); }

 protected:
  void OnTimer(int id) override;

 private:
  void runFrame();
  CControlUI* child(const char* name) { return FindControlByName(QString::fromLatin1(name)); }

  QPointer<CHalvionUSBDevice> device_;
  int pageIndex_ = -1, powerIndex_ = -1, type_ = 0, role_ = 0;
  int frameInterval_ = kFrameIntervalMs;
};

}  // namespace kavro::devices
