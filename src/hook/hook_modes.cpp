#include "hook/hook_modes.h"

namespace kavro::hook {
namespace {

using M = HookMessage;

constexpr std::array<std::string_view, kHookMessageCount> kNames{{
    "WM_HOOK_KEY_SINGLEKEY_MSG",
    "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",
    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_MOU_MSMACRO_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSELBUTTONUP_USER_MSG",
    "UWM_MOUSELBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",
    "UWM_MOUSEMOVE_USER_MSG",
}};

constexpr std::array<HookMessage, kHookMessageCount> kAll = [] {
  std::array<HookMessage, kHookMessageCount> all{};
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<HookMessage>(i);
  return all;
}();

struct ModeMessage {
  std::uint32_t mode;
  HookMessage message;
};

constexpr std::array<ModeMessage, 9> kKeyMessages{{
    {kModeMacro, M::KeyKbMacro},
    {kModeMacroBefore, M::KeyKbMacroPrevious},
    {kModeMacroAfter, M::KeyKbMacroLater},
    {kModeMacroReplace, M::KeyKbMacroSingle},
    {kModeMouseMacro, M::MouKbMacro},
    {kModeSingleKey, M::KeySingleKey},
    {kModeMouseSingleKey, M::MouSingleKey},
    {kModeHitKey, M::KeyHitKey},
    {kModeMouseHitKey, M::MouHitKey},
}};

constexpr std::array<ModeMessage, 4> kMouseMessages{{
    {kModeMacro, M::KeyMsMacro},
    {kModeMacroBefore, M::KeyMsMacroPrevious},
    {kModeMacroAfter, M::KeyMsMacroLater},
    {kModeMacroReplace, M::KeyMsMacroSingle},
}};

template <std::size_t N>
std::optional<HookMessage> lookUp(const std::array<ModeMessage, N>& table, std::uint32_t mode) {
  for (const auto& row : table) {
    if (row.mode == mode) return row.message;
  }
  return std::nullopt;
}

struct MenuRecord {
  std::string_view item;
  RecordDelayMode delayMode;
  std::uint32_t hookMode;
  bool followsCheckBox;  // recorded time becomes constant time when the box is checked
};

constexpr std::array<MenuRecord, 7> kMenuRecords{{
    {"redio_previous_record_time", RecordDelayMode::Recorded, kModeMacroBefore, false},
    {"redio_previous_constant_time", RecordDelayMode::Constant, kModeMacroBefore, false},
    {"redio_previous_ignore_time", RecordDelayMode::Ignore, kModeMacroBefore, false},
    {"redio_later_record_time", RecordDelayMode::Recorded, kModeMacroAfter, true},
    {"redio_later_constant_time", RecordDelayMode::Constant, kModeMacroAfter, false},
    {"redio_later_ignore_time", RecordDelayMode::Ignore, kModeMacroAfter, false},
    {"macro_action_edit", RecordDelayMode::Ignore, kModeMacroReplace, false},
}};

}  // namespace

std::string_view hookMessageName(HookMessage m) {
  const auto i = static_cast<std::size_t>(m);
  return i < kNames.size() ? kNames[i] : std::string_view{};
}

const std::array<HookMessage, kHookMessageCount>& allHookMessages() { return kAll; }

std::optional<HookMessage> keyMessageForMode(std::uint32_t mode) { return lookUp(kKeyMessages, mode); }

std::optional<HookMessage> mouseMessageForMode(std::uint32_t mode) {
  return lookUp(kMouseMessages, mode);
}

std::optional<HookRoute> routeForMessage(HookMessage m) {
  switch (m) {
    case M::KeySingleKey:
      return HookRoute{HookTarget::KeyCapture, Placement::Append};
    case M::KeyKbMacro:
      return HookRoute{HookTarget::RecordKey, Placement::Append};
    case M::KeyKbMacroPrevious:
      return HookRoute{HookTarget::RecordKey, Placement::Before};
    case M::KeyKbMacroLater:
      return HookRoute{HookTarget::RecordKey, Placement::After};
    case M::KeyKbMacroSingle:
      return HookRoute{HookTarget::RecordKey, Placement::Replace};
    case M::KeyMsMacro:
      return HookRoute{HookTarget::RecordMouse, Placement::Append};
    case M::KeyMsMacroPrevious:
      return HookRoute{HookTarget::RecordMouse, Placement::Before};
    case M::KeyMsMacroLater:
      return HookRoute{HookTarget::RecordMouse, Placement::After};
    case M::KeyMsMacroSingle:
      return HookRoute{HookTarget::RecordMouse, Placement::Replace};
    case M::KeyHitKey:
      return HookRoute{HookTarget::Consumed, Placement::Append};
    default:
      return std::nullopt;
  }
}

RecordCommand recordButtonCommand(bool constantTimeChecked) {
  return {constantTimeChecked ? RecordDelayMode::Constant : RecordDelayMode::Recorded, kModeMacro};
}

std::optional<RecordCommand> recordMenuCommand(std::string_view item, bool constantTimeChecked) {
  for (const auto& row : kMenuRecords) {
    if (row.item != item) continue;
    RecordDelayMode mode = row.delayMode;
    if (row.followsCheckBox && constantTimeChecked) mode = RecordDelayMode::Constant;
    return RecordCommand{mode, row.hookMode};
  }
  return std::nullopt;
}

}  // namespace kavro::hook
