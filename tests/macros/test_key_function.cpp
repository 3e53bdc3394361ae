#include <gtest/gtest.h>

#include "macros/key_function.h"
#include "macros/key_tables.h"

namespace kavro::macros {
namespace {

const KeyCode kDefault{0x20, 0x00, 0x04};  // the key's factory code: A
const KeyCode kWorking{0x20, 0x00, 0x05};
constexpr std::size_t kMacros = 3;

KeyCode build(const KeySetForm& f, const KeyCode& working = kWorking) {
  return buildKeyCode(f, working, kDefault, kMacros);
}
KeySetForm show(const KeyCode& c) { return showKeyCode(c, kDefault, kMacros).form; }

// Every option of the option-table functions survives Build and Show.
TEST(KeyFunction, OptionTablesRoundTrip) {
  struct Case {
    int function;
    int KeySetForm::*item;
    std::size_t count;
  };
  const Case cases[] = {
      {kFunctionMouseButton, &KeySetForm::mouseKeyItem, kMouseKeyItems},
      {kFunctionDpiStep, &KeySetForm::dpiItem, kDpiItems},
      {kFunctionMedia, &KeySetForm::mediaItem, kMediaItems},
      {kFunctionSystem, &KeySetForm::systemItem, kSystemItems},
  };
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < c.count; ++i) {
      KeySetForm f;
      f.function = c.function;
      f.*c.item = static_cast<int>(i);
      const KeyCode code = build(f);
      const KeySetForm back = show(code);
      EXPECT_EQ(back.function, c.function) << c.function << "/" << i;
      EXPECT_EQ(back.*c.item, static_cast<int>(i)) << c.function << "/" << i;
    }
  }
  EXPECT_EQ(mouseKeyOptions()[1], (KeyCode{0x10, 4, 0}));  // item 1 is the middle button
  EXPECT_EQ(mediaOptions()[0], (KeyCode{0x30, 0x83, 0x01}));
  EXPECT_EQ(mediaOptions()[17], (KeyCode{0x30, 0x8A, 0x01}));
  // An option combo without a choice keeps the working code.
  KeySetForm none;
  none.function = kFunctionMedia;
  EXPECT_EQ(build(none), kWorking);
}

TEST(KeyFunction, SwingAndWheelDirectionBits) {
  KeySetForm f;
  f.function = kFunctionMouseSwing;
  f.swingCount = 5;
  f.swingDelay = 3;
  f.swingSpeed = 0x1A;  // only the low four bits count
  f.swingDirectionItem = kSecondDirectionItem;
  EXPECT_EQ(build(f), (KeyCode{0x11, 0x3A, 0x85}));
  KeySetForm s = show({0x11, 0x3A, 0x85});
  EXPECT_EQ(s.function, kFunctionMouseSwing);
  EXPECT_EQ(s.swingCount, 5);
  EXPECT_EQ(s.swingDelay, 3);
  EXPECT_EQ(s.swingSpeed, 0xA);
  EXPECT_EQ(s.swingDirectionItem, kSecondDirectionItem);

  f = {};
  f.function = kFunctionMouseWheel;
  f.wheelCount = 5;
  f.wheelDirectionItem = kSecondDirectionItem;
  EXPECT_EQ(build(f)[2], 0xFB);
  KeySetForm w = show(build(f));
  EXPECT_EQ(w.wheelCount, 5);
  EXPECT_EQ(w.wheelDirectionItem, kSecondDirectionItem);
  f.wheelDirectionItem = kFirstDirectionItem;
  f.wheelCount = 0x85;  // the first direction keeps seven bits
  EXPECT_EQ(build(f)[2], 0x05);
  EXPECT_EQ(show({0x12, 0x21, 0x05}).wheelCount, 5);
  EXPECT_EQ(show({0x12, 0x21, 0x05}).wheelDirectionItem, kFirstDirectionItem);
}

TEST(KeyFunction, FireGunKeyAndShortcutNone) {
  KeySetForm f;
  f.function = kFunctionRapidFire;
  f.fireInterval = 0x130;  // low eight bits
  f.fireCount = 9;
  EXPECT_EQ(build(f), (KeyCode{0x14, 0x30, 9}));
  EXPECT_EQ(show({0x14, 0x30, 9}).fireInterval, 0x30);
  f = {};
  f.function = kFunctionGunKey;
  f.gunKeyItem = 2;
  EXPECT_EQ(build(f), (KeyCode{0x72, 2, 0}));
  EXPECT_EQ(show({0x72, 2, 0}).gunKeyItem, 2);
  EXPECT_EQ(show({0xB0, 0, 0}).function, kFunctionShortcut);
  EXPECT_EQ(show({0xB0, 0, 0}).shortcutItem, kNoSelection);
  // Codes of kinds the panel has no page for hide the function area.
  EXPECT_EQ(show({0xA0, 0x01, 0}).function, kFunctionNone);
}

TEST(KeyFunction, DefaultCodeShowsFunctionZeroAndFunctionZeroBuildsIt) {
  const KeyCode macroDefault{0x70, 1, 0};
  EXPECT_EQ(showKeyCode(macroDefault, macroDefault, kMacros).form.function, kFunctionDefault);
  KeySetForm f;
  f.function = kFunctionDefault;
  EXPECT_EQ(build(f, {0x70, 1, 2}), kDefault);
}

TEST(KeyFunction, MacroNumbersPlayModesAndRepeatCount) {
  KeySetForm f;
  f.function = kFunctionMacro;
  f.macroItem = 2;
  f.playModeItem = 1;
  EXPECT_EQ(build(f), (KeyCode{0x70, 2, 1}));
  f = selectPlayMode(f, kPlayModeRepeatItem);
  EXPECT_TRUE(f.repeatLayoutVisible);
  f.repeatCount = 12;
  EXPECT_EQ(build(f), (KeyCode{0x71, 2, 12}));
  EXPECT_FALSE(selectPlayMode(f, 0).repeatLayoutVisible);

  KeySetForm r = show({0x71, 2, 12});
  EXPECT_EQ(r.macroItem, 2);
  EXPECT_EQ(r.playModeItem, kPlayModeRepeatItem);
  EXPECT_EQ(r.repeatCount, 12);
  EXPECT_TRUE(r.repeatLayoutVisible);
  // A macro number at or past the end of the list selects no macro, and
  // hides the repeat count.
  KeySetForm gone = show({0x71, 3, 12});
  EXPECT_EQ(gone.macroItem, kNoSelection);
  EXPECT_FALSE(gone.repeatLayoutVisible);
  EXPECT_EQ(show({0x70, 7, 2}).macroItem, kNoSelection);
  EXPECT_EQ(show({0x70, 7, 2}).playModeItem, 2);
  // Without a macro to play the working code stays.
  f.macroItem = 3;
  EXPECT_EQ(build(f), kWorking);
  EXPECT_EQ(buildKeyCode(f, kWorking, kDefault, 0), kWorking);
}

TEST(KeyFunction, KeyboardCodesWithModifiers) {
  // Right-hand modifiers share the option of the left-hand one.
  KeySetForm rctrl = show({0x20, kModRCtrl, 0x16});
  EXPECT_EQ(rctrl.function, kFunctionKeyboard);
  EXPECT_EQ(rctrl.modifierOption, 1);
  EXPECT_EQ(rctrl.keyNameKey, "keyboard_key_S");
  EXPECT_EQ(show({0x20, kModRWin, 0x16}).modifierOption, 4);
  EXPECT_EQ(build(rctrl, {0x20, kModRCtrl, 0x16}), (KeyCode{0x20, kModLCtrl, 0x16}));

  // A shortcut from the table comes back as a key with the Ctrl option.
  KeySetForm sc;
  sc.function = kFunctionShortcut;
  sc.shortcutItem = 6;
  const KeyCode ctrlV = build(sc);
  EXPECT_EQ(ctrlV, (KeyCode{0x20, 0x01, 0x19}));
  KeySetForm shownSc = show(ctrlV);
  EXPECT_EQ(shownSc.function, kFunctionKeyboard);
  EXPECT_EQ(shownSc.modifierOption, 1);
  EXPECT_EQ(shownSc.keyNameKey, "keyboard_key_V");

  // Several modifier bits: no single option, shown without a modifier.
  KeySetView several = showKeyCode({0x20, 0x03, 0x16}, kDefault, kMacros);
  EXPECT_EQ(several.form.modifierOption, 0);
  EXPECT_EQ(several.shown, (KeyCode{0x20, 0, 0x16}));
  // Code 1 above the modifier bits goes to the shortcut page.
  EXPECT_EQ(show({0x20, 0x90, 0x16}).function, kFunctionShortcut);
}

TEST(KeyFunction, LoneKeysAndKeysTheTablesDoNotKnow) {
  KeySetForm a = show({0x20, 0, 0x1E});
  EXPECT_EQ(a.modifierOption, 0);
  EXPECT_EQ(a.keyNameKey, "keyboard_key_1");
  // A lone modifier shows its own name and is built back unchanged.
  const KeyCode ralt{0x20, kModRAlt, 0};
  KeySetForm lone = show(ralt);
  EXPECT_EQ(lone.keyNameKey, "keyboard_key_RAlt");
  EXPECT_EQ(lone.modifierOption, 0);
  EXPECT_EQ(build(lone, ralt), ralt);
  // No row: nothing selected, no text, and the code becomes (0x20, 0, 0).
  KeySetView unknown = showKeyCode({0x20, 0, 0xE0}, kDefault, kMacros);
  EXPECT_EQ(unknown.form.modifierOption, kNoSelection);
  EXPECT_TRUE(unknown.form.keyNameKey.empty());
  EXPECT_EQ(unknown.shown, (KeyCode{0x20, 0, 0}));
  // Picking function 6 starts with no key: the code stored is (0x20, 0, 0).
  KeySetForm picked = selectFunction(show({0x20, kModLShift, 0x16}), kFunctionKeyboard);
  EXPECT_EQ(build(picked, {0x20, kModLShift, 0x16}), (KeyCode{0x20, 0, 0}));
}

TEST(KeyFunction, CapturedKeysAndModifiers) {
  KeySetForm f = selectFunction({}, kFunctionKeyboard);
  KeyCode working{0x20, 0, 0};
  auto step = [&](std::size_t row) {
    const ScanCodeRow& r = ScanCodeTable[row];
    auto got = captureKey(f, working, r.scanCode, r.extended != 0);
    EXPECT_TRUE(got.has_value()) << row;
    if (!got) return;
    f = got->form;
    working = got->code;
  };
  step(8);  // A, no modifier chosen yet: option 0
  EXPECT_EQ(f.modifierOption, 0);
  EXPECT_EQ(working, (KeyCode{0x20, 0, 0x04}));
  step(6);  // Right Alt selects the Alt option and keeps A
  EXPECT_EQ(f.modifierOption, 3);
  EXPECT_EQ(working, (KeyCode{0x20, kModLAlt, 0x04}));
  step(2);  // Left Alt: the same option
  EXPECT_EQ(f.modifierOption, 3);
  step(61);  // F1 keeps the Alt option
  EXPECT_EQ(working, (KeyCode{0x20, kModLAlt, 0x3A}));
  EXPECT_EQ(f.keyNameKey, "keyboard_key_F1");
  EXPECT_FALSE(captureKey(f, working, 0x00, false).has_value());
  EXPECT_FALSE(captureKey(f, working, 0x1E, true).has_value());  // no extended A
  // Show puts the captured code back the same way.
  EXPECT_EQ(show(working).modifierOption, 3);
  EXPECT_EQ(show(working).keyNameKey, "keyboard_key_F1");
}

}  // namespace
}  // namespace kavro::macros
