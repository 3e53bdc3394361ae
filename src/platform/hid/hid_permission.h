#pragma once
// Tells whether a supported device is present but its hidraw node cannot be
// opened for lack of permission (no udev rule giving the user access).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kavro::hid {

enum class NodeAccess { Ok, NoPermission, Missing, Failed };

// Tries to open the node for reading and writing and closes it again.
NodeAccess checkNodeAccess(const std::string& node);

// The hidraw nodes of the given vendor/product pairs that exist but refuse
// the user (EACCES or EPERM). Empty when udev cannot be asked.
std::vector<std::string> inaccessibleNodes(const std::vector<std::pair<uint16_t, uint16_t>>& ids);

}  // namespace kavro::hid
