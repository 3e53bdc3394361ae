#include "devices/light_change.h"

namespace kavro::devices {

int applyLightChange(CHalvionUSBDevice& device, const std::function<void(DeviceLightParams&)>& change) {
  device.channel.stateFlag.store(0);
  DeviceLightParams params = device.getLightParams();
  change(params);
  device.setLightParams(params);
  device.saveProfileData();
  device.applyLightState();
  return device.writeLightSettings();
}

}  // namespace kavro::devices
