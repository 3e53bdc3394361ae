#pragma once
// The library behind the C interface: the device lists, the cards behind
// them, the property store and the effects engine, and the answer to every
// property call.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_card.h"
#include "audio/conf_lib.h"
#include "audio/effects_engine.h"
#include "audio/property_store.h"

namespace kavro::audio {

// One entry of a device list and the card behind it.
struct ListEntry {
  int list = OSCONF_LIST_PLAYBACK;
  int type = OSCONF_TYPE_HEADPHONES;
  bool active = true;
  std::size_t card = 0;  // index into DeviceSet::cards
};

struct DeviceSet {
  std::vector<std::unique_ptr<AudioCard>> cards;
  std::vector<ListEntry> entries;
};

// Finds the cards; called by CreateDeviceList. The store lets a simulated
// card keep its levels.
using DeviceFinder = std::function<DeviceSet(PropertyStore&)>;

class ConfLibrary {
 public:
  ConfLibrary(std::unique_ptr<PropertyStore> store, std::unique_ptr<EffectsEngine> effects, DeviceFinder finder,
              EffectsTarget simTarget = {});

  int createDeviceList();
  int deviceCount(int list, int* count) const;
  int deviceById(int list, int index, OsConfDevice* out) const;
  int propertyControl(const OsConfDevice& device, const char* name, void* value1, void* value2, bool set);

 private:
  struct Endpoint {
    OsConfDevice record;
    Role role;
    AudioCard* card;
  };

  const Endpoint* find(const OsConfDevice& device) const;
  std::vector<const Endpoint*> list(int kind) const;
  int read(const Endpoint& e, const PropertyInfo& p, void* value1, void* value2);
  int write(const Endpoint& e, const PropertyInfo& p, double value, void* value2);
  int writeLevel(const Endpoint& e, const PropertyInfo& p, double value, const void* value2);
  int writeEq(const Endpoint& e, const PropertyInfo& p, double value);
  int writeVoice(const Endpoint& e, const PropertyInfo& p, double value);
  int readLevel(const Endpoint& e, const PropertyInfo& p, const void* value2, double* out);
  double stored(const Endpoint& e, const PropertyInfo& p) const;
  EqState eqState(const Endpoint& e) const;
  VoiceState voiceState(const Endpoint& e) const;
  std::string features(const Endpoint& e) const;
  void applyStoredEffects();

  std::unique_ptr<PropertyStore> store_;
  std::unique_ptr<EffectsEngine> effects_;
  DeviceFinder finder_;
  EffectsTarget simTarget_;
  DeviceSet devices_;
  std::vector<Endpoint> endpoints_;
};

// Name of a role's section in the property store.
const char* sectionName(Role role);

}  // namespace kavro::audio
