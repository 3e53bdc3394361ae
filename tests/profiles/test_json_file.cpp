#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/debug.h"
#include "profiles/file_care.h"
#include "profiles/json_file.h"
#include "profile_test_util.h"

namespace kavro::profiles {
namespace {
using test::TempDir;

class JsonFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dbg::setCapture([this](const std::string& line) { lines.push_back(line); });
  }
  void TearDown() override {
    dbg::setCapture({});
    testing::setWriteFault(testing::WriteFault::None);
  }
  std::vector<std::string> lines;
  TempDir dir;
};

TEST_F(JsonFileTest, WriteThenReadGivesSameDocumentInStyledTextWithOneNewline) {
  Json::Value doc;
  doc["profilename"] = "Profile 1";
  doc["Device"][0]["LightInfo"]["Red"] = 255;
  ASSERT_EQ(wirtejsonFile(dir.file("a.Json"), doc), 0);
  std::string text = test::readText(dir.file("a.Json"));
  EXPECT_NE(text.find("\n   \"Device\""), std::string::npos);  // indented, multi-line
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_NE(text[text.size() - 2], '\n');
  EXPECT_EQ(readJsonDocument(dir.file("a.Json")), doc);
}

TEST_F(JsonFileTest, TracesCarryTheErrorCode) {
  readJsonDocument(dir.file("missing.Json"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], dbg::format("readjsonFile 错误吗：：%d\n", ENOENT));
  lines.clear();
  wirtejsonFile(dir.file("b.Json"), Json::Value(1));
  readjsonFile(dir.file("b.Json"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "wirtejsonFile 错误吗：：0\n");
  EXPECT_EQ(lines[1], "readjsonFile 错误吗：：0\n");
}

TEST_F(JsonFileTest, BadFilesReadAsNull) {
  const std::vector<std::string> bad = {
      "",                             // empty
      "{\"Device\": [ {\"Light",      // truncated
      "\x01\x02garbage\xFF",          // binary
      std::string(100000, '['),       // deep nesting
      "[" + std::string(100000, '{'), // deep nesting of objects
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    test::writeText(dir.file("bad.Json"), bad[i]);
    Json::Value v;
    ASSERT_NO_THROW(v = readJsonDocument(dir.file("bad.Json"))) << i;
    EXPECT_TRUE(v.isNull()) << i;
  }
  EXPECT_TRUE(readJsonDocument(dir.path()).isNull());  // a folder
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_TRUE(readJsonDocument(dir.file("fifo")).isNull());  // must not block
}

TEST_F(JsonFileTest, AcceptsCommentsByteOrderMarkAndModerateNesting) {
  test::writeText(dir.file("c.Json"), "\xEF\xBB\xBF// comment\n{\"a\": [[[[1]]]] /* x */}");
  Json::Value v = readJsonDocument(dir.file("c.Json"));
  EXPECT_EQ(v["a"][0][0][0][0].asInt(), 1);
}

TEST_F(JsonFileTest, RefusesOversizedFiles) {
  std::string path = dir.file("huge.Json");
  test::writeText(path, "{}");
  std::filesystem::resize_file(path, kMaxJsonFileBytes + 1);
  EXPECT_TRUE(readjsonFile(path).empty());
  EXPECT_TRUE(readJsonDocument(path).isNull());
}

TEST_F(JsonFileTest, FailedWriteLeavesOldFileAndNoTemporaryFiles) {
  const std::string path = dir.file("keep.Json");
  Json::Value old;
  old["v"] = 1;
  ASSERT_EQ(wirtejsonFile(path, old), 0);
  const std::string before = test::readText(path);
  Json::Value fresh;
  fresh["v"] = 2;
  for (auto fault : {testing::WriteFault::Create, testing::WriteFault::Write, testing::WriteFault::Sync,
                     testing::WriteFault::Rename}) {
    testing::setWriteFault(fault);
    EXPECT_EQ(wirtejsonFile(path, fresh), 1);
    EXPECT_EQ(test::readText(path), before);
  }
  testing::setWriteFault(testing::WriteFault::None);
  std::size_t count = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++count;
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(wirtejsonFile(path, fresh), 0);
  EXPECT_EQ(readJsonDocument(path)["v"].asInt(), 2);
}

TEST_F(JsonFileTest, ReadsTellMissingFromUnusableFiles) {
  EXPECT_EQ(readFileChecked(dir.file("none")).state, FileState::Missing);
  test::writeText(dir.file("empty"), "");
  EXPECT_EQ(readFileChecked(dir.file("empty")).state, FileState::Empty);
  test::writeText(dir.file("big"), "{}   ");
  EXPECT_EQ(readFileChecked(dir.file("big"), 4).state, FileState::TooLarge);
  EXPECT_EQ(readFileChecked(dir.file("big"), 5).bytes, "{}   ");
  EXPECT_EQ(readFileChecked(dir.path()).state, FileState::NotRegular);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  EXPECT_EQ(readFileChecked(dir.file("fifo")).state, FileState::NotRegular);
  ASSERT_EQ(::symlink("loop", dir.file("loop").c_str()), 0);
  const FileRead loop = readFileChecked(dir.file("loop"));
  EXPECT_EQ(loop.state, FileState::Unreadable);
  EXPECT_EQ(loop.error, ELOOP);
  EXPECT_EQ(readJsonDocumentChecked(dir.file("loop")).state, DocumentState::Unusable);
  EXPECT_EQ(readJsonDocumentChecked(dir.file("none")).state, DocumentState::Missing);

  ::chmod(dir.path().c_str(), 0755);
  test::writeText(dir.file("secret"), "{}");
  ::chmod(dir.file("secret").c_str(), 0);
  EXPECT_TRUE(test::runAsUser([&] {
    const FileRead r = readFileChecked(dir.file("secret"));
    return r.state == FileState::Unreadable && r.error == EACCES;
  }));
}

TEST(Temporaries, OnlyOurOwnNamingCounts) {
  EXPECT_TRUE(isTemporaryFileName("ProfileList.ini.tmp-aZ09xy"));
  EXPECT_TRUE(isTemporaryFileName("2024_01_01_10_00_00_000.Json.tmp-ABCDEF"));
  EXPECT_FALSE(isTemporaryFileName(".tmp-abcdef"));                // no file name before it
  EXPECT_FALSE(isTemporaryFileName("a.Json.tmp-abcde"));           // five letters
  EXPECT_FALSE(isTemporaryFileName("a.Json.tmp-abcdefg"));         // seven
  EXPECT_FALSE(isTemporaryFileName("a.Json.tmp-abc.ef"));
  EXPECT_FALSE(isTemporaryFileName("a.Json.damaged"));
  EXPECT_FALSE(isTemporaryFileName("notes.tmp"));
}

TEST(Temporaries, StaleOnesAreRemovedButNotFreshLockedOrForeignFiles) {
  TempDir dir;
  auto make = [&](const std::string& name, bool old) {
    test::writeText(dir.file(name), "x");
    if (!old) return;
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0);
  };
  make("ProfileList.ini.tmp-AAAAAA", true);   // left by a killed save: goes
  make("a.Json.tmp-BBBBBB", true);            // goes
  make("b.Json.tmp-CCCCCC", false);           // too young: may be a save running now
  make("c.Json.tmp-DDDDDD", true);            // locked by a save in progress
  make("notes.tmp", true);                    // not our naming
  make("ProfileList.ini", true);
  std::filesystem::create_directory(dir.file("d.Json.tmp-EEEEEE"));
  ASSERT_EQ(::symlink(dir.file("ProfileList.ini").c_str(), dir.file("e.Json.tmp-FFFFFF").c_str()), 0);
  const int held = ::open(dir.file("c.Json.tmp-DDDDDD").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);

  EXPECT_EQ(removeStaleTemporaries(dir.path()), 2);
  ::close(held);
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) left.push_back(e.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"ProfileList.ini", "b.Json.tmp-CCCCCC", "c.Json.tmp-DDDDDD",
                                            "d.Json.tmp-EEEEEE", "e.Json.tmp-FFFFFF", "notes.tmp"}));
  // Once the save is gone its temporary goes too.
  EXPECT_EQ(removeStaleTemporaries(dir.path()), 1);
}

TEST_F(JsonFileTest, WriteIntoMissingFolderFails) {
  EXPECT_EQ(wirtejsonFile(dir.file("no/such/folder.Json"), Json::Value(1)), 1);
  EXPECT_EQ(wirtejsonFile("", Json::Value(1)), 1);
}

TEST_F(JsonFileTest, NonAsciiTextRoundTrips) {
  Json::Value doc;
  doc["profilename"] = "配置 Ünïcode";
  ASSERT_EQ(wirtejsonFile(dir.file("u.Json"), doc), 0);
  EXPECT_EQ(readJsonDocument(dir.file("u.Json"))["profilename"].asString(), "配置 Ünïcode");
}

}  // namespace
}  // namespace kavro::profiles
