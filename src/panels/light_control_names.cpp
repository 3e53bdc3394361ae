#include "panels/light_control_names.h"

#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_paths.h"

namespace kavro::panels {

namespace {
constexpr char kLightName[] = "LightName";
constexpr char kVisible[] = "visible";

// document[key][model] when it is an array, else null.
const Json::Value& modelList(const Json::Value& document, const char* key, int model) {
  static const Json::Value kNull;
  if (!document.isObject() || model < 0) return kNull;
  const Json::Value& all = document[key];
  if (!all.isArray() || static_cast<Json::ArrayIndex>(model) >= all.size()) return kNull;
  const Json::Value& list = all[static_cast<Json::ArrayIndex>(model)];
  return list.isArray() ? list : kNull;
}

QString nameOf(const Json::Value& entry) {
  if (!entry.isObject()) return {};
  const Json::Value& n = entry[kLightName];
  return n.isString() ? QString::fromStdString(n.asString()) : QString();
}

// "visible" is a boolean; numbers count as true when non-zero; a missing
// flag reads as 0 like every missing member.
int visibleOf(const Json::Value& entry) {
  if (!entry.isObject()) return 0;
  const Json::Value& v = entry[kVisible];
  if (v.isBool()) return v.asBool() ? 1 : 0;
  if (v.isNumeric()) return v.asDouble() != 0 ? 1 : 0;
  return 0;
}
}  // namespace

EffectNameList effectNamesFrom(const Json::Value& document, int model) {
  EffectNameList out;
  for (const Json::Value& entry : modelList(document, profiles::keys::kDefaultLightName, model)) {
    out.names.push_back(nameOf(entry));
    out.visible.push_back(visibleOf(entry));
  }
  return out;
}

std::vector<QString> areaNamesFrom(const Json::Value& document, int model) {
  std::vector<QString> out;
  for (const Json::Value& entry : modelList(document, profiles::keys::kAreaLightName, model)) out.push_back(nameOf(entry));
  return out;
}

Json::Value readDefaultLightNames(const std::string& defaultDataFolder) {
  return profiles::readJsonDocument(profiles::joinPath(defaultDataFolder, profiles::kDefaultLightFileName));
}

}  // namespace kavro::panels
