// The profile commands on real files in a temporary folder: naming rules,
// the limit, the selection after delete, import, export, reset and rename,
// and the feature tab rules per device type.
#include "panels/device_profile_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
  Json::Value document(const std::string& id) const { return profiles::readJsonDocument(store.documentPath(id)); }

  fs::path root;
  std::string factory;
  ProfileStore store;
};

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
  profiles::ProfileList list = store.init();
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].name, "Profile 1");
  const Json::Value doc = document(list.entries[0].id);
  EXPECT_EQ(doc["profilename"].asString(), "Profile 1");
  EXPECT_EQ(doc["profileUUID"].asString(), list.entries[0].id);
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);

  makeList({"A", "B"}, 1);
  list = store.init();
  EXPECT_EQ(names(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(list.select, 1);
}

TEST_F(ProfileStoreTest, InitReplacesADamagedList) {
  std::ofstream(store.listPath()) << "{ \"profilelist\": [ broken";
  const profiles::ProfileList list = store.init();
  EXPECT_EQ(names(), (std::vector<std::string>{"Profile 1"}));
  EXPECT_TRUE(fs::exists(store.documentPath(list.entries[0].id)));
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
  // Copy and import are not limited.
  EXPECT_TRUE(store.copy(0).done);
  profiles::wirtejsonFile((root / "in.json").string(), profiles::makeProfileDocument(factoryDocument(), "X", "x"));
  EXPECT_TRUE(store.importFrom((root / "in.json").string(), 0).done);
  EXPECT_EQ(names().size(), 52u);
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

  ASSERT_TRUE(store.reset(0, true));
  Json::Value after = document("id_0");
  EXPECT_EQ(after["profilename"].asString(), "Mine");
  EXPECT_EQ(after["profileUUID"].asString(), "id_0");
  EXPECT_EQ(after["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "Bass");
  EXPECT_EQ(after["Device"][0]["CustomEQHzValueInfo"][0]["Value"].asInt(), 5);

  ASSERT_TRUE(store.reset(0, false));
  after = document("id_0");
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"].size(), 0u);
}

TEST_F(ProfileStoreTest, RenameChangesListAndDocumentAndRefusesClashes) {
  makeList({"A", "B"});
  EXPECT_TRUE(store.rename(0, "a"));  // its own name in another case
  EXPECT_FALSE(store.rename(0, "b"));
  EXPECT_FALSE(store.rename(0, "  "));
  EXPECT_FALSE(store.rename(-1, "C"));
  EXPECT_TRUE(store.rename(1, "Games"));
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "Games"}));
  EXPECT_EQ(document("id_1")["profilename"].asString(), "Games");
}

TEST_F(ProfileStoreTest, AFailedListWriteChangesNothing) {
  makeList({"A"});
  profiles::testing::setWriteFault(profiles::testing::WriteFault::Rename);
  const ProfileStore::Change c = store.add();
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
  EXPECT_FALSE(c.done);
  EXPECT_EQ(names(), (std::vector<std::string>{"A"}));
  size_t documents = 0;
  for (const auto& e : fs::directory_iterator(root / "user")) documents += e.path().extension() == ".Json";
  EXPECT_EQ(documents, 1u);
}
