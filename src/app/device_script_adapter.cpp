#include "app/device_script_adapter.h"
#include "app/device_script_adapter_kinds.h"

#include <array>
#include <cstdio>
#include <memory>

#include "devices/device_base.h"
#include "devices/device_option.h"
#include "skin/resource_manager.h"
#ifdef KAVRO_HAVE_PANELS
#include "panels/light_control_names.h"
#endif

namespace kavro::app {

namespace {
constexpr char kTabNameControl[] = "device_select_name";
constexpr int kLightLevelMax = 4;  // both lighting sliders run over levels 0..4

// Kind names in the order of the device table.
constexpr std::array<const char*, 4> kKindNames = {"mouse", "keyboard", "mousepad", "headset"};
}  // namespace

std::string DeviceScriptAdapter::name(devices::CHalvionUSBDevice& device) const {
  if (devices::CDeviceOptionUI* tab = device.tab()) {
    if (skin::CControlUI* label = tab->FindControlByName(QString::fromLatin1(kTabNameControl))) {
      const QString text = skin::CResourceManager::GetInstance().ResolveText(label->GetText());
      if (!text.isEmpty()) return text.toStdString();
    }
  }
  return device.typeName;
}

std::string DeviceScriptAdapter::firmware(devices::CHalvionUSBDevice& device) const {
  if (!device.channel.isConnected()) return {};
  char text[16];
  std::snprintf(text, sizeof text, "V%04x", unsigned(device.channel.hid.attributes.versionNumber));
  return text;
}

PowerReading DeviceScriptAdapter::power(devices::CHalvionUSBDevice&) const { return {}; }

LightLimits DeviceScriptAdapter::lightLimits(devices::CHalvionUSBDevice& device) const {
  LightLimits limits;
  limits.maxBrightness = kLightLevelMax;
  limits.maxSpeed = kLightLevelMax;
#ifdef KAVRO_HAVE_PANELS
  static const Json::Value names =
      panels::readDefaultLightNames(devices::CHalvionUSBDevice::programFolder() + "/DefaultData");
  const panels::EffectNameList list = panels::effectNamesFrom(names, device.getKindIndex());
  for (size_t i = 0; i < list.names.size(); ++i) {
    limits.effects.push_back(list.names[i].toStdString());
    limits.usable.push_back(i < list.visible.size() && list.visible[i] != 0);
  }
#else
  (void)device;
#endif
  return limits;
}

DeviceScriptAdapter* adapterForKindIndex(size_t kindIndex) {
  // The keyboard has no battery and no kind-only commands: the base serves it.
  static std::array<std::unique_ptr<DeviceScriptAdapter>, kKindNames.size()> adapters = {
      std::make_unique<MouseScriptAdapter>(kKindNames[0]), std::make_unique<DeviceScriptAdapter>(kKindNames[1]),
      std::make_unique<MousepadScriptAdapter>(kKindNames[2]), std::make_unique<HeadsetScriptAdapter>(kKindNames[3])};
  return kindIndex < adapters.size() ? adapters[kindIndex].get() : nullptr;
}

int kindIndexOfName(const std::string& kind) {
  for (size_t i = 0; i < kKindNames.size(); ++i) {
    if (kind == kKindNames[i]) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kavro::app
