#pragma once
// Mouse profile data: DPI stages, system settings with the report rate, and
// the recoil correction presets.
#include <vector>

#include "profiles/basic_profile_data.h"

namespace kavro::profiles {

class CMouseProfiledata : public CBasicProfiledata {
 public:
  using CBasicProfiledata::CBasicProfiledata;

  // Reads "DPIStages" and merges the stages into the list in memory.
  std::vector<DpiStage> getDpiStages();
  void setDpiStages(const std::vector<DpiStage>& list);
  int getActiveDpiStage() const { return activeDpiStage_; }
  void setActiveDpiStage(int index);

  // "SystemStages" and "ReportStages"; all zero without "SystemStages".
  MouseSystemSettings getSystemSettings();
  void setSystemSettings(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);

  // "CorrectInfo", read only.
  std::vector<CorrectionEntry> getCorrections();

 private:
  std::vector<DpiStage> dpiStages_;
  int activeDpiStage_ = 0;
  MouseSystemSettings systemSettings_{};
  std::vector<CorrectionEntry> corrections_;
};

}  // namespace kavro::profiles
