#pragma once
// Parsing of device kind lists ("keyboard,mouse", "all").
#include <string>
#include <vector>

#include "sim/emulator.h"

namespace kavro::sim {

// Comma-separated kinds or "all", spaces allowed, duplicates dropped, in the
// order keyboard, mouse, mousepad, headset. False with a message on an empty
// list or an unknown name.
bool parseKindList(const std::string& text, std::vector<DeviceKind>& out, std::string* error);

}  // namespace kavro::sim
