#include "audio/sim_card.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kavro::audio {
namespace {

constexpr char kSimCardKey[] = "sim";
constexpr char kSimSection[] = "card";
constexpr int kChannels = 2;

// Ranges of a typical USB headset chip: headphones -37..0 dB, microphone
// -12..+23.5 dB, monitor -35..+12 dB, all in 0.5 dB steps.
struct PathSpec {
  const char* name;
  double minDb;
  double stepDb;
  long steps;
  double initialScalar;
  bool initiallyMuted;
};

constexpr std::array<PathSpec, 3> kSpecs{{
    {"Output", -37.0, 0.5, 74, 0.6, false},
    {"Mic", -12.0, 0.5, 71, 0.75, false},
    {"Monitor", -35.0, 0.5, 94, 0.5, true},
}};

std::string rawName(const char* path, int channel) { return std::string(path) + ".raw" + std::to_string(channel); }
std::string muteName(const char* path) { return std::string(path) + ".muted"; }

const PathSpec& pathInfo(Path path) { return kSpecs[static_cast<std::size_t>(path)]; }

}  // namespace

SimCard::SimCard(PropertyStore& store, int playbackType) : store_(store), playbackType_(playbackType) {}

std::string SimCard::key() const { return kSimCardKey; }

long SimCard::raw(Path path, int channel) const {
  const PathSpec& s = pathInfo(path);
  const int ch = channel < 0 ? 0 : channel;
  const double initial = static_cast<double>(rawFromScalar(s.initialScalar, 0, s.steps));
  const double v = store_.getOr(kSimCardKey, kSimSection, rawName(s.name, ch), initial);
  return std::clamp(std::lround(v), 0L, s.steps);
}

bool SimCard::setRaw(Path path, int channel, long raw) {
  const PathSpec& s = pathInfo(path);
  for (int ch = 0; ch < kChannels; ++ch) {
    if (channel >= 0 && ch != channel) continue;
    // The chip takes the level even when the state file cannot be written.
    store_.set(kSimCardKey, kSimSection, rawName(s.name, ch), static_cast<double>(raw));
  }
  return true;
}

std::optional<double> SimCard::level(Path path, int channel) {
  return scalarFromRaw(raw(path, channel), 0, pathInfo(path).steps);
}

bool SimCard::setLevel(Path path, int channel, double scalar) {
  return setRaw(path, channel, rawFromScalar(scalar, 0, pathInfo(path).steps));
}

std::optional<double> SimCard::levelDb(Path path, int channel) {
  const PathSpec& s = pathInfo(path);
  return s.minDb + s.stepDb * static_cast<double>(raw(path, channel));
}

bool SimCard::setLevelDb(Path path, int channel, double db) {
  const PathSpec& s = pathInfo(path);
  const double maxDb = s.minDb + s.stepDb * static_cast<double>(s.steps);
  if (db < s.minDb || db > maxDb) return false;
  return setRaw(path, channel, std::lround((db - s.minDb) / s.stepDb));
}

std::optional<bool> SimCard::muted(Path path) {
  const PathSpec& s = pathInfo(path);
  return store_.getOr(kSimCardKey, kSimSection, muteName(s.name), s.initiallyMuted ? 1 : 0) != 0;
}

bool SimCard::setMuted(Path path, bool muted) {
  store_.set(kSimCardKey, kSimSection, muteName(pathInfo(path).name), muted ? 1 : 0);
  return true;
}

std::optional<LevelRange> SimCard::range(Path path) {
  const PathSpec& s = pathInfo(path);
  return LevelRange{s.minDb, s.minDb + s.stepDb * static_cast<double>(s.steps), s.stepDb};
}

}  // namespace kavro::audio
