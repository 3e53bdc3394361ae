#include <filesystem>

#include "profiles/hs6533_profile_data.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {
using test::resource;

const char* const kFactoryFiles[] = {"keyboard.Json", "mouse.Json", "MousePad.Json", "HD.Json"};

TEST(FactoryData, EveryFileLoadsWithoutRepair) {
  test::TempDir dir;
  for (const char* name : kFactoryFiles) {
    const std::string copy = dir.file(name);
    std::filesystem::copy_file(resource(name), copy);
    const std::string before = test::readText(copy);
    CBasicProfiledata data;
    data.setDefaultProfilePath(dir.file("absent.Json"));  // a repair would find nothing
    Json::Value node = data.loadProfile(copy);
    ASSERT_TRUE(node.isObject()) << name;
    EXPECT_EQ(test::readText(copy), before) << name;  // nothing written back
    EXPECT_TRUE(node["LightInfo"].isObject()) << name;
    EXPECT_TRUE(node["LightList"].isArray()) << name;
    EXPECT_FALSE(readJsonDocument(copy)["profilename"].asString().empty()) << name;
  }
}

TEST(FactoryData, RoundTripKeepsEveryMemberIncludingUnknownOnes) {
  test::TempDir dir;
  for (const char* name : kFactoryFiles) {
    Json::Value original = readJsonDocument(resource(name));
    original["Vendor"] = "kept";
    original["Device"][0]["FutureSection"]["x"] = 1;
    const std::string path = dir.file(name);
    ASSERT_EQ(wirtejsonFile(path, original), 0);
    CKeyboardProfiledata data;  // the widest class; every kind uses the base operations
    data.setProfilePath(path);
    data.loadProfile(path);
    data.setLightSetting(data.getLightSetting());
    ASSERT_EQ(data.save(), 0);
    EXPECT_EQ(readJsonDocument(path), original) << name;
  }
}

TEST(FactoryData, KeyboardKeysCarryTheirDefaultCodes) {
  CKeyboardProfiledata kb;
  kb.setProfilePath(resource("keyboard.Json"));
  kb.setDeviceNode(readJsonDocument(resource("keyboard.Json"))["Device"][0]);
  auto keys = kb.getKeyAssignments();
  ASSERT_EQ(keys.size(), 126u);
  EXPECT_EQ(keys[0].defaultCode, (KeyCodeBytes{0x20, 0x00, 0x29}));
  EXPECT_EQ(keys[12].defaultCode, (KeyCodeBytes{0x20, 0x00, 0x45}));
  EXPECT_EQ(keys[16].defaultCode, (KeyCodeBytes{0xA0, 0x1B, 0x00}));
  EXPECT_EQ(keys[84].defaultCode, (KeyCodeBytes{0x20, 0x02, 0x00}));
  EXPECT_EQ(keys[124].defaultCode, (KeyCodeBytes{0xD0, 0xA2, 0x05}));
  EXPECT_EQ(keys[125].defaultCode, (KeyCodeBytes{0x20, 0x80, 0x00}));
  for (const auto& k : keys) EXPECT_EQ(k.code, k.defaultCode) << k.position;
  EXPECT_EQ(kb.getCustomColors(0, 126).size(), 126u);
  EXPECT_EQ(kb.getLightList().size(), 126u);
}

TEST(FactoryData, MouseHasTenButtonsFiveStagesAndASelectedCorrection) {
  CMouseProfiledata m;
  m.setDeviceNode(readJsonDocument(resource("mouse.Json"))["Device"][0]);
  auto keys = m.getKeyAssignments();
  ASSERT_EQ(keys.size(), 10u);
  EXPECT_EQ(keys[3].defaultCode, (KeyCodeBytes{0x10, 0x10, 0x00}));
  EXPECT_EQ(keys[9].defaultCode, (KeyCodeBytes{0x16, 0x90, 0x01}));
  EXPECT_EQ(m.getDpiStages().size(), 5u);
  EXPECT_NE(m.getSystemSettings().word2 >> 16, 0u);
  auto corrections = m.getCorrections();
  ASSERT_FALSE(corrections.empty());
  EXPECT_NE(corrections[0].select, 0);
}

TEST(FactoryData, HeadsetPresetRowsMatchTheChipPresets) {
  CHs6533Profiledata hs;
  hs.setDeviceNode(readJsonDocument(resource("HD.Json"))["Device"][0]);
  EXPECT_EQ(hs.getEqPreset(1), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
  EXPECT_EQ(hs.getEqPreset(5), std::vector<int>(10, 0));
  EXPECT_EQ(hs.getEqPreset(12), (std::vector<int>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
  HeadsetSettings s = hs.getHeadsetSettings();
  EXPECT_GE(s.eqType, 1);
  EXPECT_LE(s.eqType, 12);
  EXPECT_NE(s.micInValue, 0);
  EXPECT_TRUE(hs.getCustomEqNames().empty());
}

TEST(FactoryData, EffectNamesPerModelAndLanguages) {
  Json::Value names = readJsonDocument(resource("default_light.json"));
  const Json::Value& lists = names["DefaultLightName"];
  ASSERT_EQ(lists.size(), 4u);
  EXPECT_EQ(lists[0].size(), 29u);
  for (Json::ArrayIndex i = 1; i < 4; ++i) EXPECT_EQ(lists[i].size(), 9u);
  for (const auto& list : lists) {
    for (const auto& e : list) {
      EXPECT_FALSE(json::toString(e["LightName"]).empty());
      EXPECT_TRUE(e["visible"].isBool());
    }
  }
  EXPECT_EQ(names["AreaLightName"][0].size(), 4u);

  Json::Value languages = readJsonDocument(resource("Language.config"))["Language"];
  ASSERT_GE(languages.size(), 2u);
  EXPECT_EQ(languages[0]["Language_text"].asString(), "English");
  EXPECT_EQ(languages[1]["Language_text"].asString(), "简体中文");
  for (const auto& l : languages) {
    EXPECT_TRUE(l["Language_ID"].isInt());
    EXPECT_FALSE(json::toString(l["Language_file"]).empty());
    EXPECT_FALSE(json::toString(l["Language_name"]).empty());
  }
}

}  // namespace
}  // namespace kavro::profiles
