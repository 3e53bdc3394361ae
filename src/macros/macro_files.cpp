#include "macros/macro_files.h"

#include <cstdio>
#include <ctime>

namespace kavro::macros {
namespace {

std::string stringMember(const Json::Value& object, const char* key) {
  if (!object.isObject()) return {};
  const Json::Value& v = object[key];
  return v.isString() ? v.asString() : std::string();
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::vector<MacroEntry> entriesFromIndex(const Json::Value& index) {
  std::vector<MacroEntry> entries;
  if (!index.isObject()) return entries;
  const Json::Value& info = index[kIndexMacroInfo];
  if (!info.isArray()) return entries;
  entries.reserve(info.size());
  for (Json::ArrayIndex i = 0; i < info.size(); ++i) {
    entries.push_back({stringMember(info[i], kMacroName), stringMember(info[i], kMacroGuid)});
  }
  return entries;
}

std::vector<std::string> namesFromIndex(const Json::Value& index) {
  std::vector<std::string> names;
  for (auto& e : entriesFromIndex(index)) names.push_back(std::move(e.name));
  return names;
}

LocalTime toLocalTime(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
  // Floor division keeps the millisecond field in 0..999 before 1970 too.
  std::int64_t secs = ms / 1000;
  std::int64_t rest = ms % 1000;
  if (rest < 0) {
    rest += 1000;
    --secs;
  }
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
          static_cast<int>(rest)};
}

std::string formatMacroId(const LocalTime& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%d_%02d_%02d_%02d_%02d_%02d_%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return buf;
}

bool isUsableMacroId(std::string_view id) {
  if (id.empty() || id == "." || id == "..") return false;
  for (char c : id) {
    if (c == '/' || c == '\\' || c == '\0') return false;
  }
  return true;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

std::string nextDefaultName(const std::vector<std::string>& existing) {
  for (std::size_t n = 1;; ++n) {
    const std::string candidate = kDefaultNamePrefix + std::to_string(n);
    bool taken = false;
    for (const auto& name : existing) {
      if (sameNameIgnoringCase(name, candidate)) {
        taken = true;
        break;
      }
    }
    if (!taken) return candidate;
  }
}

Json::Value macroFileDocument(const std::string& name, const std::string& id,
                              const std::vector<MacroEvent>& events) {
  Json::Value doc(Json::objectValue);
  doc[kMacroName] = name;
  doc[kMacroGuid] = id;
  Json::Value list(Json::arrayValue);
  for (const auto& e : events) list.append(eventToJson(e));
  doc[kMacroEvents] = std::move(list);
  doc[kMacroVersion] = kMacroFileVersion;
  return doc;
}

std::vector<MacroEvent> eventsFromMacroFile(const Json::Value& document) {
  std::vector<MacroEvent> events;
  if (!document.isObject()) return events;
  const Json::Value& list = document[kMacroEvents];
  if (!list.isArray()) return events;
  events.reserve(list.size());
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    if (auto e = eventFromJson(list[i])) events.push_back(*e);
  }
  return events;
}

}  // namespace kavro::macros
