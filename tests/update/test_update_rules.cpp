// The update page's rules: items from the model table, what the query sends,
// how answers become row states, window statuses, "updatetime.config".
#include <gtest/gtest.h>

#include "profiles/json_file.h"
#include "update/http_client.h"
#include "update/update_items.h"
#include "update/update_rules.h"
#include "update/update_time.h"
#include "update_test_util.h"

namespace kavro::update {
namespace {

// The shipped model table, as the device tables hold it.
std::vector<ModelEntry> shippedModels() {
  return {
      {1, 1, 0, {"TR-P40", "QP22R13B", "LM2", "LM2", ""}},
      {1, 1, 0, {"TR-P40", "QP22R12B", "TR-P40", "TR-P40", ""}},
      {2, 1, 0, {"TR-P40", "QP22R05B_1", "RX7", "RX7", ""}},
      {0, 1, 0, {"TR-P40", "ALL", "RX7_LM2_LM1", "AP", "V1000.02"}},
  };
}

UpdateItem deviceItem(int version) {
  UpdateItem item;
  item.hexVersion = true;
  item.installedVersion = version;
  item.name = "QP22R13B";
  return item;
}

UpdateItem appItem(int version) {
  UpdateItem item;
  item.installedVersion = version;
  item.name = kAppItemName;
  return item;
}

std::string answer(const std::string& version, const std::string& name = "fw.run",
                   const std::string& path = "https://u.example/fw.run", const std::string& extra = "") {
  return R"({"path":")" + path + R"(","name":")" + name + R"(","version_name":"V9","version":")" + version +
         R"(","device_id":2)" + extra + "}";
}

TEST(UpdateItems, ProgramFirstThenEachAttachedDeviceWithAModelRow) {
  const auto items = buildUpdateItems(shippedModels(), {{1, 0x0105, ""}, {3, 0x0200, ""}, {6, 0x0102, ""}});
  ASSERT_EQ(items.size(), 3u);  // the mousepad has no model row
  EXPECT_TRUE(items[0].isApp());
  EXPECT_FALSE(items[0].hexVersion);
  EXPECT_EQ(items[0].installedVersion, 1000);
  EXPECT_EQ(items[0].installedText, "V1000.02");
  EXPECT_EQ(rowName(items[0]), "AP");
  EXPECT_EQ(appKey(items[0].key), "TR-P40_0_ALL_RX7_LM2_LM1_1");

  EXPECT_EQ(items[1].name, "QP22R13B");  // the first keyboard row
  EXPECT_EQ(items[1].displayName, "LM2");
  EXPECT_TRUE(items[1].hexVersion);
  EXPECT_EQ(items[1].installedText, "V0105");
  EXPECT_EQ(appKey(items[1].key), "TR-P40_1_QP22R13B_LM2_1");
  EXPECT_EQ(items[2].name, "QP22R05B_1");  // the long-time-out mouse is a mouse
  EXPECT_EQ(appKey(items[2].key), "TR-P40_2_QP22R05B_1_RX7_1");

  const auto chosen = buildUpdateItems(shippedModels(), {{1, 0x0105, "QP22R12B"}});
  EXPECT_EQ(chosen[1].displayName, "TR-P40");
}

TEST(UpdateItems, VersionTextsAndQuery) {
  EXPECT_EQ(currentVersionText(deviceItem(0x0105)), "V0105");
  EXPECT_EQ(currentVersionText(deviceItem(0x1a2b)), "V1a2b");
  EXPECT_EQ(currentVersionText(appItem(12)), "V12");
  UpdateItem item = deviceItem(0x0105);
  item.key = {true, "TR-P40", 1, "QP22R13B", "LM2", 1};
  EXPECT_EQ(queryBody(item), "app_key=TR-P40_1_QP22R13B_LM2_1&version=105");
  item.key = {true, "A&B", 1, "C D", "E=F", 2};  // stays one form field
  EXPECT_EQ(queryBody(item), "app_key=A%26B_1_C%20D_E%3DF_2&version=105");
  EXPECT_EQ(queryBody(appItem(12)), "app_key=NULL&version=12");
  EXPECT_EQ(queryUrl("https://h/v1/"), "https://h/v1/updates");
  EXPECT_EQ(queryUrl("https://h/v1"), "https://h/v1/updates");
  EXPECT_EQ(appVersionNumber("V1000.02"), 1000);
  EXPECT_EQ(appVersionNumber("beta"), 0);
}

TEST(UpdateAnswers, VersionComparison) {
  // Decimal: 12 vs 12 is current, 13 is newer.
  EXPECT_EQ(evaluateAnswer(appItem(12), answer("12"), "/u", true).state, kRowUpToDate);
  const UpdateInfo newer = evaluateAnswer(appItem(12), answer("13"), "/u", true);
  EXPECT_EQ(newer.state, kRowNewVersion);
  EXPECT_EQ(newer.newVersionText, "V9");  // the version name for decimal versions
  EXPECT_EQ(newer.currentVersionText, "V12");
  EXPECT_EQ(evaluateAnswer(appItem(12), answer("11"), "/u", true).state, kRowUpToDate);

  // Hexadecimal: 0x0105 against "0106".
  const UpdateInfo hex = evaluateAnswer(deviceItem(0x0105), answer("0106"), "/u", true);
  EXPECT_EQ(hex.state, kRowNewVersion);
  EXPECT_EQ(hex.currentVersionText, "V0105");
  EXPECT_EQ(hex.newVersionText, "V0106");
  EXPECT_EQ(hex.packageFile, "/u/fw.run");
  EXPECT_EQ(hex.deviceId, 2);
  EXPECT_TRUE(hex.answered);
  EXPECT_EQ(evaluateAnswer(deviceItem(0x0105), answer("010A"), "/u", true).state, kRowNewVersion);  // 0x10a
  EXPECT_EQ(evaluateAnswer(deviceItem(0x0110), answer("0109"), "/u", true).state, kRowUpToDate);  // not 109 > 110
}

TEST(UpdateAnswers, UnusableAnswersKeepTheRowCurrentAndCountAsFailures) {
  const UpdateItem item = deviceItem(0x0105);
  for (const std::string& bad : {std::string(kNoLinkServer), std::string("<html>502</html>"), std::string(""),
                                 answer(""), answer("12x"), answer("123456789"), std::string("[1,2]")}) {
    const UpdateInfo info = evaluateAnswer(item, bad, "/u", true);
    EXPECT_EQ(info.state, kRowUpToDate) << bad;
    EXPECT_FALSE(info.answered) << bad;
    EXPECT_EQ(info.newVersionText, "V0105") << bad;
  }
}

TEST(UpdateAnswers, HostilePackagesAreRefused) {
  const UpdateItem item = deviceItem(0x0105);
  for (const char* name : {"../fw.run", "..", ".hidden", "a/b", "a\\\\b", "", "x..y", "a\\u0001b"}) {
    const UpdateInfo info = evaluateAnswer(item, answer("0106", name), "/u", true);
    EXPECT_EQ(info.state, kRowUpToDate) << name;
    EXPECT_FALSE(info.answered) << name;
    EXPECT_EQ(info.packageFile, "") << name;
  }
  // A package address that leaves https, or is no web address at all.
  EXPECT_EQ(evaluateAnswer(item, answer("0106", "fw.run", "http://u.example/fw.run"), "/u", true).state,
            kRowUpToDate);
  EXPECT_EQ(evaluateAnswer(item, answer("0106", "fw.run", "http://u.example/fw.run"), "/u", false).state,
            kRowNewVersion);
  EXPECT_EQ(evaluateAnswer(item, answer("0106", "fw.run", "file:///etc/passwd"), "/u", false).state, kRowUpToDate);
  // A malformed checksum is refused; a well-formed one is kept for the download.
  EXPECT_FALSE(evaluateAnswer(item, answer("0106", "fw.run", "https://u/x", R"(,"sha256":"abc")"), "/u", true).answered);
  const std::string digest(64, 'A');
  EXPECT_EQ(evaluateAnswer(item, answer("0106", "fw.run", "https://u/x", R"(,"sha256":")" + digest + "\""), "/u", true)
                .sha256,
            digest);
  // An up-to-date answer needs no package members.
  EXPECT_TRUE(evaluateAnswer(item, R"({"version":"0105"})", "/u", true).answered);
}

TEST(UpdateRows, StatesTextsAndTicks) {
  const char* keys[] = {"LessUpdateText", "NeedUpdateText", "NeedUpdateText", "DownloadWaitText", "DownloadIngText",
                        "DownloadOkText", "UpdateIngText",  "UpdateOkText",   "UpdateFailText"};
  for (int s = 0; s < kRowStateCount; ++s) {
    EXPECT_STREQ(rowStateTextKey(s), keys[s]);
    EXPECT_EQ(rowCanTick(s), s == 1 || s == 2 || s == 8) << s;
    EXPECT_EQ(rowShowsProgress(s), s == 4 || s == 6) << s;
    EXPECT_EQ(rowShowsDoneMark(s), s == 5) << s;
  }
  EXPECT_STREQ(rowStateTextKey(9), "");
  EXPECT_STREQ(windowStatusTextKey(kStatusLatest), "UpdateIsLastText");
  EXPECT_STREQ(windowStatusTextKey(kStatusNoAnswer), "NoUpdateInfoText");
}

TEST(UpdateRows, ProgressAndItsStates) {
  EXPECT_EQ(progressPercent(512, 1024), 50);
  EXPECT_EQ(progressPercent(1023, 1024), 99);
  EXPECT_EQ(progressPercent(5, 0), 0);
  EXPECT_EQ(progressPercent(uint64_t{3} << 40, uint64_t{4} << 40), 75);  // no overflow on large packages
  EXPECT_EQ(stateAfterProgress(kRowDownloading, 1024, 512), kRowDownloading);
  EXPECT_EQ(stateAfterProgress(kRowDownloading, 1024, 1024), kRowDownloaded);
  EXPECT_EQ(stateAfterProgress(kRowDownloading, 0, 300), kRowFailed);
}

TEST(UpdateRows, WindowStatuses) {
  EXPECT_EQ(statusAfterCheck({7, 7, 7}, 3), kStatusNoAnswer);  // every item failed
  EXPECT_EQ(statusAfterCheck({7, 7, 7}, 2), kStatusLatest);
  EXPECT_EQ(statusAfterCheck({7, 1, 7}, 2), kStatusHaveUpdate);
  EXPECT_EQ(statusAfterUpdate({7, 5, 1}), kStatusUpdating);
  EXPECT_EQ(statusAfterUpdate({7, 8, 7}), kStatusHaveUpdate);
  EXPECT_EQ(statusAfterUpdate({7, 7}), kStatusLatest);
}

TEST(UpdateTime, MissingFileIsCreatedOnFirstOpening) {
  test::TempFolder folder;
  const std::string sub = folder.file("settings");  // not there yet
  EXPECT_EQ(formatCheckDate(2024, 3, 7), "2024-3-7");
  EXPECT_EQ(openLastCheckDate(sub, "2024-3-7"), "2024-3-7");
  const Json::Value doc = profiles::readJsonDocument(sub + "/" + kUpdateTimeFileName);
  EXPECT_EQ(doc["updatelasttime"]["value"].asString(), "2024-3-7");
  // Later openings read the stored date.
  EXPECT_EQ(openLastCheckDate(sub, "2025-1-1"), "2024-3-7");
  ASSERT_TRUE(writeLastCheckDate(sub, "2025-12-31"));
  EXPECT_EQ(openLastCheckDate(sub, "2026-1-1"), "2025-12-31");
  // A damaged file is replaced like a missing one.
  test::writeBytes(sub + "/" + kUpdateTimeFileName, "{\"updatelasttime\": 5");
  EXPECT_EQ(openLastCheckDate(sub, "2026-2-2"), "2026-2-2");
}

}  // namespace
}  // namespace kavro::update
