// The update page's workers and the main window's background check against
// the local update service, and starting packages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "devices/discovery/device_tables.h"
#include "profiles/json_file.h"
#include "update/background_check.h"
#include "update/package_launcher.h"
#include "update/update_service.h"
#include "update/update_session.h"
#include "update/update_time.h"
#include "update_test_util.h"

namespace kavro::update {
namespace {

using test::TempFolder;

std::vector<ModelEntry> shippedModels() {
  std::vector<ModelEntry> out;
  for (const auto& m : devices::kModels) {
    ModelEntry e{m.number1, m.number2, m.number3, {}};
    for (size_t i = 0; i < e.strings.size(); ++i) e.strings[i] = m.strings[i];
    out.push_back(e);
  }
  return out;
}

// The program, a keyboard at 0x0105 and a mouse at 0x0102.
std::vector<UpdateItem> attachedItems() {
  return buildUpdateItems(shippedModels(), {{devices::kTypeKeyboard, 0x0105, ""}, {devices::kTypeMouse, 0x0102, ""}});
}

// Everything the workers report, with a wait for a condition on it.
struct Reports {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> statuses;
  std::string lastDate;
  std::map<int, UpdateRow> rows;
  std::vector<std::pair<int, int>> rowStates;  // (row, state) in report order
  bool buttonShown = false, buttonEnabled = false;
  int downloadPasses = 0;
  std::vector<int> startFailures;

  UpdateCallbacks callbacks() {
    UpdateCallbacks c;
    c.status = [this](int s, const std::string& date) { record([&] { statuses.push_back(s), lastDate = date; }); };
    c.row = [this](int i, const UpdateRow& r) { record([&] { rows[i] = r, rowStates.emplace_back(i, r.state); }); };
    c.updateButton = [this](bool shown, bool enabled) { record([&] { buttonShown = shown, buttonEnabled = enabled; }); };
    c.downloadPassDone = [this] { record([&] { ++downloadPasses; }); };
    c.startFailed = [this](int i, const std::string&) { record([&] { startFailures.push_back(i); }); };
    return c;
  }
  void record(const std::function<void()>& f) {
    std::lock_guard lock(mutex);
    f();
    changed.notify_all();
  }
  // Waits (bounded, so a fault fails instead of hanging) until pred holds.
  bool waitFor(const std::function<bool()>& pred) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(30), pred);
  }
  int status() const { return statuses.empty() ? -1 : statuses.back(); }
};

class UpdateSessionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::clearProxyEnvironment(); }

  void startService(std::vector<ServicePackage> table) {
    service_ = std::make_unique<UpdateService>(std::move(table));
    std::string error;
    ASSERT_TRUE(service_->start({}, &error)) << error;
    test::writeBytes(folder_.file("ca.pem"), service_->authorityPem());
  }

  UpdateConfig config(const std::string& base) {
    UpdateConfig c;
    c.serviceBase = base;
    c.updateFolder = folder_.file("Update");
    c.settingsFolder = folder_.file("settings");
    c.client.caFile = folder_.file("ca.pem");
    c.client.desktopProxy = nullptr;
    c.today = [] { return std::string("2024-3-7"); };
    c.launcher = [this](const std::string& file, int deviceId, Event*) {
      std::lock_guard lock(launchMutex_);
      launched_.emplace_back(file, deviceId);
      launchedBytes_.push_back(test::fileBytes(file));
      return LaunchOutcome{launchResult_, "test"};
    };
    return c;
  }

  TempFolder folder_;
  std::unique_ptr<UpdateService> service_;
  std::mutex launchMutex_;
  std::vector<std::pair<std::string, int>> launched_;
  std::vector<std::string> launchedBytes_;
  LaunchOutcome::Kind launchResult_ = LaunchOutcome::Kind::Done;
  Reports reports_;
};

TEST_F(UpdateSessionTest, FullRoundFindsDownloadsAndStartsTheTickedPackages) {
  const auto table = defaultServiceTable();
  startService(table);
  UpdateSession session(attachedItems(), config(service_->baseUrl()), reports_.callbacks());
  session.start();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.status() == kStatusHaveUpdate; }));
  EXPECT_EQ(reports_.statuses.front(), kStatusChecking);
  EXPECT_TRUE(reports_.buttonShown && reports_.buttonEnabled);
  EXPECT_EQ(profiles::readJsonDocument(folder_.file("settings/updatetime.config"))["updatelasttime"]["value"],
            "2024-3-7");

  auto rows = session.rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].rowName, "AP");
  EXPECT_EQ(rows[0].currentVersionText, "V1000");
  EXPECT_EQ(rows[0].newVersionText, "V1001.00");
  EXPECT_EQ(rows[1].displayName, "LM2");
  EXPECT_EQ(rows[1].currentVersionText, "V0105");
  EXPECT_EQ(rows[1].newVersionText, "V0106");
  EXPECT_EQ(rows[2].currentVersionText, "V0102");
  for (const auto& r : rows) {
    EXPECT_EQ(r.state, kRowNewVersion);
    EXPECT_TRUE(r.ticked && r.tickable);
    EXPECT_EQ(r.height, kRowHeight);
  }

  // The user leaves the mouse out and confirms.
  ASSERT_TRUE(session.setTicked(2, false));
  session.confirmUpdate();
  ASSERT_TRUE(reports_.waitFor([&] {
    return reports_.rows[0].state == kRowUpToDate && reports_.rows[1].state == kRowUpToDate &&
           reports_.status() == kStatusHaveUpdate && reports_.downloadPasses == 1;
  }));
  rows = session.rows();
  EXPECT_EQ(rows[2].state, kRowNewVersion);  // untouched: can still be chosen
  EXPECT_TRUE(reports_.buttonShown && reports_.buttonEnabled);

  // Each row went 3 → 4 → 5 → 6 → 7, with the download's progress in between.
  std::vector<int> keyboard;
  for (const auto& [row, state] : reports_.rowStates) {
    if (row == 1 && (keyboard.empty() || keyboard.back() != state)) keyboard.push_back(state);
  }
  EXPECT_EQ(keyboard, (std::vector<int>{7, 1, 3, 4, 5, 6, 7}));

  ASSERT_EQ(launched_.size(), 2u);
  EXPECT_EQ(launched_[0], std::make_pair(folder_.file("Update/" + table[0].name), 1));
  EXPECT_EQ(launched_[1], std::make_pair(folder_.file("Update/" + table[1].name), 2));
  EXPECT_EQ(launchedBytes_[1], table[1].content);
  session.stop();
}

TEST_F(UpdateSessionTest, AlteredBrokenAndHostilePackagesNeverStart) {
  auto table = defaultServiceTable();
  table[0].fault = ServicePackage::Fault::UnsafeName;
  table[1].fault = ServicePackage::Fault::WrongChecksum;
  table[2].fault = ServicePackage::Fault::BrokenDownload;
  startService(table);
  UpdateSession session(attachedItems(), config(service_->baseUrl()), reports_.callbacks());
  session.start();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.status() == kStatusHaveUpdate; }));
  auto rows = session.rows();
  EXPECT_EQ(rows[0].state, kRowUpToDate);  // "../" in the name: refused
  EXPECT_FALSE(rows[0].ticked);
  EXPECT_FALSE(session.setTicked(0, true));

  session.confirmUpdate();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.downloadPasses == 1 && reports_.status() == kStatusHaveUpdate; }));
  rows = session.rows();
  EXPECT_EQ(rows[1].state, kRowFailed);
  EXPECT_EQ(rows[2].state, kRowFailed);
  // Each row says why, in the window's language.
  EXPECT_EQ(rows[0].failureKey, "update_fail_bad_answer");
  EXPECT_EQ(rows[1].failureKey, "update_fail_checksum");
  EXPECT_EQ(rows[2].failureKey, "update_fail_broken");
  EXPECT_TRUE(rows[1].tickable);
  EXPECT_TRUE(reports_.buttonEnabled);  // the user may try again
  EXPECT_TRUE(launched_.empty());
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::is_empty(folder_.file("Update"), ec));
  session.stop();
}

TEST_F(UpdateSessionTest, NoServiceMeansStatusTwoAndNoNewCheckDate) {
  ASSERT_TRUE(writeLastCheckDate(folder_.file("settings"), "2020-1-1"));
  UpdateSession session(attachedItems(), config("https://127.0.0.1:1/"), reports_.callbacks());
  session.start();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.status() == kStatusNoAnswer; }));
  for (const auto& r : session.rows()) {
    EXPECT_EQ(r.state, kRowUpToDate);
    EXPECT_EQ(r.newVersionText, "");
    EXPECT_EQ(r.failureKey, "update_fail_no_link");
  }
  EXPECT_FALSE(reports_.buttonShown);
  EXPECT_EQ(session.lastCheckDate(), "2020-1-1");
  session.stop();
}

TEST_F(UpdateSessionTest, UpToDateItemsGiveTheLatestStatusWithTheDate) {
  auto table = defaultServiceTable();
  table[0].version = "1000";
  table[1].version = "0105";
  table[2].version = "0100";
  startService(table);
  UpdateSession session(attachedItems(), config(service_->baseUrl()), reports_.callbacks());
  session.start();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.status() == kStatusLatest; }));
  EXPECT_EQ(reports_.lastDate, "2024-3-7");
  session.stop();
}

TEST_F(UpdateSessionTest, PackageThatFailsToStartIsReported) {
  startService(defaultServiceTable());
  launchResult_ = LaunchOutcome::Kind::Failed;
  UpdateSession session({attachedItems()[1]}, config(service_->baseUrl()), reports_.callbacks());
  session.start();
  ASSERT_TRUE(reports_.waitFor([&] { return reports_.status() == kStatusHaveUpdate; }));
  session.confirmUpdate();
  ASSERT_TRUE(reports_.waitFor([&] { return !reports_.startFailures.empty() && reports_.status() == kStatusHaveUpdate; }));
  EXPECT_EQ(reports_.startFailures, std::vector<int>{0});
  EXPECT_EQ(session.rows()[0].state, kRowFailed);
  session.stop();
}

TEST_F(UpdateSessionTest, BackgroundCheckReportsWhetherAnUpdateExists) {
  auto table = defaultServiceTable();
  startService(table);
  ClientSettings client = config("").client;
  HttpClient http(client);
  const auto items = attachedItems();
  EXPECT_EQ(checkForUpdates(http, service_->baseUrl(), items), PassResult::UpdateFound);
  EXPECT_EQ(checkForUpdates(http, service_->baseUrl(), {items[0]}), PassResult::UpdateFound);
  EXPECT_EQ(checkForUpdates(http, "https://127.0.0.1:1/", items), PassResult::NoLink);
  UpdateItem unknown = items[1];
  unknown.installedVersion = 0x0200;  // newer than the service has
  EXPECT_EQ(checkForUpdates(http, service_->baseUrl(), {unknown}), PassResult::NoUpdate);
  const int before = service_->requestCount();
  unknown.installedVersion = 0;  // no version: not asked about
  EXPECT_EQ(checkForUpdates(http, service_->baseUrl(), {unknown}), PassResult::NoUpdate);
  EXPECT_EQ(service_->requestCount(), before);

  std::mutex m;
  std::condition_variable cv;
  std::vector<bool> results;
  BackgroundCheck check(service_->baseUrl(), client, [&](bool found) {
    std::lock_guard lock(m);
    results.push_back(found);
    cv.notify_all();
  });
  check.setItems(items);
  check.start();
  std::unique_lock lock(m);
  ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return results.size() == 1; }));
  check.setItems({unknown});
  check.recheck();
  ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return results.size() == 2; }));
  lock.unlock();
  check.stop();
  EXPECT_EQ(results, (std::vector<bool>{true, false}));
}

TEST(PackageLauncher, FirmwareRunsAsAProgramAndTheProgramsPackageGoesToTheOpener) {
  TempFolder folder;
  const std::string ok = folder.file("ok.run"), bad = folder.file("bad.run"), text = folder.file("notes.txt");
  test::writeBytes(ok, demoFirmwareScript("ok", 0, 0));
  test::writeBytes(bad, demoFirmwareScript("bad", 3, 0));
  test::writeBytes(text, "no shebang here\n");
  ::chmod(ok.c_str(), 0600);  // as downloaded: not executable

  EXPECT_TRUE(launchPackage(ok, 2, nullptr).ok());
  EXPECT_EQ(launchPackage(bad, 2, nullptr).kind, LaunchOutcome::Kind::Failed);
  EXPECT_EQ(launchPackage(text, 2, nullptr).kind, LaunchOutcome::Kind::Failed);  // never through a shell
  EXPECT_EQ(launchPackage(folder.file("missing.run"), 2, nullptr).kind, LaunchOutcome::Kind::Failed);
  ASSERT_EQ(::symlink(ok.c_str(), folder.file("link.run").c_str()), 0);
  EXPECT_EQ(launchPackage(folder.file("link.run"), 2, nullptr).kind, LaunchOutcome::Kind::Failed);

  // The program's own package is handed to the opener with the file as its argument.
  const std::string opener = folder.file("opener");
  test::writeBytes(opener, "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened\"\n");
  ::chmod(opener.c_str(), 0700);
  EXPECT_TRUE(launchPackage(text, kAppPackageDeviceId, nullptr, {opener}).ok());
  EXPECT_EQ(test::fileBytes(folder.file("opened")), text + "\n");
  EXPECT_EQ(launchPackage(text, kAppPackageDeviceId, nullptr, {folder.file("no-opener")}).kind,
            LaunchOutcome::Kind::Failed);

  // A stop while the package runs ends the wait, not the package.
  const std::string slow = folder.file("slow.run");
  test::writeBytes(slow, "#!/bin/sh\n: > \"$0.started\"\nexec sleep 1\n");
  Event stop(Event::Reset::Manual);
  std::thread stopper([&] {
    while (!test::exists(slow + ".started")) sleepMs(5);
    stop.set();
  });
  EXPECT_EQ(launchPackage(slow, 2, &stop).kind, LaunchOutcome::Kind::StillRunning);
  stopper.join();
}

TEST(UpdateServiceTable, DemoTableAnswersTheKeysTheProgramSends) {
  const auto items = attachedItems();
  const auto table = defaultServiceTable();
  ASSERT_EQ(items.size(), table.size());
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(appKey(items[i].key), table[i].appKey);
}

}  // namespace
}  // namespace kavro::update
