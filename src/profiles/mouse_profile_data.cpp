#include "profiles/mouse_profile_data.h"

#include "profiles/json_access.h"
#include "profiles/profile_keys.h"

namespace kavro::profiles {

std::vector<DpiStage> CMouseProfiledata::getDpiStages() {
  const Json::Value& section = json::member(deviceNode_, keys::kDpiStages);
  if (section.isObject()) {
    activeDpiStage_ = json::toInt(json::member(section, keys::kStageActive));
    const Json::Value& stages = json::member(section, keys::kStageDpis);
    std::vector<DpiStage> read;
    read.reserve(json::arraySize(stages));
    for (Json::ArrayIndex i = 0; i < json::arraySize(stages); ++i) read.push_back(dpiStageFromJson(stages[i]));
    dpiStages_ = mergeDpiStages(std::move(dpiStages_), read);
  }
  return dpiStages_;
}

void CMouseProfiledata::setDpiStages(const std::vector<DpiStage>& list) {
  dpiStages_ = list;
  Json::Value& stages = json::slot(nodeSlot(keys::kDpiStages), keys::kStageDpis);
  for (std::size_t i = 0; i < list.size() && i <= json::kMaxWriteIndex; ++i) {
    Json::Value& e = json::slot(stages, static_cast<Json::ArrayIndex>(i));
    const Json::Value fresh = dpiStageToJson(list[i]);
    for (const auto& name : fresh.getMemberNames()) json::slot(e, name.c_str()) = fresh[name];
  }
}

void CMouseProfiledata::setActiveDpiStage(int index) {
  activeDpiStage_ = index;
  json::slot(nodeSlot(keys::kDpiStages), keys::kStageActive) = index;
}

MouseSystemSettings CMouseProfiledata::getSystemSettings() {
  systemSettings_ = mouseSystemFromJson(deviceNode_);
  return systemSettings_;
}

void CMouseProfiledata::setSystemSettings(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2) {
  systemSettings_ = {word0, word1, word2};
  writeMouseSystem(deviceNode_, systemSettings_);
}

std::vector<CorrectionEntry> CMouseProfiledata::getCorrections() {
  corrections_ = correctionsFromJson(json::member(deviceNode_, keys::kCorrectInfo));
  return corrections_;
}

}  // namespace kavro::profiles
