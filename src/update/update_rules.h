#pragma once
// The update page's rules as plain functions: row states and their texts,
// window statuses, reading the service's answer, download progress.
#include <cstdint>
#include <string>
#include <vector>

#include "update/http_client.h"
#include "update/update_items.h"

namespace kavro::update {

// Row states.
enum RowState : int {
  kRowUnavailable = 0,   // "LessUpdateText"
  kRowNewVersion = 1,    // "NeedUpdateText"
  kRowNewVersion2 = 2,   // "NeedUpdateText"
  kRowWaiting = 3,       // "DownloadWaitText"
  kRowDownloading = 4,   // "DownloadIngText"
  kRowDownloaded = 5,    // "DownloadOkText"
  kRowUpdating = 6,      // "UpdateIngText"
  kRowUpToDate = 7,      // "UpdateOkText"
  kRowFailed = 8,        // "UpdateFailText"
};
inline constexpr int kRowStateCount = 9;

// Window statuses.
enum WindowStatus : int {
  kStatusChecking = 0,    // "GetUpdateInfoText"
  kStatusHaveUpdate = 1,  // "HaveUpdateInfoText"
  kStatusNoAnswer = 2,    // "NoUpdateInfoText"
  kStatusUpdating = 3,    // "ISUpdateINGText"
  kStatusLatest = 4,      // "UpdateIsLastText" + the date of the last check
};

// The device id in an answer that marks the program's own package.
inline constexpr int kAppPackageDeviceId = 1;
// Bytes of answer the query keeps.
inline constexpr size_t kAnswerCapacity = 102400;
// Height of one update row.
inline constexpr int kRowHeight = 50;

// Language key of a row state's status text ("" for an unknown state).
const char* rowStateTextKey(int state);
bool rowShowsProgress(int state);   // downloading or updating
bool rowShowsDoneMark(int state);   // downloaded
bool rowCanTick(int state);         // a new version, or a failure to retry
const char* windowStatusTextKey(int status);

// What one answer of the service says about one item.
struct UpdateInfo {
  int state = kRowUpToDate;
  int deviceId = 0;
  std::string name;                // "name" of the answer: the package's file name
  std::string currentVersionText;  // "V%04x" / "V%d" of the installed version
  std::string newVersionText;      // "V" + "version" (hex), or "version_name"
  std::string versionName;
  std::string path;                // the package's address
  std::string packageFile;         // update folder + name
  std::string sha256;              // expected digest, when the answer has one
  bool answered = false;           // false: no usable answer (counts as a failure)
  std::string problem;             // why the answer was not usable
};

// Reads the service's answer text for item. serviceIsHttps refuses package
// addresses that fall back to plain http.
UpdateInfo evaluateAnswer(const UpdateItem& item, const std::string& answer, const std::string& updateFolder,
                          bool serviceIsHttps);

// A package file name that stays in the update folder: not empty, at most 255
// bytes, no '/', '\\' or control characters, no "..", no leading dot.
bool isSafePackageName(const std::string& name);
// A version text: hexadecimal digits (hex) or decimal digits, at most 8.
bool parseVersionText(const std::string& text, bool hex, int* value);

// Progress in percent: bytes so far × 100 / total (0 when total is 0).
int progressPercent(uint64_t soFar, uint64_t total);
// The row state after a progress report: 5 when all bytes arrived, 8 when the
// total is 0 (a failure), else unchanged.
int stateAfterProgress(int state, uint64_t total, uint64_t soFar);

// Language key of the reason shown on a row whose answer was not usable
// (no connection, or an answer that was refused).
const char* answerFailureTextKey(const UpdateInfo& info);
// Language key of the reason shown on a row whose download failed; "" for
// a download that was cancelled (the window is closing) or succeeded.
const char* downloadFailureTextKey(DownloadStatus status);
// Language key shown on a row whose package could not be started.
inline constexpr char kStartFailureTextKey[] = "update_fail_start";

// The window status once the check has filled every row.
int statusAfterCheck(const std::vector<int>& rowStates, int failures);
// The window status after a download or start pass.
int statusAfterUpdate(const std::vector<int>& rowStates);

}  // namespace kavro::update
