#include "audio/alsa_card.h"

#include <alsa/asoundlib.h>

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "audio/device_select.h"
#include "platform/debug.h"

namespace kavro::audio {
namespace {

constexpr double kCentiDbPerDb = 100.0;
constexpr char kUsbIdFile[] = "/proc/asound/card%d/usbid";
constexpr char kStoreKeyPrefix[] = "alsa:";

constexpr std::array kOutputNames{"Headphone", "Headset", "Speaker", "PCM", "Master"};
constexpr std::array kMicNames{"Mic", "Headset", "Capture"};
constexpr std::array kMonitorNames{"Mic", "Sidetone", "Headset Mic"};

// Index of the first element named like one of names that passes the test,
// or else of the first that passes it; -1 when none does.
template <typename Names, typename Test>
int pick(const std::vector<ElementCaps>& elements, const Names& names, Test test) {
  for (const char* name : names) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
      if (elements[i].name == name && test(static_cast<int>(i))) return static_cast<int>(i);
    }
  }
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (test(static_cast<int>(i))) return static_cast<int>(i);
  }
  return -1;
}

bool isCapture(Path path) { return path == Path::Mic; }

// The channel to read or write: every channel (-1) reads the first.
snd_mixer_selem_channel_id_t channelId(int channel) {
  return channel == 1 ? SND_MIXER_SCHN_FRONT_RIGHT : SND_MIXER_SCHN_FRONT_LEFT;
}

snd_mixer_selem_channel_id_t presentChannel(snd_mixer_elem_t* e, bool capture, int channel) {
  const snd_mixer_selem_channel_id_t id = channelId(channel);
  const int has = capture ? snd_mixer_selem_has_capture_channel(e, id) : snd_mixer_selem_has_playback_channel(e, id);
  return has ? id : SND_MIXER_SCHN_MONO;
}

std::string readFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string cardId(int card) {
  snd_ctl_t* ctl = nullptr;
  const std::string name = "hw:" + std::to_string(card);
  if (snd_ctl_open(&ctl, name.c_str(), 0) < 0) return {};
  snd_ctl_card_info_t* info = nullptr;
  snd_ctl_card_info_alloca(&info);
  std::string id;
  if (snd_ctl_card_info(ctl, info) >= 0) id = snd_ctl_card_info_get_id(info);
  snd_ctl_close(ctl);
  return id;
}

}  // namespace

bool isHeadsetUsbId(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  return text == kHeadsetUsbId;
}

ElementChoice chooseElements(const std::vector<ElementCaps>& el) {
  ElementChoice c;
  c.mic = pick(el, kMicNames, [&](int i) { return el[i].captureVolume; });
  // The monitor is a playback control of the microphone; without a name
  // that says so there is none.
  for (const char* name : kMonitorNames) {
    for (std::size_t i = 0; i < el.size() && c.monitor < 0; ++i) {
      if (el[i].name == name && el[i].playbackVolume) c.monitor = static_cast<int>(i);
    }
  }
  c.output = pick(el, kOutputNames, [&](int i) { return el[i].playbackVolume && i != c.monitor; });
  return c;
}

AlsaCard::AlsaCard(int cardNumber, std::string key, const std::string& ctlName)
    : cardNumber_(cardNumber), key_(std::move(key)) {
  snd_mixer_t* m = nullptr;
  if (snd_mixer_open(&m, 0) < 0) return;
  if (snd_mixer_attach(m, ctlName.c_str()) < 0 || snd_mixer_selem_register(m, nullptr, nullptr) < 0 ||
      snd_mixer_load(m) < 0) {
    dbg::write("osConfLib: mixer " + ctlName + " not opened\n");
    snd_mixer_close(m);
    return;
  }
  mixer_ = m;
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(m); e != nullptr; e = snd_mixer_elem_next(e)) {
    if (!snd_mixer_selem_is_active(e)) continue;
    ElementCaps caps;
    caps.name = snd_mixer_selem_get_name(e);
    caps.playbackVolume = snd_mixer_selem_has_playback_volume(e);
    caps.playbackSwitch = snd_mixer_selem_has_playback_switch(e);
    caps.captureVolume = snd_mixer_selem_has_capture_volume(e);
    caps.captureSwitch = snd_mixer_selem_has_capture_switch(e);
    elements_.push_back(e);
    caps_.push_back(caps);
  }
  choice_ = chooseElements(caps_);
}

AlsaCard::~AlsaCard() {
  if (mixer_) snd_mixer_close(mixer_);
}

std::string AlsaCard::elementName(Path path) const {
  const int i = path == Path::Output ? choice_.output : path == Path::Mic ? choice_.mic : choice_.monitor;
  return i >= 0 ? caps_[static_cast<std::size_t>(i)].name : std::string();
}

int AlsaCard::playbackType() const { return playbackTypeForControl(elementName(Path::Output)); }

bool AlsaCard::hasPath(Path path) const { return !elementName(path).empty(); }

// The element of a path, with outside changes taken in first.
snd_mixer_elem_t* AlsaCard::element(Path path) {
  if (!mixer_) return nullptr;
  const int i = path == Path::Output ? choice_.output : path == Path::Mic ? choice_.mic : choice_.monitor;
  if (i < 0) return nullptr;
  snd_mixer_handle_events(mixer_);
  return elements_[static_cast<std::size_t>(i)];
}

std::optional<double> AlsaCard::level(Path path, int channel) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return std::nullopt;
  const bool cap = isCapture(path);
  long min = 0, max = 0, v = 0;
  const auto ch = presentChannel(e, cap, channel);
  int rc = cap ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
               : snd_mixer_selem_get_playback_volume_range(e, &min, &max);
  if (rc >= 0) rc = cap ? snd_mixer_selem_get_capture_volume(e, ch, &v) : snd_mixer_selem_get_playback_volume(e, ch, &v);
  if (rc < 0) return std::nullopt;
  return scalarFromRaw(v, min, max);
}

bool AlsaCard::setLevel(Path path, int channel, double scalar) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return false;
  const bool cap = isCapture(path);
  long min = 0, max = 0;
  if ((cap ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
           : snd_mixer_selem_get_playback_volume_range(e, &min, &max)) < 0) {
    return false;
  }
  const long raw = rawFromScalar(scalar, min, max);
  int rc;
  if (channel < 0) {
    rc = cap ? snd_mixer_selem_set_capture_volume_all(e, raw) : snd_mixer_selem_set_playback_volume_all(e, raw);
  } else {
    const auto ch = presentChannel(e, cap, channel);
    rc = cap ? snd_mixer_selem_set_capture_volume(e, ch, raw) : snd_mixer_selem_set_playback_volume(e, ch, raw);
  }
  return rc >= 0;
}

std::optional<double> AlsaCard::levelDb(Path path, int channel) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return std::nullopt;
  const bool cap = isCapture(path);
  const auto ch = presentChannel(e, cap, channel);
  long centiDb = 0;
  if ((cap ? snd_mixer_selem_get_capture_dB(e, ch, &centiDb) : snd_mixer_selem_get_playback_dB(e, ch, &centiDb)) >=
      0) {
    return static_cast<double>(centiDb) / kCentiDbPerDb;
  }
  // Controls without dB information report their raw level.
  long raw = 0;
  if ((cap ? snd_mixer_selem_get_capture_volume(e, ch, &raw) : snd_mixer_selem_get_playback_volume(e, ch, &raw)) < 0) {
    return std::nullopt;
  }
  return static_cast<double>(raw);
}

bool AlsaCard::setLevelDb(Path path, int channel, double db) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return false;
  const bool cap = isCapture(path);
  long centiDb = 0;
  const bool hasDb = (cap ? snd_mixer_selem_get_capture_dB_range(e, &centiDb, &centiDb)
                          : snd_mixer_selem_get_playback_dB_range(e, &centiDb, &centiDb)) >= 0;
  if (!hasDb) {
    // Raw levels stand in for dB (see levelDb).
    long min = 0, max = 0;
    if ((cap ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
             : snd_mixer_selem_get_playback_volume_range(e, &min, &max)) < 0 || max <= min) {
      return false;
    }
    return setLevel(path, channel, (db - static_cast<double>(min)) / static_cast<double>(max - min));
  }
  const long value = std::lround(db * kCentiDbPerDb);
  int rc;
  if (channel < 0) {
    rc = cap ? snd_mixer_selem_set_capture_dB_all(e, value, 0) : snd_mixer_selem_set_playback_dB_all(e, value, 0);
  } else {
    const auto ch = presentChannel(e, cap, channel);
    rc = cap ? snd_mixer_selem_set_capture_dB(e, ch, value, 0) : snd_mixer_selem_set_playback_dB(e, ch, value, 0);
  }
  return rc >= 0;
}

// The switches mean "on": capturing, or playing.
std::optional<bool> AlsaCard::muted(Path path) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return std::nullopt;
  const bool cap = isCapture(path);
  if (!(cap ? snd_mixer_selem_has_capture_switch(e) : snd_mixer_selem_has_playback_switch(e))) return std::nullopt;
  const auto ch = presentChannel(e, cap, 0);
  int on = 0;
  if ((cap ? snd_mixer_selem_get_capture_switch(e, ch, &on) : snd_mixer_selem_get_playback_switch(e, ch, &on)) < 0) {
    return std::nullopt;
  }
  return on == 0;
}

bool AlsaCard::setMuted(Path path, bool muted) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return false;
  const bool cap = isCapture(path);
  if (!(cap ? snd_mixer_selem_has_capture_switch(e) : snd_mixer_selem_has_playback_switch(e))) return false;
  const int on = muted ? 0 : 1;
  return (cap ? snd_mixer_selem_set_capture_switch_all(e, on) : snd_mixer_selem_set_playback_switch_all(e, on)) >= 0;
}

std::optional<LevelRange> AlsaCard::range(Path path) {
  snd_mixer_elem_t* e = element(path);
  if (!e) return std::nullopt;
  const bool cap = isCapture(path);
  long min = 0, max = 0;
  if ((cap ? snd_mixer_selem_get_capture_volume_range(e, &min, &max)
           : snd_mixer_selem_get_playback_volume_range(e, &min, &max)) < 0 || max <= min) {
    return std::nullopt;
  }
  long minCdb = 0, maxCdb = 0;
  if ((cap ? snd_mixer_selem_get_capture_dB_range(e, &minCdb, &maxCdb)
           : snd_mixer_selem_get_playback_dB_range(e, &minCdb, &maxCdb)) < 0) {
    return LevelRange{static_cast<double>(min), static_cast<double>(max), 1.0};
  }
  const double lo = static_cast<double>(minCdb) / kCentiDbPerDb;
  const double hi = static_cast<double>(maxCdb) / kCentiDbPerDb;
  return LevelRange{lo, hi, (hi - lo) / static_cast<double>(max - min)};
}

DeviceSet findAlsaHeadsets() {
  DeviceSet set;
  int card = -1;
  while (snd_card_next(&card) >= 0 && card >= 0) {
    char path[64];
    std::snprintf(path, sizeof path, kUsbIdFile, card);
    if (!isHeadsetUsbId(readFirstLine(path))) continue;
    const std::string id = cardId(card);
    if (id.empty()) continue;
    auto c = std::make_unique<AlsaCard>(card, kStoreKeyPrefix + id, "hw:CARD=" + id);
    if (!c->opened()) continue;
    const std::size_t index = set.cards.size();
    set.entries.push_back({OSCONF_LIST_PLAYBACK, c->playbackType(), true, index});
    set.entries.push_back({OSCONF_LIST_CAPTURE, OSCONF_TYPE_MICROPHONE, true, index});
    set.cards.push_back(std::move(c));
  }
  return set;
}

}  // namespace kavro::audio
