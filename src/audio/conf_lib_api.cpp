// The exported C functions of libosConfLib.so. Each call takes the library
// lock, so calls from several threads do not interleave.
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "audio/alsa_card.h"
#include "audio/conf_lib.h"
#include "audio/conf_library.h"
#include "audio/device_select.h"
#include "audio/sim_card.h"
#include "platform/debug.h"

namespace kavro::audio {
namespace {

// KAVRO_AUDIO_SIM: the simulated card instead of the ALSA cards, with an
// optional list description (see parseSimEntries).
constexpr char kSimVariable[] = "KAVRO_AUDIO_SIM";
// KAVRO_AUDIO_SIM_SINK / _SOURCE: PipeWire nodes that stand in for the
// simulated card's sink and source; without them the simulated card's
// effects are stored only.
constexpr char kSimSinkVariable[] = "KAVRO_AUDIO_SIM_SINK";
constexpr char kSimSourceVariable[] = "KAVRO_AUDIO_SIM_SOURCE";
// KAVRO_AUDIO_EFFECTS=0: never use PipeWire.
constexpr char kEffectsVariable[] = "KAVRO_AUDIO_EFFECTS";

struct State {
  std::mutex mutex;
  std::unique_ptr<ConfLibrary> library;
  OsConfCallback callback = nullptr;
  void* callbackContext = nullptr;
};

State& state() {
  static State s;
  return s;
}

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool simulated() {
  const std::string v = env(kSimVariable);
  return !v.empty() && v != "0";
}

DeviceSet simulatedDevices(const std::vector<SimEntry>& entries, PropertyStore& store) {
  int playbackType = OSCONF_TYPE_HEADPHONES;
  for (const SimEntry& e : entries) {
    if (e.list == OSCONF_LIST_PLAYBACK) {
      playbackType = e.type;
      break;
    }
  }
  DeviceSet set;
  set.cards.push_back(std::make_unique<SimCard>(store, playbackType));
  for (const SimEntry& e : entries) set.entries.push_back({e.list, e.type, e.active, 0});
  return set;
}

std::unique_ptr<ConfLibrary> makeLibrary() {
  const bool sim = simulated();
  auto store = std::make_unique<PropertyStore>(stateFilePath(sim));
  EffectsTarget simTarget{-1, env(kSimSinkVariable), env(kSimSourceVariable)};
  const bool wantEffects =
      env(kEffectsVariable) != "0" && (!sim || !simTarget.sinkNode.empty() || !simTarget.sourceNode.empty());
  std::unique_ptr<EffectsEngine> effects = wantEffects ? connectPipeWireEffects() : nullptr;
  if (wantEffects && !effects) dbg::write("osConfLib: no PipeWire; effects are stored only\n");
  DeviceFinder finder;
  if (sim) {
    auto entries = parseSimEntries(env(kSimVariable));
    if (!entries) {
      dbg::write("osConfLib: bad " + std::string(kSimVariable) + "; using the usual headset\n");
      entries = parseSimEntries("1");
    }
    finder = [entries = *entries](PropertyStore& s) { return simulatedDevices(entries, s); };
  } else {
    finder = [](PropertyStore&) { return findAlsaHeadsets(); };
  }
  return std::make_unique<ConfLibrary>(std::move(store), std::move(effects), std::move(finder), simTarget);
}

}  // namespace
}  // namespace kavro::audio

using kavro::audio::state;

#define OSCONF_EXPORT extern "C" __attribute__((visibility("default")))

OSCONF_EXPORT int ConfLibInit(void) {
  std::lock_guard lock(state().mutex);
  // The library's debug lines follow KAVRO_DEBUG like the program's.
  kavro::dbg::initFromEnvironment();
  if (!state().library) state().library = kavro::audio::makeLibrary();
  return OSCONF_OK;
}

OSCONF_EXPORT int ConfLibUnInit(void) {
  std::lock_guard lock(state().mutex);
  state().library.reset();
  state().callback = nullptr;
  state().callbackContext = nullptr;
  return OSCONF_OK;
}

OSCONF_EXPORT int CreateDeviceList(void) {
  std::lock_guard lock(state().mutex);
  if (!state().library) return OSCONF_ERR_NOT_INITIALISED;
  return state().library->createDeviceList();
}

OSCONF_EXPORT int GetDeviceCount(int list_kind, int* count) {
  std::lock_guard lock(state().mutex);
  if (!state().library) return OSCONF_ERR_NOT_INITIALISED;
  return state().library->deviceCount(list_kind, count);
}

OSCONF_EXPORT int GetDeviceById(int list_kind, int index, OsConfDevice* device) {
  std::lock_guard lock(state().mutex);
  if (!state().library) return OSCONF_ERR_NOT_INITIALISED;
  return state().library->deviceById(list_kind, index, device);
}

OSCONF_EXPORT int PropertyControl(OsConfDevice device, const char* property, void* value1, void* value2, int set) {
  OsConfCallback callback = nullptr;
  void* context = nullptr;
  int rc;
  {
    std::lock_guard lock(state().mutex);
    if (!state().library) return OSCONF_ERR_NOT_INITIALISED;
    if (set != OSCONF_GET && set != OSCONF_SET) return OSCONF_ERR_BAD_ARGUMENT;
    rc = state().library->propertyControl(device, property, value1, value2, set == OSCONF_SET);
    if (rc == OSCONF_OK && set == OSCONF_SET) {
      callback = state().callback;
      context = state().callbackContext;
    }
  }
  // Outside the lock, so the callback may call back into the library.
  if (callback) callback(device, property, context);
  return rc;
}

OSCONF_EXPORT int RegisterCallbackFunction(OsConfCallback callback, void* context) {
  std::lock_guard lock(state().mutex);
  state().callback = callback;
  state().callbackContext = context;
  return OSCONF_OK;
}

// There is no ASIO on Linux and no test tone; these answer "not supported".
OSCONF_EXPORT int ShowAsioPanel(void) { return OSCONF_ERR_NOT_SUPPORTED; }
OSCONF_EXPORT int PlayTestSound(OsConfDevice) { return OSCONF_ERR_NOT_SUPPORTED; }
OSCONF_EXPORT int StopTestSound(OsConfDevice) { return OSCONF_ERR_NOT_SUPPORTED; }
OSCONF_EXPORT int CloseTestSound(OsConfDevice) { return OSCONF_ERR_NOT_SUPPORTED; }
