#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {

TEST(KeyboardProfile, SystemSettingsZeroWithoutSectionAndWrittenPerMember) {
  CKeyboardProfiledata kb;
  EXPECT_EQ(kb.getSystemSettings(), SystemWords{});
  kb.setSystemSettings(0x00010020, 0x00020001, 0x00010001);
  EXPECT_EQ(kb.deviceNode()["SystemStages"]["RepeatDelay"].asInt(), 1);
  EXPECT_EQ(kb.getSystemSettings(), (SystemWords{0x00010020, 0x00020001, 0x00010001}));
}

TEST(KeyboardProfile, CustomColoursOfNewGroupAreCreatedAsZeros) {
  CKeyboardProfiledata kb;
  kb.setDeviceNode(test::parse(R"({"CustomLightMode":{"CustomLightModeGroupIndex":2}})"));
  EXPECT_EQ(kb.getCustomGroupIndex(), 2);
  auto colors = kb.getCustomColors(1, 126);
  ASSERT_EQ(colors.size(), 126u);
  EXPECT_EQ(colors[125], KeyColor{});
  const Json::Value& groups = kb.deviceNode()["CustomLightMode"]["LightColorInfo"];
  ASSERT_EQ(groups[1].size(), 126u);
  EXPECT_EQ(groups[1][125]["Alpha"].asInt(), 0);
  EXPECT_TRUE(groups[0].isNull());
}

TEST(KeyboardProfile, NullKeysInAGroupAreFilledAndOthersRead) {
  CKeyboardProfiledata kb;
  kb.setDeviceNode(test::parse(
      R"({"CustomLightMode":{"LightColorInfo":[[{"Red":1,"Green":2,"Blue":3,"Alpha":4}, null, "bad"]]}})"));
  auto colors = kb.getCustomColors(0, 4);
  EXPECT_EQ(colors[0], (KeyColor{1, 2, 3, 4}));
  EXPECT_EQ(colors[2], KeyColor{});
  const Json::Value& group = kb.deviceNode()["CustomLightMode"]["LightColorInfo"][0];
  EXPECT_EQ(group.size(), 4u);
  EXPECT_TRUE(group[1].isObject());
  EXPECT_TRUE(group[2].isObject());
  EXPECT_EQ(group[0]["Red"].asInt(), 1);
}

TEST(KeyboardProfile, ShorterColourListLeavesLaterKeys) {
  CKeyboardProfiledata kb;
  kb.setCustomColors(std::vector<KeyColor>(5, KeyColor{9, 9, 9, 9}), 0);
  kb.setCustomColors({KeyColor{1, 1, 1, 1}}, 0);
  auto colors = kb.getCustomColors(0, 5);
  EXPECT_EQ(colors[0], (KeyColor{1, 1, 1, 1}));
  EXPECT_EQ(colors[4], (KeyColor{9, 9, 9, 9}));
}

TEST(KeyboardProfile, OutOfRangeGroupsNeitherCrashNorGrowTheNode) {
  CKeyboardProfiledata kb;
  kb.setDeviceNode(test::parse(R"({"CustomLightMode":"x"})"));
  EXPECT_EQ(kb.getCustomGroupIndex(), 0);
  EXPECT_EQ(kb.getCustomColors(2000000000, 3).size(), 3u);
  EXPECT_EQ(kb.getCustomColors(-1, 3).size(), 3u);
  EXPECT_TRUE(kb.getCustomColors(0, -5).empty());
  kb.setCustomColors({KeyColor{}}, 2000000000);
  EXPECT_TRUE(kb.deviceNode()["CustomLightMode"].isString());
}

TEST(MouseProfile, DpiStagesMergeWithMemoryAndTrackActiveStage) {
  CMouseProfiledata m;
  m.setDeviceNode(test::parse(R"({"DPIStages":{"StageActive":2,"StageDPIs":[
      {"StageActive":1,"StageDPIX":8},{"StageActive":1,"StageDPIX":16},{"StageActive":1,"StageDPIX":32}]}})"));
  auto three = m.getDpiStages();
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(m.getActiveDpiStage(), 2);
  m.setDeviceNode(test::parse(R"({"DPIStages":{"StageDPIs":[{"StageDPIX":99}]}})"));
  auto merged = m.getDpiStages();
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].dpiX, 99);
  EXPECT_EQ(merged[2].dpiX, 32);
  EXPECT_EQ(m.getActiveDpiStage(), 0);
}

TEST(MouseProfile, SetDpiStagesKeepsActiveIndexAndUnknownMembers) {
  CMouseProfiledata m;
  m.setDeviceNode(test::parse(R"({"DPIStages":{"StageActive":4,"StageDPIs":[{"Extra":1}]}})"));
  m.setDpiStages({DpiStage{1, 0, 10, 11, 1, 2, 3}, DpiStage{0, 1, 20, 21, 4, 5, 6}});
  const Json::Value& section = m.deviceNode()["DPIStages"];
  EXPECT_EQ(section["StageActive"].asInt(), 4);
  EXPECT_EQ(section["StageDPIs"][0]["Extra"].asInt(), 1);
  EXPECT_EQ(section["StageDPIs"][1]["StageDPIY"].asInt(), 21);
  m.setActiveDpiStage(1);
  EXPECT_EQ(m.deviceNode()["DPIStages"]["StageActive"].asInt(), 1);
  EXPECT_EQ(m.getActiveDpiStage(), 1);
}

TEST(MouseProfile, SystemSettingsWithoutReportStages) {
  CMouseProfiledata m;
  m.setDeviceNode(test::parse(R"({"SystemStages":{"WheelScorlllinse":3,"MouseSpeed":10}})"));
  EXPECT_EQ(m.getSystemSettings(), (SystemWords{0x000A0000, 0, 3}));
  m.setSystemSettings(0, 0, 0x00040003);
  EXPECT_EQ(m.deviceNode()["ReportStages"]["StageActive"].asInt(), 4);
  EXPECT_EQ(m.getCorrections().size(), 0u);
}

}  // namespace
}  // namespace kavro::profiles
