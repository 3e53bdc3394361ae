#include "profiles/hs6533_profile_data.h"

#include "profiles/json_access.h"
#include "profiles/profile_keys.h"

namespace kavro::profiles {
namespace {
bool writableIndex(int i) { return i >= 0 && static_cast<Json::ArrayIndex>(i) <= json::kMaxWriteIndex; }

Json::Value zeroBand() {
  Json::Value band(Json::objectValue);
  band[keys::kBandValue] = 0;
  return band;
}
}  // namespace

int eqRowForType(int eqType) {
  if (eqType == kCustomEqType) return -1;
  if (eqType >= 1 && eqType <= 12) return eqType;
  return 1;
}

HeadsetSettings headsetSettingsFromJson(const Json::Value& st) {
  auto get = [&st](const char* key) { return json::toInt(json::member(st, key)); };
  return {get(keys::kMagicEnable), get(keys::kMagicType),  get(keys::kEqType),
          get(keys::kCustomEqSelectIndex), get(keys::kMicInSelect), get(keys::kMicInValue),
          get(keys::kMicMonitorSelect), get(keys::kMicMonitorValue)};
}

Json::Value headsetSettingsToJson(const HeadsetSettings& s) {
  Json::Value st(Json::objectValue);
  st[keys::kMagicEnable] = s.magicEnable;
  st[keys::kMagicType] = s.magicType;
  st[keys::kEqType] = s.eqType;
  st[keys::kCustomEqSelectIndex] = s.customEqSelectIndex;
  st[keys::kMicInSelect] = s.micInSelect;
  st[keys::kMicInValue] = s.micInValue;
  st[keys::kMicMonitorSelect] = s.micMonitorSelect;
  st[keys::kMicMonitorValue] = s.micMonitorValue;
  return st;
}

HeadsetSettings CHs6533Profiledata::getHeadsetSettings() {
  settings_ = headsetSettingsFromJson(json::member(deviceNode_, keys::kSystemSetStages));
  return settings_;
}

void CHs6533Profiledata::setHeadsetSettings(const HeadsetSettings& s) {
  settings_ = s;
  Json::Value& st = nodeSlot(keys::kSystemSetStages);
  const Json::Value fresh = headsetSettingsToJson(s);
  for (const auto& name : fresh.getMemberNames()) json::slot(st, name.c_str()) = fresh[name];
}

void CHs6533Profiledata::setHeadsetSettings(int magicEnable, int magicType, int eqType, int customEqSelectIndex,
                                            int micInSelect, int micInValue, int micMonitorSelect,
                                            int micMonitorValue) {
  setHeadsetSettings(HeadsetSettings{magicEnable, magicType, eqType, customEqSelectIndex, micInSelect, micInValue,
                                     micMonitorSelect, micMonitorValue});
}

std::vector<int> CHs6533Profiledata::readBands(const char* section, int row) {
  std::vector<int> values(kEqBandCount, 0);
  // Rows beyond what a file can sensibly hold read as zeros, uncreated.
  if (!writableIndex(row)) return values;
  const auto r = static_cast<Json::ArrayIndex>(row);
  const Json::Value bands = json::element(json::member(deviceNode_, section), r);
  if (!bands.isArray()) {
    Json::Value& stored = json::slot(nodeSlot(section), r);
    for (int i = 0; i < kEqBandCount; ++i) json::slot(stored, static_cast<Json::ArrayIndex>(i)) = zeroBand();
    return values;
  }
  for (int i = 0; i < kEqBandCount; ++i) {
    values[i] = json::toInt(json::member(json::element(bands, static_cast<Json::ArrayIndex>(i)), keys::kBandValue));
  }
  return values;
}

void CHs6533Profiledata::writeBands(const char* section, int row, const std::vector<int>& values) {
  if (!writableIndex(row)) return;
  Json::Value& stored = json::slot(nodeSlot(section), static_cast<Json::ArrayIndex>(row));
  for (int i = 0; i < kEqBandCount; ++i) {
    Json::Value& band = json::slot(stored, static_cast<Json::ArrayIndex>(i));
    json::slot(band, keys::kBandValue) = i < static_cast<int>(values.size()) ? values[i] : 0;
  }
}

std::vector<int> CHs6533Profiledata::getEqPreset(int eqType) {
  int row = eqRowForType(eqType);
  if (row < 0) return {};
  return readBands(keys::kEqHzValueInfo, row);
}

void CHs6533Profiledata::setEqPreset(int eqType, const std::vector<int>& values) {
  int row = eqRowForType(eqType);
  if (row < 0) return;
  writeBands(keys::kEqHzValueInfo, row, values);
}

std::vector<std::string> CHs6533Profiledata::getCustomEqNames() {
  const Json::Value& list = json::member(deviceNode_, keys::kCustomEqNameInfo);
  std::vector<std::string> names;
  for (Json::ArrayIndex i = 0; i < json::arraySize(list); ++i) {
    names.push_back(json::toString(json::member(list[i], keys::kEqName)));
  }
  return names;
}

void CHs6533Profiledata::setCustomEqNames(const std::vector<std::string>& names) {
  // An empty list leaves a null member, which reads back as no names.
  Json::Value list;
  for (const auto& name : names) {
    Json::Value e(Json::objectValue);
    e[keys::kEqName] = json::sanitizeUtf8(name);
    list.append(e);
  }
  nodeSlot(keys::kCustomEqNameInfo) = list;
}

std::vector<int> CHs6533Profiledata::getCustomEqValues(int index) {
  return readBands(keys::kCustomEqHzValueInfo, index);
}

void CHs6533Profiledata::setCustomEqValues(int index, const std::vector<int>& values) {
  writeBands(keys::kCustomEqHzValueInfo, index, values);
}

}  // namespace kavro::profiles
