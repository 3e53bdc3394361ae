#include "devices/headset/headset_eq.h"

#include <algorithm>
#include <cctype>

namespace kavro::headset {
namespace {

// Gains in dB of presets 1..12, band 1 (31 Hz) to band 10 (16 kHz).
constexpr std::array<EqBands, kLastFixedEqPreset> kFixedPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

unsigned char lower(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

bool isFixedEqPreset(int preset) { return preset >= kFirstEqPreset && preset <= kLastFixedEqPreset; }
bool isEqPresetChoice(int preset) { return preset >= kFirstEqPreset && preset <= kCustomEqPreset; }

EqBands fixedEqPreset(int preset) {
  return isFixedEqPreset(preset) ? kFixedPresets[static_cast<std::size_t>(preset - kFirstEqPreset)] : EqBands{};
}

std::vector<int> toVector(const EqBands& bands) { return {bands.begin(), bands.end()}; }

EqBands toBands(const std::vector<int>& values) {
  EqBands bands{};
  std::copy_n(values.begin(), std::min<std::size_t>(values.size(), kEqBands), bands.begin());
  return bands;
}

bool samePresetName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

SavePresetResult saveUserPreset(UserPresets& presets, int selected, const std::string& name, const EqBands& bands) {
  const int count = static_cast<int>(presets.names.size());
  presets.values.resize(presets.names.size());
  if (name.empty()) {
    if (selected < 0 || selected >= count) return SavePresetResult::NoneSelected;
    presets.values[static_cast<std::size_t>(selected)] = bands;
    return SavePresetResult::Overwritten;
  }
  if (count >= kMaxUserPresets) return SavePresetResult::ListFull;
  const bool taken = std::any_of(presets.names.begin(), presets.names.end(),
                                 [&name](const std::string& n) { return samePresetName(n, name); });
  if (taken) return SavePresetResult::NameTaken;
  presets.names.push_back(name);
  presets.values.push_back(bands);
  return SavePresetResult::Added;
}

bool deleteUserPreset(UserPresets& presets, int selected) {
  if (selected < 0 || selected >= static_cast<int>(presets.names.size())) return false;
  presets.names.erase(presets.names.begin() + selected);
  presets.values.resize(presets.names.size() + 1);
  presets.values.erase(presets.values.begin() + selected);
  return true;
}

}  // namespace kavro::headset
