#include "audio/audio_card.h"

#include <algorithm>
#include <cmath>

namespace kavro::audio {

double scalarFromRaw(long raw, long min, long max) {
  if (max <= min) return 0;
  return static_cast<double>(std::clamp(raw, min, max) - min) / static_cast<double>(max - min);
}

long rawFromScalar(double scalar, long min, long max) {
  const double s = std::clamp(scalar, 0.0, 1.0);
  return min + std::lround(s * static_cast<double>(max - min));
}

}  // namespace kavro::audio
