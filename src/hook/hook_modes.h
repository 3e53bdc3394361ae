#pragma once
// What captured input is for: the capture modes, the 19 hook message names,
// which message a key or mouse event is reported with in each mode, and
// where the main window sends each message. Pure tables, no Qt.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kavro::hook {

// Capture modes (HookMode). Only one is active at a time.
inline constexpr std::uint32_t kModeSingleKey = 1;       // one key for a key assignment
inline constexpr std::uint32_t kModeHitKey = 2;          // reported, then ignored
inline constexpr std::uint32_t kModeMacro = 4;           // record: append
inline constexpr std::uint32_t kModeMacroBefore = 8;     // record: insert before the selection
inline constexpr std::uint32_t kModeMacroAfter = 16;     // record: insert after the selection
inline constexpr std::uint32_t kModeMacroReplace = 32;   // record: replace the selection
inline constexpr std::uint32_t kModeMouseSingleKey = 256;
inline constexpr std::uint32_t kModeMouseHitKey = 512;
inline constexpr std::uint32_t kModeMouseMacro = 1024;

// Private message that turns key capture for a key assignment on (wParam 1)
// and off (wParam 0); WM_USER + 30.
inline constexpr std::uint32_t kHookOnOffMessage = 0x400 + 30;

// The registered hook messages, in the order of their names below.
enum class HookMessage : std::uint8_t {
  KeySingleKey,       // "WM_HOOK_KEY_SINGLEKEY_MSG"
  KeyHitKey,          // "WM_HOOK_KEY_HITKEY_MSG"
  KeyKbMacro,         // "WM_HOOK_KEY_KBMACRO_MSG"
  KeyMsMacro,         // "WM_HOOK_KEY_MSMACRO_MSG"
  KeyKbMacroSingle,   // "WM_HOOK_KEY_KBMACROSINGLE_MSG"
  KeyKbMacroPrevious, // "WM_HOOK_KEY_KBMACROPREVIOUS_MSG"
  KeyKbMacroLater,    // "WM_HOOK_KEY_KBMACROLATER_MSG"
  MouSingleKey,       // "WM_HOOK_MOU_SINGLEKEY_MSG"
  MouHitKey,          // "WM_HOOK_MOU_HITKEY_MSG"
  MouKbMacro,         // "WM_HOOK_MOU_KBMACRO_MSG"
  MouMsMacro,         // "WM_HOOK_MOU_MSMACRO_MSG"
  KeyMsMacroSingle,   // "WM_HOOK_KEY_MSMACROSINGLE_MSG"
  KeyMsMacroPrevious, // "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"
  KeyMsMacroLater,    // "WM_HOOK_KEY_MSMACROLATER_MSG"
  MouseRButtonDown,   // "UWM_MOUSERBUTTONDOWN_USER_MSG"
  MouseLButtonUp,     // "UWM_MOUSELBUTTONUP_USER_MSG"
  MouseLButtonDown,   // "UWM_MOUSELBUTTONDOWN_USER_MSG"
  MouseRButtonUp,     // "UWM_MOUSERBUTTONUP_USER_MSG"
  MouseMove,          // "UWM_MOUSEMOVE_USER_MSG"
};
inline constexpr std::size_t kHookMessageCount = 19;

// The name a message is registered under.
std::string_view hookMessageName(HookMessage m);
const std::array<HookMessage, kHookMessageCount>& allHookMessages();

// The message a key event is reported with in a mode; nothing for modes
// that report no keys.
std::optional<HookMessage> keyMessageForMode(std::uint32_t mode);
// The message a mouse button event is reported with in a mode (the four
// recording modes only).
std::optional<HookMessage> mouseMessageForMode(std::uint32_t mode);

// Where a recorded step goes in the step list.
enum class Placement { Append, Before, After, Replace };

// What the main window does with a hook message.
enum class HookTarget {
  KeyCapture,   // the key assignment panel's key capture
  RecordKey,    // the current page's macro panel, a key step
  RecordMouse,  // the current page's macro panel, a mouse step
  Consumed,     // handled, nothing done
};
struct HookRoute {
  HookTarget target = HookTarget::Consumed;
  Placement placement = Placement::Append;
  bool operator==(const HookRoute&) const = default;
};
// Nothing for messages that have no receiver: they fall through to the toolkit.
std::optional<HookRoute> routeForMessage(HookMessage m);

// How the recorder measures the wait after each step (RecordDelayMode).
enum class RecordDelayMode : std::uint8_t { Recorded = 1, Constant = 2, Ignore = 3 };

// What the record button and the action-row menu start: the delay mode and
// the capture mode.
struct RecordCommand {
  RecordDelayMode delayMode = RecordDelayMode::Recorded;
  std::uint32_t hookMode = kModeMacro;
  bool operator==(const RecordCommand&) const = default;
};
// The record button: constant delay when "macro_check_time" is selected.
RecordCommand recordButtonCommand(bool constantTimeChecked);
// The menu items "redio_previous_*", "redio_later_*" and "macro_action_edit";
// nothing for other names.
std::optional<RecordCommand> recordMenuCommand(std::string_view item, bool constantTimeChecked);

}  // namespace kavro::hook
