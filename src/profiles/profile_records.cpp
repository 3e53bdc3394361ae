#include "profiles/profile_records.h"

#include "profiles/json_access.h"
#include "profiles/profile_keys.h"

namespace kavro::profiles {
namespace {
std::uint16_t u16(const Json::Value& obj, const char* key) {
  return json::toUInt16(json::member(obj, key));
}
std::uint8_t u8(const Json::Value& obj, const char* key) { return json::toByte(json::member(obj, key)); }
}  // namespace

std::uint32_t packKeyCode(const KeyCodeBytes& code) {
  return static_cast<std::uint32_t>(code[0]) << 16 | static_cast<std::uint32_t>(code[1]) << 8 | code[2];
}

KeyCodeBytes unpackKeyCode(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value)};
}

std::array<std::uint8_t, kKeyAssignmentItemBytes> keyAssignmentItem(const KeyAssignment& a) {
  return {static_cast<std::uint8_t>(a.position), static_cast<std::uint8_t>(a.position >> 8),
          a.code[0], a.code[1], a.code[2], 0,
          static_cast<std::uint8_t>(a.defaultPosition), static_cast<std::uint8_t>(a.defaultPosition >> 8),
          a.defaultCode[0], a.defaultCode[1], a.defaultCode[2], 0};
}

KeyAssignment keyAssignmentFromItem(const std::array<std::uint8_t, kKeyAssignmentItemBytes>& item) {
  KeyAssignment a;
  a.position = static_cast<std::uint16_t>(item[0] | item[1] << 8);
  a.code = {item[2], item[3], item[4]};
  a.defaultPosition = static_cast<std::uint16_t>(item[6] | item[7] << 8);
  a.defaultCode = {item[8], item[9], item[10]};
  return a;
}

std::vector<KeyAssignment> keyAssignmentsFromJson(const Json::Value& keyList) {
  std::vector<KeyAssignment> out;
  Json::ArrayIndex n = json::arraySize(keyList);
  out.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& e = keyList[i];
    KeyAssignment a;
    a.position = static_cast<std::uint16_t>(i);
    a.defaultPosition = a.position;
    a.code = unpackKeyCode(json::toUInt32(json::member(e, keys::kAssignment)));
    a.defaultCode = unpackKeyCode(json::toUInt32(json::member(e, keys::kDefaultAssignment)));
    out.push_back(a);
  }
  return out;
}

void writeKeyAssignments(Json::Value& keyList, const std::vector<KeyAssignment>& list) {
  for (std::size_t i = 0; i < list.size() && i <= json::kMaxWriteIndex; ++i) {
    Json::Value& entry = json::slot(keyList, static_cast<Json::ArrayIndex>(i));
    json::slot(entry, keys::kAssignment) = packKeyCode(list[i].code);
  }
}

KeyboardSystemSettings keyboardSystemFromJson(const Json::Value& st) {
  if (!st.isObject()) return {};
  return {halves(u16(st, keys::kRepeatDelay), u16(st, keys::kRepeat)),
          halves(u16(st, keys::kPollingRate), u16(st, keys::kKey6Flag)),
          halves(u16(st, keys::kWinFlag), u16(st, keys::kWFlag))};
}

void writeKeyboardSystem(Json::Value& node, const KeyboardSystemSettings& s) {
  Json::Value& st = json::slot(node, keys::kSystemStages);
  json::slot(st, keys::kRepeat) = low16(s.word0);
  json::slot(st, keys::kRepeatDelay) = high16(s.word0);
  json::slot(st, keys::kKey6Flag) = low16(s.word1);
  json::slot(st, keys::kPollingRate) = high16(s.word1);
  json::slot(st, keys::kWFlag) = low16(s.word2);
  json::slot(st, keys::kWinFlag) = high16(s.word2);
}

MouseSystemSettings mouseSystemFromJson(const Json::Value& node) {
  const Json::Value& st = json::member(node, keys::kSystemStages);
  if (!st.isObject()) return {};
  const Json::Value& report = json::member(node, keys::kReportStages);
  return {halves(u16(st, keys::kMouseSpeed), u16(st, keys::kDoubleClickTime)),
          halves(u16(st, keys::kScrollPage), u16(st, keys::kPointerPrecision)),
          halves(u16(report, keys::kStageActive), u16(st, keys::kWheelScrollLines))};
}

void writeMouseSystem(Json::Value& node, const MouseSystemSettings& s) {
  Json::Value& st = json::slot(node, keys::kSystemStages);
  json::slot(st, keys::kDoubleClickTime) = low16(s.word0);
  json::slot(st, keys::kMouseSpeed) = high16(s.word0);
  json::slot(st, keys::kPointerPrecision) = low16(s.word1);
  json::slot(st, keys::kScrollPage) = high16(s.word1);
  json::slot(st, keys::kWheelScrollLines) = low16(s.word2);
  json::slot(json::slot(node, keys::kReportStages), keys::kStageActive) = high16(s.word2);
}

std::array<std::uint8_t, kDpiStageBytes> dpiStageBytes(const DpiStage& s) {
  return {s.active, s.xy,
          static_cast<std::uint8_t>(s.dpiX), static_cast<std::uint8_t>(s.dpiX >> 8),
          static_cast<std::uint8_t>(s.dpiY), static_cast<std::uint8_t>(s.dpiY >> 8),
          s.red, s.green, s.blue};
}

DpiStage dpiStageFromJson(const Json::Value& e) {
  DpiStage s;
  s.active = u8(e, keys::kStageActive);
  s.xy = u8(e, keys::kStageXY);
  s.dpiX = u16(e, keys::kStageDpiX);
  s.dpiY = u16(e, keys::kStageDpiY);
  s.red = u8(e, keys::kStageColorR);
  s.green = u8(e, keys::kStageColorG);
  s.blue = u8(e, keys::kStageColorB);
  return s;
}

Json::Value dpiStageToJson(const DpiStage& s) {
  Json::Value v(Json::objectValue);
  v[keys::kStageActive] = s.active;
  v[keys::kStageXY] = s.xy;
  v[keys::kStageDpiX] = s.dpiX;
  v[keys::kStageDpiY] = s.dpiY;
  v[keys::kStageColorR] = s.red;
  v[keys::kStageColorG] = s.green;
  v[keys::kStageColorB] = s.blue;
  return v;
}

std::vector<DpiStage> mergeDpiStages(std::vector<DpiStage> inMemory, const std::vector<DpiStage>& read) {
  for (std::size_t j = 0; j < read.size(); ++j) {
    if (j < inMemory.size()) inMemory[j] = read[j];
    else inMemory.push_back(read[j]);
  }
  return inMemory;
}

std::vector<CorrectionEntry> correctionsFromJson(const Json::Value& list) {
  std::vector<CorrectionEntry> out;
  Json::ArrayIndex n = json::arraySize(list);
  out.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    const Json::Value& e = list[i];
    out.push_back({u8(e, keys::kCorrectPixThresh), u8(e, keys::kCorrectMinSq), u8(e, keys::kCorrectSelect),
                   json::toString(json::member(e, keys::kCorrectName))});
  }
  return out;
}

}  // namespace kavro::profiles
