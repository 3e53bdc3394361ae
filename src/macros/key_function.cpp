#include "macros/key_function.h"

#include <algorithm>

#include "macros/key_tables.h"

namespace kavro::macros {
namespace {

constexpr std::uint8_t kLowNibble = 0x0F;
constexpr int kNibbleShift = 4;
constexpr std::uint8_t kCountMask = 0x7F;
constexpr std::uint8_t kSecondDirectionBit = 0x80;
// A wheel count in the second direction is stored as minus the count.
constexpr int kWheelBase = 128;
constexpr std::uint8_t kHighestSingleModifier = kModRWin;
constexpr std::uint8_t kCtrlBit = kModLCtrl;

constexpr KeyCode media(std::uint16_t usage) {
  return {kFnKindMedia, static_cast<std::uint8_t>(usage & 0xFF), static_cast<std::uint8_t>(usage >> 8)};
}
constexpr KeyCode shortcut(std::uint8_t usage) { return {kFnKindKeyboard, kCtrlBit, usage}; }

constexpr std::array<KeyCode, kMouseKeyItems> kMouseKeys{{
    {kFnKindMouseButton, kMouseLeft, 0},
    {kFnKindMouseButton, kMouseMiddle, 0},
    {kFnKindMouseButton, kMouseRight, 0},
    {kFnKindMouseButton, kMouseForward, 0},
    {kFnKindMouseButton, kMouseBack, 0},
}};
constexpr std::array<KeyCode, kDpiItems> kDpiSteps{{
    {kFnKindDpiStep, 1, 0}, {kFnKindDpiStep, 2, 0}, {kFnKindDpiStep, 3, 0}}};
// HID consumer usages: media select, play/pause, stop, previous, next,
// volume down, volume up, mute, home, refresh, stop page, back, forward,
// favourites, search, my computer, calculator, mail.
constexpr std::array<KeyCode, kMediaItems> kMedia{{
    media(0x0183), media(0x00CD), media(0x00B7), media(0x00B6), media(0x00B5), media(0x00EA),
    media(0x00E9), media(0x00E2), media(0x0223), media(0x0227), media(0x0226), media(0x0224),
    media(0x0225), media(0x022A), media(0x0221), media(0x0194), media(0x0192), media(0x018A),
}};
constexpr std::array<KeyCode, kSystemItems> kSystem{{
    {kFnKindSystem, 1, 0}, {kFnKindSystem, 2, 0}, {kFnKindSystem, 4, 0}}};
// Ctrl+O, N, Z, S, C, X, V, F, A, -, =.
constexpr std::array<KeyCode, kShortcutItems> kShortcuts{{
    shortcut(0x12), shortcut(0x11), shortcut(0x1D), shortcut(0x16), shortcut(0x06), shortcut(0x1B),
    shortcut(0x19), shortcut(0x09), shortcut(0x04), shortcut(0x2D), shortcut(0x2E),
}};

template <std::size_t N>
std::optional<KeyCode> optionAt(const std::array<KeyCode, N>& table, int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= N) return std::nullopt;
  return table[static_cast<std::size_t>(item)];
}

template <std::size_t N>
int itemOf(const std::array<KeyCode, N>& table, const KeyCode& code) {
  for (std::size_t i = 0; i < N; ++i) {
    if (table[i] == code) return static_cast<int>(i);
  }
  return kNoSelection;
}

std::uint8_t lowByte(int n) { return static_cast<std::uint8_t>(n & 0xFF); }

std::uint8_t speedAndDelay(int delay, int speed) {
  return static_cast<std::uint8_t>((delay & kLowNibble) << kNibbleShift | (speed & kLowNibble));
}

bool hasMacro(int item, std::size_t macroCount) {
  return item >= 0 && static_cast<std::size_t>(item) < macroCount;
}

std::optional<KeyCode> buildMacro(const KeySetForm& f, std::size_t macroCount) {
  if (!hasMacro(f.macroItem, macroCount)) return std::nullopt;
  const std::uint8_t macro = lowByte(f.macroItem);
  if (f.playModeItem == kPlayModeRepeatItem) return KeyCode{kFnKindMacroRepeat, macro, lowByte(f.repeatCount)};
  return KeyCode{kFnKindMacroMode, macro, lowByte(std::max(f.playModeItem, 0))};
}

// The key comes from the working code while the edit shows a key name. A
// lone modifier key is shown by its name with no modifier option and stays
// that key, rather than turning into no key at all.
KeyCode buildKeyboard(const KeySetForm& f, const KeyCode& working) {
  const bool keyShown = !f.keyNameKey.empty() && working[0] == kFnKindKeyboard;
  const std::uint8_t usage = keyShown ? working[2] : 0;
  std::uint8_t mods = modifierBitOfOption(f.modifierOption);
  if (keyShown && usage == 0 && mods == 0) mods = working[1];
  return KeyCode{kFnKindKeyboard, mods, usage};
}

std::optional<KeyCode> buildOne(const KeySetForm& f, const KeyCode& working, const KeyCode& defaultCode,
                                std::size_t macroCount) {
  switch (f.function) {
    case kFunctionDefault:
      return defaultCode;
    case kFunctionMouseButton:
      return optionAt(kMouseKeys, f.mouseKeyItem);
    case kFunctionMouseSwing: {
      std::uint8_t count = lowByte(f.swingCount) & kCountMask;
      if (f.swingDirectionItem == kSecondDirectionItem) count |= kSecondDirectionBit;
      return KeyCode{kFnKindMouseSwing, speedAndDelay(f.swingDelay, f.swingSpeed), count};
    }
    case kFunctionMouseWheel: {
      const bool second = f.wheelDirectionItem == kSecondDirectionItem;
      const std::uint8_t count = second ? lowByte((kWheelBase - f.wheelCount) | kSecondDirectionBit)
                                        : static_cast<std::uint8_t>(lowByte(f.wheelCount) & kCountMask);
      return KeyCode{kFnKindMouseWheel, speedAndDelay(f.wheelDelay, f.wheelSpeed), count};
    }
    case kFunctionDpiStep:
      return optionAt(kDpiSteps, f.dpiItem);
    case kFunctionRapidFire:
      return KeyCode{kFnKindRapidFire, lowByte(f.fireInterval), lowByte(f.fireCount)};
    case kFunctionKeyboard:
      return buildKeyboard(f, working);
    case kFunctionMedia:
      return optionAt(kMedia, f.mediaItem);
    case kFunctionSystem:
      return optionAt(kSystem, f.systemItem);
    case kFunctionMacro:
      return buildMacro(f, macroCount);
    case kFunctionGunKey:
      if (f.gunKeyItem < 0) return std::nullopt;
      return KeyCode{kFnKindGunKey, lowByte(f.gunKeyItem), 0};
    case kFunctionShortcut:
      return optionAt(kShortcuts, f.shortcutItem);
    default:
      return std::nullopt;
  }
}

// Keyboard codes: a key with a modifier option, a lone key or modifier, or
// a code with several modifier bits.
void showKeyboard(KeySetView& v, const KeyCode& code) {
  KeySetForm& f = v.form;
  const std::uint8_t mods = code[1];
  const std::uint8_t usage = code[2];
  f.function = kFunctionKeyboard;
  if (mods == 0 || usage == 0) {
    const auto row = findKeyRowByCode(kKindKeyboard, mods, usage);
    if (!row) {
      f.modifierOption = kNoSelection;
      v.shown[1] = 0;
      v.shown[2] = 0;
      return;
    }
    f.modifierOption = 0;
    f.keyNameKey = KeyCodeTable[*row].nameKey;
    return;
  }
  if (mods > kHighestSingleModifier) {
    f.function = kFunctionShortcut;
    f.shortcutItem = itemOf(kShortcuts, code);
    return;
  }
  const auto modRow = findModifierRow(mods);
  f.modifierOption = modRow ? modifierOptionOfRow(*modRow) : 0;
  if (!modRow) v.shown[1] = 0;
  if (const auto keyRow = findKeyRowByUsage(usage)) f.keyNameKey = KeyCodeTable[*keyRow].nameKey;
}

void showMacro(KeySetForm& f, const KeyCode& code, std::size_t macroCount) {
  f.function = kFunctionMacro;
  const bool exists = code[1] < macroCount;
  f.macroItem = exists ? code[1] : kNoSelection;
  if (code[0] == kFnKindMacroRepeat) {
    f.playModeItem = kPlayModeRepeatItem;
    f.repeatCount = code[2];
  } else {
    f.playModeItem = code[2] <= kPlayModeRepeatItem ? code[2] : kNoSelection;
  }
  f.repeatLayoutVisible = exists && f.playModeItem == kPlayModeRepeatItem;
}

void showSwingOrWheel(KeySetForm& f, const KeyCode& code) {
  const int delay = code[1] >> kNibbleShift;
  const int speed = code[1] & kLowNibble;
  const bool second = (code[2] & kSecondDirectionBit) != 0;
  const int direction = second ? kSecondDirectionItem : kFirstDirectionItem;
  int count = code[2] & kCountMask;
  if (code[0] == kFnKindMouseSwing) {
    f.function = kFunctionMouseSwing;
    f.swingDelay = delay;
    f.swingSpeed = speed;
    f.swingCount = count;
    f.swingDirectionItem = direction;
    return;
  }
  if (second) count = kWheelBase - count;
  f.function = kFunctionMouseWheel;
  f.wheelDelay = delay;
  f.wheelSpeed = speed;
  f.wheelCount = count;
  f.wheelDirectionItem = direction;
}

}  // namespace

const std::array<KeyCode, kMouseKeyItems>& mouseKeyOptions() { return kMouseKeys; }
const std::array<KeyCode, kDpiItems>& dpiOptions() { return kDpiSteps; }
const std::array<KeyCode, kMediaItems>& mediaOptions() { return kMedia; }
const std::array<KeyCode, kSystemItems>& systemOptions() { return kSystem; }
const std::array<KeyCode, kShortcutItems>& shortcutOptions() { return kShortcuts; }

std::uint8_t modifierBitOfOption(int option) {
  if (option <= 0 || option >= kModifierOptionCount) return 0;
  return static_cast<std::uint8_t>(1u << (option - 1));
}

int modifierOptionOfRow(std::size_t row) {
  const int n = static_cast<int>(row) + 1;
  return n % kModifierOptionCount + n / kModifierOptionCount;
}

KeyCode buildKeyCode(const KeySetForm& form, const KeyCode& working, const KeyCode& defaultCode,
                     std::size_t macroCount) {
  return buildOne(form, working, defaultCode, macroCount).value_or(working);
}

KeySetView showKeyCode(const KeyCode& code, const KeyCode& defaultCode, std::size_t macroCount) {
  KeySetView v;
  v.shown = code;
  KeySetForm& f = v.form;
  if (code == defaultCode) {
    f.function = kFunctionDefault;
    return v;
  }
  switch (code[0]) {
    case kFnKindMouseButton:
      f.function = kFunctionMouseButton;
      f.mouseKeyItem = itemOf(kMouseKeys, code);
      break;
    case kFnKindDpiStep:
      f.function = kFunctionDpiStep;
      f.dpiItem = itemOf(kDpiSteps, code);
      break;
    case kFnKindMedia:
      f.function = kFunctionMedia;
      f.mediaItem = itemOf(kMedia, code);
      break;
    case kFnKindSystem:
      f.function = kFunctionSystem;
      f.systemItem = itemOf(kSystem, code);
      break;
    case kFnKindMouseSwing:
    case kFnKindMouseWheel:
      showSwingOrWheel(f, code);
      break;
    case kFnKindRapidFire:
      f.function = kFunctionRapidFire;
      f.fireInterval = code[1];
      f.fireCount = code[2];
      break;
    case kFnKindKeyboard:
      showKeyboard(v, code);
      break;
    case kFnKindMacroMode:
    case kFnKindMacroRepeat:
      showMacro(f, code, macroCount);
      break;
    case kFnKindGunKey:
      f.function = kFunctionGunKey;
      f.gunKeyItem = code[1];
      break;
    case kFnKindShortcutNone:
      f.function = kFunctionShortcut;
      break;
    default:
      f.function = kFunctionNone;
      break;
  }
  return v;
}

KeySetForm selectFunction(KeySetForm form, int function) {
  form.function = function;
  if (function == kFunctionKeyboard) {
    form.keyNameKey.clear();
    form.modifierOption = kNoSelection;
  }
  return form;
}

KeySetForm selectPlayMode(KeySetForm form, int item) {
  form.playModeItem = item;
  form.repeatLayoutVisible = item == kPlayModeRepeatItem;
  return form;
}

std::optional<CapturedKey> captureKey(const KeySetForm& form, const KeyCode& working, std::uint32_t scanCode,
                                      bool extended) {
  if (scanCode > 0xFF) return std::nullopt;
  const auto row = findScanRow(static_cast<std::uint8_t>(scanCode), extended);
  if (!row || KeyCodeTable[*row].kind != kKindKeyboard) return std::nullopt;
  CapturedKey out{form, working};
  KeySetForm& f = out.form;
  f.function = kFunctionKeyboard;
  const bool keyShown = !f.keyNameKey.empty() && working[0] == kFnKindKeyboard;
  std::uint8_t usage = keyShown ? working[2] : 0;
  if (*row < kModifierRowCount) {
    f.modifierOption = modifierOptionOfRow(*row);
  } else {
    if (f.modifierOption == kNoSelection) f.modifierOption = 0;
    f.keyNameKey = KeyCodeTable[*row].nameKey;
    usage = KeyCodeTable[*row].code2;
  }
  out.code = {kFnKindKeyboard, modifierBitOfOption(f.modifierOption), usage};
  return out;
}

}  // namespace kavro::macros
