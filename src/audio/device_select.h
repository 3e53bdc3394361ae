#pragma once
// Which entries of the library's device lists are the headset's playback and
// capture endpoints, how a playback endpoint gets its type word, and the
// simulated card's list description.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/conf_lib.h"

namespace kavro::audio {

// Playback: the first active headphone entry; without one the first active
// entry of type 12, then 7, then 4.
std::optional<OsConfDevice> selectPlayback(const std::vector<OsConfDevice>& list);
// Capture: the first entry of type 2.
std::optional<OsConfDevice> selectCapture(const std::vector<OsConfDevice>& list);

// Type word of a card's playback endpoint from the name of the mixer control
// that sets its level ("Headphone", "Speaker", "Line", ...).
int playbackTypeForControl(std::string_view controlName);

// One entry of a simulated list.
struct SimEntry {
  int list = OSCONF_LIST_PLAYBACK;
  int type = OSCONF_TYPE_HEADPHONES;
  bool active = true;
};

// The simulated card's entries from text such as "p:4:1,p:1:1,c:2:1"
// (list p or c, type word, active 0/1). Empty or "1" gives the usual headset:
// one active headphone endpoint and one microphone. Nothing for bad text.
std::optional<std::vector<SimEntry>> parseSimEntries(std::string_view text);

}  // namespace kavro::audio
