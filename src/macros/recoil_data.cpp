#include "macros/recoil_data.h"

#include <algorithm>

#include "macros/file_bytes.h"
#include "macros/key_tables.h"
#include "macros/macro_event.h"
#include "macros/macro_files.h"
#include "profiles/json_file.h"

namespace kavro::macros {
namespace {

// Element positions within a shot.
constexpr int kPressStep = 0;
constexpr int kReleaseStep = 1;
constexpr int kHorizontalStep = 2;
constexpr int kVerticalStep = 3;

std::string folderPath(const std::string& folder, int slot) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + shootFileName(slot);
}

ShotSetting clamped(const ShotSetting& s) {
  ShotSetting c = s;
  c.horizontal = std::clamp(s.horizontal, 0, kMaxShotDistance);
  c.vertical = std::clamp(s.vertical, 0, kMaxShotDistance);
  c.delay = std::clamp(s.delay, 0, kMaxDelay);
  return c;
}

// Step `step` (0-3) of a shot as it is stored; delays and buttons are integers.
Json::Value shotStep(int step, const ShotSetting& s) {
  MacroEvent e;
  switch (step) {
    case kPressStep:
      e = {kTypeMouseButton, kMouseLeft, true, kShotPressDelay};
      break;
    case kReleaseStep:
      e = {kTypeMouseButton, kMouseLeft, false, kShotReleaseDelay};
      break;
    case kHorizontalStep:
      e = {kTypeMouseMoveX, s.horizontal, s.moveLeft, kShotHorizontalDelay};
      break;
    default:
      e = {kTypeMouseMoveY, s.vertical, s.moveUp, s.delay};
      break;
  }
  return eventToJson(e, DelayForm::Integer);
}

// The step at `index` of a pattern document; missing or damaged steps read
// as an empty "up" step.
MacroEvent stepAt(const Json::Value& document, int index) {
  if (!document.isObject()) return {};
  const Json::Value& events = document[kMacroEvents];
  if (!events.isArray() || static_cast<Json::ArrayIndex>(index) >= events.size()) return {};
  return eventFromJson(events[static_cast<Json::ArrayIndex>(index)]).value_or(MacroEvent{});
}

}  // namespace

int clampRecoilSlot(int slot) { return std::clamp(slot, 0, kRecoilSlotCount - 1); }
int clampShot(int shot) { return std::clamp(shot, 0, kShotsPerPattern - 1); }

std::string shootFileName(int slot) {
  return kShootFilePrefix + std::to_string(clampRecoilSlot(slot)) + kShootFileExtension;
}

ShotSetting readShot(const Json::Value& document, int shot) {
  const int base = clampShot(shot) * kEventsPerShot;
  const MacroEvent h = stepAt(document, base + kHorizontalStep);
  const MacroEvent v = stepAt(document, base + kVerticalStep);
  return clamped({h.down, h.button, v.down, v.button, v.delay});
}

RecoilPattern readPattern(const Json::Value& document) {
  RecoilPattern pattern;
  for (int i = 0; i < kShotsPerPattern; ++i) pattern[static_cast<std::size_t>(i)] = readShot(document, i);
  return pattern;
}

void storeShot(Json::Value& document, int shot, const ShotSetting& setting) {
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  Json::Value& events = document[kMacroEvents];
  if (!events.isArray()) events = Json::Value(Json::arrayValue);
  while (events.size() < static_cast<Json::ArrayIndex>(kEventsPerPattern)) {
    events.append(shotStep(static_cast<int>(events.size()) % kEventsPerShot, ShotSetting{}));
  }
  const ShotSetting s = clamped(setting);
  const int base = clampShot(shot) * kEventsPerShot;
  for (int step = 0; step < kEventsPerShot; ++step) {
    events[static_cast<Json::ArrayIndex>(base + step)] = shotStep(step, s);
  }
}

Json::Value patternDocument(const RecoilPattern& pattern) {
  Json::Value doc(Json::objectValue);
  for (int i = 0; i < kShotsPerPattern; ++i) storeShot(doc, i, pattern[static_cast<std::size_t>(i)]);
  return doc;
}

ShotSetting loadShot(const std::string& folder, int slot, int shot) {
  return readShot(profiles::readJsonDocument(folderPath(folder, slot)), shot);
}

bool saveShot(const std::string& folder, int slot, int shot, const ShotSetting& setting) {
  const std::string path = folderPath(folder, slot);
  Json::Value doc = profiles::readJsonDocument(path);
  storeShot(doc, shot, setting);
  return profiles::wirtejsonFile(path, doc) == 0;
}

bool resetPatternFile(const std::string& defaultFolder, const std::string& userFolder, int slot) {
  const auto bytes = readFileBytes(folderPath(defaultFolder, slot), profiles::kMaxJsonFileBytes);
  return writeFileBytes(folderPath(userFolder, slot), bytes.value_or(std::string()));
}

}  // namespace kavro::macros
