#include <regex>
#include <set>

#include "profiles/json_file.h"
#include "profiles/profile_list.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {

TEST(ProfileNames, NewNameFillsFirstGapIgnoringCase) {
  EXPECT_EQ(nextNewProfileName({}), "Profile 1");
  EXPECT_EQ(nextNewProfileName({"Profile 1", "Profile 3"}), "Profile 2");
  EXPECT_EQ(nextNewProfileName({"PROFILE 1", "profile 2"}), "Profile 3");
}

TEST(ProfileNames, CopyAndImportSuffixesAccumulate) {
  EXPECT_EQ(copyProfileName("A", {"A"}), "A Copy");
  EXPECT_EQ(copyProfileName("A", {"A", "a copy"}), "A Copy Copy");
  EXPECT_EQ(importProfileName("A", {"B"}), "A");
  EXPECT_EQ(importProfileName("A", {"A", "A(1)"}), "A(1)(2)");
  EXPECT_TRUE(sameProfileName("Profile 1", "pROFILE 1"));
  EXPECT_FALSE(sameProfileName("Profile 1", "Profile 10"));
}

TEST(ProfileIds, FormatAndUniquenessWithinAMillisecond) {
  EXPECT_EQ(formatProfileId(2024, 3, 7, 9, 5, 1, 42), "2024_03_07_09_05_01_042");
  const std::regex form(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3}(_\d+)?)");
  std::set<std::string> seen;
  for (int i = 0; i < 2000; ++i) {
    std::string id = newProfileId();
    EXPECT_TRUE(std::regex_match(id, form)) << id;
    EXPECT_TRUE(seen.insert(id).second) << id;
    EXPECT_TRUE(isValidProfileId(id));
  }
}

TEST(ProfileIds, SkipsIdsWhoseDocumentExists) {
  test::TempDir dir;
  std::string first = newProfileId(dir.path());
  test::writeText(dir.file(first + "_1.Json"), "{}");
  test::writeText(dir.file(first + "_2.Json"), "{}");
  for (int i = 0; i < 50; ++i) {
    std::string id = newProfileId(dir.path());
    EXPECT_FALSE(std::filesystem::exists(dir.file(id + ".Json"))) << id;
  }
}

TEST(ProfileListFile, ReadDropsUnsafeEntriesAndClampsSelection) {
  ProfileList list = profileListFromJson(test::parse(R"({"profilelist":[
      {"profilename":"A","profileUUID":"id_a","profileislink":0,"profilelinkmame":"","Mine":7},
      {"profilename":"Evil","profileUUID":"../../home/x"},
      {"profilename":"NoId"},
      "junk"], "profileselect": 9, "Version": 2})"));
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].name, "A");
  EXPECT_EQ(list.select, 0);
  Json::Value out = profileListToJson(list);
  EXPECT_EQ(out["Version"].asInt(), 2);
  EXPECT_EQ(out["profilelist"][0]["Mine"].asInt(), 7);
  EXPECT_EQ(out["profileselect"].asInt(), 0);
}

TEST(ProfileListFile, DefaultListRoundTripsThroughTheFile) {
  test::TempDir dir;
  const std::string path = dir.file("ProfileList.ini");
  EXPECT_TRUE(readProfileList(path).entries.empty());
  ProfileList list = defaultProfileList("2024_01_01_00_00_00_000");
  list.entries.push_back({"第二", "id2", Json::Value()});
  list.select = 1;
  ASSERT_EQ(writeProfileList(path, list), 0);
  Json::Value raw = readJsonDocument(path);
  EXPECT_EQ(raw["profilelist"][0]["profilename"].asString(), "Profile 1");
  EXPECT_EQ(raw["profilelist"][1]["profileislink"].asInt(), 0);
  EXPECT_EQ(raw["profilelist"][1]["profilelinkmame"].asString(), "");
  ProfileList back = readProfileList(path);
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[1].name, "第二");
  EXPECT_EQ(back.select, 1);
}

TEST(ProfileDocuments, MadeFromFactoryAndResetKeepsCustomEqOnlyWhenAsked) {
  Json::Value factory = test::parse(R"({"profilename":"Default","profileUUID":"Default",
      "Device":[{"LightInfo":{"Red":1},"CustomEQNameInfo":[]}]})");
  Json::Value doc = makeProfileDocument(factory, "Mine", "id1");
  EXPECT_EQ(doc["profilename"].asString(), "Mine");
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["Red"].asInt(), 1);
  EXPECT_EQ(makeProfileDocument(Json::Value("x"), "N", "i").getMemberNames().size(), 2u);

  Json::Value current = test::parse(R"({"Device":[{"LightInfo":{"Red":9},"CustomEQNameInfo":[{"Name":"Mine"}],
      "CustomEQHzValueInfo":[[{"value":3}]]}]})");
  Json::Value kept = resetProfileDocument(factory, current, "Mine", "id1", true);
  EXPECT_EQ(kept["Device"][0]["LightInfo"]["Red"].asInt(), 1);
  EXPECT_EQ(kept["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "Mine");
  EXPECT_EQ(kept["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 3);
  Json::Value replaced = resetProfileDocument(factory, current, "Mine", "id1", false);
  EXPECT_EQ(replaced["Device"][0]["CustomEQNameInfo"].size(), 0u);
  EXPECT_NO_THROW(resetProfileDocument(Json::Value(), Json::Value("bad"), "n", "i", true));
}

}  // namespace
}  // namespace kavro::profiles
