#pragma once
// How the macro list and the key assignments stay in step: keys that run a
// macro name it by its position in the list, so deleting a macro gives the
// keys that ran it their default back and moves the numbers behind it down.
// Also what the editor shows for each outcome of a rename.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "macros/macro_model.h"
#include "profiles/profile_records.h"

namespace kavro::macros {

// The macro a key code runs (kinds 0x70 and 0x71), or nothing.
std::optional<std::size_t> macroNumberOf(const profiles::KeyCodeBytes& code);

// True when any assignment runs macro number n.
bool anyKeyRunsMacro(const std::vector<profiles::KeyAssignment>& list, std::size_t n);

// After macro n is deleted: an assignment that ran it gets its default back
// (position and code), one that ran a later macro runs the same macro at its
// new number. Returns true when any assignment changed.
bool renumberAfterMacroDelete(std::vector<profiles::KeyAssignment>& list, std::size_t n);

// The message a rename outcome shows: "message_text_5" for a name in use;
// nothing for a rename that went through or a name that is ignored (empty,
// with a space, no macro selected). A failed write of the index shows
// kMessageMacroWriteFailed so the user knows the name was not kept.
std::optional<std::string_view> renameMessageKey(MacroModel::RenameResult result);

inline constexpr char kMessageNameTaken[] = "message_text_5";
inline constexpr char kMessageDeleteMacro[] = "message_text_4";
inline constexpr char kMessageMacroInUse[] = "message_text_2";
inline constexpr char kMessageMacroWriteFailed[] = "message_macro_write_failed";

}  // namespace kavro::macros
