// The recoil editor's data: selection, controls, pattern files, spray path.
#include <gtest/gtest.h>

#include <filesystem>

#include "devices/mouse/recoil_editor.h"
#include "macros/temp_folder.h"
#include "profiles/json_file.h"

namespace kavro::mouse {
namespace {

using macros::test::fileBytes;
using macros::test::TempFolder;
using macros::test::writeBytes;

class RecoilFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(user_.path().empty());
    ASSERT_FALSE(factory_.path().empty());
    folders_ = {user_.path(), factory_.path()};
    RecoilPattern factory{};
    for (int i = 0; i < macros::kShotsPerPattern; ++i) factory[static_cast<std::size_t>(i)] = {false, i % 3, false, 10 + i, 90};
    ASSERT_EQ(profiles::wirtejsonFile(factory_.file("ShootData_1.Shoot"), macros::patternDocument(factory)), 0);
    factoryPattern_ = factory;
  }
  std::string userFile(int slot) const { return user_.file(macros::shootFileName(slot)); }

  TempFolder user_, factory_, elsewhere_;
  RecoilFolders folders_;
  RecoilPattern factoryPattern_{};
};

TEST(RecoilSelection, PreviousAndNextStayWithinTheThirtyShots) {
  EXPECT_EQ(nextShot(29), 29);
  EXPECT_EQ(previousShot(0), 0);
  EXPECT_EQ(nextShot(4), 5);
  EXPECT_EQ(previousShot(4), 3);
  EXPECT_EQ(nextShot(kNoShot), 0);
  EXPECT_EQ(previousShot(kNoShot), 0);
  EXPECT_EQ(shotNumberText(29), "30");
  EXPECT_STREQ(horizontalText(true), "mouse_move_to_left_text");
  EXPECT_STREQ(verticalText(false), "mouse_move_to_down_text");
}

TEST(RecoilSelection, ShotFromTheEdits) {
  EXPECT_EQ(shotFromControls(true, "12", false, " 7px", "80"), (ShotSetting{true, 12, false, 7, 80}));
  EXPECT_EQ(shotFromControls(false, "", true, "abc", "-5"), (ShotSetting{false, 0, true, 0, 0}));
  EXPECT_EQ(shotFromControls(false, "999", false, "256", "100000"), (ShotSetting{false, 255, false, 255, 65535}));
}

TEST_F(RecoilFiles, ResetWithoutAFactoryFileKeepsTheUsersPattern) {
  ASSERT_TRUE(storeShot(folders_, 2, 0, {true, 5, true, 6, 70}));
  const std::string before = fileBytes(userFile(2));
  EXPECT_EQ(resetPattern(folders_, 2), RecoilFileResult::SourceMissing);
  EXPECT_EQ(fileBytes(userFile(2)), before);
  writeBytes(factory_.file("ShootData_2.Shoot"), "{\"Events\": []}");  // damaged factory file
  EXPECT_EQ(resetPattern(folders_, 2), RecoilFileResult::NotAPattern);
  EXPECT_EQ(fileBytes(userFile(2)), before);
}

TEST_F(RecoilFiles, ResetCopiesTheFactoryFileByteForByte) {
  ASSERT_TRUE(storeShot(folders_, 1, 3, {true, 1, true, 1, 1}));
  EXPECT_EQ(resetPattern(folders_, 1), RecoilFileResult::Done);
  EXPECT_EQ(fileBytes(userFile(1)), fileBytes(factory_.file("ShootData_1.Shoot")));
}

TEST_F(RecoilFiles, AFirstStoredShotStartsFromTheFactoryPattern) {
  EXPECT_EQ(loadPattern(folders_, 1), factoryPattern_);  // no user file yet: the factory one shows
  ASSERT_TRUE(storeShot(folders_, 1, 4, {true, 9, false, 9, 40}));
  RecoilPattern expected = factoryPattern_;
  expected[4] = {true, 9, false, 9, 40};
  EXPECT_EQ(loadPattern(folders_, 1), expected);
  // Without a factory pattern the other shots are empty ones.
  ASSERT_TRUE(storeShot(folders_, 3, 0, {false, 1, false, 2, 3}));
  EXPECT_EQ(loadPattern(folders_, 3)[1], ShotSetting{});
}

TEST_F(RecoilFiles, ImportRefusesAnythingButAFullPatternAndChangesNothing) {
  ASSERT_TRUE(storeShot(folders_, 0, 0, {true, 5, true, 6, 70}));
  const std::string before = fileBytes(userFile(0));
  Json::Value good = macros::patternDocument(factoryPattern_);

  Json::Value shortList = good;
  shortList["Events"].resize(116);
  Json::Value wrongType = good;
  wrongType["Events"][6]["Type"] = 5;
  Json::Value farMove = good;
  farMove["Events"][10]["Button"] = 300;
  Json::Value noPress = good;
  noPress["Events"][40]["Action"] = "up";
  Json::Value badDelay = good;
  badDelay["Events"][7]["Delay"] = "12ms";
  Json::Value realButton = good;
  realButton["Events"][3]["Button"] = 2.5;
  const std::pair<const char*, std::string> broken[] = {
      {"short", profiles::styledJsonText(shortList)}, {"type", profiles::styledJsonText(wrongType)},
      {"distance", profiles::styledJsonText(farMove)}, {"action", profiles::styledJsonText(noPress)},
      {"delay", profiles::styledJsonText(badDelay)},  {"real", profiles::styledJsonText(realButton)},
      {"garbage", "{\"Events\": [1, 2"},               {"array", "[]"},
  };
  for (const auto& [name, text] : broken) {
    const std::string path = elsewhere_.file(std::string(name) + ".Shoot");
    writeBytes(path, text);
    EXPECT_EQ(importPattern(path, folders_, 0), RecoilFileResult::NotAPattern) << name;
    EXPECT_EQ(fileBytes(userFile(0)), before) << name;
  }
  EXPECT_EQ(importPattern(elsewhere_.file("missing.Shoot"), folders_, 0), RecoilFileResult::SourceMissing);
  EXPECT_EQ(fileBytes(userFile(0)), before);
}

TEST_F(RecoilFiles, ExportAndImportCarryOneSlotsPattern) {
  ASSERT_TRUE(storeShot(folders_, 1, 29, {true, 3, true, 4, 55}));
  const std::string exported = elsewhere_.file("mine.Shoot");
  EXPECT_EQ(exportPattern(folders_, 1, exported), RecoilFileResult::Done);
  EXPECT_EQ(fileBytes(exported), fileBytes(userFile(1)));

  // Delays as decimal text, as macro files keep them, are accepted and
  // stored as integers.
  Json::Value doc = profiles::readJsonDocument(exported);
  for (auto& step : doc["Events"]) step["Delay"] = std::to_string(step["Delay"].asInt());
  writeBytes(exported, profiles::styledJsonText(doc));
  EXPECT_EQ(importPattern(exported, folders_, 2), RecoilFileResult::Done);
  EXPECT_EQ(loadPattern(folders_, 2), loadPattern(folders_, 1));
  EXPECT_TRUE(profiles::readJsonDocument(userFile(2))["Events"][119]["Delay"].isInt());
  EXPECT_EQ(exportPattern(folders_, 1, elsewhere_.file("no/such/folder/x.Shoot")), RecoilFileResult::WriteFailed);
}

TEST(RecoilSpray, PathAddsUpTheCorrections) {
  RecoilPattern p{};
  p[0] = {false, 2, false, 10, 0};
  p[1] = {true, 5, false, 8, 0};
  p[2] = {false, 0, true, 3, 0};
  const auto path = sprayPath(p);
  ASSERT_EQ(path.size(), 30u);
  EXPECT_EQ(path[0], (SprayPoint{2, 10}));
  EXPECT_EQ(path[1], (SprayPoint{-3, 18}));
  EXPECT_EQ(path[2], (SprayPoint{-3, 15}));
  EXPECT_EQ(path[29], path[2]);  // empty shots do not move the aim
  EXPECT_EQ(sprayBounds(path), (SprayBounds{-3, 0, 2, 18}));
}

}  // namespace
}  // namespace kavro::mouse
