#include <gtest/gtest.h>

#include <filesystem>

#include "macros/key_tables.h"
#include "macros/macro_event.h"
#include "macros/recoil_data.h"
#include "macros/temp_folder.h"
#include "profiles/json_file.h"

namespace kavro::macros {
namespace {

using test::fileBytes;
using test::TempFolder;
using test::writeBytes;

const std::string kFactoryFolder = std::string(KAVRO_RESOURCES_DIR) + "/DefaultData/";

// Every shot keeps its press/release pair and fixed waits, whatever it moves.
void expectFixedSteps(const Json::Value& doc) {
  const Json::Value& events = doc["Events"];
  ASSERT_TRUE(events.isArray());
  ASSERT_EQ(events.size(), 120u);
  for (Json::ArrayIndex n = 0; n < 30; ++n) {
    const auto press = eventFromJson(events[4 * n]);
    const auto release = eventFromJson(events[4 * n + 1]);
    ASSERT_TRUE(press && release);
    EXPECT_EQ(*press, (MacroEvent{kTypeMouseButton, kMouseLeft, true, 10})) << n;
    EXPECT_EQ(*release, (MacroEvent{kTypeMouseButton, kMouseLeft, false, 0})) << n;
    EXPECT_EQ(events[4 * n + 2]["Type"].asInt(), 4);
    EXPECT_EQ(events[4 * n + 2]["Delay"].asInt(), 5);
    EXPECT_EQ(events[4 * n + 3]["Type"].asInt(), 5);
    for (int k = 0; k < 4; ++k) {
      EXPECT_TRUE(events[4 * n + k]["Delay"].isInt());
      EXPECT_TRUE(events[4 * n + k]["Button"].isInt());
    }
  }
}

TEST(RecoilFactoryFiles, FourCompletePatterns) {
  for (int slot = 0; slot < kRecoilSlotCount; ++slot) {
    SCOPED_TRACE(slot);
    const auto doc = profiles::readJsonDocument(kFactoryFolder + shootFileName(slot));
    expectFixedSteps(doc);
    const auto pattern = readPattern(doc);
    for (const auto& shot : pattern) {
      EXPECT_GT(shot.delay, 0);
      EXPECT_FALSE(shot.moveUp);  // recoil kicks up, the correction pulls down
    }
    EXPECT_GT(pattern[0].vertical, 0);
  }
}

TEST(RecoilPattern, SlotAndShotBoundsAndFileNames) {
  EXPECT_EQ(shootFileName(2), "ShootData_2.Shoot");
  EXPECT_EQ(shootFileName(9), "ShootData_3.Shoot");
  EXPECT_EQ(shootFileName(-1), "ShootData_0.Shoot");
  EXPECT_EQ(clampShot(29 + 1), 29);  // "next" on the last shot stays there
  EXPECT_EQ(clampShot(0 - 1), 0);    // "previous" on the first shot stays there
}

TEST(RecoilPattern, StoreCompletesAndClamps) {
  Json::Value doc;  // an empty user file after a reset without factory file
  const ShotSetting shot{true, 300, true, 7, 90000};
  storeShot(doc, 12, shot);
  expectFixedSteps(doc);
  EXPECT_EQ(readShot(doc, 12), (ShotSetting{true, 255, true, 7, 65535}));
  EXPECT_EQ(readShot(doc, 11), ShotSetting{});
  EXPECT_EQ(doc["Events"][4 * 12 + 2]["Action"].asString(), "down");
  EXPECT_EQ(doc["Events"][4 * 12 + 3]["Delay"].asInt(), 65535);

  storeShot(doc, 12, {false, -4, false, 3, -1});
  EXPECT_EQ(readShot(doc, 12), (ShotSetting{false, 0, false, 3, 0}));
  EXPECT_EQ(doc["Events"][4 * 12 + 2]["Action"].asString(), "up");
}

TEST(RecoilPattern, DamagedDocumentsReadAsEmptyShots) {
  for (const char* text : {"[1]", R"({"Events":5})", R"({"Events":[1,2,3,"x",{"Button":{}}]})"}) {
    const Json::Value doc = profiles::parseJsonText(text);
    EXPECT_EQ(readShot(doc, 0), ShotSetting{}) << text;
    EXPECT_EQ(readShot(doc, 29), ShotSetting{}) << text;
  }
  RecoilPattern pattern{};
  pattern[3] = {true, 2, false, 9, 70};
  EXPECT_EQ(readPattern(patternDocument(pattern)), pattern);
}

TEST(RecoilFiles, SaveLoadAndReset) {
  TempFolder user;
  ASSERT_TRUE(saveShot(user.path(), 1, 4, {false, 3, false, 6, 85}));
  EXPECT_EQ(loadShot(user.path(), 1, 4), (ShotSetting{false, 3, false, 6, 85}));
  expectFixedSteps(profiles::readJsonDocument(user.file("ShootData_1.Shoot")));

  // Reset copies the factory file byte for byte.
  ASSERT_TRUE(resetPatternFile(kFactoryFolder, user.path(), 1));
  EXPECT_EQ(fileBytes(user.file("ShootData_1.Shoot")), fileBytes(kFactoryFolder + "ShootData_1.Shoot"));

  // Without a factory file the user's file is left empty.
  TempFolder noDefaults;
  ASSERT_TRUE(resetPatternFile(noDefaults.path(), user.path(), 1));
  EXPECT_EQ(fileBytes(user.file("ShootData_1.Shoot")), "");
  EXPECT_EQ(loadShot(user.path(), 1, 4), ShotSetting{});
}

}  // namespace
}  // namespace kavro::macros
