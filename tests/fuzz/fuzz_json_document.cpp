// LIBS: kavro_profiles
// Feeds arbitrary bytes through the JSON reader and every profile getter and
// setter, the way a damaged or hostile profile file would reach them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profiles/hs6533_profile_data.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list.h"

using namespace kavro::profiles;

namespace {

void exerciseBase(CBasicProfiledata& d) {
  d.getKeyAssignments();
  d.setKeyAssignments(d.getKeyAssignments());
  LightSetting s = d.getLightSetting();
  d.getLightList();
  d.setLightSetting(s);
}

void exercise(const Json::Value& node) {
  CKeyboardProfiledata kb;
  kb.setDeviceNode(node);
  exerciseBase(kb);
  KeyboardSystemSettings ks = kb.getSystemSettings();
  kb.setSystemSettings(ks.word0, ks.word1, ks.word2);
  int group = kb.getCustomGroupIndex();
  kb.setCustomColors(kb.getCustomColors(group, 126), group);
  kb.getCustomColors(kb.getLightSetting().customGroup, 126);

  CMouseProfiledata m;
  m.setDeviceNode(node);
  exerciseBase(m);
  m.setDpiStages(m.getDpiStages());
  m.setActiveDpiStage(m.getActiveDpiStage());
  MouseSystemSettings ms = m.getSystemSettings();
  m.setSystemSettings(ms.word0, ms.word1, ms.word2);
  m.getCorrections();

  CHs6533Profiledata hs;
  hs.setDeviceNode(node);
  exerciseBase(hs);
  HeadsetSettings h = hs.getHeadsetSettings();
  hs.setHeadsetSettings(h);
  hs.setEqPreset(h.eqType, hs.getEqPreset(h.eqType));
  hs.setCustomEqValues(h.customEqSelectIndex, hs.getCustomEqValues(h.customEqSelectIndex));
  hs.setCustomEqNames(hs.getCustomEqNames());
  styledJsonText(hs.deviceNode());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Json::Value doc = parseJsonText(text);
  exercise(doc);
  exercise(json::element(json::member(doc, "Device"), 0));
  profileListToJson(profileListFromJson(doc));
  effectStepsFromJson(doc);
  resetProfileDocument(doc, doc, "n", "i", true);
  json::sanitizeUtf8(text);
  return 0;
}
