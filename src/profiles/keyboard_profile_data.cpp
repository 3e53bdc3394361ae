#include "profiles/keyboard_profile_data.h"

#include "profiles/json_access.h"
#include "profiles/profile_keys.h"

namespace kavro::profiles {
namespace {
bool writableIndex(int i) { return i >= 0 && static_cast<Json::ArrayIndex>(i) <= json::kMaxWriteIndex; }
}  // namespace

KeyboardSystemSettings CKeyboardProfiledata::getSystemSettings() {
  systemSettings_ = keyboardSystemFromJson(json::member(deviceNode_, keys::kSystemStages));
  return systemSettings_;
}

void CKeyboardProfiledata::setSystemSettings(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2) {
  systemSettings_ = {word0, word1, word2};
  writeKeyboardSystem(deviceNode_, systemSettings_);
}

int CKeyboardProfiledata::getCustomGroupIndex() {
  customGroupIndex_ = json::toInt(json::member(json::member(deviceNode_, keys::kCustomLightMode), keys::kCustomGroupIndex));
  return customGroupIndex_;
}

void CKeyboardProfiledata::setCustomGroupIndex(int index) {
  customGroupIndex_ = index;
  json::slot(nodeSlot(keys::kCustomLightMode), keys::kCustomGroupIndex) = index;
}

Json::Value& CKeyboardProfiledata::colorGroups() {
  return json::slot(nodeSlot(keys::kCustomLightMode), keys::kLightColorInfo);
}

std::vector<KeyColor> CKeyboardProfiledata::getCustomColors(int group, int keyCount) {
  customColors_.clear();
  if (keyCount <= 0) return customColors_;
  customColors_.assign(static_cast<std::size_t>(keyCount), KeyColor{});
  // A group or key beyond what a file can sensibly hold reads as zeros and
  // is not created.
  if (!writableIndex(group) || !writableIndex(keyCount - 1)) return customColors_;
  const auto g = static_cast<Json::ArrayIndex>(group);
  // A copy: the loop below may create the group in the node.
  const Json::Value stored = json::element(
      json::member(json::member(deviceNode_, keys::kCustomLightMode), keys::kLightColorInfo), g);
  const bool groupMissing = !stored.isArray();
  Json::Value* groupSlot = nullptr;
  for (int i = 0; i < keyCount; ++i) {
    const auto k = static_cast<Json::ArrayIndex>(i);
    const Json::Value& e = groupMissing ? stored : json::element(stored, k);
    if (e.isObject()) {
      customColors_[k] = keyColorFromJson(e);
      continue;
    }
    if (groupSlot == nullptr) groupSlot = &json::slot(colorGroups(), g);
    json::slot(*groupSlot, k) = keyColorToJson(KeyColor{});
  }
  return customColors_;
}

void CKeyboardProfiledata::setCustomColors(const std::vector<KeyColor>& colors, int group) {
  customColors_ = colors;
  if (!writableIndex(group)) return;
  Json::Value& stored = json::slot(colorGroups(), static_cast<Json::ArrayIndex>(group));
  for (std::size_t i = 0; i < colors.size() && i <= json::kMaxWriteIndex; ++i) {
    json::slot(stored, static_cast<Json::ArrayIndex>(i)) = keyColorToJson(colors[i]);
  }
}

}  // namespace kavro::profiles
