#include "sim/demo.h"

#include <memory>
#include <mutex>
#include <vector>

#include "profiles/profile_paths.h"
#include "sim/device_state_file.h"
#include "sim/emulator.h"
#include "sim/kinds.h"

namespace kavro::sim {

namespace {

constexpr char kDemoPrefix[] = "demo-";
constexpr char kDemoStateFolderName[] = "DemoDevices";

std::mutex g_mutex;
std::vector<std::unique_ptr<Emulator>>& demo() {
  static std::vector<std::unique_ptr<Emulator>> devices;
  return devices;
}

}  // namespace

std::string defaultDemoStateFolder() {
  return profiles::joinPath(profiles::userDataRoot(), kDemoStateFolderName);
}

std::string demoStateFile(const std::string& folder, DeviceKind kind) {
  return profiles::joinPath(folder, std::string(kindName(kind)) + kStateFileExtension);
}

bool startDemo(const std::string& kinds, std::string* error, const std::string& stateFolder) {
  std::vector<DeviceKind> list;
  if (!parseKindList(kinds, list, error)) return false;
  stopDemo();
  if (!stateFolder.empty()) profiles::ensureFolder(stateFolder);
  std::vector<std::unique_ptr<Emulator>> started;
  for (DeviceKind kind : list) {
    auto emulator = makeEmulator(kind, inProcessPresence(), kDemoPrefix);
    if (!stateFolder.empty()) emulator->keepStateIn(demoStateFile(stateFolder, kind));
    std::string why;
    if (!emulator->plug(&why)) {
      if (error != nullptr) *error = std::string("cannot start the ") + kindName(kind) + ": " + why;
      return false;  // the ones started so far unplug as they go out of scope
    }
    started.push_back(std::move(emulator));
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  demo() = std::move(started);
  return true;
}

void stopDemo() {
  std::vector<std::unique_ptr<Emulator>> old;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    old.swap(demo());
  }
  old.clear();  // each unplugs as it is destroyed
}

Emulator* demoEmulator(DeviceKind kind) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (const auto& e : demo()) {
    if (e->kind() == kind) return e.get();
  }
  return nullptr;
}

uint64_t demoViolations() {
  std::lock_guard<std::mutex> lock(g_mutex);
  uint64_t total = 0;
  for (const auto& e : demo()) total += e->violations();
  return total;
}

}  // namespace kavro::sim
