// LIBS: kavro_macros_core
// Feeds arbitrary bytes to the readers of macro index, macro event and recoil
// pattern files, parsed from memory by the same parser the file readers hand
// a file's contents to. Nothing may throw or crash, and every step read must
// come back unchanged when written and read again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "macros/macro_event.h"
#include "macros/macro_files.h"
#include "macros/recoil_data.h"
#include "profiles/json_file.h"

using namespace kavro::macros;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)parseDelayText(text);

  Json::Value doc = kavro::profiles::parseJsonText(text);
  // Damaged text reads as a null document, the same for every such input.
  if (doc.isNull()) return 0;
  for (const auto& entry : entriesFromIndex(doc)) (void)isUsableMacroId(entry.id);

  for (const MacroEvent& e : eventsFromMacroFile(doc)) {
    if (e.delay < 0 || e.delay > kMaxDelay) __builtin_trap();
    if (eventFromJson(eventToJson(e)) != e) __builtin_trap();
    if (eventFromStyledText(eventToStyledText(e, DelayForm::Integer)) != e) __builtin_trap();
    (void)describeStep(e);
  }

  // A pattern file's shot is read, then stored back into the same document,
  // which must then hold a whole pattern whatever it held before. Only a
  // document with a step list is a pattern file worth the time: storing into
  // any other builds the same fresh pattern every time.
  if (!doc.isObject() || !doc.isMember(kMacroEvents)) return 0;
  const int shot = static_cast<int>(size % kShotsPerPattern);
  const RecoilPattern before = readPattern(doc);
  storeShot(doc, shot, before[static_cast<std::size_t>(shot)]);
  if (doc[kMacroEvents].size() < static_cast<Json::ArrayIndex>(kEventsPerPattern)) __builtin_trap();
  if (readShot(doc, shot) != before[static_cast<std::size_t>(shot)]) __builtin_trap();
  return 0;
}
