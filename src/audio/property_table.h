#pragma once
// The properties the library answers: name, which endpoint records carry
// them, the form their values travel in, and what stands behind them.
#include <cstdint>
#include <span>
#include <string_view>

namespace kavro::audio {

// Which record a property is asked on: the playback or the capture endpoint.
enum class Role : std::uint8_t { Playback = 1, Capture = 2 };
inline constexpr unsigned kPlaybackOnly = 1;
inline constexpr unsigned kCaptureOnly = 2;
inline constexpr unsigned kBothRoles = 3;

inline bool carriedBy(unsigned roles, Role role) { return (roles & static_cast<unsigned>(role)) != 0; }

// How a written value is taken from the start of buffer 1 and how a read
// value is written as text: Bool and Int as a 32-bit integer, Float as a
// 32-bit float, Text read only.
enum class ValueForm : std::uint8_t { Bool, Int, Float, Text };

// What answers the property.
enum class Backing : std::uint8_t {
  Stored,       // the property store only
  Level,        // scalar level 0..1 of an endpoint; channel in buffer 2
  LevelDb,      // level of an endpoint in dB
  Mute,         // mute of an endpoint
  RangeMax,     // highest level of an endpoint in dB
  RangeMin,     // lowest level in dB
  RangeStep,    // dB per level step
  EqEnable,     // equaliser on/off
  EqBand,       // one band gain in dB
  VoiceEnable,  // voice changer on/off
  VoiceSelect,  // voice changer effect 0..3
  Features,     // the feature list text
  EqActive,     // 1 while the equaliser really shapes the playback
  VoiceActive,  // 1 while the voice changer really runs on the microphone
};

// The endpoint behind a level property: the record's own (headphone output
// on the playback record, microphone on the capture record) or the monitor
// path that feeds the microphone back into the headphones ("AA" forms).
enum class Endpoint : std::uint8_t { Main, Monitor };

struct PropertyInfo {
  std::string_view name;
  unsigned roles;
  ValueForm form;
  Backing backing;
  Endpoint endpoint;
  bool writable;
  double min;      // accepted range of a written Int value
  double max;
  double initial;  // what a fresh chip reports for a stored property
  int band;        // equaliser band 0..9, -1 for other properties
};

inline constexpr int kEqBands = 10;
inline constexpr int kEqGainMinDb = -20;
inline constexpr int kEqGainMaxDb = 20;
inline constexpr int kVoiceEffects = 4;

// The property of that exact name, or nullptr.
const PropertyInfo* findProperty(std::string_view name);
std::span<const PropertyInfo> allProperties();

}  // namespace kavro::audio
