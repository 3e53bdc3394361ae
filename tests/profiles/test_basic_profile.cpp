#include <filesystem>

#include <sys/stat.h>

#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {
using test::TempDir;

class BasicProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(factoryDir());
    std::filesystem::create_directories(userDir());
    factoryNode["LightInfo"] = test::parse(R"({"SelectItem":2,"Light":3,"Red":200})");
    factoryNode["KeyList"][0]["Assignment"] = 0x200029;
    factoryNode["KeyList"][0]["DefaultAssignment"] = 0x200029;
    Json::Value factory;
    factory["profilename"] = "Factory";
    factory["Device"][0] = factoryNode;
    ASSERT_EQ(wirtejsonFile(factoryDir() + "/MousePad.Json", factory), 0);
    data.setFolders(factoryDir(), userDir());
    data.useFactoryProfileOf("MousePad");
  }
  void TearDown() override { testing::setWriteFault(testing::WriteFault::None); }
  std::string factoryDir() const { return dir.file("DefaultData"); }
  std::string userDir() const { return dir.file("user/MousePad"); }
  std::string profile(const std::string& id) const { return userDir() + "/" + id + ".Json"; }

  TempDir dir;
  Json::Value factoryNode;
  CBasicProfiledata data;
};

TEST_F(BasicProfileTest, MissingProfileIsCreatedFromFactoryNode) {
  ASSERT_TRUE(data.selectProfileId("p1"));
  EXPECT_EQ(data.loadProfile(data.getProfilePath()), factoryNode);
  Json::Value written = readJsonDocument(profile("p1"));
  EXPECT_EQ(written.getMemberNames(), std::vector<std::string>{"Device"});
  EXPECT_EQ(written["Device"][0], factoryNode);
}

TEST_F(BasicProfileTest, ProfileWithoutDeviceKeepsItsNames) {
  test::writeText(profile("p2"), R"({"profilename":"Mine","profileUUID":"p2"})");
  data.loadProfile(profile("p2"));
  Json::Value written = readJsonDocument(profile("p2"));
  EXPECT_EQ(written["profilename"].asString(), "Mine");
  EXPECT_EQ(written["profileUUID"].asString(), "p2");
  EXPECT_EQ(written["Device"][0], factoryNode);
}

TEST_F(BasicProfileTest, DamagedProfileIsRepairedAndKeptAside) {
  test::writeText(profile("p3"), "{\"Device\": [ {\"LightInfo\"");
  EXPECT_EQ(data.loadProfile(profile("p3")), factoryNode);
  EXPECT_EQ(test::readText(profile("p3") + ".damaged"), "{\"Device\": [ {\"LightInfo\"");
  EXPECT_EQ(readJsonDocument(profile("p3"))["Device"][0], factoryNode);
}

TEST_F(BasicProfileTest, WrongShapedDocumentsAreRepaired) {
  for (const char* text : {R"({"Device": "x"})", R"({"Device": [5]})", R"([1,2])", R"("str")", R"({"Device": {}})"}) {
    test::writeText(profile("p4"), text);
    Json::Value node;
    ASSERT_NO_THROW(node = data.loadProfile(profile("p4"))) << text;
    EXPECT_EQ(node, factoryNode) << text;
    EXPECT_EQ(readJsonDocument(profile("p4"))["Device"][0], factoryNode) << text;
  }
  // What the repairs replaced is kept, one copy each.
  int copies = 0;
  for (const auto& e : std::filesystem::directory_iterator(userDir())) {
    copies += e.path().filename().string().rfind("p4.Json.damaged", 0) == 0;
  }
  EXPECT_EQ(copies, 5);
}

TEST_F(BasicProfileTest, MissingFactoryLeavesNullNodeAndZeroValues) {
  std::filesystem::remove(factoryDir() + "/MousePad.Json");
  EXPECT_TRUE(data.loadProfile(profile("p5")).isNull());
  EXPECT_TRUE(readJsonDocument(profile("p5"))["Device"][0].isNull());
  EXPECT_EQ(data.getLightSetting(), LightSetting{});
  EXPECT_TRUE(data.getKeyAssignments().empty());
  EXPECT_TRUE(data.getLightList().empty());
}

TEST_F(BasicProfileTest, FactoryFileIsNeverWritten) {
  const std::string factory = data.getDefaultProfilePath();
  test::writeText(factory, "damaged");
  EXPECT_TRUE(data.loadProfile(factory).isNull());
  EXPECT_EQ(test::readText(factory), "damaged");
  EXPECT_FALSE(std::filesystem::exists(factory + ".damaged"));
}

TEST_F(BasicProfileTest, SaveWritesNodeAndKeepsDocumentMembers) {
  test::writeText(profile("p6"), R"({"profilename":"Keep","profileUUID":"p6","Other":[1],
    "Device":[{"LightInfo":{"SelectItem":1},"Unknown":{"x":1}}]})");
  data.selectProfileId("p6");
  data.loadProfile(data.getProfilePath());
  data.setLightSetting(0x01020304, 0x05060701, 0xAA000000, 3);
  ASSERT_EQ(data.save(), 0);
  Json::Value doc = readJsonDocument(profile("p6"));
  EXPECT_EQ(doc["profilename"].asString(), "Keep");
  EXPECT_EQ(doc["Other"][0].asInt(), 1);
  EXPECT_EQ(doc["Device"][0]["Unknown"]["x"].asInt(), 1);
  const Json::Value& info = doc["Device"][0]["LightInfo"];
  EXPECT_EQ(info["SelectItem"].asInt(), 4);
  EXPECT_EQ(info["Fx"].asInt(), 1);
  EXPECT_EQ(info["MultiColor"].asInt(), 1);
  EXPECT_EQ(info["Blue"].asInt(), 5);
  EXPECT_EQ(info["ZZCCLedMode"].asInt(), 0xAA);
  EXPECT_EQ(info["CustomGroup"].asInt(), 3);
}

TEST_F(BasicProfileTest, InterruptedSaveLeavesPreviousProfile) {
  data.selectProfileId("p7");
  data.loadProfile(data.getProfilePath());
  const std::string before = test::readText(profile("p7"));
  data.setLightSetting(0xFFFFFFFF, 0, 0, 0);
  testing::setWriteFault(testing::WriteFault::Write);
  EXPECT_EQ(data.save(), 1);
  EXPECT_EQ(test::readText(profile("p7")), before);
  testing::setWriteFault(testing::WriteFault::None);
  EXPECT_EQ(data.save(), 0);
  EXPECT_NE(test::readText(profile("p7")), before);
}

TEST_F(BasicProfileTest, AnUnreadableProfileIsMovedAsideNeverOverwritten) {
  ::chmod(dir.path().c_str(), 0777);
  ::chmod(dir.file("user").c_str(), 0777);
  ::chmod(userDir().c_str(), 0777);
  const std::string mine = R"({"profilename":"Mine","Device":[{"LightInfo":{"SelectItem":7}}]})";
  test::writeText(profile("p8"), mine);
  ::chmod(profile("p8").c_str(), 0);
  ASSERT_TRUE(test::runAsUser([&] {
    data.selectProfileId("p8");
    return data.loadProfile(data.getProfilePath()) == factoryNode;
  }));
  // The user's file is kept whole under the damaged name; the profile
  // starts again from the factory node.
  EXPECT_EQ(test::readText(profile("p8") + ".damaged"), mine);
  EXPECT_EQ(readJsonDocument(profile("p8"))["Device"][0], factoryNode);
}

TEST_F(BasicProfileTest, ASaveOverAnUnreadableProfileThatCannotBeMovedFails) {
  const std::string mine = R"({"profilename":"Mine"})";
  test::writeText(profile("p9"), mine);
  ::chmod(profile("p9").c_str(), 0);
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.file("user").c_str(), 0755);
  ::chmod(userDir().c_str(), 0755);  // nothing in it can be renamed
  ASSERT_TRUE(test::runAsUser([&] {
    data.selectProfileId("p9");
    data.setDeviceNode(factoryNode);
    return data.save() == 1 && data.deviceNode() == factoryNode;
  }));
  EXPECT_EQ(test::readText(profile("p9")), mine);
  EXPECT_FALSE(std::filesystem::exists(profile("p9") + ".damaged"));
}

TEST_F(BasicProfileTest, AFifoInPlaceOfAProfileIsMovedAsideUnopened) {
  ASSERT_EQ(::mkfifo(profile("p10").c_str(), 0600), 0);
  data.selectProfileId("p10");
  EXPECT_EQ(data.loadProfile(data.getProfilePath()), factoryNode);
  EXPECT_TRUE(std::filesystem::is_fifo(profile("p10") + ".damaged"));
  EXPECT_EQ(readJsonDocument(profile("p10"))["Device"][0], factoryNode);
}

TEST_F(BasicProfileTest, LightSettingFallsBackWithoutLightInfo) {
  data.setDeviceNode(test::parse(R"({"KeyList":[]})"));
  EXPECT_EQ(data.getLightSetting(), LightSetting{});
  data.setDeviceNode(test::parse(R"({"LightInfo":{"SelectItem":3,"MultiColor":5}})"));
  LightSetting s = data.getLightSetting();
  EXPECT_EQ(s.effect, 3);
  EXPECT_EQ(s.multiColor, 1);
  EXPECT_EQ(data.currentLightSetting(), s);
}

TEST_F(BasicProfileTest, KeyAssignmentsNeedKeyListAndNeverWriteDefaults) {
  data.setDeviceNode(test::parse(R"({"LightInfo":{}})"));
  EXPECT_TRUE(data.getKeyAssignments().empty());
  data.setDeviceNode(factoryNode);
  auto list = data.getKeyAssignments();
  ASSERT_EQ(list.size(), 1u);
  list[0].code = {0x10, 0x02, 0};
  list[0].defaultCode = {0, 0, 0};
  data.setKeyAssignments(list);
  EXPECT_EQ(data.deviceNode()["KeyList"][0]["Assignment"].asUInt(), 0x100200u);
  EXPECT_EQ(data.deviceNode()["KeyList"][0]["DefaultAssignment"].asUInt(), 0x200029u);
}

TEST_F(BasicProfileTest, HostileNodeReadsAsFallbacks) {
  data.setDeviceNode(test::parse(
      R"({"LightInfo":"x","KeyList":{"a":1},"LightList":5,"SystemStages":[],"DPIStages":"x"})"));
  EXPECT_NO_THROW({
    EXPECT_EQ(data.getLightSetting(), LightSetting{});
    EXPECT_TRUE(data.getKeyAssignments().empty());
    EXPECT_TRUE(data.getLightList().empty());
    data.setKeyAssignments({KeyAssignment{}});
    data.setLightSetting(1, 2, 3, 4);
  });
  EXPECT_EQ(data.getLightSetting().effect, 1);
}

TEST_F(BasicProfileTest, UnsafeProfileIdsAreRefused) {
  data.selectProfileId("good");
  for (const char* id : {"", "..", "../x", "a/b"}) EXPECT_FALSE(data.selectProfileId(id)) << id;
  EXPECT_EQ(data.getProfilePath(), profile("good"));
  data.setProfilePath("");
  EXPECT_EQ(data.getProfilePath(), profile("good"));
}

class EffectStepsTest : public BasicProfileTest {
 protected:
  void SetUp() override {
    BasicProfileTest::SetUp();
    test::writeText(userDir() + "/vexor_light.config",
                    R"({"LightInfo":[[{"LightName":"A","Guid":"g-a"},{"LightName":"B","Guid":"../escape"}]]})");
    test::writeText(userDir() + "/g-a.light", R"({"LEDEffectList":[{"LEDREGMode":1,"Time":100},{"Time":200}]})");
    test::writeText(dir.file("user/escape.light"), R"({"LEDEffectList":[{"Time":1}]})");
    data.useDefaultLightConfigPath();
  }
  void select(int effect) {
    LightSetting s;
    s.effect = static_cast<std::uint8_t>(effect);
    data.setLightSetting(s);
  }
};

TEST_F(EffectStepsTest, StepsComeFromTheLightFileInTheProfileFolder) {
  select(0);
  EXPECT_TRUE(data.loadEffectSteps().empty());  // no configuration loaded yet
  data.loadLightConfig(data.getLightConfigPath());
  auto steps = data.loadEffectSteps();
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[1].timeMs, 200);
}

TEST_F(EffectStepsTest, MissingEntryUnsafeGuidOrBuiltInSelectionGiveNoSteps) {
  data.loadLightConfig(data.getLightConfigPath());
  select(5);
  EXPECT_TRUE(data.loadEffectSteps().empty());
  select(1);
  EXPECT_TRUE(data.loadEffectSteps().empty());
  data.setBuiltinEffectCount(3);
  select(2);
  EXPECT_TRUE(data.loadEffectSteps().empty());
  select(3);
  EXPECT_EQ(data.loadEffectSteps().size(), 2u);
}

TEST_F(EffectStepsTest, DamagedConfigurationOrLightFileGiveNoSteps) {
  test::writeText(userDir() + "/g-a.light", "{\"LEDEffectList\": [");
  data.loadLightConfig(data.getLightConfigPath());
  select(0);
  EXPECT_TRUE(data.loadEffectSteps().empty());
  test::writeText(userDir() + "/vexor_light.config", R"({"LightInfo":"x"})");
  EXPECT_FALSE(data.loadLightConfig(data.getLightConfigPath()).isNull());
  EXPECT_TRUE(data.loadEffectSteps().empty());
}

}  // namespace
}  // namespace kavro::profiles
