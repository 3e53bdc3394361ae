#pragma once
// The levels and mutes of one headset card, behind the level properties.
// Implemented over the ALSA mixer and by the simulated card.
#include <cstdint>
#include <optional>
#include <string>

#include "audio/property_table.h"

namespace kavro::audio {

// The three level paths of a headset: what the headphones play, what the
// microphone captures, and the microphone fed back into the headphones.
enum class Path : std::uint8_t { Output, Mic, Monitor };

inline Path pathFor(Role role, Endpoint endpoint) {
  if (endpoint == Endpoint::Monitor) return Path::Monitor;
  return role == Role::Playback ? Path::Output : Path::Mic;
}

// Level range of a path in dB; levels move in equal raw steps.
struct LevelRange {
  double minDb = 0;
  double maxDb = 0;
  double stepDb = 0;
};

// Scalar 0..1 of a raw level within min..max.
double scalarFromRaw(long raw, long min, long max);
// Raw level nearest to a scalar (clamped to 0..1).
long rawFromScalar(double scalar, long min, long max);

class AudioCard {
 public:
  virtual ~AudioCard() = default;

  // Stable name of the card for the property store.
  virtual std::string key() const = 0;
  // ALSA card number, -1 for the simulated card.
  virtual int cardNumber() const = 0;
  // Type word of the playback endpoint.
  virtual int playbackType() const = 0;
  virtual bool hasPath(Path path) const = 0;

  // Levels as scalars 0..1 or in dB; channel -1 means every channel (a read
  // then gives the first channel).
  virtual std::optional<double> level(Path path, int channel) = 0;
  virtual bool setLevel(Path path, int channel, double scalar) = 0;
  virtual std::optional<double> levelDb(Path path, int channel) = 0;
  virtual bool setLevelDb(Path path, int channel, double db) = 0;
  virtual std::optional<bool> muted(Path path) = 0;
  virtual bool setMuted(Path path, bool muted) = 0;
  virtual std::optional<LevelRange> range(Path path) = 0;
};

}  // namespace kavro::audio
