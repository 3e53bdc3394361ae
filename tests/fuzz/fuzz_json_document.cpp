// LIBS: kavro_profiles
// Feeds arbitrary bytes through the JSON reader and every profile getter and
// setter, the way a damaged or hostile profile file would reach them. The
// bytes are parsed from memory by the same parser the file reader hands a
// file's contents to, so no input touches the disk.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profiles/hs6533_profile_data.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_list.h"

using namespace kavro::profiles;

namespace {

// Keys read from a colour group. Every key takes the same path through the
// reader, so a few keys find what all 126 would, in a tenth of the time.
constexpr int kKeysRead = 12;

void exerciseBase(CBasicProfiledata& d) {
  d.setKeyAssignments(d.getKeyAssignments());
  d.getLightList();
  d.setLightSetting(d.getLightSetting());
}

void exerciseKeyboard(const Json::Value& node) {
  CKeyboardProfiledata kb;
  kb.setDeviceNode(node);
  exerciseBase(kb);
  KeyboardSystemSettings ks = kb.getSystemSettings();
  kb.setSystemSettings(ks.word0, ks.word1, ks.word2);
  // Without a custom light mode every colour group reads as the same
  // defaults; building them for each input would only cost time.
  if (json::member(node, keys::kCustomLightMode).isNull()) return;
  const int group = kb.getCustomGroupIndex();
  kb.setCustomColors(kb.getCustomColors(group, kKeysRead), group);
  // The light setting names its own group; read it too when it differs.
  const int lightGroup = kb.getLightSetting().customGroup;
  if (lightGroup != group) kb.getCustomColors(lightGroup, kKeysRead);
}

void exerciseMouse(const Json::Value& node) {
  CMouseProfiledata m;
  m.setDeviceNode(node);
  exerciseBase(m);
  m.setDpiStages(m.getDpiStages());
  m.setActiveDpiStage(m.getActiveDpiStage());
  MouseSystemSettings ms = m.getSystemSettings();
  m.setSystemSettings(ms.word0, ms.word1, ms.word2);
  m.getCorrections();
}

void exerciseHeadset(const Json::Value& node) {
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

// A device node reaches the profile classes only as an object: anything else
// reads as an empty node, whose defaults the unit tests cover, so the fuzzer
// spends no time rebuilding them for every input.
void exercise(const Json::Value& node) {
  if (!node.isObject()) return;
  exerciseKeyboard(node);
  exerciseMouse(node);
  exerciseHeadset(node);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  json::sanitizeUtf8(text);
  const Json::Value doc = parseJsonText(text);
  // Damaged text reads as a null document, the same for every such input.
  if (doc.isNull()) return 0;
  exercise(doc);
  exercise(json::element(json::member(doc, "Device"), 0));
  profileListToJson(profileListFromJson(doc));
  effectStepsFromJson(doc);
  resetProfileDocument(doc, doc, "n", "i", true);
  return 0;
}
