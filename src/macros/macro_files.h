#pragma once
// The macro index ("macro.config"), the per-macro event files ("<id>.mac") and
// the naming rules for new macros, as pure functions over JSON documents.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <json/json.h>

#include "macros/macro_event.h"

namespace kavro::macros {

inline constexpr char kMacroIndexFileName[] = "macro.config";
inline constexpr char kVexorMacroIndexFileName[] = "vexor_macro.config";
inline constexpr char kMacroFileExtension[] = ".mac";

// JSON keys of the index and of an event file.
inline constexpr char kIndexMacroInfo[] = "MacroInfo";
inline constexpr char kMacroName[] = "MacroName";
inline constexpr char kMacroGuid[] = "Guid";
inline constexpr char kMacroEvents[] = "Events";
inline constexpr char kMacroVersion[] = "Version";
inline constexpr int kMacroFileVersion = 64;

// A device keeps at most this many macros.
inline constexpr std::size_t kMaxMacros = 50;
// "Macro_%d", the default names of new macros.
inline constexpr char kDefaultNamePrefix[] = "Macro_";

struct MacroEntry {
  std::string name;
  std::string id;  // local time at creation; names the event file
  bool operator==(const MacroEntry&) const = default;
};

// One entry per "MacroInfo" element, in order, so that positions (which key
// assignments use as macro numbers) stay as stored. Elements that are not
// objects, and members that are not strings, read as empty.
std::vector<MacroEntry> entriesFromIndex(const Json::Value& index);
std::vector<std::string> namesFromIndex(const Json::Value& index);

// Local time fields of a macro id.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime toLocalTime(std::chrono::system_clock::time_point when);
// "%d_%02d_%02d_%02d_%02d_%02d_%03d".
std::string formatMacroId(const LocalTime& t);

// True when the id can name a file in the macro folder: not empty, no path
// separator, no NUL, not "." or "..". Ids from a damaged or hostile index
// that fail this are never used as file names.
bool isUsableMacroId(std::string_view id);

// ASCII case-insensitive comparison used for macro names.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

// The first "Macro_<n>" (n from 1) that equals no existing name, ignoring case.
std::string nextDefaultName(const std::vector<std::string>& existing);

// The content of an event file, members in key order.
Json::Value macroFileDocument(const std::string& name, const std::string& id,
                              const std::vector<MacroEvent>& events);
// The steps of an event file; elements that are not objects are skipped.
std::vector<MacroEvent> eventsFromMacroFile(const Json::Value& document);

}  // namespace kavro::macros
