#pragma once
// The hook messages as registered window messages: every name gets its
// identifier from the skin toolkit, so the capture side and the main window
// agree on them. The lParam of a message points to the event's record and
// is valid only while the receiver runs.
#include <optional>

#include "hook/hook_modes.h"
#include "hook/hook_records.h"
#include "skin/skin_types.h"

namespace kavro::hook {

// Registers all 19 names; calling it again changes nothing.
void registerHookMessages();
// The identifier of a message (registered on first use).
skin::UINT hookMessageId(HookMessage m);
// The hook message an identifier stands for, if any.
std::optional<HookMessage> hookMessageForId(skin::UINT id);

// The records behind the lParam of the keyboard and mouse messages.
inline const KeyboardRecord* keyboardRecordOf(skin::LPARAM lParam) {
  return reinterpret_cast<const KeyboardRecord*>(lParam);
}
inline const MouseRecord* mouseRecordOf(skin::LPARAM lParam) {
  return reinterpret_cast<const MouseRecord*>(lParam);
}

}  // namespace kavro::hook
