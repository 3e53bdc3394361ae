#include "devices/keyboard/keyboard_captions.h"

#include "macros/key_tables.h"

namespace kavro::keyboard {
namespace {

// Kinds (byte 0) of the assignable functions and the function number that
// names each in the key assignment panel.
struct KindFunction {
  std::uint8_t kind;
  int function;
};
constexpr KindFunction kKindFunctions[] = {
    {0x10, 1},   // mouse button
    {0x11, 2},   // mouse swing
    {0x12, 3},   // mouse wheel burst
    {0x13, 4},   // sensitivity step
    {0x14, 5},   // rapid fire
    {0x20, 6},   // keyboard key
    {0x30, 7},   // media key
    {0x40, 8},   // system key
    {0x70, 9},   // macro, play mode
    {0x71, 9},   // macro, repeat count
    {0x72, 10},  // gun key
    {0xB0, 11},  // shortcut placeholder
};

// Keys of the keyboard's own that no key table names, because no other key
// can be given their function: the lighting key beside the game-mode key.
struct DeviceKeyName {
  KeyCodeBytes code;
  const char* nameKey;
};
constexpr DeviceKeyName kDeviceKeyNames[] = {
    {{0xA0, 0x24, 0x00}, "keyboard_key_Light"},
};

FunctionName byFunctionNumber(std::uint8_t kind) {
  for (const KindFunction& kf : kKindFunctions) {
    if (kf.kind == kind) return {{kFunctionNamePrefix + std::to_string(kf.function)}, {}};
  }
  return {};
}

// A keyboard key with modifiers: the modifier names in bit order, then the key.
FunctionName keyWithModifiers(std::uint8_t modifiers, std::uint8_t usage) {
  FunctionName name;
  for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
    if ((modifiers & bit) == 0) continue;
    if (const auto row = macros::findModifierRow(static_cast<std::uint8_t>(bit)))
      name.nameKeys.emplace_back(macros::KeyCodeTable[*row].nameKey);
  }
  if (usage != 0) {
    const auto row = macros::findKeyRowByUsage(usage);
    if (!row) return {};
    name.nameKeys.emplace_back(macros::KeyCodeTable[*row].nameKey);
  }
  return name;
}

}  // namespace

FunctionName functionName(const KeyCodeBytes& code, std::span<const std::string> macroNames) {
  const auto [kind, code1, code2] = code;
  if (const auto row = macros::findKeyRowByCode(kind, code1, code2))
    return {{macros::KeyCodeTable[*row].nameKey}, {}};
  for (const DeviceKeyName& d : kDeviceKeyNames) {
    if (d.code == code) return {{d.nameKey}, {}};
  }
  if (kind == macros::kKindKeyboard) return keyWithModifiers(code1, code2);
  if (kind == 0x10) {
    if (const auto row = macros::findMouseButtonRow(code1))
      return {{macros::MouseEventTable[*row].nameKey}, {}};
    return {};
  }
  if ((kind == kCodeKindMacroMode || kind == kCodeKindMacroRepeat) && code1 < macroNames.size())
    return {{}, macroNames[code1]};
  return byFunctionNumber(kind);
}

FunctionName defaultKeyName(std::size_t position) {
  if (position >= kPositionCount) return {};
  return functionName(kDefaultKeyCodes[position], {});
}

KeyCaption keyCaption(std::size_t position, const KeyCodeBytes& assigned,
                      std::span<const std::string> macroNames) {
  KeyCaption c;
  c.key = defaultKeyName(position);
  c.assigned = functionName(assigned, macroNames);
  c.marked = !(c.key == c.assigned);
  return c;
}

}  // namespace kavro::keyboard
