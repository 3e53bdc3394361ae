#pragma once
// Keyboard profile data: system settings and per-key custom colour groups.
#include <vector>

#include "profiles/basic_profile_data.h"

namespace kavro::profiles {

class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  using CBasicProfiledata::CBasicProfiledata;

  // "SystemStages"; all zero when the node or the section is missing.
  KeyboardSystemSettings getSystemSettings();
  void setSystemSettings(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);

  // "CustomLightMode"."CustomLightModeGroupIndex", 0 when missing.
  int getCustomGroupIndex();
  void setCustomGroupIndex(int index);

  // keyCount colours of a group. Missing keys (or a missing group) are
  // created in the node as zero colours.
  std::vector<KeyColor> getCustomColors(int group, int keyCount);
  // Writes the colours of one group; stored keys past the list stay.
  void setCustomColors(const std::vector<KeyColor>& colors, int group);

 private:
  Json::Value& colorGroups();

  KeyboardSystemSettings systemSettings_{};
  std::vector<KeyColor> customColors_;
  int customGroupIndex_ = 0;
};

}  // namespace kavro::profiles
