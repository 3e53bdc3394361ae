#pragma once
// What scripts may read and change of a device beyond what every device
// class offers: one adapter per device kind. The generic parts (profiles,
// the lighting parameters, the command queue) go through CHalvionUSBDevice;
// the adapter supplies the kind's name, its power reading, its lighting
// limits and the kind-only commands (the mouse's DPI stage, the headset's
// equaliser preset). Kinds whose device class does not offer a command
// leave it unsupported.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kavro::devices {
class CHalvionUSBDevice;
}

namespace kavro::app {

struct PowerReading {
  int battery = -1;  // percent; -1 when the device reports none
  bool charging = false;
  bool connected = true;  // the wireless link (always true for a cable)
};

struct LightLimits {
  std::vector<std::string> effects;  // effect names in the panel's order
  std::vector<bool> usable;          // false: the panel hides the effect
  int maxBrightness = 4;
  int maxSpeed = 4;
};

// The result of a kind-only command: transport::kCmdOk when the device took it.
using CommandDone = std::function<void(int result)>;

class DeviceScriptAdapter {
 public:
  explicit DeviceScriptAdapter(std::string kind) : kind_(std::move(kind)) {}
  virtual ~DeviceScriptAdapter() = default;

  const std::string& kind() const { return kind_; }
  // The device's name as its tab shows it.
  virtual std::string name(devices::CHalvionUSBDevice& device) const;
  // "V%04x" of the interface's version number, as the update page shows it.
  virtual std::string firmware(devices::CHalvionUSBDevice& device) const;
  virtual PowerReading power(devices::CHalvionUSBDevice& device) const;
  virtual LightLimits lightLimits(devices::CHalvionUSBDevice& device) const;

  // Number of DPI stages / equaliser presets; 0 when the kind has none.
  virtual int dpiStageCount(devices::CHalvionUSBDevice&) const { return 0; }
  virtual int equaliserPresetCount(devices::CHalvionUSBDevice&) const { return 0; }
  // Why a stage inside the count cannot be selected now (it is switched
  // off); empty when it can.
  virtual std::string dpiStageRefusal(devices::CHalvionUSBDevice&, int) const { return {}; }
  // Selects a stage or preset (already checked against the count) through
  // the device's own code path; done runs on the window thread with the
  // result (it may run before the call returns). False, and done does not
  // run, when nothing was queued (the device is not open).
  virtual bool selectDpiStage(devices::CHalvionUSBDevice&, int, CommandDone) { return false; }
  virtual bool selectEqualiserPreset(devices::CHalvionUSBDevice&, int, CommandDone) { return false; }

 private:
  std::string kind_;
};

// The adapter of a kind index of the device table (0 mouse, 1 keyboard,
// 2 mousepad, 3 headset); nullptr outside it.
DeviceScriptAdapter* adapterForKindIndex(size_t kindIndex);
// The kind index of a kind name ("keyboard" ...); -1 when unknown.
int kindIndexOfName(const std::string& kind);

}  // namespace kavro::app
