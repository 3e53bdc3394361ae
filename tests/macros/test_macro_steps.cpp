#include <gtest/gtest.h>

#include "macros/key_function.h"
#include "macros/key_tables.h"
#include "macros/macro_key_rules.h"
#include "macros/macro_model.h"
#include "macros/macro_steps.h"
#include "macros/temp_folder.h"

namespace kavro::macros {
namespace {

MacroStepList threeSteps() {
  return MacroStepList({{kTypeKey, 0x04, true, 1}, {kTypeKey, 0x05, true, 2}, {kTypeKey, 0x06, true, 3}});
}

std::vector<int> buttons(const MacroStepList& l) {
  std::vector<int> b;
  for (const auto& s : l.steps()) b.push_back(s.event.button);
  return b;
}

TEST(MacroSteps, MovesDoNothingAtTheEndsAndKeepTheStepSelected) {
  MacroStepList l = threeSteps();
  EXPECT_FALSE(l.moveUp());  // nothing selected
  l.select(0);
  EXPECT_FALSE(l.moveUp());
  EXPECT_FALSE(l.moveTop());
  EXPECT_TRUE(l.moveDown());
  EXPECT_EQ(buttons(l), (std::vector<int>{0x05, 0x04, 0x06}));
  EXPECT_EQ(l.selected(), std::optional<std::size_t>(1));
  EXPECT_TRUE(l.moveBottom());
  EXPECT_EQ(buttons(l), (std::vector<int>{0x05, 0x06, 0x04}));
  EXPECT_FALSE(l.moveDown());
  EXPECT_FALSE(l.moveBottom());
  EXPECT_TRUE(l.moveTop());
  EXPECT_EQ(buttons(l), (std::vector<int>{0x04, 0x05, 0x06}));
  EXPECT_EQ(l.at(0).event.delay, 1);  // a moved step keeps its delay
}

TEST(MacroSteps, DeletingSelectsTheNextStep) {
  MacroStepList l = threeSteps();
  EXPECT_FALSE(l.deleteSelected());
  l.select(2);
  EXPECT_TRUE(l.deleteSelected());
  EXPECT_EQ(l.selected(), std::optional<std::size_t>(1));
  l.select(0);
  l.deleteSelected();
  EXPECT_EQ(buttons(l), (std::vector<int>{0x05}));
  l.clear();
  EXPECT_TRUE(l.empty());
  EXPECT_FALSE(l.selected().has_value());
}

TEST(MacroSteps, AClickInsertsPressThenReleaseAfterTheSelection) {
  MacroStepList l = threeSteps();
  l.select(0);
  ASSERT_TRUE(insertMouseMenuItem(l, "right_click", 30));
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l.at(1).event, (MacroEvent{kTypeMouseButton, kMouseRight, true, 30}));
  EXPECT_EQ(l.at(2).event, (MacroEvent{kTypeMouseButton, kMouseRight, false, 30}));
  EXPECT_EQ(l.selected(), std::optional<std::size_t>(2));
  // Without a selection new steps go first.
  MacroStepList empty;
  insertMouseMenuItem(empty, "back_down", 5);
  insertMouseMenuItem(empty, "forward_up", 5);
  EXPECT_EQ(empty.at(0).event, (MacroEvent{kTypeMouseButton, kMouseBack, true, 5}));
  EXPECT_EQ(empty.at(1).event, (MacroEvent{kTypeMouseButton, kMouseForward, false, 5}));
  EXPECT_FALSE(insertMouseMenuItem(empty, "left_double", 5));
  EXPECT_FALSE(insertMouseMenuItem(empty, "macro_action_edit", 5));
}

TEST(MacroSteps, MoveStepsTakeTheirDistanceFromTheEdit) {
  MacroStepList l;
  insertMouseMove(l, MoveDirection::Left, "12", 50);
  insertMouseMove(l, MoveDirection::Right, "3", 50);
  insertMouseMove(l, MoveDirection::Up, "", 50);
  insertMouseMove(l, MoveDirection::Down, "999", 50);
  const std::vector<MacroEvent> want = {
      {kTypeMouseMoveX, 12, true, 50},
      {kTypeMouseMoveX, 3, false, 50},
      {kTypeMouseMoveY, 0, true, 50},
      {kTypeMouseMoveY, kMaxMoveDistance, false, 50},  // one byte on the device
  };
  EXPECT_EQ(l.events(), want);
}

TEST(MacroSteps, TypedDelaysAreCappedAndSavedAsText) {
  MacroStepList l = threeSteps();
  l.insert(0, {{kTypeKey, 0x07, true, 0}, DelayForm::Integer});
  l.setDelay(1, parseDelayText("99999"));
  l.setDelay(2, -4);
  EXPECT_EQ(l.at(1).event.delay, kMaxDelay);
  EXPECT_EQ(l.at(2).event.delay, 0);
  const auto saved = l.eventsForSave();
  EXPECT_EQ(saved.size(), 4u);
  for (const auto& s : l.steps()) EXPECT_EQ(s.delayForm, DelayForm::Text);
}

// Keys 0-3 run macros 0, 1, 2 and 1 (repeat form); key 4 is a plain key.
std::vector<profiles::KeyAssignment> keysRunningMacros() {
  std::vector<profiles::KeyAssignment> list;
  const profiles::KeyCodeBytes codes[] = {
      {0x70, 0, 0}, {0x70, 1, 2}, {0x70, 2, 1}, {0x71, 1, 9}, {0x20, 0, 0x04}};
  for (std::uint16_t i = 0; i < 5; ++i) {
    profiles::KeyAssignment a;
    a.position = i;
    a.defaultPosition = static_cast<std::uint16_t>(100 + i);
    a.code = codes[i];
    a.defaultCode = {0x20, 0, static_cast<std::uint8_t>(0x1E + i)};
    list.push_back(a);
  }
  return list;
}

TEST(MacroKeyRules, DeletingAMacroRestoresItsKeysAndRenumbersLaterOnes) {
  auto list = keysRunningMacros();
  EXPECT_TRUE(anyKeyRunsMacro(list, 1));
  EXPECT_FALSE(anyKeyRunsMacro(list, 3));
  ASSERT_TRUE(renumberAfterMacroDelete(list, 1));  // macro 2 of 4
  EXPECT_EQ(list[0].code, (profiles::KeyCodeBytes{0x70, 0, 0}));
  EXPECT_EQ(list[1].code, list[1].defaultCode);  // ran the deleted macro
  EXPECT_EQ(list[1].position, 101);
  EXPECT_EQ(list[2].code, (profiles::KeyCodeBytes{0x70, 1, 1}));  // macro 3 is now macro 2
  EXPECT_EQ(list[3].code, list[3].defaultCode);
  EXPECT_EQ(list[4].code, (profiles::KeyCodeBytes{0x20, 0, 0x04}));
  // Deleting the last macro touches no key.
  auto untouched = keysRunningMacros();
  EXPECT_FALSE(renumberAfterMacroDelete(untouched, 3));
  EXPECT_EQ(untouched, keysRunningMacros());
}

TEST(MacroKeyRules, RenameClashesInOtherLetterCase) {
  test::TempFolder dir;
  MacroModel model(dir.path());
  model.addMacro();
  model.addMacro();
  using R = MacroModel::RenameResult;
  EXPECT_EQ(renameMessageKey(model.renameMacro(1, "macro_1")), std::optional<std::string_view>(kMessageNameTaken));
  EXPECT_EQ(renameMessageKey(model.renameMacro(1, "MACRO_2")), std::optional<std::string_view>(kMessageNameTaken));
  EXPECT_EQ(model.renameMacro(1, "two words"), R::HasSpace);
  EXPECT_EQ(renameMessageKey(R::HasSpace), std::nullopt);
  EXPECT_EQ(renameMessageKey(R::EmptyName), std::nullopt);
  EXPECT_EQ(model.renameMacro(1, "Jump"), R::Renamed);
  EXPECT_EQ(renameMessageKey(R::Renamed), std::nullopt);
  MacroModel reread(dir.path());
  reread.loadIndex();
  EXPECT_EQ(reread.names(), (std::vector<std::string>{"Macro_1", "Jump"}));
}

}  // namespace
}  // namespace kavro::macros
