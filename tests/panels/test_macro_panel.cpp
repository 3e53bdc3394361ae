// The macro editor against real files: deleting a macro that keys use,
// moves at the ends, inserted clicks, delays typed into the rows, renames,
// import and export, and recording through the panel.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "fake_key_target.h"
#include "hook/hook_records.h"
#include "macros/key_function.h"
#include "macros/macro_files.h"
#include "macros/macro_key_rules.h"
#include "panels/macro_control.h"
#include "profiles/json_file.h"
#include "skin/controls.h"
#include "skin/qt_app.h"

using namespace kavro;
using namespace kavro::panels;

namespace {

constexpr profiles::KeyCodeBytes kDefaultA{0x20, 0, 0x04};
constexpr profiles::KeyCodeBytes kDefaultB{0x20, 0, 0x05};
constexpr profiles::KeyCodeBytes kDefaultC{0x20, 0, 0x06};

class MacroPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(dir.isValid());
    device = std::make_unique<test::FakeKeyDevice>(dir.path().toStdString() + "/");
    prompts = std::make_shared<test::ScriptedPrompts>();
    panel = std::make_unique<CMacroControlUI>();
    panel->setPrompts(prompts);
    panel->setFullSave([this] { ++fullSaves; });
    panel->setDevice(device.get());
  }
  void TearDown() override {
    panel.reset();
    device.reset();
    test::flushDeletes();
  }
  // A macro with steps a down, a up (10 ms each).
  void addMacroWithSteps() {
    panel->addMacro();
    macros::MacroStepList steps;
    steps.insert(0, {{macros::kTypeKey, 4, true, 10}});
    steps.insert(1, {{macros::kTypeKey, 4, false, 10}});
    ASSERT_TRUE(const_cast<macros::MacroModel*>(panel->model())->saveEvents(*panel->selectedMacro(), steps.events()));
    panel->reloadSteps();
  }
  Json::Value eventFile() const {
    const auto path = panel->model()->eventFilePath(*panel->selectedMacro());
    return profiles::readJsonDocument(path);
  }
  skin::CListUI* rows() const {
    return qobject_cast<skin::CListUI*>(panel->FindControlByName(QStringLiteral("macro_action_list")));
  }
  // The delay edit of row i.
  skin::CControlUI* delayEdit(int i) const {
    auto* row = qobject_cast<skin::CContainerUI*>(rows()->GetItemAt(i));
    return row ? row->GetItemAt(2) : nullptr;
  }
  hook::KeyInput key(int linuxKey, bool down, uint32_t time) {
    return hook::keyInputForLinuxKey(linuxKey, down, time);
  }

  QTemporaryDir dir;
  std::unique_ptr<test::FakeKeyDevice> device;
  std::shared_ptr<test::ScriptedPrompts> prompts;
  std::unique_ptr<CMacroControlUI> panel;
  int fullSaves = 0;
};

TEST_F(MacroPanelTest, DeletingAMacroThatKeysRunRenumbersThemAfterTwoQuestions) {
  for (int i = 0; i < 4; ++i) panel->addMacro();
  // Key 0 runs macro 2 (index 1), key 1 macro 3 (index 2), key 2 its default.
  device->keys = {test::keyItem(0, {0x70, 1, 0}, kDefaultA), test::keyItem(1, {0x71, 2, 5}, kDefaultB),
                  test::keyItem(2, kDefaultC, kDefaultC)};
  panel->selectMacro(1);
  const std::string gone = panel->model()->macros()[1].id;
  ASSERT_TRUE(panel->saveSteps());  // gives the macro an event file
  prompts->answers = {true, true};
  panel->deleteMacro();

  ASSERT_EQ(prompts->questions.size(), 2u);
  EXPECT_EQ(prompts->questions[0], "message_text_4");
  EXPECT_EQ(prompts->questions[1], "message_text_2");
  ASSERT_EQ(panel->model()->count(), 3u);
  EXPECT_FALSE(QFile::exists(dir.filePath(QString::fromStdString(gone) + ".mac")));
  EXPECT_EQ(device->keys[0].code, kDefaultA);
  EXPECT_EQ(device->keys[1].code, (profiles::KeyCodeBytes{0x71, 1, 5}));
  EXPECT_EQ(device->keys[2].code, kDefaultC);
  EXPECT_EQ(device->stores, 1);
  EXPECT_EQ(fullSaves, 1);
  EXPECT_GE(device->listChanges, 5);
  EXPECT_FALSE(panel->selectedMacro().has_value());
}

TEST_F(MacroPanelTest, AnsweringNoKeepsMacroAndKeys) {
  for (int i = 0; i < 2; ++i) panel->addMacro();
  device->keys = {test::keyItem(0, {0x70, 0, 0}, kDefaultA)};
  panel->selectMacro(0);
  prompts->answers = {false};
  panel->deleteMacro();
  prompts->answers = {true, false};  // the second question: the macro is in use
  panel->deleteMacro();
  EXPECT_EQ(panel->model()->count(), 2u);
  EXPECT_EQ(device->keys[0].code, (profiles::KeyCodeBytes{0x70, 0, 0}));
  EXPECT_EQ(fullSaves, 0);
}

TEST_F(MacroPanelTest, MovesAtTheEndsDoNothingAndEveryChangeIsWritten) {
  addMacroWithSteps();
  panel->selectStep(0);
  panel->moveStep("macro_btn_up");
  panel->moveStep("macro_btn_uptop");
  EXPECT_TRUE(panel->steps().at(0).event.down);
  panel->moveStep("macro_btn_downbottom");
  EXPECT_EQ(panel->steps().selected(), 1u);
  EXPECT_FALSE(eventFile()["Events"][0]["Action"].asString() == "down");
  panel->moveStep("macro_btn_down");  // already last
  EXPECT_EQ(panel->steps().selected(), 1u);
  EXPECT_EQ(rows()->GetCurSel(), 1);

  // A click puts press and release behind the selection; the file has them.
  panel->selectStep(0);
  ASSERT_TRUE(panel->insertMouseItem("right_click"));
  ASSERT_EQ(panel->steps().size(), 4u);
  const Json::Value events = eventFile()["Events"];
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1]["Type"].asInt(), macros::kTypeMouseButton);
  EXPECT_EQ(events[1]["Button"].asInt(), 2);
  EXPECT_EQ(events[1]["Action"].asString(), "down");
  EXPECT_EQ(events[2]["Action"].asString(), "up");
  EXPECT_EQ(events[1]["Delay"].asString(), "50");  // the constant delay
  EXPECT_EQ(rows()->GetCount(), 4);

  panel->deleteAllSteps();
  EXPECT_EQ(eventFile()["Events"].size(), 0u);
  EXPECT_EQ(rows()->GetCount(), 0);
}

TEST_F(MacroPanelTest, TypedDelaysAreCappedAndSavedAsText) {
  addMacroWithSteps();
  delayEdit(0)->SetText("70000");
  delayEdit(1)->SetText("abc");
  ASSERT_TRUE(panel->saveSteps());
  const Json::Value events = eventFile()["Events"];
  EXPECT_EQ(events[0]["Delay"], Json::Value("65535"));
  EXPECT_EQ(events[1]["Delay"], Json::Value("0"));
  EXPECT_EQ(delayEdit(0)->GetText(), "65535");
  // "Revert" reads the file again.
  delayEdit(0)->SetText("7");
  panel->reloadSteps();
  EXPECT_EQ(delayEdit(0)->GetText(), "65535");
}

TEST_F(MacroPanelTest, RenameRules) {
  panel->addMacro();
  panel->addMacro();
  auto* edit = panel->FindControlByName("macro_edit_macroname");
  edit->SetText("MACRO_1");  // another macro's name in other letter case
  panel->renameMacro();
  edit->SetText("two words");  // ignored without a message
  panel->renameMacro();
  ASSERT_EQ(prompts->notices.size(), 1u);
  EXPECT_EQ(prompts->notices[0], "message_text_5");
  edit->SetText("Jump");
  panel->renameMacro();
  EXPECT_EQ(panel->model()->macros()[1].name, "Jump");
  EXPECT_TRUE(edit->GetText().isEmpty());
  auto* names = qobject_cast<skin::CListUI*>(panel->FindControlByName("macro_name_list"));
  EXPECT_EQ(names->GetItemAt(1)->GetText(), "Jump");
}

TEST_F(MacroPanelTest, ExportThenImportCopiesTheFileAndAFailedImportSaysSo) {
  addMacroWithSteps();
  prompts->exportPath = dir.filePath("out.mac");
  panel->exportMacro();
  ASSERT_TRUE(QFile::exists(prompts->exportPath));
  prompts->importPath = prompts->exportPath;
  panel->importMacro();
  ASSERT_EQ(panel->model()->count(), 2u);
  EXPECT_EQ(panel->selectedMacro(), 1u);
  EXPECT_EQ(panel->steps().size(), 2u);
  prompts->importPath = dir.filePath("missing.mac");
  panel->importMacro();
  EXPECT_EQ(panel->model()->count(), 2u);
  ASSERT_EQ(prompts->notices.size(), 1u);
  EXPECT_EQ(prompts->notices[0], QString::fromLatin1(macros::kMessageMacroWriteFailed));
}

TEST_F(MacroPanelTest, RecordingAppendsInsertsAndKeepsTheDelayModes) {
  panel->addMacro();
  ASSERT_TRUE(panel->startRecording(hook::RecordDelayMode::Recorded));
  EXPECT_FALSE(panel->FindControlByName("macro_action_list")->IsEnabled());
  panel->recordKey(hook::Placement::Append, key(30, true, 1000));   // A
  panel->recordKey(hook::Placement::Append, key(30, true, 1030));   // held: dropped
  panel->recordKey(hook::Placement::Append, key(30, false, 1200));
  panel->recordKey(hook::Placement::Append, key(240, true, 1300));  // unknown key: dropped
  panel->stopRecording();
  ASSERT_EQ(panel->steps().size(), 2u);
  EXPECT_TRUE(panel->FindControlByName("macro_action_list")->IsEnabled());
  Json::Value events = eventFile()["Events"];
  EXPECT_EQ(events[0]["Delay"], Json::Value("200"));
  EXPECT_EQ(events[1]["Delay"], Json::Value("0"));

  // Constant time with a value past the limit: the edit shows what is used.
  panel->FindControlByName("macro_fixed_time_edit")->SetText("99999");
  panel->selectStep(0);
  ASSERT_TRUE(panel->startRecording(hook::RecordDelayMode::Constant));
  EXPECT_EQ(panel->FindControlByName("macro_fixed_time_edit")->GetText(), "65535");
  panel->recordKey(hook::Placement::Before, key(48, true, 5000));  // B before A
  panel->stopRecording();
  events = eventFile()["Events"];
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0]["Button"].asInt(), 0x05);
  EXPECT_EQ(events[0]["Delay"], Json::Value("65535"));
  EXPECT_EQ(panel->steps().selected(), 1u);  // still the step that was selected
}

}  // namespace
