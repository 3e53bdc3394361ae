#pragma once
// Backends below HidDeviceInfo: the hidraw nodes of the system and the
// simulated interfaces. Both yield a descriptor-carrying interface and a file
// descriptor with one report per read/write.
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::hid::detail {

// One HID interface of a backend, before it is split into collections.
struct RawInterface {
  std::string base;  // "/dev/hidrawN" or "sim:<name>"
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t version = 0;
  uint8_t interfaceNumber = 0;
  // Which plug-in of the interface this is: another number under the same
  // base means the device went and came back. 0 when not known.
  uint64_t instance = 0;
  std::vector<uint8_t> descriptor;
};

// The instance number in the name of a HID device in sysfs ("0003:0C45:7666.000A"
// gives 0x0A; the kernel counts up for every device it adds), or in a device
// path that holds such a name before "/hidraw/". 0 when there is none.
uint64_t hidInstanceFromName(const std::string& name);

// Lists the hidraw nodes with their identity and report descriptor (read from
// sysfs, no access to the node needed). False when udev could not be asked.
bool listHidraw(std::vector<RawInterface>& out);
// Opens a hidraw node; fills identity and descriptor. -1 on failure.
int openHidraw(const std::string& node, bool wantRead, bool wantWrite, RawInterface& out);

// Lists / opens simulated interfaces (see sim_link.h).
std::vector<RawInterface> listSimulated();
int openSimulated(const std::string& base, RawInterface& out);

}  // namespace kavro::hid::detail
