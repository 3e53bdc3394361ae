#pragma once
// The equaliser and the voice changer as they act on the audio: applied by
// a PipeWire filter chain where PipeWire runs, or not at all (the library
// then only stores the values).
#include <memory>
#include <string>

#include "audio/effect_chains.h"

namespace kavro::audio {

struct EqState {
  bool enabled = false;
  EqGains gains{};

  // Gains the filters get: the bands when enabled, flat otherwise.
  EqGains applied() const { return enabled ? gains : EqGains{}; }
};

struct VoiceState {
  bool enabled = false;
  int selection = 0;  // VoiceEffect
};

// Where the effects go: the headset's ALSA card, or for the simulated card
// the PipeWire node names that stand in for its sink and source.
struct EffectsTarget {
  int alsaCard = -1;
  std::string sinkNode;
  std::string sourceNode;
};

class EffectsEngine {
 public:
  virtual ~EffectsEngine() = default;

  virtual void setTarget(const EffectsTarget& target) = 0;
  // Applies the state. False when the processing was there but did not take
  // the values; true when it follows them or when there is nothing to apply
  // them to (then the matching active() is false).
  virtual bool applyEq(const EqState& state) = 0;
  virtual bool applyVoice(const VoiceState& state) = 0;
  virtual bool eqActive() const = 0;
  virtual bool voiceActive() const = 0;
};

// Stores nothing and applies nothing: the values stay in the property store.
class NoEffects : public EffectsEngine {
 public:
  void setTarget(const EffectsTarget&) override {}
  bool applyEq(const EqState&) override { return true; }
  bool applyVoice(const VoiceState&) override { return true; }
  bool eqActive() const override { return false; }
  bool voiceActive() const override { return false; }
};

// The PipeWire engine when the library was built with PipeWire and a daemon
// answers; nullptr otherwise.
std::unique_ptr<EffectsEngine> connectPipeWireEffects();

}  // namespace kavro::audio
