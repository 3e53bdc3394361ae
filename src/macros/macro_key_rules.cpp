#include "macros/macro_key_rules.h"

#include "macros/key_function.h"

namespace kavro::macros {

std::optional<std::size_t> macroNumberOf(const profiles::KeyCodeBytes& code) {
  if (code[0] != kFnKindMacroMode && code[0] != kFnKindMacroRepeat) return std::nullopt;
  return code[1];
}

bool anyKeyRunsMacro(const std::vector<profiles::KeyAssignment>& list, std::size_t n) {
  for (const auto& a : list) {
    if (macroNumberOf(a.code) == n) return true;
  }
  return false;
}

bool renumberAfterMacroDelete(std::vector<profiles::KeyAssignment>& list, std::size_t n) {
  bool changed = false;
  for (auto& a : list) {
    const auto macro = macroNumberOf(a.code);
    if (!macro || *macro < n) continue;
    if (*macro == n) {
      a.position = a.defaultPosition;
      a.code = a.defaultCode;
    } else {
      --a.code[1];
    }
    changed = true;
  }
  return changed;
}

std::optional<std::string_view> renameMessageKey(MacroModel::RenameResult result) {
  switch (result) {
    case MacroModel::RenameResult::NameTaken:
      return kMessageNameTaken;
    case MacroModel::RenameResult::WriteFailed:
      return kMessageMacroWriteFailed;
    default:
      return std::nullopt;
  }
}

}  // namespace kavro::macros
