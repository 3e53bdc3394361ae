#include "profiles/light_records.h"
#include "profiles/profile_records.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {

TEST(LightSettingWords, PackPlacesBytesLowFirstAndRoundTrips) {
  LightSetting s;
  s.effect = 1; s.brightness = 2; s.speed = 3; s.direction = 4;
  s.multiColor = 1; s.red = 0x11; s.green = 0x22; s.blue = 0x33;
  s.reserved = {7, 8, 9};
  s.areaEffect = 0xAB; s.customGroup = 0xCD;
  LightSettingWords w = packLightSetting(s);
  EXPECT_EQ(w.word0, 0x04030201u);
  EXPECT_EQ(w.word1, 0x33221101u);
  EXPECT_EQ(w.word2, 0xAB090807u);
  EXPECT_EQ(w.customGroup, 0xCD);
  EXPECT_EQ(unpackLightSetting(w), s);
  EXPECT_EQ(lightSettingFromBytes(lightSettingBytes(s)), s);
}

TEST(LightSettingJson, ReadsMembersMultiColourAsBooleanAndDropsReservedBytes) {
  LightSetting s = lightSettingFromJson(test::parse(
      R"({"SelectItem":300,"Light":4,"Speed":2,"Fx":1,"MultiColor":5,"Red":1,"Green":2,"Blue":3,
          "ZZCCLedMode":2,"CustomGroup":1})"));
  EXPECT_EQ(s.effect, 300 & 0xFF);
  EXPECT_EQ(s.multiColor, 1);
  EXPECT_EQ(s.areaEffect, 2);
  EXPECT_EQ(s.customGroup, 1);
  s.reserved = {1, 2, 3};
  LightSetting back = lightSettingFromJson(lightSettingToJson(s));
  EXPECT_EQ(back.reserved, (std::array<std::uint8_t, 3>{0, 0, 0}));
  back.reserved = s.reserved;
  EXPECT_EQ(back, s);
}

TEST(LightList, NullAndNonObjectElementsAreInvalidEntries) {
  auto list = lightListFromJson(test::parse(
      R"([null, {"LEDREGMode":2,"LEDDirection":9,"LEDMultiColor":0,"red":1,"green":2,"blue":3}, 7, "x"])"));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0], LightListEntry{});
  EXPECT_EQ(list[1].valid, 1);
  EXPECT_EQ(list[1].mode, 2);
  EXPECT_EQ(list[1].direction, 1);
  EXPECT_EQ(list[1].blue, 3);
  EXPECT_EQ(list[2].valid, 0);
  EXPECT_EQ(list[3].valid, 0);
  EXPECT_TRUE(lightListFromJson(test::parse(R"({"a":1})")).empty());
}

TEST(EffectSteps, ReadTimeAndRepetitions) {
  auto steps = effectStepsFromJson(test::parse(
      R"({"LEDEffectList":[{"LEDREGMode":1,"Time":1500,"Cyle":3,"red":255}, "bad"]})"));
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].timeMs, 1500);
  EXPECT_EQ(steps[0].repetitions, 3);
  EXPECT_EQ(steps[0].red, 255);
  EXPECT_EQ(steps[1], LightEffectStep{});
  EXPECT_TRUE(effectStepsFromJson(test::parse(R"({"LEDEffectList":"x"})")).empty());
}

TEST(KeyCodes, PackFirstByteHighAndItemLayout) {
  EXPECT_EQ(packKeyCode({0xA0, 0x1B, 0x00}), 0xA01B00u);
  EXPECT_EQ(unpackKeyCode(0x16900112u), (KeyCodeBytes{0x90, 0x01, 0x12}));
  KeyAssignment a{0x0102, {0x20, 0x02, 0x04}, 0x0102, {0x20, 0x00, 0x29}};
  auto item = keyAssignmentItem(a);
  EXPECT_EQ(item, (std::array<std::uint8_t, 12>{0x02, 0x01, 0x20, 0x02, 0x04, 0, 0x02, 0x01, 0x20, 0, 0x29, 0}));
  EXPECT_EQ(keyAssignmentFromItem(item), a);
}

TEST(KeyAssignments, ReadEveryPositionAndWriteOnlyAssignment) {
  Json::Value list = test::parse(R"([{"Assignment":2097193,"DefaultAssignment":2097193}, 5, {"Extra":1}])");
  auto read = keyAssignmentsFromJson(list);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[0].code, (KeyCodeBytes{0x20, 0x00, 0x29}));
  EXPECT_EQ(read[2].position, 2);
  read[0].code = {0x10, 0x01, 0x00};
  read[0].defaultCode = {1, 2, 3};
  writeKeyAssignments(list, read);
  EXPECT_EQ(list[0]["Assignment"].asUInt(), 0x100100u);
  EXPECT_EQ(list[0]["DefaultAssignment"].asUInt(), 2097193u);
  EXPECT_EQ(list[2]["Extra"].asInt(), 1);
}

TEST(SystemWords, KeyboardHalvesMapToMembers) {
  Json::Value node;
  writeKeyboardSystem(node, {0x00020010, 0x00030001, 0x00010000});
  const Json::Value& st = node["SystemStages"];
  EXPECT_EQ(st["Repeat"].asInt(), 0x10);
  EXPECT_EQ(st["RepeatDelay"].asInt(), 2);
  EXPECT_EQ(st["Key6Flag"].asInt(), 1);
  EXPECT_EQ(st["PollingRate"].asInt(), 3);
  EXPECT_EQ(st["WFlag"].asInt(), 0);
  EXPECT_EQ(st["WinFlag"].asInt(), 1);
  EXPECT_EQ(keyboardSystemFromJson(st), (SystemWords{0x00020010, 0x00030001, 0x00010000}));
  EXPECT_EQ(keyboardSystemFromJson(Json::Value("x")), SystemWords{});
}

TEST(SystemWords, MouseReportStageIsHighHalfOfWordTwo) {
  Json::Value node;
  writeMouseSystem(node, {0x000A0005, 0x00000001, 0x00030004});
  EXPECT_EQ(node["ReportStages"]["StageActive"].asInt(), 3);
  EXPECT_EQ(node["SystemStages"]["WheelScorlllinse"].asInt(), 4);
  EXPECT_EQ(mouseSystemFromJson(node), (SystemWords{0x000A0005, 0x00000001, 0x00030004}));
  node.removeMember("ReportStages");
  EXPECT_EQ(mouseSystemFromJson(node).word2, 0x00000004u);
  node["ReportStages"] = "garbage";
  EXPECT_EQ(mouseSystemFromJson(node).word2, 0x00000004u);
  node.removeMember("SystemStages");
  EXPECT_EQ(mouseSystemFromJson(node), SystemWords{});
}

TEST(DpiStages, BytesAreLittleEndianAndDpiTruncatesTo16Bits) {
  DpiStage s = dpiStageFromJson(test::parse(
      R"({"StageActive":1,"StageXY":0,"StageDPIX":70000,"StageDPIY":258,"StageColorR":9,"StageColorG":8,"StageColorB":7})"));
  EXPECT_EQ(s.dpiX, 70000 - 65536);
  EXPECT_EQ(dpiStageBytes(s), (std::array<std::uint8_t, 9>{1, 0, 0x70, 0x11, 0x02, 0x01, 9, 8, 7}));
  EXPECT_EQ(dpiStageFromJson(dpiStageToJson(s)), s);
}

TEST(DpiStages, MergeReplacesExtendsAndKeepsExtras) {
  DpiStage a{1, 0, 10, 10, 0, 0, 0}, b{1, 0, 20, 20, 0, 0, 0}, c{0, 0, 30, 30, 0, 0, 0};
  EXPECT_EQ(mergeDpiStages({a}, {b, c}), (std::vector<DpiStage>{b, c}));
  EXPECT_EQ(mergeDpiStages({a, b, c}, {c}), (std::vector<DpiStage>{c, b, c}));
  EXPECT_EQ(mergeDpiStages({a, b}, {}), (std::vector<DpiStage>{a, b}));
}

TEST(Corrections, ReadInOrderWithSanitisedNames) {
  auto list = correctionsFromJson(test::parse(
      R"([{"CorrectPixThresh":2,"CorrectMinSq":4,"CorrectSelect":1,"CorrectName":"Standard"}, 3])"));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], (CorrectionEntry{2, 4, 1, "Standard"}));
  EXPECT_EQ(list[1], CorrectionEntry{});
}

}  // namespace
}  // namespace kavro::profiles
