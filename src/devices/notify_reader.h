#pragma once
// The loop of a device's input thread: reads the reports of its notify
// interface until the stop event is set and hands every pressed button usage
// of the interface's own reports to the device.
#include <cstdint>
#include <functional>

#include "platform/event.h"
#include "platform/hid/hid_device.h"

namespace kavro::devices {

// Runs until `stop` is set (an abort of `dev` cuts a waiting read short).
void readNotifyUsages(hid::HidDeviceInfo& dev, Event& stop, const std::function<void(std::uint16_t)>& onUsage);

}  // namespace kavro::devices
