// The script adapters of the mouse, the mousepad and the headset: their
// power readings, the mouse's DPI stages and the headset's equaliser presets,
// each through the device class's own operation (the one its page calls).
#include "app/device_script_adapter_kinds.h"

#include <QPointer>

#include <array>

#include "devices/device_base.h"
#include "devices/headset/headset_device.h"
#include "devices/headset/headset_eq.h"
#include "devices/mouse/mouse_device.h"
#include "devices/mouse/mouse_io.h"
#include "devices/mouse/mouse_settings.h"
#include "devices/power_status.h"
#include "transport/command_set.h"

namespace kavro::app {

namespace {
// Charging state byte: on outside power without a battery, being charged.
constexpr uint8_t kPowered = 0;
constexpr uint8_t kChargingNow = 1;
// Connection states of the mouse's link in which it does not take commands.
constexpr uint8_t kLinkAsleep = 1;
constexpr uint8_t kLinkLost = 2;
// Scripts count the equaliser presets from 0; the headset from its first.
constexpr int kFirstScriptPreset = headset::kFirstEqPreset;
constexpr int kScriptPresetCount = headset::kCustomEqPreset - headset::kFirstEqPreset + 1;
}  // namespace

PowerReading powerFromStatus(const std::array<uint8_t, devices::kPowerStatusBytes>& status, bool wireless) {
  PowerReading r;
  r.battery = status[devices::kStatusLevel];
  r.charging = status[devices::kStatusCharging] == kChargingNow;
  if (wireless) {
    const uint8_t link = status[mouse::kStatusConnectionByte];
    r.connected = link != kLinkAsleep && link != kLinkLost;
  }
  return r;
}

// ---- mouse --------------------------------------------------------------------

namespace {
devices::CHalvionMouseDevice* asMouse(devices::CHalvionUSBDevice& device) {
  return qobject_cast<devices::CHalvionMouseDevice*>(&device);
}
}  // namespace

PowerReading MouseScriptAdapter::power(devices::CHalvionUSBDevice& device) const {
  std::array<uint8_t, devices::kPowerStatusBytes> status{};
  if (!device.lastPowerStatus(&status)) {
    PowerReading none;
    none.connected = device.isAnswering();
    return none;
  }
  PowerReading r = powerFromStatus(status, true);
  r.connected = r.connected && device.isAnswering();
  return r;
}

int MouseScriptAdapter::dpiStageCount(devices::CHalvionUSBDevice& device) const {
  return asMouse(device) ? static_cast<int>(mouse::kStageCount) : 0;
}

std::string MouseScriptAdapter::dpiStageRefusal(devices::CHalvionUSBDevice& device, int stage) const {
  devices::CHalvionMouseDevice* m = asMouse(device);
  if (!m) return {};
  const std::vector<profiles::DpiStage>& stages = m->dpiStages();
  const auto i = static_cast<size_t>(stage);
  if (i >= stages.size() || !stages[i].active) return "DPI stage " + std::to_string(stage) + " is switched off";
  return {};
}

bool MouseScriptAdapter::selectDpiStage(devices::CHalvionUSBDevice& device, int stage, CommandDone done) {
  devices::CHalvionMouseDevice* m = asMouse(device);
  if (!m || !m->channel.isConnected()) return false;
  // As a click on the stage's option: the page shows it, the profile keeps
  // it, the mouse gets the settings block; done gets the write's result.
  m->setCurrentStage(stage, std::move(done));
  return true;
}

// ---- mousepad -----------------------------------------------------------------

// A pad that runs from its cable reports a full level it does not have: its
// battery is only what a pad on battery or charging reports.
PowerReading padPowerFromStatus(const std::array<uint8_t, devices::kPowerStatusBytes>& status) {
  if (status[devices::kStatusCharging] == kPowered) return {};
  return powerFromStatus(status, false);
}

PowerReading MousepadScriptAdapter::power(devices::CHalvionUSBDevice& device) const {
  std::array<uint8_t, devices::kPowerStatusBytes> status{};
  PowerReading r;
  if (device.lastPowerStatus(&status)) r = padPowerFromStatus(status);
  r.connected = device.isAnswering();
  return r;
}

// ---- headset ------------------------------------------------------------------

namespace {
devices::CHalvionHS6533Device* asHeadset(devices::CHalvionUSBDevice& device) {
  return qobject_cast<devices::CHalvionHS6533Device*>(&device);
}
}  // namespace

PowerReading HeadsetScriptAdapter::power(devices::CHalvionUSBDevice& device) const {
  PowerReading r;  // powered from USB: no battery
  r.connected = device.isAnswering();
  return r;
}

int HeadsetScriptAdapter::equaliserPresetCount(devices::CHalvionUSBDevice& device) const {
  return asHeadset(device) ? kScriptPresetCount : 0;
}

bool HeadsetScriptAdapter::selectEqualiserPreset(devices::CHalvionUSBDevice& device, int preset, CommandDone done) {
  devices::CHalvionHS6533Device* h = asHeadset(device);
  if (!h) return false;
  // The audio worker is asked first whether the library runs, so a headset
  // without audio refuses the preset before the profile or the page change.
  QPointer<devices::CHalvionHS6533Device> headset(h);
  h->afterAudio([headset, preset, done = std::move(done)](bool ready) {
    if (!headset) return;  // gone: the waiting request ends with the device
    if (!ready) return done(transport::kResultNoAnswer);
    headset->selectEqPreset(kFirstScriptPreset + preset, [done](bool ok) {
      done(ok ? transport::kCmdOk : transport::kResultWriteFailed);
    });
  });
  return true;
}

}  // namespace kavro::app
