// The settings window, the language choice, the skin choice and the update
// mark of the main window, against the local update service.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <mutex>

#include "app/app_settings.h"
#include "app/language.h"
#include "app/main_wnd_settings.h"
#include "app/update_list_item.h"
#include "devices/discovery/device_tables.h"
#include "main_wnd_fixture.h"
#include "temp_dir.h"
#include "skin/controls.h"
#include "update/update_service.h"

namespace kavro::app {
namespace {

using kavro::test::waitFor;
using update::ServicePackage;

const QString kShippedLanguages = QStringLiteral(KAVRO_RESOURCES_DIR) + "/DefaultData/Language.config";

// Proxy variables of the caller's environment must not reroute loopback tests.
void clearProxyEnvironment() {
  for (const char* v : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    ::unsetenv(v);
  }
}

void writeText(const QString& path, const char* text) { std::ofstream(path.toStdString()) << text; }

// A private settings folder for each test.
class ConfigHome {
 public:
  ConfigHome() { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
  QTemporaryDir dir;
};

// ---- language list, stored choices, colour theme -----------------------------------

TEST(LanguageList, ReadsTheShippedListAndRefusesBadEntries) {
  const auto shipped = readLanguageList(kShippedLanguages);
  ASSERT_EQ(shipped.size(), 2u);
  EXPECT_EQ(shipped[1].id, kChineseLanguageId);
  EXPECT_EQ(shipped[1].file, "lan_cn.xml");
  EXPECT_EQ(shipped[1].text, QString::fromUtf8("简体中文"));

  QTemporaryDir dir;
  const QString path = dir.filePath("Language.config");
  writeText(path, R"({"Language": [{"Language_ID": 7, "Language_file": "../../etc/passwd"},
                                   {"Language_ID": 8, "Language_file": ".hidden"},
                                   {"Language_ID": 9, "Language_name": "x", "Language_file": "lan_x.xml"}]})");
  const auto list = readLanguageList(path);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].id, 9);
  EXPECT_EQ(list[0].text, "x");  // no list text: the name stands in
  writeText(path, "[1, 2");
  EXPECT_TRUE(readLanguageList(path).empty());
  writeText(path, "[1, 2]");  // valid JSON, not an object
  EXPECT_TRUE(readLanguageList(path).empty());
  EXPECT_TRUE(readLanguageList(dir.filePath("missing")).empty());
}

TEST(LanguageList, StartIndexFollowsStoredIdThenDesktopThenFirst) {
  const auto list = readLanguageList(kShippedLanguages);
  EXPECT_EQ(startLanguageIndex(list, kChineseLanguageId, kEnglishLanguageId), 1);
  EXPECT_EQ(startLanguageIndex(list, std::nullopt, kChineseLanguageId), 1);
  EXPECT_EQ(startLanguageIndex(list, 4242, kChineseLanguageId), 0);  // unknown stored id: the first
  EXPECT_EQ(startLanguageIndex({}, kChineseLanguageId, kChineseLanguageId), 0);
}

TEST(StoredSettings, LanguageAndSkinSurviveAndBadValuesFallBack) {
  ConfigHome home;
  EXPECT_FALSE(storedLanguageId().has_value());
  ASSERT_TRUE(storeLanguageId(kChineseLanguageId));
  EXPECT_EQ(storedLanguageId(), kChineseLanguageId);

  EXPECT_TRUE(storedSkinTheme().isLayoutLook());
  const skin::SkinTheme light{skin::SkinTone::Light, 0xFF8A5CFF};
  ASSERT_TRUE(storeSkinTheme(light));
  EXPECT_EQ(storedSkinTheme(), light);

  {
    QSettings s(settingsFilePath(), QSettings::IniFormat);
    s.setValue(kLanguageKey, "twelve");
    s.setValue(kSkinToneKey, "purple");
    s.setValue(kSkinAccentKey, "#nothex");
  }
  EXPECT_FALSE(storedLanguageId().has_value());
  EXPECT_TRUE(storedSkinTheme().isLayoutLook());
}

TEST(SkinTheme, LightToneTurnsLayersOverAndAccentFollowsChoice) {
  const skin::SkinTheme dark;
  EXPECT_EQ(skin::mapThemeColor(dark, 0xFF14161B), 0xFF14161Bu);  // the layouts as written

  const skin::SkinTheme light{skin::SkinTone::Light, skin::kLayoutAccent};
  const QColor bg = QColor::fromRgba(skin::mapThemeColor(light, 0xFF14161B));
  const QColor card = QColor::fromRgba(skin::mapThemeColor(light, 0xFF1B1F26));
  const QColor text = QColor::fromRgba(skin::mapThemeColor(light, 0xFFE6E8EE));
  EXPECT_GT(bg.lightnessF(), 0.9);
  EXPECT_LT(text.lightnessF(), 0.2);
  EXPECT_GT(bg.lightnessF(), card.lightnessF());  // layers stay apart, in turned order
  EXPECT_EQ(skin::mapThemeColor(light, 0x8014161B) >> 24, 0x80u);  // alpha kept
  EXPECT_EQ(skin::mapThemeColor(light, skin::kLayoutAccent), skin::kLayoutAccent);  // a vivid accent stays

  const skin::SkinTheme rose{skin::SkinTone::Dark, 0xFFE8456A};
  EXPECT_EQ(skin::mapThemeColor(rose, skin::kLayoutAccent) & 0xFFFFFF, 0xE8456Au);
  const QColor hover = QColor::fromRgba(skin::mapThemeColor(rose, 0xFF4A9DFF));
  EXPECT_NEAR(hover.hslHue(), QColor(0xE8, 0x45, 0x6A).hslHue(), 2);
  EXPECT_EQ(skin::mapThemeColor(rose, 0xFF00C2A8), 0xFF00C2A8u);  // other hues stay

  // The active theme reaches every painted colour but the swatches' own.
  test::qtApp();
  skin::SetSkinTheme(light);
  EXPECT_NE(skin::themedColor(0xFF14161B), 0xFF14161Bu);
  {
    const skin::RawColorScope raw(true);
    EXPECT_EQ(skin::themedColor(0xFFFFFFFF), 0xFFFFFFFFu);
  }
  EXPECT_NE(skin::themedColor(0xFFFFFFFF), 0xFFFFFFFFu);
  skin::SetSkinTheme({});
  EXPECT_EQ(skin::themedColor(0xFF14161B), 0xFF14161Bu);
}

// ---- the settings window against the local update service -----------------------------

std::vector<update::UpdateItem> attachedItems() {
  std::vector<update::ModelEntry> models;
  for (const auto& m : devices::kModels) {
    update::ModelEntry e{m.number1, m.number2, m.number3, {}};
    for (size_t i = 0; i < e.strings.size(); ++i) e.strings[i] = m.strings[i];
    models.push_back(e);
  }
  return update::buildUpdateItems(models, {{devices::kTypeKeyboard, 0x0105, ""}});
}

class SetWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    clearProxyEnvironment();
  }
  void TearDown() override {
    if (wnd) wnd->closeWindow();
    delete wnd.data();
  }

  void startService(std::vector<ServicePackage> table) {
    service = std::make_unique<update::UpdateService>(std::move(table));
    std::string error;
    ASSERT_TRUE(service->start({}, &error)) << error;
    ASSERT_TRUE(service->writeAuthority(folder.file("ca.pem"), &error)) << error;
  }

  update::UpdateConfig config(const std::string& base) {
    update::UpdateConfig c;
    c.serviceBase = base;
    c.updateFolder = folder.file("Update");
    c.settingsFolder = folder.file("settings");
    c.client.caFile = folder.file("ca.pem");
    c.client.desktopProxy = nullptr;
    c.launcher = [this](const std::string& file, int deviceId, Event*) {
      std::lock_guard lock(mutex);
      launched.emplace_back(file, deviceId);
      return update::LaunchOutcome{update::LaunchOutcome::Kind::Done, "test"};
    };
    return c;
  }

  void open(const std::string& base) {
    CSetWnd::Options o;
    o.items = attachedItems();
    o.config = config(base);
    o.languages = readLanguageList(kShippedLanguages);
    o.versionText = "V1000.02";
    wnd = new CSetWnd(std::move(o));
    wnd->setMessageSink([this](const QString& key) { messages << key; });
    ASSERT_TRUE(wnd->Create(nullptr, "SetWnd", skin::UI_WNDSTYLE_DIALOG));
    wnd->ShowWindow(true, false);
  }
  QString statusText() const { return wnd->FindControl("Update_Status_text")->GetText(); }
  QString rowStatus(int i) const {
    return wnd->FindSubControlByName(wnd->rowControl(i), "update_status_text")->GetText();
  }

  ConfigHome home;
  test::TempDir folder{"kavro_setwnd"};
  std::unique_ptr<update::UpdateService> service;
  QPointer<CSetWnd> wnd;
  std::mutex mutex;
  std::vector<std::pair<std::string, int>> launched;
  QStringList messages;
};

TEST_F(SetWndTest, CheckDownloadAndStartShowOnTheRows) {
  startService(update::defaultServiceTable());
  open(service->baseUrl());
  ASSERT_TRUE(waitFor([&] { return wnd->windowStatus() == update::kStatusHaveUpdate; }, 20000));
  ASSERT_EQ(wnd->rowCount(), 2);
  EXPECT_EQ(wnd->FindSubControlByName(wnd->rowControl(1), "OldRev")->GetText(), "V0105");
  EXPECT_EQ(wnd->FindSubControlByName(wnd->rowControl(1), "updateRev")->GetText(), "V0106");
  EXPECT_EQ(rowStatus(1), "NeedUpdateText");
  EXPECT_TRUE(wnd->rowControl(1)->tickBox()->IsSelected() && wnd->rowControl(1)->tickBox()->IsEnabled());
  EXPECT_TRUE(wnd->FindControl("update_fw_and_ap")->IsVisible());
  EXPECT_TRUE(std::filesystem::exists(folder.file("settings/updatetime.config")));

  // The program's row is left out; the keyboard's goes through.
  wnd->rowControl(0)->tickBox()->Selected(false);
  EXPECT_FALSE(wnd->session()->rows()[0].ticked);
  wnd->openConfirmation();
  EXPECT_EQ(wnd->Find<skin::CTabLayoutUI>("get_update_tab_layout")->GetCurSel(), 1);
  bool sawProgress = false;
  wnd->confirmUpdate();
  EXPECT_EQ(wnd->Find<skin::CTabLayoutUI>("get_update_tab_layout")->GetCurSel(), 0);
  ASSERT_TRUE(waitFor([&] {
    sawProgress = sawProgress || wnd->FindControl("update_status_ring")->IsVisible();
    return wnd->session()->rows()[1].state == update::kRowUpToDate;
  }, 20000));
  EXPECT_TRUE(sawProgress);
  std::lock_guard lock(mutex);
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].second, 2);
  EXPECT_TRUE(std::filesystem::exists(launched[0].first));
  EXPECT_TRUE(messages.isEmpty());
}

// The capture source is chosen in the window and kept for the next start.
TEST_F(SetWndTest, SystemWideCaptureIsChosenHereAndKept) {
  EXPECT_FALSE(storedSystemWideCapture());
  open("https://127.0.0.1:1/");
  auto* check = wnd->Find<skin::CCheckBoxUI>("capture_evdev_check");
  ASSERT_NE(check, nullptr);
  EXPECT_FALSE(check->GetCheck());
  check->SetCheck(true, false);
  wnd->GetPaintManager().SendNotify(check, QString::fromLatin1(skin::DUI_MSGTYPE_SELECTCHANGED));
  EXPECT_TRUE(storedSystemWideCapture());
  wnd->closeWindow();
  delete wnd.data();
  open("https://127.0.0.1:1/");
  EXPECT_TRUE(wnd->Find<skin::CCheckBoxUI>("capture_evdev_check")->GetCheck());
}

TEST_F(SetWndTest, BadChecksumAndOddAnswersAreRefusedWithAReason) {
  auto table = update::defaultServiceTable();
  table[0].fault = ServicePackage::Fault::UnsafeName;
  table[1].fault = ServicePackage::Fault::WrongChecksum;
  startService(table);
  open(service->baseUrl());
  ASSERT_TRUE(waitFor([&] { return wnd->windowStatus() == update::kStatusHaveUpdate; }, 20000));
  EXPECT_EQ(rowStatus(0), "update_fail_bad_answer");
  EXPECT_FALSE(wnd->rowControl(0)->tickBox()->IsEnabled());
  wnd->confirmUpdate();
  ASSERT_TRUE(waitFor([&] { return wnd->session()->rows()[1].state == update::kRowFailed; }, 20000));
  ASSERT_TRUE(waitFor([&] { return rowStatus(1) == "update_fail_checksum"; }));
  EXPECT_TRUE(wnd->rowControl(1)->tickBox()->IsEnabled());  // may be tried again
  EXPECT_TRUE(launched.empty());
}

TEST_F(SetWndTest, ServiceDownGivesStatusTwoAndRowsSayWhy) {
  open("https://127.0.0.1:1/");
  ASSERT_TRUE(waitFor([&] { return wnd->windowStatus() == update::kStatusNoAnswer; }, 20000));
  EXPECT_EQ(statusText(), "NoUpdateInfoText");
  ASSERT_TRUE(waitFor([&] { return wnd->rowCount() == 2 && rowStatus(1) == "update_fail_no_link"; }));
  EXPECT_FALSE(wnd->FindControl("update_fw_and_ap")->IsVisible());
  EXPECT_FALSE(wnd->FindControl("update_status_ring")->IsVisible());
}

// ---- the main window: language, skin, update mark ---------------------------------------

class SettingsMainWndTest : public test::MainWndFixture {
 protected:
  bool createWith(const std::function<void(CMainWnd::SettingsOptions&)>& setUp) {
    window = std::make_unique<CMainWnd>();
    window->setTrayMode(CMainWnd::TrayMode::None);
    window->setInputSettings(std::make_shared<input::RecordingInputSettings>());
    CMainWnd::SettingsOptions& o = window->settingsOptions();
    o.languageConfig = kShippedLanguages;
    o.settingsModal = false;
    o.backgroundCheck = false;
    o.settingsMessage = [](const QString&) {};
    setUp(o);
    return window->Create(nullptr, QString::fromLatin1(kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572);
  }
  ConfigHome home;
};

TEST_F(SettingsMainWndTest, LanguageSwitchReTextsOpenWindowsAndIsKept) {
  ASSERT_TRUE(storeLanguageId(kEnglishLanguageId));
  ASSERT_TRUE(createWith([](auto&) {}));
  EXPECT_EQ(window->FindControl("setbtn")->toolTip(), "Settings");
  window->SendMessage(WM_OPEN_SETTINGS_CENTRED);
  CSetWnd* set = window->settingsWindow();
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->FindControl("update_tishi_layout")->IsVisible());  // opened because of an update
  const QString englishClose = set->FindControl("closebtn")->toolTip();
  set->chooseLanguage(1);
  EXPECT_EQ(storedLanguageId(), kChineseLanguageId);
  EXPECT_EQ(window->languageIndex(), 1);
  EXPECT_EQ(window->FindControl("setbtn")->toolTip(), QString::fromUtf8("设置"));
  EXPECT_NE(set->FindControl("closebtn")->toolTip(), englishClose);
  EXPECT_EQ(set->FindControl("closebtn")->toolTip(), skin::CResourceManager::GetInstance().GetText("main_close_tip"));
  EXPECT_EQ(set->Find<skin::CComboUI>("Language_combox_info")->GetCurSel(), 1);

  set->closeWindow();
  window.reset();
  ASSERT_TRUE(createWith([](auto&) {}));  // the next start
  EXPECT_EQ(window->languageIndex(), 1);
  EXPECT_EQ(window->FindControl("setbtn")->toolTip(), QString::fromUtf8("设置"));
  ASSERT_TRUE(storeLanguageId(4242));  // a stored id the list lacks
  window.reset();
  ASSERT_TRUE(createWith([](auto&) {}));
  EXPECT_EQ(window->languageIndex(), 0);
  EXPECT_EQ(window->FindControl("setbtn")->toolTip(), "Settings");
}

// A language whose file cannot be loaded changes nothing and is not kept, so
// the next start does not begin with it.
TEST_F(SettingsMainWndTest, ALanguageThatFailsToLoadIsNotKept) {
  const QString config = QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Language.config");
  {
    QFile f(config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"Language": [
      {"Language_ID": 1033, "Language_name": "en", "Language_file": "lan_en.xml", "Language_text": "English"},
      {"Language_ID": 1031, "Language_name": "de", "Language_file": "lan_missing.xml", "Language_text": "Deutsch"}]})");
  }
  ASSERT_TRUE(storeLanguageId(kEnglishLanguageId));
  ASSERT_TRUE(createWith([&](CMainWnd::SettingsOptions& o) { o.languageConfig = config; }));
  window->SendMessage(WM_OPEN_SETTINGS_CENTRED);
  CSetWnd* set = window->settingsWindow();
  ASSERT_NE(set, nullptr);
  set->chooseLanguage(1);
  EXPECT_EQ(storedLanguageId(), kEnglishLanguageId);
  EXPECT_EQ(window->languageIndex(), 0);
  EXPECT_EQ(window->FindControl("setbtn")->toolTip(), "Settings");
  set->closeWindow();
}

TEST_F(SettingsMainWndTest, SkinChoiceAppliesAtOnceAndIsKept) {
  ASSERT_TRUE(createWith([](auto&) {}));
  skin::TNotifyUI click;
  click.sType = skin::DUI_MSGTYPE_CLICK;
  click.pSender = window->FindControl("skinbtn");
  ASSERT_NE(click.pSender, nullptr);
  window->Notify(click);
  CSkinFrame* frame = window->skinFrame();
  ASSERT_NE(frame, nullptr);
  frame->chooseTone(skin::SkinTone::Light);
  frame->chooseAccent(kAccentChoices[3].color);
  EXPECT_EQ(skin::CurrentSkinTheme().tone, skin::SkinTone::Light);
  frame->Close(0);

  skin::SetSkinTheme({});  // as at a fresh start
  window.reset();
  ASSERT_TRUE(createWith([](auto&) {}));
  EXPECT_EQ(skin::CurrentSkinTheme(), (skin::SkinTheme{skin::SkinTone::Light, kAccentChoices[3].color}));
  skin::SetSkinTheme({});
}

TEST_F(SettingsMainWndTest, UpdateMarkAppearsWhenServiceOffersAndClearsWith3094) {
  clearProxyEnvironment();
  update::UpdateService service(update::defaultServiceTable());
  std::string error;
  ASSERT_TRUE(service.start({}, &error)) << error;
  test::TempDir folder("kavro_mark");
  ASSERT_TRUE(service.writeAuthority(folder.file("ca.pem"), &error));
  ASSERT_TRUE(createWith([&](CMainWnd::SettingsOptions& o) {
    o.backgroundCheck = true;
    o.updateConfig.serviceBase = service.baseUrl();
    o.updateConfig.client.caFile = folder.file("ca.pem");
    o.updateConfig.client.desktopProxy = nullptr;
  }));
  ASSERT_TRUE(waitFor([&] { return window->hasUpdateMark(); }, 20000));
  EXPECT_FALSE(window->FindControl("setbtn")->GetForeImage().isEmpty());
  EXPECT_EQ(window->settingsWindow(), nullptr);  // a hidden window opens nothing
  window->SendMessage(WM_UPDATE_MARK_CLEAR);
  EXPECT_FALSE(window->hasUpdateMark());
  EXPECT_TRUE(window->FindControl("setbtn")->GetForeImage().isEmpty());
}

}  // namespace
}  // namespace kavro::app
