// The equaliser and voice changer as PipeWire filter chains, loaded into
// this process's own PipeWire context (a module dies with the process that
// loaded it, so the long-running program holds them). Gains change live
// through the chain node's Props and are read back, since PipeWire ignores
// a misspelt control name without a word.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <pipewire/extensions/metadata.h>
#include <pipewire/impl.h>
#include <pipewire/pipewire.h>
#include <spa/param/props.h>
#include <spa/pod/builder.h>
#include <spa/pod/iter.h>
#pragma GCC diagnostic pop

#include "audio/effects_engine.h"
#include "platform/debug.h"
#include "profiles/json_file.h"

namespace kavro::audio {
namespace {

constexpr char kFilterChainModule[] = "libpipewire-module-filter-chain";
constexpr char kLoopName[] = "kavro-audio";
constexpr char kSinkClass[] = "Audio/Sink";
constexpr char kSourceClass[] = "Audio/Source";
constexpr char kDefaultMetadata[] = "default";
constexpr char kImpulseFile[] = "kavro-hall-impulse.wav";
constexpr int kImpulseRate = 48000;
constexpr double kImpulseSeconds = 1.8;
constexpr std::uint32_t kImpulseSeed = 0x4b415652;  // "KAVR"
// How long a chain may take to appear or to take new gains.
constexpr auto kSettleTime = std::chrono::milliseconds(3000);
constexpr float kGainTolerance = 0.01f;
constexpr std::size_t kPodBufferBytes = 4096;

using Clock = std::chrono::steady_clock;

struct NodeInfo {
  std::string name;
  std::string mediaClass;
  std::string alsaCard;
};

std::string prop(const spa_dict* props, const char* key) {
  const char* v = props ? spa_dict_lookup(props, key) : nullptr;
  return v ? v : "";
}

class PipeWireEffects : public EffectsEngine {
 public:
  ~PipeWireEffects() override;
  bool connect();

  void setTarget(const EffectsTarget& target) override;
  bool applyEq(const EqState& state) override;
  bool applyVoice(const VoiceState& state) override;
  bool eqActive() const override { return eqNode_ != nullptr && !broken_; }
  bool voiceActive() const override { return voiceModule_ != nullptr && !broken_; }

 private:
  class Lock {
   public:
    explicit Lock(pw_thread_loop* l) : loop_(l) { pw_thread_loop_lock(loop_); }
    ~Lock() { pw_thread_loop_unlock(loop_); }
   private:
    pw_thread_loop* loop_;
  };

  static void onCoreDone(void* data, uint32_t id, int seq);
  static void onCoreError(void* data, uint32_t id, int seq, int res, const char* message);
  static void onGlobal(void* data, uint32_t id, uint32_t permissions, const char* type, uint32_t version,
                       const spa_dict* props);
  static void onGlobalRemove(void* data, uint32_t id);
  static void onNodeParam(void* data, int seq, uint32_t id, uint32_t index, uint32_t next, const spa_pod* param);
  static int onMetadataProperty(void* data, uint32_t subject, const char* key, const char* type, const char* value);

  bool roundtrip();
  std::optional<uint32_t> nodeNamed(const std::string& name) const;
  std::string targetNode(const char* mediaClass, const std::string& simName) const;
  std::optional<uint32_t> waitForNode(const std::string& name);
  bool loadEq(const EqGains& gains);
  bool setGains(const EqGains& gains);
  bool gainsAre(const EqGains& gains) const;
  void unloadEq();
  void unloadVoice();
  void bindDefaults();
  void takeOverDefaultSink(const std::string& headsetSink);
  void giveBackDefaultSink();
  std::string impulsePath();

  pw_thread_loop* loop_ = nullptr;
  pw_context* context_ = nullptr;
  pw_core* core_ = nullptr;
  pw_registry* registry_ = nullptr;
  spa_hook coreListener_{};
  spa_hook registryListener_{};
  spa_hook nodeListener_{};
  pw_core_events coreEvents_{};
  pw_registry_events registryEvents_{};
  pw_node_events nodeEvents_{};

  std::map<uint32_t, NodeInfo> nodes_;
  std::optional<uint32_t> defaultsId_;
  pw_metadata* defaults_ = nullptr;
  spa_hook defaultsListener_{};
  pw_metadata_events defaultsEvents_{};
  std::map<std::string, std::string> defaultValues_;
  // The configured default sink before the equaliser took it over, when it did.
  std::optional<std::string> replacedDefault_;
  std::map<std::string, float> eqControls_;
  int pendingSeq_ = -1;
  bool synced_ = false;
  // Set by the loop thread when the daemon goes away.
  std::atomic<bool> broken_{false};

  EffectsTarget target_;
  pw_impl_module* eqModule_ = nullptr;
  pw_node* eqNode_ = nullptr;
  pw_impl_module* voiceModule_ = nullptr;
  int voiceSelection_ = -1;
  std::string impulsePath_;
};

void PipeWireEffects::onCoreDone(void* data, uint32_t id, int seq) {
  auto* self = static_cast<PipeWireEffects*>(data);
  if (id == PW_ID_CORE && seq == self->pendingSeq_) {
    self->synced_ = true;
    pw_thread_loop_signal(self->loop_, false);
  }
}

void PipeWireEffects::onCoreError(void* data, uint32_t id, int, int res, const char* message) {
  auto* self = static_cast<PipeWireEffects*>(data);
  dbg::write(std::string("osConfLib: PipeWire error: ") + (message ? message : "") + "\n");
  if (id == PW_ID_CORE && res == -EPIPE) {
    self->broken_ = true;
    pw_thread_loop_signal(self->loop_, false);
  }
}

void PipeWireEffects::onGlobal(void* data, uint32_t id, uint32_t, const char* type, uint32_t,
                               const spa_dict* props) {
  auto* self = static_cast<PipeWireEffects*>(data);
  if (std::string_view(type) == PW_TYPE_INTERFACE_Metadata && prop(props, PW_KEY_METADATA_NAME) == kDefaultMetadata) {
    self->defaultsId_ = id;
    return;
  }
  if (std::string_view(type) != PW_TYPE_INTERFACE_Node) return;
  std::string card = prop(props, "api.alsa.card");
  if (card.empty()) card = prop(props, "alsa.card");
  self->nodes_[id] = NodeInfo{prop(props, PW_KEY_NODE_NAME), prop(props, PW_KEY_MEDIA_CLASS), card};
}

void PipeWireEffects::onGlobalRemove(void* data, uint32_t id) {
  static_cast<PipeWireEffects*>(data)->nodes_.erase(id);
}

int PipeWireEffects::onMetadataProperty(void* data, uint32_t subject, const char* key, const char*,
                                        const char* value) {
  auto* self = static_cast<PipeWireEffects*>(data);
  if (subject != PW_ID_CORE) return 0;
  if (key == nullptr) {
    self->defaultValues_.clear();
  } else if (value == nullptr) {
    self->defaultValues_.erase(key);
  } else {
    self->defaultValues_[key] = value;
  }
  return 0;
}

// Takes the control values out of a Props object: a struct of name, value
// pairs under SPA_PROP_params.
void PipeWireEffects::onNodeParam(void* data, int, uint32_t id, uint32_t, uint32_t, const spa_pod* param) {
  if (id != SPA_PARAM_Props || param == nullptr) return;
  auto* self = static_cast<PipeWireEffects*>(data);
  const spa_pod_prop* p = spa_pod_find_prop(param, nullptr, SPA_PROP_params);
  if (p == nullptr || !spa_pod_is_struct(&p->value)) return;
  const char* name = nullptr;
  const void* body = SPA_POD_BODY_CONST(&p->value);
  const uint32_t size = SPA_POD_BODY_SIZE(&p->value);
  for (auto* item = static_cast<const spa_pod*>(body); spa_pod_is_inside(body, size, item);
       item = static_cast<const spa_pod*>(spa_pod_next(item))) {
    if (name == nullptr) {
      if (spa_pod_get_string(item, &name) < 0) name = nullptr;
      continue;
    }
    float f = 0;
    double d = 0;
    if (spa_pod_get_float(item, &f) >= 0) {
      self->eqControls_[name] = f;
    } else if (spa_pod_get_double(item, &d) >= 0) {
      self->eqControls_[name] = static_cast<float>(d);
    }
    name = nullptr;
  }
  pw_thread_loop_signal(self->loop_, false);
}

bool PipeWireEffects::connect() {
  pw_init(nullptr, nullptr);
  loop_ = pw_thread_loop_new(kLoopName, nullptr);
  if (!loop_) return false;
  context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
  if (!context_ || pw_thread_loop_start(loop_) < 0) return false;
  Lock lock(loop_);
  core_ = pw_context_connect(context_, nullptr, 0);
  if (!core_) return false;
  coreEvents_.version = PW_VERSION_CORE_EVENTS;
  coreEvents_.done = onCoreDone;
  coreEvents_.error = onCoreError;
  pw_core_add_listener(core_, &coreListener_, &coreEvents_, this);
  registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
  registryEvents_.version = PW_VERSION_REGISTRY_EVENTS;
  registryEvents_.global = onGlobal;
  registryEvents_.global_remove = onGlobalRemove;
  pw_registry_add_listener(registry_, &registryListener_, &registryEvents_, this);
  nodeEvents_.version = PW_VERSION_NODE_EVENTS;
  nodeEvents_.param = onNodeParam;
  if (!roundtrip()) return false;
  bindDefaults();
  return true;
}

// Follows the session's default devices, where a "default" metadata exists.
void PipeWireEffects::bindDefaults() {
  if (!defaultsId_) return;
  defaults_ = static_cast<pw_metadata*>(
      pw_registry_bind(registry_, *defaultsId_, PW_TYPE_INTERFACE_Metadata, PW_VERSION_METADATA, 0));
  if (!defaults_) return;
  defaultsEvents_.version = PW_VERSION_METADATA_EVENTS;
  defaultsEvents_.property = onMetadataProperty;
  pw_metadata_add_listener(defaults_, &defaultsListener_, &defaultsEvents_, this);
  roundtrip();
}

// When the headset is the default sink, sound goes to it through the
// equaliser: the equaliser's sink becomes the configured default.
void PipeWireEffects::takeOverDefaultSink(const std::string& headsetSink) {
  if (!defaults_ || replacedDefault_) return;
  roundtrip();
  if (defaultNodeName(defaultValues_[kDefaultSinkKey]) != headsetSink) return;
  auto configured = defaultValues_.find(kConfiguredSinkKey);
  replacedDefault_ = configured != defaultValues_.end() ? configured->second : defaultNodeValue(headsetSink);
  const std::string value = defaultNodeValue(kEqSinkNode);
  pw_metadata_set_property(defaults_, PW_ID_CORE, kConfiguredSinkKey, kJsonMetadataType, value.c_str());
  roundtrip();
}

// Puts the configured default back as it was before the equaliser.
void PipeWireEffects::giveBackDefaultSink() {
  if (!defaults_ || !replacedDefault_) return;
  pw_metadata_set_property(defaults_, PW_ID_CORE, kConfiguredSinkKey, kJsonMetadataType, replacedDefault_->c_str());
  replacedDefault_.reset();
  roundtrip();
}

PipeWireEffects::~PipeWireEffects() {
  if (loop_) {
    Lock lock(loop_);
    unloadEq();
    unloadVoice();
    if (defaults_) {
      spa_hook_remove(&defaultsListener_);
      pw_proxy_destroy(reinterpret_cast<pw_proxy*>(defaults_));
    }
    if (registry_) {
      spa_hook_remove(&registryListener_);
      pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
    }
    if (core_) {
      spa_hook_remove(&coreListener_);
      pw_core_disconnect(core_);
    }
  }
  if (loop_) pw_thread_loop_stop(loop_);
  if (context_) pw_context_destroy(context_);
  if (loop_) pw_thread_loop_destroy(loop_);
}

// Waits (lock held) until the daemon has answered everything sent so far.
bool PipeWireEffects::roundtrip() {
  if (broken_) return false;
  synced_ = false;
  pendingSeq_ = pw_core_sync(core_, PW_ID_CORE, pendingSeq_);
  const auto deadline = Clock::now() + kSettleTime;
  while (!synced_ && !broken_) {
    if (Clock::now() >= deadline) return false;
    pw_thread_loop_timed_wait(loop_, 1);
  }
  return synced_;
}

std::optional<uint32_t> PipeWireEffects::nodeNamed(const std::string& name) const {
  for (const auto& [id, node] : nodes_) {
    if (node.name == name) return id;
  }
  return std::nullopt;
}

// The headset's sink or source: by its ALSA card, or by name for the
// simulated card.
std::string PipeWireEffects::targetNode(const char* mediaClass, const std::string& simName) const {
  for (const auto& [id, node] : nodes_) {
    if (node.mediaClass != mediaClass) continue;
    if (target_.alsaCard >= 0 ? node.alsaCard == std::to_string(target_.alsaCard) : node.name == simName) {
      return node.name;
    }
  }
  return {};
}

std::optional<uint32_t> PipeWireEffects::waitForNode(const std::string& name) {
  const auto deadline = Clock::now() + kSettleTime;
  while (Clock::now() < deadline) {
    if (auto id = nodeNamed(name)) return id;
    if (!roundtrip()) return std::nullopt;
  }
  return std::nullopt;
}

void PipeWireEffects::setTarget(const EffectsTarget& target) {
  Lock lock(loop_);
  if (target.alsaCard == target_.alsaCard && target.sinkNode == target_.sinkNode &&
      target.sourceNode == target_.sourceNode) {
    return;
  }
  // Another card: the chains are built again for it on the next apply.
  unloadEq();
  unloadVoice();
  target_ = target;
}

bool PipeWireEffects::loadEq(const EqGains& gains) {
  roundtrip();  // the registry is current
  const std::string sink = targetNode(kSinkClass, target_.sinkNode);
  if (sink.empty()) return false;
  const std::string args = eqChainArgs(sink, gains);
  eqModule_ = pw_context_load_module(context_, kFilterChainModule, args.c_str(), nullptr);
  if (!eqModule_) {
    dbg::write("osConfLib: equaliser chain not loaded\n");
    return false;
  }
  auto id = waitForNode(kEqSinkNode);
  if (!id) {
    unloadEq();
    return false;
  }
  eqNode_ = static_cast<pw_node*>(pw_registry_bind(registry_, *id, PW_TYPE_INTERFACE_Node, PW_VERSION_NODE, 0));
  if (!eqNode_) {
    unloadEq();
    return false;
  }
  pw_node_add_listener(eqNode_, &nodeListener_, &nodeEvents_, this);
  uint32_t ids[] = {SPA_PARAM_Props};
  pw_node_subscribe_params(eqNode_, ids, 1);
  takeOverDefaultSink(sink);
  return true;
}

void PipeWireEffects::unloadEq() {
  giveBackDefaultSink();
  if (eqNode_) {
    spa_hook_remove(&nodeListener_);
    pw_proxy_destroy(reinterpret_cast<pw_proxy*>(eqNode_));
    eqNode_ = nullptr;
  }
  if (eqModule_) pw_impl_module_destroy(eqModule_);
  eqModule_ = nullptr;
  eqControls_.clear();
}

bool PipeWireEffects::gainsAre(const EqGains& gains) const {
  for (int band = 0; band < kEqBands; ++band) {
    auto it = eqControls_.find(eqGainControl(band));
    if (it == eqControls_.end() || std::fabs(it->second - static_cast<float>(gains[band])) > kGainTolerance) {
      return false;
    }
  }
  return true;
}

// Sends the ten gains and waits until the node reports them back.
bool PipeWireEffects::setGains(const EqGains& gains) {
  uint8_t buffer[kPodBufferBytes];
  spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
  spa_pod_frame object{};
  spa_pod_frame list{};
  spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Props, SPA_PARAM_Props);
  spa_pod_builder_prop(&b, SPA_PROP_params, 0);
  spa_pod_builder_push_struct(&b, &list);
  for (int band = 0; band < kEqBands; ++band) {
    const std::string name = eqGainControl(band);
    spa_pod_builder_string(&b, name.c_str());
    spa_pod_builder_float(&b, static_cast<float>(gains[band]));
  }
  spa_pod_builder_pop(&b, &list);
  auto* pod = static_cast<spa_pod*>(spa_pod_builder_pop(&b, &object));
  if (pod == nullptr || pw_node_set_param(eqNode_, SPA_PARAM_Props, 0, pod) < 0) return false;
  const auto deadline = Clock::now() + kSettleTime;
  while (Clock::now() < deadline) {
    pw_node_enum_params(eqNode_, 0, SPA_PARAM_Props, 0, UINT32_MAX, nullptr);
    if (!roundtrip()) return false;
    if (gainsAre(gains)) return true;
  }
  dbg::write("osConfLib: equaliser gains not taken\n");
  return false;
}

bool PipeWireEffects::applyEq(const EqState& state) {
  Lock lock(loop_);
  if (broken_) return true;
  if (!eqNode_ && !loadEq(state.applied())) return true;  // no headset sink: stored only
  return setGains(state.applied());
}

void PipeWireEffects::unloadVoice() {
  if (voiceModule_) pw_impl_module_destroy(voiceModule_);
  voiceModule_ = nullptr;
  voiceSelection_ = -1;
}

// The hall's impulse response, written once beside the session's runtime
// files.
std::string PipeWireEffects::impulsePath() {
  if (!impulsePath_.empty()) return impulsePath_;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = runtime && runtime[0] == '/' ? runtime : "/tmp";
  const std::string path = folder + "/" + kImpulseFile;
  const std::string wav = wavFile(hallImpulse(kImpulseRate, kImpulseSeconds, kImpulseSeed), kImpulseRate);
  if (profiles::replaceFileAtomically(path, wav) != 0) return {};
  impulsePath_ = path;
  return impulsePath_;
}

bool PipeWireEffects::applyVoice(const VoiceState& state) {
  Lock lock(loop_);
  if (broken_) return true;
  if (!state.enabled) {
    unloadVoice();
    return true;
  }
  if (voiceModule_ && voiceSelection_ == state.selection) return true;
  unloadVoice();
  roundtrip();
  const std::string source = targetNode(kSourceClass, target_.sourceNode);
  if (source.empty()) return true;  // no headset microphone: stored only
  const auto effect = static_cast<VoiceEffect>(state.selection);
  const std::string impulse = effect == VoiceEffect::Hall ? impulsePath() : std::string();
  if (effect == VoiceEffect::Hall && impulse.empty()) return false;
  const std::string args = voiceChainArgs(effect, source, impulse);
  voiceModule_ = pw_context_load_module(context_, kFilterChainModule, args.c_str(), nullptr);
  if (!voiceModule_ || !waitForNode(kVoiceSourceNode)) {
    dbg::write("osConfLib: voice changer chain not loaded\n");
    unloadVoice();
    return false;
  }
  voiceSelection_ = state.selection;
  return true;
}

}  // namespace

std::unique_ptr<EffectsEngine> connectPipeWireEffects() {
  auto engine = std::make_unique<PipeWireEffects>();
  if (!engine->connect()) return nullptr;
  return engine;
}

}  // namespace kavro::audio
