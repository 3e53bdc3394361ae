#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {

TEST(Hs6533Profile, EqTypeMapsToRows) {
  EXPECT_EQ(eqRowForType(0), 1);
  EXPECT_EQ(eqRowForType(1), 1);
  EXPECT_EQ(eqRowForType(12), 12);
  EXPECT_EQ(eqRowForType(13), -1);
  EXPECT_EQ(eqRowForType(20), 1);
  EXPECT_EQ(eqRowForType(-4), 1);
}

TEST(Hs6533Profile, PresetZeroAndTwentyUseRowOne) {
  CHs6533Profiledata hs;
  hs.setEqPreset(0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(hs.getEqPreset(20), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const Json::Value& rows = hs.deviceNode()["EQHzValueInfo"];
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].size(), 10u);
  EXPECT_TRUE(rows[0].isNull());
}

TEST(Hs6533Profile, CustomTypeHasNoPresetRow) {
  CHs6533Profiledata hs;
  EXPECT_TRUE(hs.getEqPreset(13).empty());
  hs.setEqPreset(13, std::vector<int>(10, 5));
  EXPECT_TRUE(hs.deviceNode().isNull());
}

TEST(Hs6533Profile, MissingRowIsCreatedWithTenZeroBands) {
  CHs6533Profiledata hs;
  hs.setDeviceNode(test::parse(R"({"EQHzValueInfo":[null,[{"value":3}]]})"));
  EXPECT_EQ(hs.getEqPreset(1), (std::vector<int>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(hs.deviceNode()["EQHzValueInfo"][1].size(), 1u);  // short rows are read, not padded
  EXPECT_EQ(hs.getEqPreset(7), std::vector<int>(10, 0));
  const Json::Value& row = hs.deviceNode()["EQHzValueInfo"][7];
  ASSERT_EQ(row.size(), 10u);
  EXPECT_EQ(row[9]["value"].asInt(), 0);
}

TEST(Hs6533Profile, SettingsReadZeroWhenMissingAndWriteAllMembers) {
  CHs6533Profiledata hs;
  EXPECT_EQ(hs.getHeadsetSettings(), HeadsetSettings{});
  hs.setHeadsetSettings(1, 2, 13, 3, 1, 80, 0, 50);
  const Json::Value& st = hs.deviceNode()["SystemSetStages"];
  EXPECT_EQ(st["CustomEqSeletIndex"].asInt(), 3);
  EXPECT_EQ(st["MicMoniterValue"].asInt(), 50);
  EXPECT_EQ(hs.getHeadsetSettings(), (HeadsetSettings{1, 2, 13, 3, 1, 80, 0, 50}));
}

TEST(Hs6533Profile, CustomEqNamesEmptyListIsNullAndReadsEmpty) {
  CHs6533Profiledata hs;
  hs.setCustomEqNames({"Bass", "人声"});
  EXPECT_EQ(hs.getCustomEqNames(), (std::vector<std::string>{"Bass", "人声"}));
  hs.setCustomEqNames({});
  EXPECT_TRUE(hs.deviceNode()["CustomEQNameInfo"].isNull());
  EXPECT_TRUE(hs.getCustomEqNames().empty());
}

TEST(Hs6533Profile, CustomEqValuesByIndexAndHostileIndices) {
  CHs6533Profiledata hs;
  hs.setCustomEqValues(2, {5, 4, 3});
  EXPECT_EQ(hs.getCustomEqValues(2), (std::vector<int>{5, 4, 3, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(hs.getCustomEqValues(0), std::vector<int>(10, 0));
  EXPECT_EQ(hs.deviceNode()["CustomEQHzValueInfo"][0].size(), 10u);
  EXPECT_EQ(hs.getCustomEqValues(-1), std::vector<int>(10, 0));
  EXPECT_EQ(hs.getCustomEqValues(2000000000), std::vector<int>(10, 0));
  hs.setCustomEqValues(2000000000, {1});
  EXPECT_EQ(hs.deviceNode()["CustomEQHzValueInfo"].size(), 3u);
}

TEST(Hs6533Profile, NamesSurviveSaveAndLoadAsUtf8) {
  test::TempDir dir;
  CHs6533Profiledata hs(dir.path(), dir.path());
  hs.setProfilePath(dir.file("p.Json"));
  hs.setCustomEqNames({"Ünïcödé 低音", "bad\xFF"});
  ASSERT_EQ(hs.save(), 0);
  CHs6533Profiledata again(dir.path(), dir.path());
  again.loadProfile(dir.file("p.Json"));
  EXPECT_EQ(again.getCustomEqNames(), (std::vector<std::string>{"Ünïcödé 低音", "bad\xEF\xBF\xBD"}));
}

}  // namespace
}  // namespace kavro::profiles
