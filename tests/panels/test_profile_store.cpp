// The profile commands on real files in a temporary folder: naming rules,
// the limit, the selection after delete, import, export, reset and rename,
// and the feature tab rules per device type.
#include "panels/device_profile_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

#include "profiles/file_care.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"

using namespace kavro;
using namespace kavro::panels;
namespace fs = std::filesystem;

namespace {

Json::Value factoryDocument() {
  Json::Value doc;
  doc["profilename"] = "factory";
  doc["profileUUID"] = "factory";
  doc["Device"][0]["LightInfo"]["SelectItem"] = 4;
  doc["Device"][0]["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
  doc["Device"][0]["CustomEQHzValueInfo"] = Json::Value(Json::arrayValue);
  return doc;
}

class ProfileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kavro-profile-store-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "user");
    factory = (root / "keyboard.Json").string();
    profiles::wirtejsonFile(factory, factoryDocument());
    store = ProfileStore((root / "user").string() + "/", factory);
  }
  void TearDown() override { fs::remove_all(root); }

  // A list holding the given names, each with a document.
  void makeList(const std::vector<std::string>& names, int select = 0) {
    profiles::ProfileList list;
    for (size_t i = 0; i < names.size(); ++i) {
      const std::string id = "id_" + std::to_string(i);
      list.entries.push_back({names[i], id, profiles::profileEntryJson(names[i], id)});
      profiles::wirtejsonFile(store.documentPath(id), profiles::makeProfileDocument(factoryDocument(), names[i], id));
    }
    list.select = select;
    ASSERT_EQ(profiles::writeProfileList(store.listPath(), list), 0);
  }
  std::vector<std::string> names() const { return profileNames(store.read()); }
  std::vector<std::string> documentIds() const {
    std::vector<std::string> ids;
    for (const auto& e : fs::directory_iterator(root / "user")) {
      if (e.path().extension() == ".Json") ids.push_back(e.path().stem().string());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
  }
  // Runs every crash point of command: a child process runs it and dies at
  // its n-th file write, before or after the write's rename, as a kill -9
  // would. After each, the next start must show the profiles from before
  // the command or from after it, each with its document under the list's
  // name, no document that the list does not name, and no temporary that
  // the clean-up cannot remove.
  void checkEveryCrash(const std::function<void()>& prepare, const std::function<void()>& command,
                       std::vector<std::string> before, std::vector<std::string> after);
  Json::Value document(const std::string& id) const { return profiles::readJsonDocument(store.documentPath(id)); }

  fs::path root;
  std::string factory;
  ProfileStore store;
};

// True when command, run in a child, died at its n-th write.
bool crashesAt(const std::function<void()>& command, int n, bool afterRename) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    profiles::testing::crashAtWrite(n, afterRename);
    command();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == profiles::testing::kCrashExitCode;
}

void ProfileStoreTest::checkEveryCrash(const std::function<void()>& prepare, const std::function<void()>& command,
                                       std::vector<std::string> before, std::vector<std::string> after) {
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  int crashes = 0;
  for (int n = 1;; ++n) {
    bool reached = false;
    for (bool afterRename : {false, true}) {
      fs::remove_all(root / "user");
      fs::create_directories(root / "user");
      store = ProfileStore((root / "user").string(), factory);
      prepare();
      if (!crashesAt(command, n, afterRename)) continue;
      reached = true;
      ++crashes;
      SCOPED_TRACE("crash at write " + std::to_string(n) + (afterRename ? " after" : " before") + " its rename");
      store = ProfileStore((root / "user").string(), factory);
      const profiles::ProfileList list = store.init().list;  // the next start
      std::vector<std::string> shown = profileNames(list);
      std::sort(shown.begin(), shown.end());
      EXPECT_TRUE(shown == before || shown == after) << ::testing::PrintToString(shown);
      std::vector<std::string> listed;
      for (const auto& e : list.entries) {
        listed.push_back(e.id);
        EXPECT_EQ(document(e.id)["profilename"].asString(), e.name);
      }
      std::sort(listed.begin(), listed.end());
      EXPECT_EQ(documentIds(), listed);
      profiles::removeStaleTemporaries((root / "user").string(), 0);
      for (const auto& e : fs::directory_iterator(root / "user")) {
        EXPECT_FALSE(profiles::isTemporaryFileName(e.path().filename().string())) << e.path();
      }
    }
    if (!reached) break;
  }
  EXPECT_GT(crashes, 0);
}

}  // namespace

TEST(ProfileRules, SelectionAfterDelete) {
  EXPECT_EQ(selectionAfterDelete(0, 3), 0);
  EXPECT_EQ(selectionAfterDelete(2, 3), 1);
  EXPECT_EQ(selectionAfterDelete(0, 1), -1);   // the last profile stays
  EXPECT_EQ(selectionAfterDelete(-1, 3), -1);  // nothing selected
  EXPECT_EQ(selectionAfterDelete(3, 3), -1);
}

TEST(ProfileRules, RenameClashIgnoresCaseAndTheProfileItself) {
  const std::vector<std::string> names = {"Profile 1", "Work"};
  EXPECT_FALSE(renameClashes(names, 0, "PROFILE 1"));
  EXPECT_TRUE(renameClashes(names, 0, "work"));
  EXPECT_FALSE(renameClashes(names, 1, "Games"));
  EXPECT_FALSE(isUsableProfileName("   "));
  EXPECT_TRUE(isUsableProfileName(" a "));
}

TEST(ProfileRules, FeatureTabsPerDeviceType) {
  EXPECT_EQ(tabsOfDeviceType(1), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(tabsOfDeviceType(2), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(tabsOfDeviceType(3), (std::vector<int>{1}));
  EXPECT_EQ(tabsOfDeviceType(4), (std::vector<int>{1, 4}));
  EXPECT_EQ(tabsOfDeviceType(7), (std::vector<int>{1, 6, 7}));
  EXPECT_EQ(featurePageIndex(7, kTabMagic), 2);
  EXPECT_EQ(featurePageIndex(1, kTabCursor), -1);
  EXPECT_EQ(featureTabNumber("6533_voice_Op_tab"), 6);
  EXPECT_EQ(featureTabNumber("device_add_btn"), 0);
  EXPECT_EQ(featureTabName(8), nullptr);
}

TEST_F(ProfileStoreTest, InitCreatesProfileOneFromTheFactoryAndKeepsAnExistingList) {
  profiles::ProfileList list = store.init().list;
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].name, "Profile 1");
  const Json::Value doc = document(list.entries[0].id);
  EXPECT_EQ(doc["profilename"].asString(), "Profile 1");
  EXPECT_EQ(doc["profileUUID"].asString(), list.entries[0].id);
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);

  fs::remove(store.documentPath(list.entries[0].id));
  makeList({"A", "B"}, 1);
  list = store.init().list;
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(list.select, 1);
}

TEST_F(ProfileStoreTest, InitRebuildsADamagedListFromTheDocumentsAndKeepsACopy) {
  makeList({"Work", "Games"}, 1);
  const std::string damaged = "{ \"profilelist\": [ broken";
  std::ofstream(store.listPath()) << damaged;
  const profiles::OpenedProfileList opened = store.init();
  EXPECT_TRUE(opened.rebuilt);
  EXPECT_EQ(names(), (std::vector<std::string>{"Work", "Games"}));
  EXPECT_EQ(documentIds(), (std::vector<std::string>{"id_0", "id_1"}));
  std::string kept;
  std::getline(std::ifstream(opened.damagedCopy), kept, '\0');
  EXPECT_EQ(kept, damaged);
}

TEST_F(ProfileStoreTest, InitRemovesStaleTemporariesOfInterruptedSaves) {
  makeList({"A"});
  const std::string stale = store.listPath() + ".tmp-Ab12Cd";
  std::ofstream(stale) << "{";
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
  store.init();
  EXPECT_FALSE(fs::exists(stale));
}

TEST_F(ProfileStoreTest, WhileTheListCannotBeKeptCommandsCreateNothing) {
  fs::create_directories(store.listPath());  // a folder in the list's place
  const profiles::OpenedProfileList opened = store.init();
  EXPECT_FALSE(opened.kept);
  ASSERT_EQ(names(), (std::vector<std::string>{"Profile 1"}));  // from memory
  bool stored = true;
  EXPECT_EQ(store.select(0, &stored), opened.list.entries[0].id);
  EXPECT_FALSE(stored);
  for (const ProfileStore::Change& c : {store.add(), store.copy(0)}) {
    EXPECT_FALSE(c.done);
    EXPECT_TRUE(c.writeFailed);
  }
  EXPECT_EQ(store.rename(0, "New"), ProfileStore::Result::WriteFailed);
  EXPECT_TRUE(documentIds().empty());
}

TEST_F(ProfileStoreTest, EveryCrashDuringACommandLeavesTheListConsistent) {
  const std::vector<std::string> abc = {"A", "B", "C"};
  auto prepare = [&] { makeList(abc, 1); };
  const std::string importPath = (root / "in.json").string();
  profiles::wirtejsonFile(importPath, profiles::makeProfileDocument(factoryDocument(), "X", "x"));
  {
    SCOPED_TRACE("add");
    checkEveryCrash(prepare, [&] { store.add(); }, abc, {"A", "B", "C", "Profile 1"});
  }
  {
    SCOPED_TRACE("copy");
    checkEveryCrash(prepare, [&] { store.copy(1); }, abc, {"A", "B", "C", "B Copy"});
  }
  {
    SCOPED_TRACE("import");
    checkEveryCrash(prepare, [&] { store.importFrom(importPath, 1); }, abc, {"A", "B", "C", "X"});
  }
  {
    SCOPED_TRACE("delete");
    checkEveryCrash(prepare, [&] { store.remove(1); }, abc, {"A", "C"});
  }
  {
    SCOPED_TRACE("rename");
    checkEveryCrash(prepare, [&] { store.rename(1, "Renamed"); }, abc, {"A", "Renamed", "C"});
  }
  {
    SCOPED_TRACE("first start");
    checkEveryCrash([] {}, [&] { store.init(); }, {"Profile 1"}, {"Profile 1"});
  }
}

TEST_F(ProfileStoreTest, AddFillsTheFirstGapSelectsTheNewProfileAndStopsAtFifty) {
  makeList({"Profile 1", "Profile 3"}, 1);
  ProfileStore::Change c = store.add();
  ASSERT_TRUE(c.done);
  EXPECT_EQ(c.name, "Profile 2");
  EXPECT_EQ(c.index, 2);
  EXPECT_EQ(store.read().select, 2);  // count - 1
  EXPECT_EQ(document(c.id)["profilename"].asString(), "Profile 2");
  EXPECT_EQ(document(c.id)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);

  std::vector<std::string> many;
  for (int i = 1; i <= profiles::kMaxProfiles; ++i) many.push_back("P" + std::to_string(i));
  makeList(many);
  EXPECT_FALSE(store.add().done);
  EXPECT_EQ(names().size(), 50u);
  // Copy and import stop there too: a list is never read past the limit.
  EXPECT_FALSE(store.copy(0).done);
  profiles::wirtejsonFile((root / "in.json").string(), profiles::makeProfileDocument(factoryDocument(), "X", "x"));
  EXPECT_FALSE(store.importFrom((root / "in.json").string(), 0).done);
  EXPECT_EQ(names().size(), 50u);
}

TEST_F(ProfileStoreTest, AddWithoutFactoryMakesADocumentWithNameAndIdOnly) {
  fs::remove(factory);
  makeList({"Profile 1"});
  const ProfileStore::Change c = store.add();
  ASSERT_TRUE(c.done);
  const Json::Value doc = document(c.id);
  EXPECT_EQ(doc.getMemberNames(), (std::vector<std::string>{"profileUUID", "profilename"}));
}

TEST_F(ProfileStoreTest, DeleteRemovesTheDocumentAndSelectsThePreviousEntry) {
  makeList({"A", "B", "C"}, 2);
  ProfileStore::Change c = store.remove(2);
  ASSERT_TRUE(c.done);
  EXPECT_EQ(c.index, 1);
  EXPECT_EQ(store.read().select, 1);
  EXPECT_FALSE(fs::exists(store.documentPath("id_2")));
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));

  c = store.remove(0);
  ASSERT_TRUE(c.done);
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"B"}));
  EXPECT_FALSE(store.remove(0).done);
  EXPECT_TRUE(fs::exists(store.documentPath("id_1")));
}

TEST_F(ProfileStoreTest, DeleteKeepsADocumentThatAnotherEntryStillNames) {
  profiles::ProfileList list;
  for (const char* n : {"A", "B"}) list.entries.push_back({n, "shared", profiles::profileEntryJson(n, "shared")});
  profiles::writeProfileList(store.listPath(), list);
  profiles::wirtejsonFile(store.documentPath("shared"), factoryDocument());
  ASSERT_TRUE(store.remove(1).done);
  EXPECT_TRUE(fs::exists(store.documentPath("shared")));
}

TEST_F(ProfileStoreTest, CopyChainsAndCarriesTheDocument) {
  makeList({"A", "A Copy"});
  Json::Value doc = document("id_0");
  doc["Device"][0]["LightInfo"]["SelectItem"] = 9;
  profiles::wirtejsonFile(store.documentPath("id_0"), doc);
  const ProfileStore::Change c = store.copy(0);
  ASSERT_TRUE(c.done);
  EXPECT_EQ(c.name, "A Copy Copy");
  EXPECT_EQ(document(c.id)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
  EXPECT_EQ(document(c.id)["profileUUID"].asString(), c.id);
  EXPECT_EQ(store.read().select, 0);
  EXPECT_FALSE(store.copy(-1).done);
}

TEST_F(ProfileStoreTest, ImportSuffixesAccumulateAndBadFilesAreIgnored) {
  makeList({"A", "a(1)"});
  Json::Value in = factoryDocument();
  in["profilename"] = "A";
  in["profileUUID"] = "../../elsewhere";
  in["Device"][0]["LightInfo"]["SelectItem"] = 7;
  const std::string path = (root / "in.json").string();
  profiles::wirtejsonFile(path, in);
  const ProfileStore::Change c = store.importFrom(path, 0);
  ASSERT_TRUE(c.done);
  EXPECT_EQ(c.name, "A(1)(2)");
  EXPECT_NE(c.id, "../../elsewhere");
  EXPECT_EQ(document(c.id)["profileUUID"].asString(), c.id);
  EXPECT_EQ(document(c.id)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);

  in.removeMember("profileUUID");
  profiles::wirtejsonFile(path, in);
  EXPECT_FALSE(store.importFrom(path, 0).done);
  std::ofstream(path) << "not json";
  EXPECT_FALSE(store.importFrom(path, 0).done);
  EXPECT_FALSE(store.importFrom((root / "missing.json").string(), 0).done);
  EXPECT_EQ(names().size(), 3u);
}

TEST_F(ProfileStoreTest, ExportWritesTheSelectedDocument) {
  makeList({"A", "B"});
  const std::string out = (root / "out.json").string();
  ASSERT_TRUE(store.exportTo(out, 1));
  EXPECT_EQ(profiles::readJsonDocument(out), document("id_1"));
  std::string text;
  std::getline(std::ifstream(out), text, '\0');
  EXPECT_EQ(text.back(), '\n');
  EXPECT_FALSE(store.exportTo("", 1));
  EXPECT_FALSE(store.exportTo(out, -1));
  fs::remove(store.documentPath("id_0"));
  EXPECT_FALSE(store.exportTo((root / "none.json").string(), 0));
  EXPECT_FALSE(fs::exists(root / "none.json"));
}

TEST_F(ProfileStoreTest, ResetKeepsCustomEqualisersOnlyWhenAsked) {
  makeList({"Mine"});
  Json::Value doc = document("id_0");
  doc["Device"][0]["LightInfo"]["SelectItem"] = 12;
  doc["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Bass";
  doc["Device"][0]["CustomEQHzValueInfo"][0]["Value"] = 5;
  profiles::wirtejsonFile(store.documentPath("id_0"), doc);

  ASSERT_EQ(store.reset(0, true), ProfileStore::Result::Done);
  Json::Value after = document("id_0");
  EXPECT_EQ(after["profilename"].asString(), "Mine");
  EXPECT_EQ(after["profileUUID"].asString(), "id_0");
  EXPECT_EQ(after["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "Bass");
  EXPECT_EQ(after["Device"][0]["CustomEQHzValueInfo"][0]["Value"].asInt(), 5);

  ASSERT_EQ(store.reset(0, false), ProfileStore::Result::Done);
  after = document("id_0");
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"].size(), 0u);

  // A document that cannot be read is kept aside before the reset.
  std::ofstream(store.documentPath("id_0")) << "{ damaged";
  ASSERT_EQ(store.reset(0, true), ProfileStore::Result::Done);
  std::string kept;
  std::getline(std::ifstream(store.documentPath("id_0") + ".damaged"), kept, '\0');
  EXPECT_EQ(kept, "{ damaged");
  EXPECT_EQ(document("id_0")["profilename"].asString(), "Mine");
}

TEST_F(ProfileStoreTest, RenameChangesListAndDocumentAndRefusesClashes) {
  makeList({"A", "B"});
  using R = ProfileStore::Result;
  EXPECT_EQ(store.rename(0, "a"), R::Done);  // its own name in another case
  EXPECT_EQ(store.rename(0, "b"), R::Clash);
  EXPECT_EQ(store.rename(0, "  "), R::Refused);
  EXPECT_EQ(store.rename(-1, "C"), R::Refused);
  EXPECT_EQ(store.rename(1, "Games"), R::Done);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "Games"}));
  EXPECT_EQ(document("id_1")["profilename"].asString(), "Games");
}

TEST_F(ProfileStoreTest, AFailedListWriteChangesNothing) {
  makeList({"A"});
  profiles::testing::setWriteFault(profiles::testing::WriteFault::Rename);
  const ProfileStore::Change c = store.add();
  EXPECT_EQ(store.rename(0, "B"), ProfileStore::Result::WriteFailed);
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
  EXPECT_FALSE(c.done);
  EXPECT_TRUE(c.writeFailed);
  EXPECT_EQ(names(), (std::vector<std::string>{"A"}));
  EXPECT_EQ(documentIds(), (std::vector<std::string>{"id_0"}));
  EXPECT_EQ(document("id_0")["profilename"].asString(), "A");
}
