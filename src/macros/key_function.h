#pragma once
// The key assignment panel's rules: how the state of its controls becomes a
// 3-byte key function code (Build), how a code is shown again (Show), and how
// a captured key becomes a keyboard-key assignment. The panel keeps a
// KeySetForm in step with its controls; everything here is pure.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "profiles/profile_records.h"

namespace kavro::macros {

using KeyCode = profiles::KeyCodeBytes;  // kind, code 1, code 2

// Kinds (byte 0) of a key function code.
inline constexpr std::uint8_t kFnKindMouseButton = 0x10;
inline constexpr std::uint8_t kFnKindMouseSwing = 0x11;
inline constexpr std::uint8_t kFnKindMouseWheel = 0x12;
inline constexpr std::uint8_t kFnKindDpiStep = 0x13;
inline constexpr std::uint8_t kFnKindRapidFire = 0x14;
inline constexpr std::uint8_t kFnKindKeyboard = 0x20;
inline constexpr std::uint8_t kFnKindMedia = 0x30;
inline constexpr std::uint8_t kFnKindSystem = 0x40;
inline constexpr std::uint8_t kFnKindMacroMode = 0x70;
inline constexpr std::uint8_t kFnKindMacroRepeat = 0x71;
inline constexpr std::uint8_t kFnKindGunKey = 0x72;
inline constexpr std::uint8_t kFnKindShortcutNone = 0xB0;

// Function numbers: the user data of the items of "keyset_function_combo"
// and the pages of "function_switch_tablayout".
enum KeyFunction : int {
  kFunctionNone = -1,  // no page: the function area is hidden
  kFunctionDefault = 0,
  kFunctionMouseButton = 1,
  kFunctionMouseSwing = 2,
  kFunctionMouseWheel = 3,
  kFunctionDpiStep = 4,
  kFunctionRapidFire = 5,
  kFunctionKeyboard = 6,
  kFunctionMedia = 7,
  kFunctionSystem = 8,
  kFunctionMacro = 9,
  kFunctionGunKey = 10,
  kFunctionShortcut = 11,
};

// Items of the option combos, in item order.
inline constexpr std::size_t kMouseKeyItems = 5;   // "keyset_mousekey_combo"
inline constexpr std::size_t kDpiItems = 3;        // "keyset_mousedpi_combo"
inline constexpr std::size_t kMediaItems = 18;     // "keyset_media_combo"
inline constexpr std::size_t kSystemItems = 3;     // "keyset_system_combo"
inline constexpr std::size_t kShortcutItems = 11;  // "keyset_combokey_combo"
const std::array<KeyCode, kMouseKeyItems>& mouseKeyOptions();
const std::array<KeyCode, kDpiItems>& dpiOptions();
const std::array<KeyCode, kMediaItems>& mediaOptions();
const std::array<KeyCode, kSystemItems>& systemOptions();
const std::array<KeyCode, kShortcutItems>& shortcutOptions();

// The modifier options "key_ComBox_check_0" .. "_4": none, Ctrl, Shift, Alt, Win.
inline constexpr int kModifierOptionCount = 5;
inline constexpr int kNoSelection = -1;
// The play mode item of "keyset_macro_over_combo" that plays a macro a number of times.
inline constexpr int kPlayModeRepeatItem = 4;
// Items of the direction combos of swing and wheel.
inline constexpr int kFirstDirectionItem = 0;
inline constexpr int kSecondDirectionItem = 1;

// The modifier bit of option n (0 for none or option 0); left-hand bits.
std::uint8_t modifierBitOfOption(int option);
// The option of a modifier key row (0-7): left and right sides share one.
int modifierOptionOfRow(std::size_t row);

// The panel's controls. Combo items are indices (kNoSelection when none is
// selected); numbers are what the edits hold.
struct KeySetForm {
  int function = kFunctionDefault;  // item user data of "keyset_function_combo"
  int mouseKeyItem = kNoSelection;
  int swingDirectionItem = kFirstDirectionItem;
  int swingCount = 0, swingDelay = 0, swingSpeed = 0;
  int wheelDirectionItem = kFirstDirectionItem;
  int wheelCount = 0, wheelDelay = 0, wheelSpeed = 0;
  int dpiItem = kNoSelection;
  int fireInterval = 0, fireCount = 0;
  int modifierOption = kNoSelection;
  std::string keyNameKey;  // language key in "keyset_keyboard_text_edit"; empty when empty
  int mediaItem = kNoSelection;
  int systemItem = kNoSelection;
  int macroItem = kNoSelection;
  int playModeItem = kNoSelection;
  int repeatCount = 0;
  bool repeatLayoutVisible = false;  // "keyset_macro_cycle_layout"
  int gunKeyItem = kNoSelection;
  int shortcutItem = kNoSelection;

  bool operator==(const KeySetForm&) const = default;
};

// Build: the code of the form's function. working is the code of the
// selected key's working item, defaultCode its default; macroCount the
// number of macros in the list. Function 0 gives the default code;
// functions whose controls hold no choice keep the working code.
KeyCode buildKeyCode(const KeySetForm& form, const KeyCode& working, const KeyCode& defaultCode,
                     std::size_t macroCount);

// Show: the form for a code. A code equal to the default shows function 0.
// shown is the code after showing: a keyboard code that names no key becomes
// (kind, 0, 0), which the panel takes as its working code.
struct KeySetView {
  KeySetForm form;
  KeyCode shown{};
};
KeySetView showKeyCode(const KeyCode& code, const KeyCode& defaultCode, std::size_t macroCount);

// What selecting an item of "keyset_function_combo" does to the form before
// the code is built: function 6 starts with no key and no modifier.
KeySetForm selectFunction(KeySetForm form, int function);
// Selecting a play mode shows the repeat count only for the repeat item.
KeySetForm selectPlayMode(KeySetForm form, int item);

// Key capture for a keyboard-key assignment: the key reported with this
// scan code and extended flag. A modifier key selects its option and keeps
// the key; another key keeps the selected modifier (option 0 when none) and
// becomes the key. Nothing for keys the tables do not know.
struct CapturedKey {
  KeySetForm form;
  KeyCode code{};  // the new working code, stored at once
};
std::optional<CapturedKey> captureKey(const KeySetForm& form, const KeyCode& working,
                                      std::uint32_t scanCode, bool extended);

}  // namespace kavro::macros
