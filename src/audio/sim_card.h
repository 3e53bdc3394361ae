#pragma once
// A simulated headset card: the levels of a typical USB headset chip kept in
// the property store, so they survive a restart like a real card's.
#include <array>

#include "audio/audio_card.h"
#include "audio/property_store.h"

namespace kavro::audio {

class SimCard : public AudioCard {
 public:
  SimCard(PropertyStore& store, int playbackType);

  std::string key() const override;
  int cardNumber() const override { return -1; }
  int playbackType() const override { return playbackType_; }
  bool hasPath(Path) const override { return true; }

  std::optional<double> level(Path path, int channel) override;
  bool setLevel(Path path, int channel, double scalar) override;
  std::optional<double> levelDb(Path path, int channel) override;
  bool setLevelDb(Path path, int channel, double db) override;
  std::optional<bool> muted(Path path) override;
  bool setMuted(Path path, bool muted) override;
  std::optional<LevelRange> range(Path path) override;

 private:
  long raw(Path path, int channel) const;
  bool setRaw(Path path, int channel, long raw);

  PropertyStore& store_;
  int playbackType_;
};

}  // namespace kavro::audio
