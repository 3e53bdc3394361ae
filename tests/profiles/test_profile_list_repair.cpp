// Opening a profile list that is damaged, unreadable, oversized, not a file
// or missing: what the user has afterwards (every profile listed with its
// name), the copy kept of the damaged list, and that nothing is created
// while the list cannot be kept.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include <sys/stat.h>

#include "profiles/file_care.h"
#include "profiles/json_file.h"
#include "profiles/profile_list_repair.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

using test::runAsUser;

std::vector<std::string> sortedNames(const ProfileList& list) {
  std::vector<std::string> names;
  for (const auto& e : list.entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> jsonFilesIn(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().extension() == ".Json") files.push_back(e.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ProfileListRepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::chmod(dir.path().c_str(), 0777);  // the unprivileged runs work in it too
    fs::create_directories(folder());
    ::chmod(folder().c_str(), 0777);
    Json::Value factory;
    factory["Device"][0]["LightInfo"]["SelectItem"] = 4;
    ASSERT_EQ(wirtejsonFile(factoryPath(), factory), 0);
  }
  std::string folder() const { return dir.file("keyboard"); }
  std::string factoryPath() const { return dir.file("keyboard-factory.Json"); }
  std::string listPath() const { return folder() + "/ProfileList.ini"; }
  std::string docPath(const std::string& id) const { return folder() + "/" + id + ".Json"; }
  void writeDoc(const std::string& id, const std::string& name) {
    Json::Value doc;
    doc["Device"][0]["LightInfo"]["SelectItem"] = 9;
    ASSERT_EQ(wirtejsonFile(docPath(id), makeProfileDocument(doc, name, id)), 0);
  }
  // The user's three profiles: documents and a good list naming them.
  std::string writeUsersProfiles() {
    writeDoc("id_a", "Work");
    writeDoc("id_b", "Games");
    writeDoc("id_c", "Profile 1");
    ProfileList list;
    for (const char* id : {"id_a", "id_b", "id_c"}) list.entries.push_back({"?", id, profileEntryJson("?", id)});
    list.entries[0].name = "Work", list.entries[1].name = "Games", list.entries[2].name = "Profile 1";
    return styledJsonText(profileListToJson(list));
  }

  TempDir dir;
  const std::vector<std::string> usersNames{"Games", "Profile 1", "Work"};
};

struct DamageCase {
  const char* what;
  // Damages the list at path, given the good list's text; returns the bytes
  // the kept copy must hold (nullopt: the copy is the file itself, moved).
  std::function<std::optional<std::string>(const std::string& path, const std::string& good)> damage;
  bool unprivileged = false;
};

std::optional<std::string> writeBytes(const std::string& path, const std::string& bytes) {
  test::writeText(path, bytes);
  return bytes;
}

const std::vector<DamageCase>& damageCases() {
  static const std::vector<DamageCase> cases = {
      {"empty", [](auto& p, auto&) { return writeBytes(p, ""); }},
      {"garbage", [](auto& p, auto&) { return writeBytes(p, "\x01\x02 not json {"); }},
      {"truncated", [](auto& p, auto& good) { return writeBytes(p, good.substr(0, good.size() / 2)); }},
      {"wrong types", [](auto& p, auto&) { return writeBytes(p, R"({"profilelist": "Work", "profileselect": "x"})"); }},
      {"wrong entries",
       [](auto& p, auto&) {
         return writeBytes(p, R"({"profilelist": [5, {"profilename": 7, "profileUUID": "id_b"},
                                 {"profilename": "Evil", "profileUUID": "../../x"}], "profileselect": 1})");
       }},
      {"too large",
       [](auto& p, auto&) -> std::optional<std::string> {
         test::writeText(p, "{\"profilelist\": [" + std::string(kMaxProfileListBytes, ' ') + "]}");
         return std::nullopt;
       }},
      {"FIFO",
       [](auto& p, auto&) -> std::optional<std::string> {
         EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
         return std::nullopt;
       }},
      {"symlink loop",
       [](auto& p, auto&) -> std::optional<std::string> {
         EXPECT_EQ(::symlink("ProfileList.ini", p.c_str()), 0);
         return std::nullopt;
       }},
      {"unreadable",
       [](auto& p, auto& good) -> std::optional<std::string> {
         test::writeText(p, good);
         ::chmod(p.c_str(), 0);
         return std::nullopt;
       },
       true},
  };
  return cases;
}

}  // namespace

TEST_F(ProfileListRepairTest, EveryDamagedListIsKeptAsideAndRebuiltWithTheUsersProfiles) {
  for (const DamageCase& c : damageCases()) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder());
    fs::create_directories(folder());
    ::chmod(folder().c_str(), 0777);
    const std::string good = writeUsersProfiles();
    const std::optional<std::string> keptBytes = c.damage(listPath(), good);
    struct stat before {};
    ASSERT_EQ(::lstat(listPath().c_str(), &before), 0);

    OpenedProfileList opened;
    auto open = [&] {
      opened = openProfileList(folder(), factoryPath());
      return opened.kept && opened.rebuilt && !opened.created;
    };
    ASSERT_TRUE(c.unprivileged ? runAsUser(open) : open());

    // What the user sees: the same three profiles with their names.
    EXPECT_EQ(sortedNames(readProfileList(listPath())), usersNames);
    EXPECT_EQ(jsonFilesIn(folder()), (std::vector<std::string>{"id_a.Json", "id_b.Json", "id_c.Json"}));
    // The damaged list is kept: a copy of its bytes, or the file itself moved.
    const std::string copy = damagedCopyName(listPath(), 1);
    struct stat kept {};
    ASSERT_EQ(::lstat(copy.c_str(), &kept), 0);
    if (keptBytes) {
      EXPECT_EQ(test::readText(copy), *keptBytes);
    } else {
      EXPECT_EQ(kept.st_ino, before.st_ino);
    }
  }
}

TEST_F(ProfileListRepairTest, GoodEntriesOfADamagedListKeepTheirOrderAndSelection) {
  writeDoc("id_a", "Work");
  writeDoc("id_b", "Games");
  writeDoc("id_z", "Old");
  test::writeText(listPath(), R"({"profilelist": [{"profilename": "Games", "profileUUID": "id_b"}, 7,
      {"profilename": 3, "profileUUID": "id_a"}, {"profilename": "Gone", "profileUUID": "id_gone"}],
      "profileselect": 2})");
  const OpenedProfileList opened = openProfileList(folder(), factoryPath());
  ASSERT_EQ(opened.list.entries.size(), 4u);
  // Listed entries first (a name that was not text comes from the document),
  // then the documents the list lost.
  EXPECT_EQ(opened.list.entries[0].name, "Games");
  EXPECT_EQ(opened.list.entries[1].name, "Work");
  EXPECT_EQ(opened.list.entries[2].name, "Gone");
  EXPECT_EQ(opened.list.entries[3].name, "Old");
  EXPECT_EQ(opened.list.select, 2);
  EXPECT_EQ(opened.damagedCopy, damagedCopyName(listPath(), 1));
}

TEST_F(ProfileListRepairTest, DocumentsWithoutNamesOrNotOursAreHandled) {
  writeDoc("id_a", "Profile 1");
  writeDoc("id_b", "  ");  // no usable name
  test::writeText(docPath("id_c"), "damaged");
  // An export saved into the folder names another profile: not ours.
  Json::Value exported = makeProfileDocument(Json::Value(), "Export", "id_a");
  ASSERT_EQ(wirtejsonFile(docPath("my export"), exported), 0);
  fs::create_directories(docPath("id_dir"));
  const OpenedProfileList opened = openProfileList(folder(), factoryPath());
  std::vector<std::string> ids;
  for (const auto& e : opened.list.entries) ids.push_back(e.id + "=" + e.name);
  EXPECT_EQ(ids, (std::vector<std::string>{"id_a=Profile 1", "id_b=Profile 2", "id_c=Profile 3"}));
}

TEST_F(ProfileListRepairTest, MoreThanTheLimitKeepsTheFirstFiftyAndTheWholeListAside) {
  ProfileList list;
  for (int i = 0; i < 60; ++i) {
    const std::string id = "p" + std::to_string(100 + i);
    writeDoc(id, "P" + std::to_string(i));
    list.entries.push_back({"P" + std::to_string(i), id, profileEntryJson("P" + std::to_string(i), id)});
  }
  ASSERT_EQ(writeProfileList(listPath(), list), 0);
  const std::string original = test::readText(listPath());

  const OpenedProfileList opened = openProfileList(folder(), factoryPath());
  ASSERT_EQ(opened.list.entries.size(), 50u);
  EXPECT_EQ(opened.list.entries.front().name, "P0");
  EXPECT_EQ(opened.list.entries.back().name, "P49");
  EXPECT_EQ(readProfileList(listPath()).entries.size(), 50u);
  EXPECT_EQ(test::readText(opened.damagedCopy), original);
  EXPECT_TRUE(fs::exists(docPath("p159")));  // the surplus documents stay
}

TEST_F(ProfileListRepairTest, AHugeListIsRefusedUnreadAndTheFolderRebuildsIt) {
  writeUsersProfiles();
  // 100,000 entries, about 15 MB: larger than any list of fifty profiles.
  std::string text = "{\"profilelist\": [";
  for (int i = 0; i < 100000; ++i) {
    text += "{\"profilename\": \"Profile " + std::to_string(i) + "\", \"profileUUID\": \"2024_01_01_00_00_00_" +
            std::to_string(i) + "\", \"profileislink\": 0, \"profilelinkmame\": \"\"},\n";
  }
  text += "{}], \"profileselect\": 0}";
  test::writeText(listPath(), text);
  const OpenedProfileList opened = openProfileList(folder(), factoryPath());
  EXPECT_EQ(sortedNames(opened.list), usersNames);
  EXPECT_EQ(fs::file_size(opened.damagedCopy), text.size());
}

TEST_F(ProfileListRepairTest, AFolderInPlaceOfTheListIsLeftAndNothingIsCreated) {
  fs::create_directories(listPath());
  OpenedProfileList opened = openProfileList(folder(), factoryPath());
  EXPECT_FALSE(opened.kept);
  EXPECT_TRUE(opened.created);
  ASSERT_EQ(opened.list.entries.size(), 1u);
  EXPECT_TRUE(jsonFilesIn(folder()).empty());
  EXPECT_TRUE(fs::is_directory(listPath()));

  // With the user's documents there, they are listed in memory; a second
  // start creates nothing either.
  writeUsersProfiles();
  for (int start = 0; start < 2; ++start) {
    opened = openProfileList(folder(), factoryPath());
    EXPECT_FALSE(opened.kept);
    EXPECT_EQ(sortedNames(opened.list), usersNames);
    EXPECT_EQ(jsonFilesIn(folder()).size(), 3u);
  }
}

TEST_F(ProfileListRepairTest, AListThatCannotBeWrittenCreatesNothing) {
  ::chmod(folder().c_str(), 0555);
  OpenedProfileList opened;
  EXPECT_TRUE(runAsUser([&] {
    opened = openProfileList(folder(), factoryPath());
    return !opened.kept && opened.created && opened.list.entries.size() == 1;
  }));
  EXPECT_TRUE(fs::is_empty(folder()));
}

TEST_F(ProfileListRepairTest, AGoodListStaysAsItIsAndListsDocumentsItLost) {
  const std::string good = writeUsersProfiles();
  test::writeText(listPath(), good);
  OpenedProfileList opened = openProfileList(folder(), factoryPath());
  EXPECT_TRUE(opened.kept);
  EXPECT_FALSE(opened.rebuilt);
  EXPECT_EQ(test::readText(listPath()), good);

  writeDoc("id_d", "Work");  // an add cut short; its name clashes
  opened = openProfileList(folder(), factoryPath());
  EXPECT_FALSE(opened.rebuilt);
  ASSERT_EQ(opened.list.entries.size(), 4u);
  EXPECT_EQ(opened.list.entries[3].name, "Work(1)");
  EXPECT_TRUE(opened.damagedCopy.empty());
  EXPECT_FALSE(fs::exists(damagedCopyName(listPath(), 1)));
}

TEST_F(ProfileListRepairTest, FirstStartMakesProfileOneFromTheFactory) {
  const OpenedProfileList opened = openProfileList(folder(), factoryPath());
  EXPECT_TRUE(opened.created && opened.kept);
  ASSERT_EQ(opened.list.entries.size(), 1u);
  const Json::Value doc = readJsonDocument(docPath(opened.list.entries[0].id));
  EXPECT_EQ(doc["profilename"].asString(), "Profile 1");
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
  EXPECT_EQ(openProfileList(folder(), factoryPath()).list.entries[0].id, opened.list.entries[0].id);
}

TEST(DamagedCopies, FreeNamesAreUsedAndTheLastIsReplacedWhenAllAreTaken) {
  TempDir dir;
  const std::string path = dir.file("ProfileList.ini");
  for (int i = 1; i <= kMaxDamagedCopies + 2; ++i) {
    test::writeText(path, "v" + std::to_string(i));
    const std::string copy = keepDamagedCopy(path, i % 2 ? std::string() : "v" + std::to_string(i));
    EXPECT_EQ(copy, damagedCopyName(path, std::min(i, kMaxDamagedCopies)));
  }
  EXPECT_EQ(test::readText(damagedCopyName(path, 1)), "v1");
  EXPECT_EQ(test::readText(damagedCopyName(path, kMaxDamagedCopies)), "v11");
  EXPECT_EQ(damagedCopyName(path, 2), path + ".damaged-2");
}

}  // namespace kavro::profiles
