#pragma once
// The update page's workers: while the settings window is open, a check
// thread asks the service about every item once, a download thread fetches
// the packages the user confirmed, and a start thread starts the downloaded
// packages one after another. The window only shows what they report and
// forwards the user's ticks and confirmation.
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "update/http_client.h"
#include "update/package_launcher.h"
#include "update/update_items.h"
#include "update/update_rules.h"

namespace kavro::update {

// Where the workers look and what they use; the defaults are the program's.
struct UpdateConfig {
  std::string serviceBase = updateServiceBase();
  std::string updateFolder;    // packages; empty: defaultUpdateFolder()
  std::string settingsFolder;  // "updatetime.config"; empty: updateSettingsFolder()
  ClientSettings client = ClientSettings::fromEnvironment();
  LaunchSettings launch;
  // Starts a package (replaceable in tests); empty: launchPackage.
  std::function<LaunchOutcome(const std::string& file, int deviceId, Event* stop)> launcher;
  // Today's date as stored in "updatetime.config"; empty: todayText.
  std::function<std::string()> today;
};

// What one row of the update list shows.
struct UpdateRow {
  std::string rowName;             // "AP" for the program, else the item name
  std::string displayName;
  std::string currentVersionText;
  std::string newVersionText;      // empty while the row offers nothing
  int state = kRowUpToDate;
  int progress = 0;                // percent, while downloading
  bool ticked = false;
  bool tickable = false;
  int height = kRowHeight;
  UpdateInfo info;                 // the answer: package address, file, device id
  std::string failureKey;          // language key of why the row failed; empty when it did not
  const char* stateTextKey() const { return rowStateTextKey(state); }
};

// Reports of the workers. They are called on the worker threads, one at a
// time and in order; a callback must not wait for the window thread (post
// to it instead), because the window thread may be waiting in stop().
struct UpdateCallbacks {
  std::function<void(int status, const std::string& lastCheckDate)> status;
  std::function<void(int row, const UpdateRow& shown)> row;    // a row was added or changed
  std::function<void(bool shown, bool enabled)> updateButton;  // "update_fw_and_ap"
  std::function<void()> downloadPassDone;                      // after each download pass
  std::function<void(int row, const std::string& detail)> startFailed;  // "Update failed!"
};

class UpdateSession {
 public:
  UpdateSession(std::vector<UpdateItem> items, UpdateConfig config, UpdateCallbacks callbacks);
  ~UpdateSession();
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  // Opening the window: reads (or creates) "updatetime.config" and starts the
  // three workers; the check begins at once.
  void start();
  // Closing the window: stops the workers and waits for them (transfers stop
  // within about a second; a running firmware program is left to finish).
  void stop();

  // The user's tick on a row; refused (false) for a row that cannot be ticked.
  bool setTicked(int row, bool ticked);
  // The confirmation ("update_OK_btn"): ticked rows with a new version wait
  // for download, the update button is disabled and the download starts.
  void confirmUpdate();

  std::vector<UpdateRow> rows() const;
  int status() const;
  std::string lastCheckDate() const;

 private:
  void runCheck();
  void runDownloads();
  void runStarts();
  void checkAll();
  void downloadPass();
  void downloadRow(int i);
  void startPass();
  void finishPass();
  void setStatus(int status);
  void emitRow(int i);
  void emitButton(bool shown, bool enabled);
  std::vector<int> states() const;
  int pickStartRow();

  const std::vector<UpdateItem> items_;
  UpdateConfig config_;
  UpdateCallbacks callbacks_;
  Event stop_{Event::Reset::Manual};
  Event downloadRequest_{Event::Reset::Auto};
  Event startRequest_{Event::Reset::Auto};
  HttpClient client_;
  mutable std::mutex mutex_;      // rows_, status_, lastCheckDate_
  std::mutex emitMutex_;          // keeps the reports in order
  std::vector<UpdateRow> rows_;
  int status_ = kStatusChecking;
  std::string lastCheckDate_;
  std::vector<std::thread> threads_;
};

}  // namespace kavro::update
