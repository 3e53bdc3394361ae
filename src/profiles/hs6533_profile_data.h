#pragma once
// Headset profile data: audio settings, equaliser preset rows and the user's
// named custom equalisers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profiles/basic_profile_data.h"

namespace kavro::profiles {

// "SystemSetStages", in the order of its members.
struct HeadsetSettings {
  std::int32_t magicEnable = 0;         // "MagicEnable"
  std::int32_t magicType = 0;           // "MagicType"
  std::int32_t eqType = 0;              // "EqType": 0..12 preset, 13 custom
  std::int32_t customEqSelectIndex = 0; // "CustomEqSeletIndex"
  std::int32_t micInSelect = 0;         // "MicInSelect"
  std::int32_t micInValue = 0;          // "MicInValue"
  std::int32_t micMonitorSelect = 0;    // "MicMoniterSelect"
  std::int32_t micMonitorValue = 0;     // "MicMoniterValue"

  bool operator==(const HeadsetSettings&) const = default;
};

inline constexpr int kEqBandCount = 10;
inline constexpr int kCustomEqType = 13;

// Row of "EQHzValueInfo" used by an "EqType": 1..12 their own row, 13 none
// (-1, the custom equaliser applies), anything else row 1.
int eqRowForType(int eqType);

HeadsetSettings headsetSettingsFromJson(const Json::Value& systemSetStages);
Json::Value headsetSettingsToJson(const HeadsetSettings& s);

class CHs6533Profiledata : public CBasicProfiledata {
 public:
  using CBasicProfiledata::CBasicProfiledata;

  HeadsetSettings getHeadsetSettings();
  void setHeadsetSettings(const HeadsetSettings& s);
  void setHeadsetSettings(int magicEnable, int magicType, int eqType, int customEqSelectIndex, int micInSelect,
                          int micInValue, int micMonitorSelect, int micMonitorValue);

  // Ten band values; empty for the custom type 13. A missing row is created
  // with ten zero bands.
  std::vector<int> getEqPreset(int eqType);
  // Writes the first ten values (missing ones as 0); no change for type 13.
  void setEqPreset(int eqType, const std::vector<int>& values);

  std::vector<std::string> getCustomEqNames();
  void setCustomEqNames(const std::vector<std::string>& names);
  std::vector<int> getCustomEqValues(int index);
  void setCustomEqValues(int index, const std::vector<int>& values);

 private:
  std::vector<int> readBands(const char* section, int row);
  void writeBands(const char* section, int row, const std::vector<int>& values);

  HeadsetSettings settings_{};
};

}  // namespace kavro::profiles
