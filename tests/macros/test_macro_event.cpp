#include <gtest/gtest.h>

#include <climits>

#include "macros/key_tables.h"
#include "macros/macro_event.h"
#include "macros/macro_files.h"
#include "profiles/json_file.h"
#include "macros/temp_folder.h"

namespace kavro::macros {
namespace {

Json::Value parse(const std::string& text) { return profiles::parseJsonText(text); }

TEST(MacroDelay, TextAndIntegerFormsAreCapped) {
  EXPECT_EQ(parseDelayText("120"), 120);
  EXPECT_EQ(parseDelayText("65535"), 65535);
  EXPECT_EQ(parseDelayText("65536"), 65535);
  EXPECT_EQ(parseDelayText("99999999999999999999999"), 65535);
  EXPECT_EQ(parseDelayText(" 42ms"), 42);
  EXPECT_EQ(parseDelayText(""), 0);
  EXPECT_EQ(parseDelayText("abc"), 0);
  EXPECT_EQ(parseDelayText("-5"), 0);

  EXPECT_EQ(delayFromJson(Json::Value(0)), 0);  // a freshly recorded first step
  EXPECT_EQ(delayFromJson(Json::Value("0")), 0);
  EXPECT_EQ(delayFromJson(Json::Value(70000)), 65535);
  EXPECT_EQ(delayFromJson(Json::Value(-1)), 0);
  EXPECT_EQ(delayFromJson(Json::Value(12.7)), 12);
  EXPECT_EQ(delayFromJson(Json::Value(Json::UInt64(18446744073709551615ull))), 65535);
  EXPECT_EQ(delayFromJson(Json::Value(Json::objectValue)), 0);
  EXPECT_EQ(delayFromJson(Json::Value(Json::arrayValue)), 0);
  EXPECT_EQ(delayFromJson(Json::Value(true)), 0);
  EXPECT_EQ(delayFromJson(Json::Value()), 0);
}

TEST(MacroEventJson, WrittenFormAndRoundTrip) {
  const MacroEvent e{kTypeKey, 0x16, true, 35};
  const Json::Value v = eventToJson(e);
  ASSERT_TRUE(v[kEventDelay].isString());
  EXPECT_EQ(v[kEventDelay].asString(), "35");
  EXPECT_EQ(v[kEventAction].asString(), "down");
  EXPECT_EQ(v[kEventType].asInt(), 10);
  EXPECT_EQ(v.size(), 4u);
  EXPECT_TRUE(eventToJson(e, DelayForm::Integer)[kEventDelay].isInt());
  EXPECT_EQ(eventToJson({kTypeKey, 4, false, 90000})[kEventDelay].asString(), "65535");
  EXPECT_EQ(eventToJson({kTypeKey, 4, false, -3})[kEventDelay].asString(), "0");

  EXPECT_EQ(eventFromStyledText(eventToStyledText(e)), e);
  EXPECT_EQ(eventFromJson(eventToJson(e, DelayForm::Integer)), e);
}

TEST(MacroEventJson, HostileElementsNeverThrow) {
  EXPECT_FALSE(eventFromJson(Json::Value(5)));
  EXPECT_FALSE(eventFromJson(Json::Value("event")));
  EXPECT_FALSE(eventFromJson(Json::Value(Json::arrayValue)));
  EXPECT_FALSE(eventFromStyledText("{ broken"));

  auto e = eventFromJson(parse(R"({"Type":{},"Button":[1],"Action":7,"Delay":null})"));
  ASSERT_TRUE(e);
  EXPECT_EQ(*e, (MacroEvent{0, 0, false, 0}));

  e = eventFromJson(parse(R"({"Type":1e300,"Button":-1e300,"Action":"down","Delay":"7"})"));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->type, INT_MAX);
  EXPECT_EQ(e->button, INT_MIN);
  EXPECT_TRUE(e->down);

  // Only the exact text "down" presses.
  e = eventFromJson(parse(R"({"Action":"DOWN"})"));
  EXPECT_FALSE(e->down);
}

TEST(MacroEventFile, ReadsDamagedFileWithoutLosingGoodSteps) {
  const auto doc = profiles::readJsonDocument(test::dataFile("hostile_events.mac"));
  const auto events = eventsFromMacroFile(doc);
  ASSERT_EQ(events.size(), 5u);  // the two non-objects are skipped
  EXPECT_EQ(events[0], (MacroEvent{kTypeKey, 4, true, 120}));
  EXPECT_EQ(events[1], (MacroEvent{0, 0, false, 0}));
  EXPECT_EQ(events[2].delay, 65535);
  EXPECT_EQ(events[3].delay, 0);
  EXPECT_EQ(events[4], (MacroEvent{kTypeModifierKey, 64, false, 65535}));

  EXPECT_TRUE(eventsFromMacroFile(parse("[1,2]")).empty());
  EXPECT_TRUE(eventsFromMacroFile(parse(R"({"Events":{"a":1}})")).empty());
  EXPECT_TRUE(eventsFromMacroFile(Json::Value()).empty());
}

TEST(MacroEventFile, DocumentShape) {
  const Json::Value doc = macroFileDocument("M", "2024_01_01_00_00_00_000",
                                            {{kTypeMouseButton, 1, true, 0}});
  EXPECT_EQ(doc.getMemberNames(),
            (std::vector<std::string>{"Events", "Guid", "MacroName", "Version"}));
  EXPECT_EQ(doc[kMacroVersion].asInt(), 64);
  EXPECT_EQ(doc[kMacroEvents][0][kEventDelay].asString(), "0");
}

TEST(StepLabel, NamesFromTheTables) {
  auto l = describeStep({kTypeKey, 0x04, true, 0});
  EXPECT_EQ(l.kind, StepKind::Key);
  EXPECT_EQ(l.nameKey, "keyboard_key_A");
  EXPECT_EQ(describeStep({kTypeModifierKey, 0x40, false, 0}).nameKey, "keyboard_key_RAlt");
  EXPECT_EQ(describeStep({kTypeMouseButton, 16, true, 0}).nameKey, "mouse_key_forward");
  EXPECT_EQ(describeStep({kTypeMouseButton, 8, true, 0}).nameKey, "mouse_key_back");

  l = describeStep({kTypeMouseMoveX, 37, true, 0});
  EXPECT_EQ(l.kind, StepKind::MouseMove);
  EXPECT_EQ(l.nameKey, "mouse_move_to_left_text");
  EXPECT_EQ(l.distanceText, "37");
  EXPECT_EQ(describeStep({kTypeMouseMoveY, 3, false, 0}).nameKey, "mouse_move_to_down_text");
  EXPECT_EQ(describeStep({kTypeMouseMoveY, 3, true, 0}).nameKey, "mouse_move_to_up_text");

  // Unknown keys keep their kind but have no name.
  l = describeStep({kTypeKey, 300, true, 0});
  EXPECT_EQ(l.kind, StepKind::Key);
  EXPECT_TRUE(l.nameKey.empty());
  EXPECT_TRUE(describeStep({kTypeKey, 0, true, 0}).nameKey.empty());
  EXPECT_TRUE(describeStep({kTypeModifierKey, 3, true, 0}).nameKey.empty());
  l = describeStep({2, 1, true, 0});
  EXPECT_EQ(l.kind, StepKind::MouseButton);
  EXPECT_TRUE(l.nameKey.empty());
  EXPECT_EQ(describeStep({7, 1, true, 0}).kind, StepKind::Other);
}

TEST(StepsFromTables, KeyAndMouseRows) {
  // Right Alt as reported by the hook: modifier step with its own bit.
  EXPECT_EQ(keyStepForRow(*findScanRow(0x38, true), true),
            (MacroEvent{kTypeModifierKey, kModRAlt, true, 0}));
  EXPECT_EQ(keyStepForRow(*findScanRow(0x1C, true), false), (MacroEvent{kTypeKey, 0x58, false, 0}));
  EXPECT_FALSE(keyStepForRow(kScanCodeRowCount, true));  // media keys are never recorded
  EXPECT_EQ(mouseStepForRow(8), (MacroEvent{kTypeMouseButton, kMouseBack, true, 0}));
  EXPECT_EQ(mouseStepForRow(3), (MacroEvent{kTypeMouseButton, kMouseRight, false, 0}));
  EXPECT_EQ(mouseStepForRow(12, 40), (MacroEvent{kTypeMouseMoveY, 40, true, 0}));
  EXPECT_EQ(mouseStepForRow(11, 7), (MacroEvent{kTypeMouseMoveX, 7, false, 0}));
  EXPECT_FALSE(mouseStepForRow(kMouseCursorRow));
  // Every step made from a table row is named by the same tables.
  for (std::size_t row = 0; row < kScanCodeRowCount; ++row) {
    EXPECT_EQ(describeStep(*keyStepForRow(row, true)).nameKey, KeyCodeTable[row].nameKey) << row;
  }
}

TEST(MacroNaming, DefaultNamesFillGapsIgnoringCase) {
  EXPECT_EQ(nextDefaultName({}), "Macro_1");
  EXPECT_EQ(nextDefaultName({"Macro_1", "macro_2"}), "Macro_3");
  EXPECT_EQ(nextDefaultName({"Macro_2"}), "Macro_1");
  EXPECT_EQ(nextDefaultName({"MACRO_1", "Macro_3", "Other"}), "Macro_2");
  EXPECT_EQ(nextDefaultName({"Macro_01"}), "Macro_1");
}

TEST(MacroNaming, IdFormatAndUsableIds) {
  EXPECT_EQ(formatMacroId({2024, 3, 5, 7, 8, 9, 45}), "2024_03_05_07_08_09_045");
  EXPECT_EQ(formatMacroId({1999, 12, 31, 23, 59, 59, 999}), "1999_12_31_23_59_59_999");
  EXPECT_TRUE(isUsableMacroId("2024_03_05_07_08_09_045"));
  for (const char* bad : {"", ".", "..", "../victim", "a/b", "a\\b"}) {
    EXPECT_FALSE(isUsableMacroId(bad)) << bad;
  }
  EXPECT_FALSE(isUsableMacroId(std::string("a\0b", 3)));
}

TEST(MacroIndex, DamagedEntriesKeepTheirPositions) {
  const auto doc = profiles::readJsonDocument(test::dataFile("hostile_index.config"));
  const auto entries = entriesFromIndex(doc);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0], (MacroEntry{"Good", "2024_01_02_03_04_05_006"}));
  EXPECT_EQ(entries[1], (MacroEntry{"", ""}));
  EXPECT_EQ(entries[2], (MacroEntry{"", ""}));
  EXPECT_EQ(entries[3].id, "../victim");
  EXPECT_TRUE(entriesFromIndex(parse(R"({"MacroInfo":{"a":1}})")).empty());
  EXPECT_TRUE(entriesFromIndex(parse(R"([{"MacroInfo":[]}])")).empty());
  EXPECT_EQ(namesFromIndex(doc)[5], "Twin");
}

}  // namespace
}  // namespace kavro::macros
