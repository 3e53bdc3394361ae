#pragma once
// A lighting change from the user (the lighting panel or a script): the
// device leaves synchronised lighting, the profile keeps the new values, the
// page's preview takes them and the device gets them.
#include <functional>

#include "devices/device_base.h"

namespace kavro::devices {

// Returns the write's result: 1 when queued, 0 when the device is not open.
int applyLightChange(CHalvionUSBDevice& device, const std::function<void(DeviceLightParams&)>& change);

}  // namespace kavro::devices
