// The profile panel on a device page: binding, the commands through the
// page's notifications, the delayed apply of combo choices, the device's
// reload sequence, the messages, the feature tabs, and a rendered picture.
#include "panels/device_profile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>

#include "devices/device_base.h"
#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "skin/qt_app.h"
#include "skin/skin.h"

using namespace kavro;
using namespace kavro::panels;

namespace {

using Log = std::vector<std::string>;

// A device that records the operations the panel asks of it.
class FakeDevice : public devices::CHalvionUSBDevice {
 public:
  void setProfileId(const std::string& id) override {
    CHalvionUSBDevice::setProfileId(id);
    log.push_back("setProfileId " + id);
  }
  void openProfileFiles() override { log.push_back("openProfileFiles"); }
  void reloadProfile() override { log.push_back("reloadProfile"); }
  void applyLightState() override { log.push_back("applyLightState"); }
  int writeLightSettings() override { return log.push_back("writeLightSettings"), 1; }
  int writeMacros() override { return log.push_back("writeMacros"), macroResult; }
  int writeKeyAssignments() override { return log.push_back("writeKeyAssignments"), 1; }
  bool save(profiles::CBasicProfiledata& data) { return saveChecked(data); }
  Log log;
  int macroResult = 0;
};

// Another panel of the page: shows when the device refreshes its panels.
class RecorderPanel : public skin::CControlUI, public devices::IDevicePanel {
 public:
  explicit RecorderPanel(Log* log) : log_(log) { SetName("RecorderItem"); }
  void setDevice(devices::CHalvionUSBDevice*) override {}
  bool onNotify(skin::TNotifyUI&) override { return false; }
  void refreshFromDevice() override { log_->push_back("refreshPanels"); }

 private:
  Log* log_;
};

class FakePrompts : public IProfilePrompts {
 public:
  QString askImportPath() override { return importPath; }
  QString askExportPath(const QString& profileName) override {
    suggestedNames.push_back(profileName);
    return exportPath;
  }
  void showNotice(const QString& text) override { notices.push_back(text); }
  bool askConfirmation(const QString& text) override {
    questions.push_back(text);
    return confirm;
  }
  QString importPath, exportPath;
  std::vector<QString> notices, questions, suggestedNames;
  bool confirm = true;
};

class FakeSink : public profiles::ISaveFailureSink {
 public:
  void saveFailed(const std::string& path, profiles::SaveFailure) override { paths.push_back(path); }
  std::vector<std::string> paths;
};

// The panel with its timer reachable, so that tests fire it at once.
class TestPanel : public CDeviceProfileUI {
 public:
  using CDeviceProfileUI::OnTimer;
};

const Log kApplySequence = {"openProfileFiles", "reloadProfile",       "applyLightState", "writeLightSettings",
                            "writeMacros",      "writeKeyAssignments", "refreshPanels"};

Log applyLog(const std::string& id) {
  Log log = {"setProfileId " + id};
  log.insert(log.end(), kApplySequence.begin(), kApplySequence.end());
  return log;
}

class ProfilePanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    registerProfilePanel();
  }

  // A page of the given type holding the profile panel, a recorder panel and
  // a feature tab layout with one page per tab the type shows.
  void buildPage(int type, const std::string& typeName = "keyboard") {
    device = std::make_unique<FakeDevice>();
    device->setTypeName(typeName);
    device->deviceType = type;
    panel = new TestPanel;
    panel->SetName("DeviceProfileItem");
    panel->setPrompts(&prompts);
    panel->setSaveFailureSink(&sink);
    device->Add(panel);
    device->Add(new RecorderPanel(&device->log));
    pages = new skin::CTabLayoutUI;
    pages->SetName("keyboard_function_tablayout");
    for (size_t i = 0; i < tabsOfDeviceType(type).size(); ++i) pages->Add(new skin::CControlUI);
    pages->SelectItem(0);
    device->Add(pages);
    device->bindPanels({"DeviceProfileItem", "RecorderItem"});
  }

  void notify(const QString& type, const QString& control) {
    skin::TNotifyUI msg;
    msg.sType = type;
    msg.pSender = panel->FindControlByName(control);
    ASSERT_NE(msg.pSender, nullptr) << control.toStdString();
    device->forwardNotify(msg);
  }
  void click(const QString& control) { notify("click", control); }
  // The user picks item index of the combo.
  void choose(int index) {
    find<skin::CComboUI>("device_profile_combo")->SelectItem(index, false, true);
    notify("itemselect", "device_profile_combo");
  }
  template <class T>
  T* find(const QString& name) const {
    return qobject_cast<T*>(panel->FindControlByName(name));
  }
  profiles::ProfileList storedList() const { return panel->store().read(); }
  std::string idAt(int index) const { return storedList().entries.at(static_cast<size_t>(index)).id; }
  std::vector<QString> comboNames() const {
    std::vector<QString> names;
    for (int i = 0; i < panel->profileCount(); ++i) names.push_back(panel->profileName(i));
    return names;
  }
  bool tabVisible(int tab) const { return panel->FindControlByName(featureTabName(tab))->IsVisible(); }

  QTemporaryDir dir;
  FakePrompts prompts;
  FakeSink sink;
  std::unique_ptr<FakeDevice> device;
  TestPanel* panel = nullptr;
  skin::CTabLayoutUI* pages = nullptr;
};

}  // namespace

TEST_F(ProfilePanelTest, BindingCreatesProfileOneAndTellsTheDevice) {
  buildPage(1);
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1"}));
  EXPECT_EQ(panel->currentProfileIndex(), 0);
  EXPECT_EQ(panel->getNameEditText(), "Profile 1");
  EXPECT_FALSE(panel->currentProfileId().empty());
  EXPECT_EQ(device->getProfileId(), panel->currentProfileId());
  const std::string folder = profiles::deviceProfileFolder("keyboard");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(profiles::joinPath(folder, "ProfileList.ini"))));
  EXPECT_EQ(panel->selectedFeatureTab(), kTabLighting);
  EXPECT_FALSE(tabVisible(kTabCursor));
  EXPECT_TRUE(tabVisible(kTabMacros));
  EXPECT_FALSE(tabVisible(kTabVoice));
  // Binding does not send anything to the device.
  EXPECT_EQ(device->log, (Log{"setProfileId " + panel->currentProfileId()}));
}

TEST_F(ProfilePanelTest, OnlyTheLastOfQuickComboChoicesIsApplied) {
  buildPage(1);
  click("device_add_btn");
  click("device_add_btn");
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1", "Profile 2", "Profile 3"}));
  EXPECT_EQ(panel->currentProfileIndex(), 2);
  device->log.clear();

  choose(1);
  choose(0);
  EXPECT_TRUE(panel->HasTimer(kProfileApplyTimerId));
  EXPECT_TRUE(device->log.empty());
  panel->OnTimer(kProfileApplyTimerId);
  EXPECT_FALSE(panel->HasTimer(kProfileApplyTimerId));
  EXPECT_EQ(device->log, applyLog(idAt(0)));
  EXPECT_EQ(storedList().select, 0);
  EXPECT_EQ(panel->getNameEditText(), "Profile 1");
}

TEST_F(ProfilePanelTest, AddSelectsTheNewProfileInListComboAndDevice) {
  buildPage(1);
  device->log.clear();
  click("device_add_btn");
  EXPECT_EQ(storedList().select, 1);  // count - 1
  EXPECT_EQ(panel->currentProfileIndex(), 1);
  EXPECT_EQ(panel->getNameEditText(), "Profile 2");
  EXPECT_EQ(panel->currentProfileId(), idAt(1));
  EXPECT_EQ(device->log, applyLog(idAt(1)));
}

TEST_F(ProfilePanelTest, AddStopsAtFiftyAndRefillsGaps) {
  buildPage(1);
  for (int i = 0; i < 60; ++i) click("device_add_btn");
  EXPECT_EQ(panel->profileCount(), 50);
  panel->selectProfile(2, false);
  click("device_sub_btn");  // deletes "Profile 3"
  click("device_add_btn");
  EXPECT_EQ(panel->profileName(49), "Profile 3");
  EXPECT_EQ(panel->currentProfileIndex(), 49);
  click("device_copy_btn");  // copy stops at the limit too
  EXPECT_EQ(panel->profileCount(), 50);
  panel->selectProfile(1, false);
  click("device_sub_btn");
  click("device_copy_btn");
  EXPECT_EQ(panel->profileCount(), 50);
  EXPECT_EQ(panel->profileName(49), "Profile 1 Copy");
}

TEST_F(ProfilePanelTest, DeleteMovesTheDeviceToTheNewSelection) {
  buildPage(1);
  click("device_add_btn");
  click("device_add_btn");
  panel->selectProfile(2, false);
  const std::string removed = panel->currentProfileId();
  device->log.clear();
  click("device_sub_btn");
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1", "Profile 2"}));
  EXPECT_EQ(panel->currentProfileIndex(), 1);
  EXPECT_EQ(device->log, applyLog(idAt(1)));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(panel->store().documentPath(removed))));

  panel->selectProfile(0, false);
  click("device_sub_btn");
  click("device_sub_btn");  // the last profile stays
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 2"}));
  EXPECT_EQ(panel->currentProfileIndex(), 0);
}

TEST_F(ProfilePanelTest, DeleteAndResetAskFirstAndCancelChangesNothing) {
  buildPage(1);
  skin::CResourceManager::GetInstance().AddText("profile_delete_confirm", "Delete %1?");
  skin::CResourceManager::GetInstance().AddText("profile_reset_confirm", "Reset %1?");
  click("device_sub_btn");  // a single profile cannot be deleted: nothing to ask
  EXPECT_TRUE(prompts.questions.empty());
  click("device_add_btn");
  const std::string path = panel->store().documentPath(panel->currentProfileId());
  Json::Value doc = profiles::readJsonDocument(path);
  doc["Device"][0]["LightInfo"]["SelectItem"] = 99;
  profiles::wirtejsonFile(path, doc);
  device->log.clear();

  prompts.confirm = false;
  click("device_sub_btn");
  click("device_reset_btn");
  EXPECT_EQ(prompts.questions, (std::vector<QString>{"Delete Profile 2?", "Reset Profile 2?"}));
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1", "Profile 2"}));
  EXPECT_EQ(profiles::readJsonDocument(path)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 99);
  EXPECT_TRUE(device->log.empty());

  prompts.confirm = true;
  click("device_reset_btn");
  EXPECT_NE(profiles::readJsonDocument(path)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 99);
  click("device_sub_btn");
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1"}));
  EXPECT_EQ(prompts.questions.size(), 4u);
  skin::CResourceManager::GetInstance().ResetText();
}

TEST(ProfileFileDialogs, SuggestedNameAndStartFolder) {
  EXPECT_EQ(profileFileName("Games"), "Games.json");
  EXPECT_EQ(profileFileName(" a/b\\c "), "a_b_c.json");
  EXPECT_EQ(profileFileName("..hidden"), "hidden.json");
  EXPECT_EQ(profileFileName(""), "profile.json");
  QTemporaryDir used;
  EXPECT_EQ(dialogStartFolder(used.path(), "/home/u"), used.path());
  EXPECT_EQ(dialogStartFolder("", "/home/u"), "/home/u");
  EXPECT_EQ(dialogStartFolder(used.filePath("gone"), "/home/u"), "/home/u");
}

TEST_F(ProfilePanelTest, FailureCountsOfTheDeviceAreReported) {
  buildPage(1);
  skin::CResourceManager::GetInstance().AddText("message_text_16", "%d macros do not fit (50% full)");
  device->macroResult = 3;
  click("device_reset_btn");
  device->macroResult = -1;
  panel->applyProfileToDevice();
  device->macroResult = 0;
  panel->applyProfileToDevice();
  EXPECT_EQ(prompts.notices, (std::vector<QString>{"3 macros do not fit (50% full)", "message_text_7"}));
  skin::CResourceManager::GetInstance().ResetText();
}

TEST_F(ProfilePanelTest, RenameRefusesAClashWithAMessage) {
  buildPage(1);
  click("device_add_btn");
  panel->selectProfile(1, false);
  panel->setNameEditText("PROFILE 1");
  click("device_profile_edit_save_btn");
  EXPECT_EQ(prompts.notices, (std::vector<QString>{"message_text_5"}));
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1", "Profile 2"}));

  panel->setNameEditText("");
  click("device_profile_edit_save_btn");
  panel->setNameEditText("profile 2");  // its own name in another case
  click("device_profile_edit_save_btn");
  EXPECT_EQ(prompts.notices.size(), 1u);
  EXPECT_EQ(panel->profileName(1), "profile 2");
  const Json::Value doc = profiles::readJsonDocument(panel->store().documentPath(idAt(1)));
  EXPECT_EQ(doc["profilename"].asString(), "profile 2");
}

TEST_F(ProfilePanelTest, FailedWritesAreReportedAndARenameThatCannotBeSavedIsNotCalledAClash) {
  buildPage(1);
  EXPECT_TRUE(sink.paths.empty());
  profiles::testing::setWriteFault(profiles::testing::WriteFault::Write);
  click("device_add_btn");
  panel->setNameEditText("Games");
  click("device_profile_edit_save_btn");
  click("device_reset_btn");
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
  EXPECT_EQ(sink.paths.size(), 3u);
  EXPECT_TRUE(prompts.notices.empty());
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1"}));
  // The device reports its own failed saves to the same place.
  profiles::CBasicProfiledata data;
  data.setProfilePath(dir.filePath("no/such/folder/p.Json").toStdString());
  EXPECT_FALSE(device->save(data));
  EXPECT_EQ(sink.paths.size(), 4u);
}

TEST_F(ProfilePanelTest, AListThatCannotBeKeptIsReportedAndTheProfilesStillShow) {
  const std::string folder = profiles::deviceProfileFolder("keyboard");
  QDir().mkpath(QString::fromStdString(profiles::joinPath(folder, "ProfileList.ini")));
  Json::Value doc;
  doc["profilename"] = "Work";
  doc["profileUUID"] = "id_work";
  profiles::wirtejsonFile(profiles::joinPath(folder, "id_work.Json"), doc);
  buildPage(1);
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Work"}));
  EXPECT_EQ(device->getProfileId(), "id_work");
  EXPECT_FALSE(sink.paths.empty());
  click("device_add_btn");  // refused: its document would not be listed
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Work"}));
  EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList({"*.Json"}).size(), 1);
}

TEST_F(ProfilePanelTest, ImportAndExportGoThroughTheFileDialogs) {
  buildPage(1);
  prompts.exportPath = dir.filePath("exported.json");
  click("device_export_btn");
  ASSERT_TRUE(QFile::exists(prompts.exportPath));
  EXPECT_EQ(prompts.suggestedNames, (std::vector<QString>{"Profile 1"}));
  prompts.importPath = prompts.exportPath;
  click("device_import_btn");
  click("device_import_btn");
  EXPECT_EQ(comboNames(), (std::vector<QString>{"Profile 1", "Profile 1(1)", "Profile 1(1)(2)"}));
  EXPECT_EQ(panel->currentProfileIndex(), 0);
  prompts.importPath.clear();  // cancelled
  click("device_import_btn");
  EXPECT_EQ(panel->profileCount(), 3);
}

TEST_F(ProfilePanelTest, HeadsetResetKeepsCustomEqualisersAndReloads) {
  buildPage(7, "HD");
  EXPECT_TRUE(tabVisible(kTabVoice));
  EXPECT_TRUE(tabVisible(kTabMagic));
  for (int tab : {kTabKeys, kTabMacros, kTabSystem, kTabCursor}) EXPECT_FALSE(tabVisible(tab)) << tab;

  const QString factory = dir.filePath("HD.Json");
  ASSERT_TRUE(QFile::copy(QStringLiteral(KAVRO_RESOURCES_DIR) + "/DefaultData/HD.Json", factory));
  panel->setFolders(panel->store().folder(), factory.toStdString());
  const std::string path = panel->store().documentPath(panel->currentProfileId());
  Json::Value doc = profiles::readJsonDocument(factory.toStdString());
  doc["Device"][0]["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
  doc["Device"][0]["CustomEQNameInfo"].append("Night");
  doc["Device"][0]["LightInfo"]["SelectItem"] = 99;
  profiles::wirtejsonFile(path, doc);
  device->log.clear();

  click("device_reset_btn");
  const Json::Value after = profiles::readJsonDocument(path);
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"][0].asString(), "Night");
  EXPECT_NE(after["Device"][0]["LightInfo"]["SelectItem"].asInt(), 99);
  EXPECT_EQ(after["profilename"].asString(), "Profile 1");
  EXPECT_EQ(device->log, applyLog(panel->currentProfileId()));
}

TEST_F(ProfilePanelTest, TabsSwitchTheFeaturePagesAndTheMenuToggles) {
  buildPage(7, "HD");
  auto* magic = find<skin::COptionUI>("magic_Op_tab");
  magic->Selected(true, false);
  notify("selectchanged", "magic_Op_tab");
  EXPECT_EQ(panel->selectedFeatureTab(), kTabMagic);
  EXPECT_EQ(pages->GetCurSel(), 2);
  panel->selectFeatureTab(0);
  EXPECT_EQ(panel->selectedFeatureTab(), 0);

  // Pages that name their tab are found by it, whatever pages are missing.
  buildPage(1);
  pages->RemoveAll();
  for (const char* tab : {"system_Op_tab", "deng_Op_tab", "macro_Op_tab"}) {
    auto* page = new skin::CControlUI;
    page->SetUserData(tab);
    pages->Add(page);
  }
  for (auto [tab, page] : {std::pair{"deng_Op_tab", 1}, {"macro_Op_tab", 2}, {"system_Op_tab", 0}}) {
    find<skin::COptionUI>(tab)->Selected(true, false);
    notify("selectchanged", tab);
    EXPECT_EQ(pages->GetCurSel(), page) << tab;
  }

  EXPECT_FALSE(panel->isProfileMenuShown());
  click("profile_fun_spread_btn");
  EXPECT_TRUE(panel->isProfileMenuShown());
  click("profile_fun_spread_btn");
  EXPECT_FALSE(panel->isProfileMenuShown());
}

TEST_F(ProfilePanelTest, NotificationsOfOtherControlsAreLeftAlone) {
  buildPage(1);
  skin::CButtonUI stranger;
  stranger.SetName("device_add_btn");
  skin::TNotifyUI msg;
  msg.sType = "click";
  msg.pSender = &stranger;
  EXPECT_FALSE(device->forwardNotify(msg));
  EXPECT_EQ(panel->profileCount(), 1);
}

TEST_F(ProfilePanelTest, FactoryNamesBuildThePanel) {
  skin::CDialogBuilder builder;
  std::unique_ptr<skin::CControlUI> built(
      builder.CreateFromText("<DeviceProfileUI name=\"DeviceProfileItem\" height=\"90\"/>"));
  auto* fromFile = qobject_cast<CDeviceProfileUI*>(built.get());
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(fromFile->GetFixedHeight(), 90);
  EXPECT_NE(fromFile->FindControlByName("device_profile_combo"), nullptr);

  std::unique_ptr<skin::CControlUI> plain(builder.CreateFromText("<CDeviceProfileUI/>"));
  auto* empty = qobject_cast<CDeviceProfileUI*>(plain.get());
  ASSERT_NE(empty, nullptr);
  empty->setFolders(dir.filePath("plain").toStdString(), "");
  QDir().mkpath(dir.filePath("plain"));
  empty->initProfileList();
  EXPECT_EQ(empty->profileName(0), "Profile 1");
  EXPECT_EQ(empty->GetFixedHeight(), 96);
}

namespace {

class HostWnd : public skin::CWindowWnd {
 public:
  explicit HostWnd(QString skin) : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "HostWnd"; }
  QString GetSkinFile() const override { return skin_; }

 private:
  QString skin_;
};

// English texts of the panel's language keys.
const std::pair<const char*, const char*> kPanelTexts[] = {
    {"profile_title", "PROFILE"},         {"profile_name_prompt", "Profile name"},
    {"profile_rename_text", "Rename"},    {"profile_add_text", "New"},
    {"profile_delete_text", "Delete"},    {"profile_copy_text", "Copy"},
    {"profile_import_text", "Import"},    {"profile_export_text", "Export"},
    {"profile_reset_text", "Reset"},      {"tab_lighting_text", "Lighting"},
    {"tab_key_text", "Keys"},             {"tab_macro_text", "Macros"},
    {"tab_system_text", "System"},        {"tab_cursor_text", "Pointer"},
    {"tab_voice_text", "Voice"},          {"tab_magic_text", "Voice changer"},
};

}  // namespace

TEST_F(ProfilePanelTest, RendersThePanel) {
  auto& rm = skin::CResourceManager::GetInstance();
  for (const auto& [key, text] : kPanelTexts) rm.AddText(key, text);
  const QString xml = dir.filePath("host.xml");
  std::ofstream(xml.toStdString()) << R"(<Window size="1330,128"><VerticalLayout bkcolor="#FF101318" inset="16,16,16,16">
      <DeviceProfileUI name="DeviceProfileItem"/></VerticalLayout></Window>)";
  HostWnd w(xml);
  ASSERT_TRUE(w.Create(nullptr, "profile panel"));
  auto* bar = w.Find<CDeviceProfileUI>("DeviceProfileItem");
  ASSERT_NE(bar, nullptr);
  QDir().mkpath(dir.filePath("render"));
  bar->setFolders(dir.filePath("render").toStdString(), "");
  bar->setDeviceType(1);
  bar->initProfileList();
  bar->addProfile();
  bar->addProfile();
  bar->selectFeatureTab(kTabLighting);
  bar->showProfileMenu(true);
  w.show();
  QCoreApplication::processEvents();
  const QImage img = w.grab().toImage();
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  EXPECT_TRUE(img.save(QString(KAVRO_TEST_OUTPUT_DIR) + "/profile_panel.png"));
  EXPECT_EQ(img.size(), QSize(1330, 128));
  rm.ResetText();
}
