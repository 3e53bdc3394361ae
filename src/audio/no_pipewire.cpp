// Built when PipeWire's development files are missing: effects are stored
// only.
#include "audio/effects_engine.h"

namespace kavro::audio {

std::unique_ptr<EffectsEngine> connectPipeWireEffects() { return nullptr; }

}  // namespace kavro::audio
