#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "macros/file_bytes.h"
#include "macros/key_tables.h"
#include "macros/macro_model.h"
#include "macros/temp_folder.h"
#include "profiles/json_file.h"

namespace kavro::macros {
namespace {

namespace fs = std::filesystem;
using test::dataFile;
using test::fileBytes;
using test::TempFolder;
using test::writeBytes;

// A clock that stands still unless a test moves it.
struct FixedClock {
  std::chrono::system_clock::time_point now{std::chrono::milliseconds(1700000000123)};
  MacroModel::Clock fn() {
    return [this] { return now; };
  }
};

class MacroModelTest : public ::testing::Test {
 protected:
  void TearDown() override {
    profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
    testing::setByteWriteFailure(false);
  }
  Json::Value index() const { return profiles::readJsonDocument(dir.file("macro.config")); }

  TempFolder dir;
  FixedClock clock;
  MacroModel model{dir.path(), clock.fn()};
};

const std::vector<MacroEvent> kSteps = {
    {kTypeModifierKey, kModLShift, true, 0},
    {kTypeKey, 0x16, true, 35},
    {kTypeKey, 0x16, false, 70000},
    {kTypeModifierKey, kModLShift, false, 0},
};

TEST_F(MacroModelTest, MissingOrDamagedIndexGivesEmptyList) {
  model.loadIndex();
  EXPECT_EQ(model.count(), 0u);
  writeBytes(dir.file("macro.config"), "{ \"MacroInfo\": [ ");
  model.loadIndex();
  EXPECT_EQ(model.count(), 0u);
  writeBytes(dir.file("macro.config"), "[1, 2, 3]");
  model.loadIndex();
  EXPECT_EQ(model.count(), 0u);
  // A folder given without its trailing separator still works.
  MacroModel plain(dir.path().substr(0, dir.path().size() - 1));
  EXPECT_EQ(plain.indexPath(), dir.file("macro.config"));
}

TEST_F(MacroModelTest, AddNamesIdsAndIndexFile) {
  model.loadIndex();
  EXPECT_EQ(model.addMacro(), "Macro_1");
  EXPECT_EQ(model.addMacro(), "Macro_2");
  ASSERT_EQ(model.count(), 2u);
  const std::regex idForm(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
  EXPECT_TRUE(std::regex_match(model.macros()[0].id, idForm)) << model.macros()[0].id;
  // The clock stood still: the second id moved on instead of sharing a file.
  EXPECT_NE(model.macros()[0].id, model.macros()[1].id);
  EXPECT_EQ(model.macros()[0].id.substr(20), "123");
  EXPECT_EQ(model.macros()[1].id.substr(20), "124");

  const Json::Value info = index()["MacroInfo"];
  ASSERT_EQ(info.size(), 2u);
  EXPECT_EQ(info[1]["MacroName"].asString(), "Macro_2");
  EXPECT_EQ(info[1]["Guid"].asString(), model.macros()[1].id);
  // No event file until the macro is saved.
  EXPECT_FALSE(fs::exists(model.eventFilePath(0)));

  MacroModel reread(dir.path());
  reread.loadIndex();
  EXPECT_EQ(reread.macros(), model.macros());
}

TEST_F(MacroModelTest, FiftyMacrosAtMostAndNamingGaps) {
  writeBytes(dir.file("macro.config"),
             R"({"MacroInfo":[{"MacroName":"Macro_1","Guid":"a"},{"MacroName":"macro_2","Guid":"b"}]})");
  model.loadIndex();
  EXPECT_EQ(model.addMacro(), "Macro_3");
  while (model.count() < kMaxMacros) ASSERT_FALSE(model.addMacro().empty());
  const std::string before = fileBytes(dir.file("macro.config"));
  EXPECT_EQ(model.addMacro(), "");
  EXPECT_EQ(model.importMacro(dataFile("foreign_export.mac")), "");
  EXPECT_EQ(model.count(), kMaxMacros);
  EXPECT_EQ(fileBytes(dir.file("macro.config")), before);

  // Deleting Macro_2 frees its name; the new macro goes last.
  ASSERT_TRUE(model.deleteMacro(1));
  EXPECT_EQ(model.addMacro(), "Macro_2");
  EXPECT_EQ(model.macros().back().name, "Macro_2");
}

TEST_F(MacroModelTest, SaveAndLoadEvents) {
  model.loadIndex();
  model.addMacro();
  EXPECT_TRUE(model.loadEvents(0).empty());  // not saved yet
  ASSERT_TRUE(model.saveEvents(0, kSteps));

  const Json::Value doc = profiles::readJsonDocument(model.eventFilePath(0));
  EXPECT_EQ(doc["MacroName"].asString(), "Macro_1");
  EXPECT_EQ(doc["Guid"].asString(), model.macros()[0].id);
  EXPECT_EQ(doc["Version"].asInt(), 64);
  for (const auto& e : doc["Events"]) EXPECT_TRUE(e["Delay"].isString());
  EXPECT_EQ(doc["Events"][2]["Delay"].asString(), "65535");

  auto expected = kSteps;
  expected[2].delay = 65535;
  EXPECT_EQ(model.loadEvents(0), expected);
  EXPECT_TRUE(model.loadEvents(7).empty());
  EXPECT_FALSE(model.saveEvents(7, kSteps));
}

TEST_F(MacroModelTest, LoadAcceptsIntegerFirstDelay) {
  model.loadIndex();
  model.addMacro();
  fs::copy_file(dataFile("recorded_integer_delay.mac"), model.eventFilePath(0));
  const auto events = model.loadEvents(0);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0], (MacroEvent{kTypeModifierKey, 2, true, 0}));
  EXPECT_EQ(events[1].delay, 35);
}

TEST_F(MacroModelTest, FailedWritesLoseNothing) {
  model.loadIndex();
  model.addMacro();
  ASSERT_TRUE(model.saveEvents(0, kSteps));
  const std::string saved = fileBytes(model.eventFilePath(0));
  const std::string savedIndex = fileBytes(dir.file("macro.config"));

  profiles::testing::setWriteFault(profiles::testing::WriteFault::Rename);
  EXPECT_FALSE(model.saveEvents(0, {}));
  EXPECT_EQ(model.addMacro(), "");
  EXPECT_FALSE(model.deleteMacro(0));
  EXPECT_EQ(model.renameMacro(0, "New"), MacroModel::RenameResult::WriteFailed);
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);

  EXPECT_EQ(fileBytes(model.eventFilePath(0)), saved);
  EXPECT_EQ(fileBytes(dir.file("macro.config")), savedIndex);
  ASSERT_EQ(model.count(), 1u);
  EXPECT_EQ(model.macros()[0].name, "Macro_1");
  EXPECT_EQ(model.loadEvents(0).size(), kSteps.size());
}

TEST_F(MacroModelTest, RenameRulesAndEffect) {
  model.loadIndex();
  model.addMacro();
  model.addMacro();
  ASSERT_TRUE(model.saveEvents(0, kSteps));
  const std::string id = model.macros()[0].id;
  using R = MacroModel::RenameResult;
  EXPECT_EQ(model.renameMacro(0, ""), R::EmptyName);
  EXPECT_EQ(model.renameMacro(0, "two words"), R::HasSpace);
  EXPECT_EQ(model.renameMacro(0, "MACRO_2"), R::NameTaken);
  EXPECT_EQ(model.renameMacro(0, "macro_1"), R::NameTaken);  // its own name, other case
  EXPECT_EQ(model.renameMacro(5, "Free"), R::NoSuchMacro);

  EXPECT_EQ(model.renameMacro(0, "Reload"), R::Renamed);
  EXPECT_EQ(model.macros()[0], (MacroEntry{"Reload", id}));
  EXPECT_EQ(index()["MacroInfo"][0]["MacroName"].asString(), "Reload");
  // The event file keeps the old name until the next save.
  const auto doc = profiles::readJsonDocument(model.eventFilePath(0));
  EXPECT_EQ(doc["MacroName"].asString(), "Macro_1");
  EXPECT_EQ(model.loadEvents(0).size(), kSteps.size());
}

TEST_F(MacroModelTest, DeleteRemovesEntryAndEventFile) {
  model.loadIndex();
  model.addMacro();
  model.addMacro();
  model.saveEvents(0, kSteps);
  model.saveEvents(1, kSteps);
  const std::string gone = model.eventFilePath(0);
  const std::string kept = model.eventFilePath(1);
  ASSERT_TRUE(model.deleteMacro(0));
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_TRUE(fs::exists(kept));
  ASSERT_EQ(model.count(), 1u);
  EXPECT_EQ(model.macros()[0].name, "Macro_2");
  EXPECT_EQ(index()["MacroInfo"].size(), 1u);
  EXPECT_FALSE(model.deleteMacro(3));
}

TEST_F(MacroModelTest, HostileIndexCannotReachOtherFiles) {
  TempFolder outside;
  fs::create_directories(dir.file("sub"));
  MacroModel sub(dir.file("sub"), clock.fn());
  fs::copy_file(dataFile("hostile_index.config"), dir.file("sub/macro.config"));
  writeBytes(dir.file("victim.mac"), "precious");
  writeBytes(dir.file("sub/2024_01_02_03_04_05_006.mac"), "{}");
  sub.loadIndex();
  ASSERT_EQ(sub.count(), 6u);

  // "../victim" is never used as a file name.
  EXPECT_EQ(sub.eventFilePath(3), "");
  EXPECT_TRUE(sub.loadEvents(3).empty());
  EXPECT_FALSE(sub.saveEvents(3, kSteps));
  EXPECT_FALSE(sub.exportMacro(3, outside.file("x.mac")));
  ASSERT_TRUE(sub.deleteMacro(3));
  EXPECT_EQ(fileBytes(dir.file("victim.mac")), "precious");

  // "Twin" shares the first macro's id: deleting one keeps the shared file.
  ASSERT_TRUE(sub.deleteMacro(4));
  EXPECT_TRUE(fs::exists(dir.file("sub/2024_01_02_03_04_05_006.mac")));

  // Members we do not know survive rewrites; damaged entries keep their place.
  EXPECT_EQ(sub.renameMacro(1, "Fixed"), MacroModel::RenameResult::Renamed);
  const auto doc = profiles::readJsonDocument(dir.file("sub/macro.config"));
  EXPECT_EQ(doc["Extra"].asString(), "kept");
  EXPECT_EQ(doc["MacroInfo"][0]["Note"].asInt(), 1);
  EXPECT_EQ(doc["MacroInfo"][1]["MacroName"].asString(), "Fixed");
  EXPECT_EQ(doc["MacroInfo"].size(), 4u);
}

TEST_F(MacroModelTest, ExportAndImportAreByteForByte) {
  model.loadIndex();
  const std::string source = dataFile("foreign_export.mac");
  EXPECT_EQ(model.importMacro(source), "Macro_1");
  ASSERT_EQ(model.count(), 1u);
  EXPECT_EQ(fileBytes(model.eventFilePath(0)), fileBytes(source));
  // Imported steps load; the file keeps its foreign name and id until saved.
  EXPECT_EQ(model.loadEvents(0), (std::vector<MacroEvent>{{1, 1, true, 15}, {1, 1, false, 250}}));

  TempFolder out;
  ASSERT_TRUE(model.exportMacro(0, out.file("copy.mac")));
  EXPECT_EQ(fileBytes(out.file("copy.mac")), fileBytes(source));

  // An empty file is copied as it is.
  writeBytes(out.file("empty.mac"), "");
  EXPECT_EQ(model.importMacro(out.file("empty.mac")), "Macro_2");
  EXPECT_TRUE(fs::exists(model.eventFilePath(1)));
  EXPECT_TRUE(model.loadEvents(1).empty());
}

TEST_F(MacroModelTest, FailedImportOrExportAddsNothing) {
  model.loadIndex();
  TempFolder out;
  EXPECT_EQ(model.importMacro(out.file("missing.mac")), "");
  EXPECT_EQ(model.importMacro(out.path()), "");  // a folder, not a file
  testing::setByteWriteFailure(true);
  EXPECT_EQ(model.importMacro(dataFile("foreign_export.mac")), "");
  testing::setByteWriteFailure(false);
  EXPECT_EQ(model.count(), 0u);
  EXPECT_EQ(index()["MacroInfo"].size(), 0u);

  model.addMacro();
  EXPECT_FALSE(model.exportMacro(0, out.file("unsaved.mac")));  // nothing saved yet
  EXPECT_FALSE(fs::exists(out.file("unsaved.mac")));
  model.saveEvents(0, kSteps);
  EXPECT_FALSE(model.exportMacro(0, out.file("no/such/folder.mac")));
  // Leftover temporary files would pile up in the user's folders.
  for (const auto& f : fs::directory_iterator(out.path())) ADD_FAILURE() << f.path();
}

TEST(VexorMacroNames, ReadsNamesOnly) {
  TempFolder dir;
  EXPECT_TRUE(readVexorMacroNames(dir.path()).empty());
  writeBytes(dir.file("vexor_macro.config"),
             R"({"MacroInfo":[{"MacroName":"Burst"},{"MacroName":"Reload","Guid":"x"},3]})");
  EXPECT_EQ(readVexorMacroNames(dir.path()), (std::vector<std::string>{"Burst", "Reload", ""}));
}

}  // namespace
}  // namespace kavro::macros
