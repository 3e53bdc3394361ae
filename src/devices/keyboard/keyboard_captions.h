#pragma once
// The names shown on the keyboard picture: each key's caption is the name of
// its position's factory key; its tool tip names the function assigned to
// it, and the key is marked when the two names differ.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "devices/keyboard/keyboard_positions.h"

namespace kavro::keyboard {

// A name to show: language keys joined with "+" after translation (e.g. a
// modifier and a key), then literal text (a macro's own name).
struct FunctionName {
  std::vector<std::string> nameKeys;
  std::string text;

  bool empty() const { return nameKeys.empty() && text.empty(); }
  bool operator==(const FunctionName&) const = default;
};

// Language key prefix of functions that have no key or button name of their
// own (mouse swing, wheel, sensitivity step, rapid fire, gun key, a macro
// that no longer exists, ...): followed by the function number.
inline constexpr char kFunctionNamePrefix[] = "keyset_function_";

// The name of a 3-byte key function code. Macro codes name the macro from
// macroNames (the macro list in order). Unknown codes give an empty name.
FunctionName functionName(const KeyCodeBytes& code, std::span<const std::string> macroNames);

// The name of a position's factory key; empty for positions without a key
// and for positions out of range.
FunctionName defaultKeyName(std::size_t position);

struct KeyCaption {
  FunctionName key;       // caption: the factory key
  FunctionName assigned;  // tool tip, after the "Key_Set" text
  bool marked = false;    // the assigned function is not the factory key
};
KeyCaption keyCaption(std::size_t position, const KeyCodeBytes& assigned,
                      std::span<const std::string> macroNames);

}  // namespace kavro::keyboard
