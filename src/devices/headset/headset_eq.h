#pragma once
// The headset's equaliser choices: the twelve fixed presets, the custom
// equaliser (13) and the rules of the user's named presets. Plain data and
// functions over it; the device applies the results to the chip and the
// profile.
#include <array>
#include <string>
#include <vector>

#include "audio/eq_curve.h"

namespace kavro::headset {

inline constexpr int kEqBands = audio::kEqBandCount;
inline constexpr int kFirstEqPreset = 1;
inline constexpr int kLastFixedEqPreset = 12;
inline constexpr int kCustomEqPreset = 13;
// Preset that takes over when the last user preset is deleted.
inline constexpr int kFallbackEqPreset = 1;
inline constexpr int kMaxUserPresets = 20;

using EqBands = std::array<int, kEqBands>;

// True for 1..12.
bool isFixedEqPreset(int preset);
// True for 1..13.
bool isEqPresetChoice(int preset);
// Band gains of fixed preset 1..12; all zero for any other number.
EqBands fixedEqPreset(int preset);

std::vector<int> toVector(const EqBands& bands);
// The first ten values (missing ones 0).
EqBands toBands(const std::vector<int>& values);

// The user's presets: names in display order and their band values.
struct UserPresets {
  std::vector<std::string> names;
  std::vector<EqBands> values;  // parallel to names
};

// What saving a user preset did.
enum class SavePresetResult {
  Overwritten,   // empty name: the selected preset took the bands
  Added,         // a new preset was appended
  NoneSelected,  // empty name and no preset selected
  ListFull,      // kMaxUserPresets exist already
  NameTaken,     // a preset of that name exists (compared without regard to case)
};
// The first two change `presets`; `selected` is the selected row (-1 none).
// An added preset's row is presets.names.size() - 1.
SavePresetResult saveUserPreset(UserPresets& presets, int selected, const std::string& name, const EqBands& bands);

// Removes row `selected`; false (nothing changed) when it is no row.
bool deleteUserPreset(UserPresets& presets, int selected);

// Names equal without regard to ASCII case.
bool samePresetName(const std::string& a, const std::string& b);

}  // namespace kavro::headset
