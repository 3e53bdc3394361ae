#include "devices/power_status.h"

#include "devices/discovery/device_tables.h"

namespace kavro::devices {

namespace {
void phoneFor(uint8_t code, PowerView& v) {
  switch (code) {
    case 1: v.phoneText = "Phone_type_iphone", v.phoneImage = "file='power/Phone_type_iphone.png'"; break;
    case 2: v.phoneText = "Phone_type_samsung", v.phoneImage = "file='power/Phone_type_samsung.png'"; break;
    case 3: v.phoneText = "Phone_type_other", v.phoneImage = "file='power/Phone_type_other.png'"; break;
    default: v.phoneText = "Phone_type_no_device", v.phoneImage = "file='power/Phone_type_no_device.png'"; break;
  }
}
}  // namespace

PowerView powerView(const std::array<uint8_t, 6>& status, int deviceType, int role) {
  (void)role;
  PowerView v;
  const int level = status[kStatusLevel];
  v.barValue = 100 - level;
  v.valueText = std::to_string(level) + "%";
  const bool wireless = status[kStatusWireless] != 0;
  switch (status[kStatusCharging]) {
    case 0: v.statusImage = "file='power/powered.png'"; break;
    case 1:
      v.barVisible = !wireless;
      v.statusImage = wireless ? "file='power/wuxian_powering.png'" : "file='power/powering.png'";
      break;
    case 2: v.statusImage = "file='power/power.png'"; break;
    default: break;  // unknown state: the image stays as it was
  }
  if (deviceType == kTypeMouse || deviceType == kTypeMouseLong) {
    v.wirelessLogoTouched = true;
    v.wirelessLogoVisible = wireless;
  }
  if (deviceType == kTypeMousepad) {
    v.phoneShown = true;
    phoneFor(status[kStatusPhone], v);
  }
  return v;
}

}  // namespace kavro::devices
