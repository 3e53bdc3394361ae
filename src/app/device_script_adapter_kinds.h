#pragma once
// The script adapters of the kinds with more than the generic parts: the
// mouse (power and link, DPI stages), the mousepad (power) and the headset
// (equaliser presets). The keyboard uses the base adapter.
#include <array>
#include <cstdint>
#include <string>

#include "app/device_script_adapter.h"
#include "devices/device_base.h"

namespace kavro::app {

// The reading of a 6-byte power status block; with wireless, the link
// state byte decides Connected (asleep or lost: not connected).
PowerReading powerFromStatus(const std::array<uint8_t, devices::kPowerStatusBytes>& status, bool wireless);
// The mousepad's reading: no battery while it runs from its cable.
PowerReading padPowerFromStatus(const std::array<uint8_t, devices::kPowerStatusBytes>& status);

class MouseScriptAdapter : public DeviceScriptAdapter {
 public:
  using DeviceScriptAdapter::DeviceScriptAdapter;
  PowerReading power(devices::CHalvionUSBDevice& device) const override;
  int dpiStageCount(devices::CHalvionUSBDevice& device) const override;
  std::string dpiStageRefusal(devices::CHalvionUSBDevice& device, int stage) const override;
  bool selectDpiStage(devices::CHalvionUSBDevice& device, int stage, CommandDone done) override;
};

class MousepadScriptAdapter : public DeviceScriptAdapter {
 public:
  using DeviceScriptAdapter::DeviceScriptAdapter;
  PowerReading power(devices::CHalvionUSBDevice& device) const override;
};

class HeadsetScriptAdapter : public DeviceScriptAdapter {
 public:
  using DeviceScriptAdapter::DeviceScriptAdapter;
  PowerReading power(devices::CHalvionUSBDevice& device) const override;
  int equaliserPresetCount(devices::CHalvionUSBDevice& device) const override;
  bool selectEqualiserPreset(devices::CHalvionUSBDevice& device, int preset, CommandDone done) override;
};

}  // namespace kavro::app
