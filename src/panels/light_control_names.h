#pragma once
// The built-in effect names of "default_light.json": the names of the effect
// list with their visible flags, and the names of the second lighting zone,
// both per device model. Device page builders pass them to the lighting panel.
#include <QString>
#include <json/json.h>

#include <string>
#include <vector>

namespace kavro::panels {

struct EffectNameList {
  std::vector<QString> names;
  std::vector<int> visible;  // 1 shows the item, 0 hides it; one per name
};

// "DefaultLightName"[model]: the effect list of a device model. A missing
// model or a non-array gives no entries; an element without "LightName"
// keeps its place with an empty name, one without "visible" is hidden.
EffectNameList effectNamesFrom(const Json::Value& document, int model);
// "AreaLightName"[model]: the second zone effect names.
std::vector<QString> areaNamesFrom(const Json::Value& document, int model);

// Reads "default_light.json" from a data folder ("…/DefaultData").
Json::Value readDefaultLightNames(const std::string& defaultDataFolder);

}  // namespace kavro::panels
