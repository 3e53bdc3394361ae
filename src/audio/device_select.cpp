#include "audio/device_select.h"

#include <array>
#include <charconv>

namespace kavro::audio {
namespace {

// Fallback types of a playback endpoint, in order of preference.
constexpr std::array kFallbackPlaybackTypes{OSCONF_TYPE_USB_AUDIO_OUT, OSCONF_TYPE_LINE_OUT, OSCONF_TYPE_SPEAKERS};
constexpr int kActive = 1;

std::optional<OsConfDevice> firstActiveOfType(const std::vector<OsConfDevice>& list, int type) {
  for (const OsConfDevice& d : list) {
    if (d.type == type && d.active == kActive) return d;
  }
  return std::nullopt;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::optional<int> parseInt(std::string_view text) {
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<SimEntry> parseEntry(std::string_view item) {
  // "<p|c>:<type>:<active>"
  const std::size_t a = item.find(':');
  const std::size_t b = a == std::string_view::npos ? a : item.find(':', a + 1);
  if (b == std::string_view::npos || a != 1) return std::nullopt;
  SimEntry e;
  if (item[0] == 'p') {
    e.list = OSCONF_LIST_PLAYBACK;
  } else if (item[0] == 'c') {
    e.list = OSCONF_LIST_CAPTURE;
  } else {
    return std::nullopt;
  }
  auto type = parseInt(item.substr(a + 1, b - a - 1));
  auto active = parseInt(item.substr(b + 1));
  if (!type || !active || (*active != 0 && *active != 1)) return std::nullopt;
  e.type = *type;
  e.active = *active == 1;
  return e;
}

}  // namespace

std::optional<OsConfDevice> selectPlayback(const std::vector<OsConfDevice>& list) {
  if (auto d = firstActiveOfType(list, OSCONF_TYPE_HEADPHONES)) return d;
  for (int type : kFallbackPlaybackTypes) {
    if (auto d = firstActiveOfType(list, type)) return d;
  }
  return std::nullopt;
}

std::optional<OsConfDevice> selectCapture(const std::vector<OsConfDevice>& list) {
  for (const OsConfDevice& d : list) {
    if (d.type == OSCONF_TYPE_MICROPHONE) return d;
  }
  return std::nullopt;
}

int playbackTypeForControl(std::string_view name) {
  if (startsWith(name, "Headphone") || startsWith(name, "Headset")) return OSCONF_TYPE_HEADPHONES;
  if (startsWith(name, "Speaker")) return OSCONF_TYPE_SPEAKERS;
  if (startsWith(name, "Line") || startsWith(name, "IEC958")) return OSCONF_TYPE_LINE_OUT;
  return OSCONF_TYPE_USB_AUDIO_OUT;
}

std::optional<std::vector<SimEntry>> parseSimEntries(std::string_view text) {
  if (text.empty() || text == "1") {
    return std::vector<SimEntry>{{OSCONF_LIST_PLAYBACK, OSCONF_TYPE_HEADPHONES, true},
                                 {OSCONF_LIST_CAPTURE, OSCONF_TYPE_MICROPHONE, true}};
  }
  std::vector<SimEntry> entries;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    auto entry = parseEntry(text.substr(0, comma));
    if (!entry) return std::nullopt;
    entries.push_back(*entry);
    if (comma == std::string_view::npos) break;
    text = text.substr(comma + 1);
    if (text.empty()) return std::nullopt;  // a trailing comma
  }
  return entries;
}

}  // namespace kavro::audio
