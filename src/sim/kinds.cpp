#include "sim/kinds.h"

#include <algorithm>
#include <sstream>

namespace kavro::sim {

namespace {
constexpr DeviceKind kAllKinds[] = {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::Mousepad,
                                    DeviceKind::Headset};

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}
}  // namespace

bool parseKindList(const std::string& text, std::vector<DeviceKind>& out, std::string* error) {
  std::vector<bool> wanted(std::size(kAllKinds), false);
  std::stringstream in(text);
  std::string item;
  bool any = false;
  while (std::getline(in, item, ',')) {
    item = trim(item);
    if (item.empty()) continue;
    any = true;
    if (item == "all") {
      std::fill(wanted.begin(), wanted.end(), true);
      continue;
    }
    DeviceKind kind;
    if (!parseKind(item, kind)) {
      if (error != nullptr) {
        *error = "unknown device kind \"" + item + "\" (use keyboard, mouse, mousepad, headset or all)";
      }
      return false;
    }
    wanted[static_cast<size_t>(kind)] = true;
  }
  if (!any) {
    if (error != nullptr) *error = "no device kind given (use keyboard, mouse, mousepad, headset or all)";
    return false;
  }
  out.clear();
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (wanted[i]) out.push_back(kAllKinds[i]);
  }
  return true;
}

}  // namespace kavro::sim
