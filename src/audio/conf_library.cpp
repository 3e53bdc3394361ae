#include "audio/conf_library.h"

#include <cmath>

#include "audio/value_forms.h"
#include "platform/debug.h"

namespace kavro::audio {
namespace {

constexpr char kPlaybackSection[] = "playback";
constexpr char kCaptureSection[] = "capture";
constexpr int kPlaybackChannels = 2;
constexpr int kCaptureChannels = 1;
constexpr int kRoomEnvironmentCount = 26;

bool inRange(const PropertyInfo& p, double v) { return v >= p.min && v <= p.max && v == std::floor(v); }

}  // namespace

const char* sectionName(Role role) { return role == Role::Playback ? kPlaybackSection : kCaptureSection; }

ConfLibrary::ConfLibrary(std::unique_ptr<PropertyStore> store, std::unique_ptr<EffectsEngine> effects,
                         DeviceFinder finder, EffectsTarget simTarget)
    : store_(std::move(store)),
      effects_(effects ? std::move(effects) : std::make_unique<NoEffects>()),
      finder_(std::move(finder)),
      simTarget_(std::move(simTarget)) {
  store_->load();
}

int ConfLibrary::createDeviceList() {
  endpoints_.clear();
  devices_ = finder_(*store_);
  for (const ListEntry& entry : devices_.entries) {
    if (entry.card >= devices_.cards.size()) continue;
    AudioCard* card = devices_.cards[entry.card].get();
    Endpoint e;
    e.record.id = static_cast<std::int32_t>(endpoints_.size() + 1);
    e.record.type = entry.type;
    e.record.card = card->cardNumber();
    e.record.active = entry.active ? 1 : 0;
    e.role = entry.list == OSCONF_LIST_PLAYBACK ? Role::Playback : Role::Capture;
    e.card = card;
    endpoints_.push_back(e);
  }
  applyStoredEffects();
  return OSCONF_OK;
}

// Puts the stored equaliser and voice changer on the first present card.
void ConfLibrary::applyStoredEffects() {
  const Endpoint* playback = nullptr;
  const Endpoint* capture = nullptr;
  for (const Endpoint& e : endpoints_) {
    if (e.record.active == 0) continue;
    if (e.role == Role::Playback && playback == nullptr) playback = &e;
    if (e.role == Role::Capture && capture == nullptr) capture = &e;
  }
  const Endpoint* any = playback ? playback : capture;
  if (any == nullptr) return;
  EffectsTarget target = any->card->cardNumber() >= 0 ? EffectsTarget{any->card->cardNumber(), {}, {}} : simTarget_;
  effects_->setTarget(target);
  if (playback && !effects_->applyEq(eqState(*playback))) dbg::write("osConfLib: equaliser not applied\n");
  if (capture && !effects_->applyVoice(voiceState(*capture))) dbg::write("osConfLib: voice changer not applied\n");
}

std::vector<const ConfLibrary::Endpoint*> ConfLibrary::list(int kind) const {
  std::vector<const Endpoint*> out;
  const Role role = kind == OSCONF_LIST_PLAYBACK ? Role::Playback : Role::Capture;
  for (const Endpoint& e : endpoints_) {
    if (e.role == role) out.push_back(&e);
  }
  return out;
}

int ConfLibrary::deviceCount(int kind, int* count) const {
  if (count == nullptr || (kind != OSCONF_LIST_PLAYBACK && kind != OSCONF_LIST_CAPTURE)) {
    return OSCONF_ERR_BAD_ARGUMENT;
  }
  *count = static_cast<int>(list(kind).size());
  return OSCONF_OK;
}

int ConfLibrary::deviceById(int kind, int index, OsConfDevice* out) const {
  if (out == nullptr || (kind != OSCONF_LIST_PLAYBACK && kind != OSCONF_LIST_CAPTURE)) {
    return OSCONF_ERR_BAD_ARGUMENT;
  }
  const auto entries = list(kind);
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return OSCONF_ERR_NO_DEVICE;
  *out = entries[static_cast<std::size_t>(index)]->record;
  return OSCONF_OK;
}

const ConfLibrary::Endpoint* ConfLibrary::find(const OsConfDevice& device) const {
  if (device.id < 1 || static_cast<std::size_t>(device.id) > endpoints_.size()) return nullptr;
  const Endpoint& e = endpoints_[static_cast<std::size_t>(device.id - 1)];
  return e.record.active != 0 ? &e : nullptr;
}

int ConfLibrary::propertyControl(const OsConfDevice& device, const char* name, void* value1, void* value2,
                                 bool set) {
  if (name == nullptr || value1 == nullptr) return OSCONF_ERR_BAD_ARGUMENT;
  const Endpoint* e = find(device);
  if (e == nullptr) return OSCONF_ERR_NO_DEVICE;
  const PropertyInfo* p = findProperty(name);
  if (p == nullptr) return OSCONF_ERR_UNKNOWN_PROPERTY;
  if (!carriedBy(p->roles, e->role)) return OSCONF_ERR_NOT_SUPPORTED;
  if (!set) return read(*e, *p, value1, value2);
  if (!p->writable) return OSCONF_ERR_READ_ONLY;
  auto value = decodeWrite(p->form, value1);
  if (!value) return OSCONF_ERR_BAD_VALUE;
  return write(*e, *p, *value, value2);
}

double ConfLibrary::stored(const Endpoint& e, const PropertyInfo& p) const {
  return store_->getOr(e.card->key(), sectionName(e.role), p.name, p.initial);
}

EqState ConfLibrary::eqState(const Endpoint& e) const {
  EqState s;
  s.enabled = store_->getOr(e.card->key(), kPlaybackSection, "Enable_EQ_GFX", 0) != 0;
  for (int band = 0; band < kEqBands; ++band) {
    s.gains[band] = store_->getOr(e.card->key(), kPlaybackSection, "EQ_Slider" + std::to_string(band + 1), 0);
  }
  return s;
}

VoiceState ConfLibrary::voiceState(const Endpoint& e) const {
  VoiceState s;
  s.enabled = store_->getOr(e.card->key(), kCaptureSection, "Enable_MAGICVOICE", 0) != 0;
  s.selection = static_cast<int>(store_->getOr(e.card->key(), kCaptureSection, "MagicVoice_Selection", 0));
  return s;
}

std::string ConfLibrary::features(const Endpoint& e) const {
  FeatureInfo f;
  const bool playback = e.role == Role::Playback;
  f.featureBits = playback ? (kFeatureEqualiser | kFeatureSurround | kFeatureRoom)
                           : (kFeatureNoiseCancel | kFeatureVoiceChanger | kFeatureMicEcho | kFeatureRoom);
  f.eqBands = kEqBands;
  f.voiceEffects = kVoiceEffects;
  f.roomEnvironments = kRoomEnvironmentCount;
  f.effectsLive = playback ? effects_->eqActive() : effects_->voiceActive();
  f.channels = playback ? kPlaybackChannels : kCaptureChannels;
  f.monitorPath = e.card->hasPath(Path::Monitor);
  return featureText(f);
}

int ConfLibrary::readLevel(const Endpoint& e, const PropertyInfo& p, const void* value2, double* out) {
  const Path path = pathFor(e.role, p.endpoint);
  if (!e.card->hasPath(path)) return OSCONF_ERR_NOT_SUPPORTED;
  auto channel = decodeChannel(value2);
  if (!channel) return OSCONF_ERR_BAD_VALUE;
  std::optional<double> v;
  switch (p.backing) {
    case Backing::Level: v = e.card->level(path, *channel); break;
    case Backing::LevelDb: v = e.card->levelDb(path, *channel); break;
    case Backing::Mute:
      if (auto m = e.card->muted(path)) v = *m ? 1 : 0;
      break;
    case Backing::RangeMax:
    case Backing::RangeMin:
    case Backing::RangeStep:
      if (auto r = e.card->range(path)) {
        v = p.backing == Backing::RangeMax ? r->maxDb : p.backing == Backing::RangeMin ? r->minDb : r->stepDb;
      }
      break;
    default: break;
  }
  if (!v) return OSCONF_ERR_IO;
  *out = *v;
  return OSCONF_OK;
}

int ConfLibrary::read(const Endpoint& e, const PropertyInfo& p, void* value1, void* value2) {
  double v = 0;
  switch (p.backing) {
    case Backing::Features:
      writeText(value1, features(e));
      return OSCONF_OK;
    case Backing::EqActive: v = effects_->eqActive() ? 1 : 0; break;
    case Backing::VoiceActive: v = effects_->voiceActive() ? 1 : 0; break;
    case Backing::Stored:
    case Backing::EqEnable:
    case Backing::EqBand:
    case Backing::VoiceEnable:
    case Backing::VoiceSelect: v = stored(e, p); break;
    default:
      if (int rc = readLevel(e, p, value2, &v); rc != OSCONF_OK) return rc;
  }
  writeText(value1, formatValue(p.form, v));
  return OSCONF_OK;
}

int ConfLibrary::write(const Endpoint& e, const PropertyInfo& p, double value, void* value2) {
  switch (p.backing) {
    case Backing::Stored:
      if (!inRange(p, value)) return OSCONF_ERR_BAD_VALUE;
      store_->set(e.card->key(), sectionName(e.role), p.name, value);
      return OSCONF_OK;
    case Backing::EqEnable:
    case Backing::EqBand: return writeEq(e, p, value);
    case Backing::VoiceEnable:
    case Backing::VoiceSelect: return writeVoice(e, p, value);
    default: return writeLevel(e, p, value, value2);
  }
}

int ConfLibrary::writeLevel(const Endpoint& e, const PropertyInfo& p, double value, const void* value2) {
  const Path path = pathFor(e.role, p.endpoint);
  if (!e.card->hasPath(path)) return OSCONF_ERR_NOT_SUPPORTED;
  auto channel = decodeChannel(value2);
  if (!channel) return OSCONF_ERR_BAD_VALUE;
  bool ok = false;
  if (p.backing == Backing::Mute) {
    ok = e.card->setMuted(path, value != 0);
  } else if (p.backing == Backing::Level) {
    if (value < 0 || value > 1) return OSCONF_ERR_BAD_VALUE;
    ok = e.card->setLevel(path, *channel, value);
  } else if (p.backing == Backing::LevelDb) {
    auto r = e.card->range(path);
    if (!r) return OSCONF_ERR_IO;
    if (value < r->minDb || value > r->maxDb) return OSCONF_ERR_BAD_VALUE;
    ok = e.card->setLevelDb(path, *channel, value);
  }
  return ok ? OSCONF_OK : OSCONF_ERR_IO;
}

// The filters take the new value first; the store keeps it only when they
// did, so a failed write leaves the old value readable.
int ConfLibrary::writeEq(const Endpoint& e, const PropertyInfo& p, double value) {
  if (!inRange(p, value)) return OSCONF_ERR_BAD_VALUE;
  EqState s = eqState(e);
  if (p.backing == Backing::EqEnable) {
    s.enabled = value != 0;
  } else {
    s.gains[p.band] = value;
  }
  if (!effects_->applyEq(s)) return OSCONF_ERR_IO;
  store_->set(e.card->key(), kPlaybackSection, p.name, value);
  return OSCONF_OK;
}

int ConfLibrary::writeVoice(const Endpoint& e, const PropertyInfo& p, double value) {
  if (!inRange(p, value)) return OSCONF_ERR_BAD_VALUE;
  VoiceState s = voiceState(e);
  if (p.backing == Backing::VoiceEnable) {
    s.enabled = value != 0;
  } else {
    s.selection = static_cast<int>(value);
  }
  if (!effects_->applyVoice(s)) return OSCONF_ERR_IO;
  store_->set(e.card->key(), kCaptureSection, p.name, value);
  return OSCONF_OK;
}

}  // namespace kavro::audio
