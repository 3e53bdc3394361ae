#include "devices/mouse/recoil_editor.h"

#include <algorithm>

#include "macros/file_bytes.h"
#include "macros/key_tables.h"
#include "macros/macro_event.h"
#include "macros/macro_files.h"
#include "profiles/json_file.h"

namespace kavro::mouse {
namespace {

using macros::kEventsPerPattern;
using macros::kEventsPerShot;
using macros::kMaxShotDistance;

// A pattern file is about 10 KB; anything far larger is not one.
constexpr std::size_t kMaxPatternFileBytes = 256 * 1024;
constexpr std::size_t kMaxDelayDigits = 5;

// What each of a shot's four steps must be.
struct StepRule {
  int type;
  int button;  // -1: a distance
  const char* action;  // nullptr: "down" or "up"
};
constexpr StepRule kStepRules[kEventsPerShot] = {
    {macros::kTypeMouseButton, macros::kMouseLeft, macros::kActionDown},
    {macros::kTypeMouseButton, macros::kMouseLeft, macros::kActionUp},
    {macros::kTypeMouseMoveX, -1, nullptr},
    {macros::kTypeMouseMoveY, -1, nullptr},
};

std::string patternPath(const std::string& folder, int slot) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + macros::shootFileName(slot);
}

bool isInteger(const Json::Value& v) { return v.isIntegral() && v.isInt(); }

bool validDelay(const Json::Value& v) {
  if (isInteger(v)) return v.asInt() >= 0 && v.asInt() <= macros::kMaxDelay;
  if (!v.isString()) return false;
  const std::string text = v.asString();
  if (text.empty() || text.size() > kMaxDelayDigits) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  return std::stoi(text) <= macros::kMaxDelay;
}

// Empty when the step fits its place, else what is wrong with it.
std::string checkStep(const Json::Value& step, const StepRule& rule) {
  if (!step.isObject()) return "not an object";
  const Json::Value& type = step[macros::kEventType];
  const Json::Value& button = step[macros::kEventButton];
  const Json::Value& action = step[macros::kEventAction];
  if (!isInteger(type) || type.asInt() != rule.type) return "wrong \"Type\"";
  if (!isInteger(button)) return "\"Button\" is not an integer";
  if (rule.button >= 0 && button.asInt() != rule.button) return "wrong \"Button\"";
  if (rule.button < 0 && (button.asInt() < 0 || button.asInt() > kMaxShotDistance)) return "distance out of range";
  if (!action.isString()) return "\"Action\" is not text";
  const std::string a = action.asString();
  if (rule.action != nullptr ? a != rule.action : a != macros::kActionDown && a != macros::kActionUp) {
    return "wrong \"Action\"";
  }
  if (!validDelay(step[macros::kEventDelay])) return "\"Delay\" out of range";
  return {};
}

bool hasUserPattern(const RecoilFolders& folders, int slot) {
  return !profiles::readJsonDocument(patternPath(folders.user, slot)).isNull();
}

// The bytes of a file if they hold a valid pattern.
struct PatternFile {
  RecoilFileResult result = RecoilFileResult::SourceMissing;
  std::string bytes;
  RecoilPattern pattern{};
};
PatternFile readPatternFile(const std::string& path) {
  PatternFile f;
  auto bytes = macros::readFileBytes(path, kMaxPatternFileBytes);
  if (!bytes) return f;
  const auto pattern = patternFromDocument(profiles::parseJsonText(*bytes));
  if (!pattern) {
    f.result = RecoilFileResult::NotAPattern;
    return f;
  }
  f.result = RecoilFileResult::Done;
  f.bytes = std::move(*bytes);
  f.pattern = *pattern;
  return f;
}

RecoilFileResult writePattern(const std::string& path, const RecoilPattern& pattern) {
  return profiles::wirtejsonFile(path, macros::patternDocument(pattern)) == 0 ? RecoilFileResult::Done
                                                                               : RecoilFileResult::WriteFailed;
}

}  // namespace

int previousShot(int selected) { return macros::clampShot(selected == kNoShot ? 0 : selected - 1); }
int nextShot(int selected) { return macros::clampShot(selected == kNoShot ? 0 : selected + 1); }

std::string shotNumberText(int shot) { return std::to_string(macros::clampShot(shot) + 1); }

const char* horizontalText(bool moveLeft) {
  return moveLeft ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
}
const char* verticalText(bool moveUp) { return moveUp ? "mouse_move_to_up_text" : "mouse_move_to_down_text"; }

ShotSetting shotFromControls(bool moveLeft, std::string_view horizontal, bool moveUp, std::string_view vertical,
                             std::string_view delay) {
  ShotSetting s;
  s.moveLeft = moveLeft;
  s.horizontal = std::min(macros::parseDelayText(horizontal), kMaxShotDistance);
  s.moveUp = moveUp;
  s.vertical = std::min(macros::parseDelayText(vertical), kMaxShotDistance);
  s.delay = macros::parseDelayText(delay);
  return s;
}

std::optional<RecoilPattern> patternFromDocument(const Json::Value& document, std::string* why) {
  auto refuse = [why](std::string text) -> std::optional<RecoilPattern> {
    if (why != nullptr) *why = std::move(text);
    return std::nullopt;
  };
  if (!document.isObject()) return refuse("not a JSON object");
  const Json::Value& events = document[macros::kMacroEvents];
  if (!events.isArray()) return refuse("no \"Events\" list");
  if (events.size() != static_cast<Json::ArrayIndex>(kEventsPerPattern)) {
    return refuse(std::to_string(events.size()) + " steps instead of " + std::to_string(kEventsPerPattern));
  }
  for (int e = 0; e < kEventsPerPattern; ++e) {
    const std::string wrong = checkStep(events[static_cast<Json::ArrayIndex>(e)], kStepRules[e % kEventsPerShot]);
    if (!wrong.empty()) return refuse("step " + std::to_string(e) + ": " + wrong);
  }
  return macros::readPattern(document);
}

RecoilPattern loadPattern(const RecoilFolders& folders, int slot) {
  Json::Value doc = profiles::readJsonDocument(patternPath(folders.user, slot));
  if (doc.isNull()) doc = profiles::readJsonDocument(patternPath(folders.factory, slot));
  return macros::readPattern(doc);
}

bool ensureUserPattern(const RecoilFolders& folders, int slot) {
  if (hasUserPattern(folders, slot)) return true;
  const PatternFile factory = readPatternFile(patternPath(folders.factory, slot));
  return factory.result == RecoilFileResult::Done &&
         macros::writeFileBytes(patternPath(folders.user, slot), factory.bytes);
}

bool storeShot(const RecoilFolders& folders, int slot, int shot, const ShotSetting& setting) {
  ensureUserPattern(folders, slot);
  return macros::saveShot(folders.user, slot, shot, setting);
}

RecoilFileResult resetPattern(const RecoilFolders& folders, int slot) {
  const PatternFile factory = readPatternFile(patternPath(folders.factory, slot));
  if (factory.result != RecoilFileResult::Done) return factory.result;
  return macros::writeFileBytes(patternPath(folders.user, slot), factory.bytes) ? RecoilFileResult::Done
                                                                               : RecoilFileResult::WriteFailed;
}

RecoilFileResult importPattern(const std::string& sourcePath, const RecoilFolders& folders, int slot) {
  const PatternFile source = readPatternFile(sourcePath);
  if (source.result != RecoilFileResult::Done) return source.result;
  return writePattern(patternPath(folders.user, slot), source.pattern);
}

RecoilFileResult exportPattern(const RecoilFolders& folders, int slot, const std::string& targetPath) {
  if (targetPath.empty()) return RecoilFileResult::WriteFailed;
  return writePattern(targetPath, loadPattern(folders, slot));
}

std::vector<SprayPoint> sprayPath(const RecoilPattern& pattern) {
  std::vector<SprayPoint> path;
  path.reserve(pattern.size());
  SprayPoint at;
  for (const ShotSetting& shot : pattern) {
    at.x += shot.moveLeft ? -shot.horizontal : shot.horizontal;
    at.y += shot.moveUp ? -shot.vertical : shot.vertical;
    path.push_back(at);
  }
  return path;
}

SprayBounds sprayBounds(const std::vector<SprayPoint>& path) {
  SprayBounds b;
  for (const SprayPoint& p : path) {
    b.minX = std::min(b.minX, p.x);
    b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y);
    b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

}  // namespace kavro::mouse
