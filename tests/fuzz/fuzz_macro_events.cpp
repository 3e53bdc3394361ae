// LIBS: kavro_macros_core
// Feeds arbitrary bytes to the readers of macro index, macro event and recoil
// pattern files. Nothing may throw or crash, and every step read must come
// back unchanged when written and read again.
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
  for (const auto& entry : entriesFromIndex(doc)) (void)isUsableMacroId(entry.id);

  for (const MacroEvent& e : eventsFromMacroFile(doc)) {
    if (e.delay < 0 || e.delay > kMaxDelay) __builtin_trap();
    if (eventFromJson(eventToJson(e)) != e) __builtin_trap();
    if (eventFromStyledText(eventToStyledText(e, DelayForm::Integer)) != e) __builtin_trap();
    (void)describeStep(e);
  }

  const RecoilPattern before = readPattern(doc);
  storeShot(doc, static_cast<int>(size % kShotsPerPattern), before[size % kShotsPerPattern]);
  if (doc[kMacroEvents].size() < static_cast<Json::ArrayIndex>(kEventsPerPattern)) __builtin_trap();
  (void)kavro::profiles::styledJsonText(doc);
  return 0;
}
