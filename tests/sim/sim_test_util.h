#pragma once
// Helpers for driving emulators through the host's own HID layer and command
// channel: finding an emulator's paths by enumeration and opening them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/hid/hid_device.h"
#include "sim/emulator.h"
#include "transport/command_set.h"
#include "transport/hid_channel.h"

namespace kavro::sim::test {

// Every enumerated path whose interface name is `name` ("sim:<name>#...").
inline std::vector<std::string> pathsOf(const std::string& name) {
  hid::HidDeviceInfo dev;
  std::vector<std::string> out;
  if (!dev.enumerate()) return out;
  const std::string prefix = std::string(hid::sim::kPathPrefix) + name + "#";
  while (const std::string* p = dev.nextPath()) {
    if (p->rfind(prefix, 0) == 0) out.push_back(*p);
  }
  return out;
}

// The one path of the interface with the given collection marker ("" for none).
inline std::string pathOf(const std::string& name, const std::string& collection) {
  for (const auto& p : pathsOf(name)) {
    const bool hasCol = p.find("&col") != std::string::npos;
    if (collection.empty() ? !hasCol : p.size() >= collection.size() && p.compare(p.size() - collection.size(), collection.size(), collection) == 0) {
      return p;
    }
  }
  return "";
}

// The command collection's path of an emulator (col04, or the headset's only one).
inline std::string commandPath(const Emulator& e) {
  const std::string name = e.interfaces()[e.interfaces().size() - 1]->info().name;
  return pathOf(name, e.kind() == DeviceKind::Headset ? "" : "&col04");
}

inline std::string notifyPath(const Emulator& e) {
  const std::string name = e.interfaces()[e.interfaces().size() - 1]->info().name;
  return pathOf(name, e.kind() == DeviceKind::Headset ? "" : "&col03");
}

}  // namespace kavro::sim::test
