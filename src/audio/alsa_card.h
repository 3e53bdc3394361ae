#pragma once
// The headset's USB audio card through the ALSA mixer: levels and mutes of
// the headphones, the microphone and the monitor path.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio_card.h"
#include "audio/conf_library.h"

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace kavro::audio {

// USB id of the headset's audio chip, as /proc/asound/cardN/usbid shows it.
inline constexpr char kHeadsetUsbId[] = "0d8c:01da";

// True when the text of a card's usbid file names the headset's chip.
bool isHeadsetUsbId(std::string_view usbidText);

// What one mixer element offers.
struct ElementCaps {
  std::string name;
  bool playbackVolume = false;
  bool playbackSwitch = false;
  bool captureVolume = false;
  bool captureSwitch = false;
};

// Which elements carry the three paths (index into the list, or -1): the
// microphone's capture control, the microphone's playback-side control
// that feeds it into the headphones, and the headphone output control.
struct ElementChoice {
  int output = -1;
  int mic = -1;
  int monitor = -1;
};
ElementChoice chooseElements(const std::vector<ElementCaps>& elements);

class AlsaCard : public AudioCard {
 public:
  // Opens the mixer of a control device such as "hw:CARD=Headset".
  AlsaCard(int cardNumber, std::string key, const std::string& ctlName);
  ~AlsaCard() override;
  AlsaCard(const AlsaCard&) = delete;
  AlsaCard& operator=(const AlsaCard&) = delete;

  bool opened() const { return mixer_ != nullptr; }
  // Names of the elements chosen for the output, microphone and monitor.
  std::string elementName(Path path) const;

  std::string key() const override { return key_; }
  int cardNumber() const override { return cardNumber_; }
  int playbackType() const override;
  bool hasPath(Path path) const override;

  std::optional<double> level(Path path, int channel) override;
  bool setLevel(Path path, int channel, double scalar) override;
  std::optional<double> levelDb(Path path, int channel) override;
  bool setLevelDb(Path path, int channel, double db) override;
  std::optional<bool> muted(Path path) override;
  bool setMuted(Path path, bool muted) override;
  std::optional<LevelRange> range(Path path) override;

 private:
  snd_mixer_elem_t* element(Path path);

  int cardNumber_;
  std::string key_;
  snd_mixer_t* mixer_ = nullptr;
  std::vector<snd_mixer_elem_t*> elements_;
  std::vector<ElementCaps> caps_;
  ElementChoice choice_;
};

// Every card whose USB id is the headset's, with its playback and capture
// entries.
DeviceSet findAlsaHeadsets();

}  // namespace kavro::audio
