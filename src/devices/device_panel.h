#pragma once
// The shared feature panels of a device page (profiles, lighting, macros, key
// assignment ...) implement this interface. The device binds them at page
// set-up; the main window forwards the skin notifications of the selected
// device's page to them.
#include "skin/skin_types.h"

namespace kavro::devices {

class CHalvionUSBDevice;

class IDevicePanel {
 public:
  virtual ~IDevicePanel() = default;
  // Gives the panel its device (once, at page set-up).
  virtual void setDevice(CHalvionUSBDevice* device) = 0;
  // A notification of the device's page; true when the panel handled it.
  virtual bool onNotify(skin::TNotifyUI& msg) = 0;
  // The device's profile data changed (profile switch, reset, import):
  // show it again.
  virtual void refreshFromDevice() {}
};

}  // namespace kavro::devices
