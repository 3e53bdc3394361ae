#include "update/update_rules.h"

#include <cctype>
#include <cstdint>

#include "platform/debug.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "update/http_client.h"
#include "update/sha256.h"

namespace kavro::update {

namespace {

namespace json = profiles::json;

constexpr size_t kMaxPackageNameBytes = 255;
constexpr size_t kMaxVersionDigits = 8;
constexpr size_t kProblemTextBytes = 200;  // how much of a bad answer the debug line keeps
constexpr int kPercent = 100;

constexpr const char* kRowTextKeys[kRowStateCount] = {
    "LessUpdateText", "NeedUpdateText", "NeedUpdateText", "DownloadWaitText", "DownloadIngText",
    "DownloadOkText", "UpdateIngText",  "UpdateOkText",   "UpdateFailText",
};
constexpr const char* kStatusTextKeys[] = {
    "GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText",
};

bool offersUpdate(int state) { return state != kRowUpToDate && state != kRowUnavailable; }

UpdateInfo unanswered(UpdateInfo info, const std::string& problem) {
  info.state = kRowUpToDate;
  info.answered = false;
  info.problem = problem;
  info.newVersionText = info.currentVersionText;
  return info;
}

// Checks the members that a download would use; empty when they are fine.
std::string packageProblem(const UpdateInfo& info, bool serviceIsHttps) {
  if (!isSafePackageName(info.name)) return "unsafe package name";
  if (!isHttpUrl(info.path)) return "package address is not http(s)";
  if (serviceIsHttps && !isHttpsUrl(info.path)) return "package address leaves https";
  if (!info.sha256.empty() && !isSha256Hex(info.sha256)) return "malformed sha256";
  return {};
}

}  // namespace

const char* rowStateTextKey(int state) {
  return state >= 0 && state < kRowStateCount ? kRowTextKeys[state] : "";
}

bool rowShowsProgress(int state) { return state == kRowDownloading || state == kRowUpdating; }
bool rowShowsDoneMark(int state) { return state == kRowDownloaded; }
bool rowCanTick(int state) { return state == kRowNewVersion || state == kRowNewVersion2 || state == kRowFailed; }

const char* windowStatusTextKey(int status) {
  return status >= kStatusChecking && status <= kStatusLatest ? kStatusTextKeys[status] : "";
}

bool isSafePackageName(const std::string& name) {
  if (name.empty() || name.size() > kMaxPackageNameBytes || name[0] == '.') return false;
  if (name.find("..") != std::string::npos || !profiles::isPlainFileName(name)) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '\\') return false;
  }
  return true;
}

bool parseVersionText(const std::string& text, bool hex, int* value) {
  if (text.empty() || text.size() > kMaxVersionDigits) return false;
  int64_t v = 0;
  for (unsigned char c : text) {
    if (hex ? !std::isxdigit(c) : !std::isdigit(c)) return false;
    const int digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    v = v * (hex ? 16 : 10) + digit;
  }
  if (v > INT32_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

UpdateInfo evaluateAnswer(const UpdateItem& item, const std::string& answer, const std::string& updateFolder,
                          bool serviceIsHttps) {
  UpdateInfo info;
  info.currentVersionText = currentVersionText(item);
  if (answer.compare(0, kNoLinkServerLength, kNoLinkServer) == 0) return unanswered(info, kNoLinkServer);
  const Json::Value doc = profiles::parseJsonText(answer);
  if (!doc.isObject()) return unanswered(info, "not a JSON object: " + answer.substr(0, kProblemTextBytes));
  info.name = json::toString(json::member(doc, "name"));
  info.path = json::toString(json::member(doc, "path"));
  info.versionName = json::toString(json::member(doc, "version_name"));
  info.deviceId = json::toInt(json::member(doc, "device_id"));
  info.sha256 = json::toString(json::member(doc, "sha256"));
  const std::string version = json::toString(json::member(doc, "version"));
  int newest = 0;
  if (!parseVersionText(version, item.hexVersion, &newest)) return unanswered(info, "no usable version");
  info.answered = true;
  info.state = item.installedVersion < newest ? kRowNewVersion : kRowUpToDate;
  if (info.state == kRowUpToDate) return info;
  if (const std::string problem = packageProblem(info, serviceIsHttps); !problem.empty()) {
    return unanswered(info, problem);
  }
  info.newVersionText = item.hexVersion ? "V" + version : info.versionName;
  info.packageFile = profiles::joinPath(updateFolder, info.name);
  return info;
}

const char* answerFailureTextKey(const UpdateInfo& info) {
  if (info.answered) return "";
  return info.problem == kNoLinkServer ? "update_fail_no_link" : "update_fail_bad_answer";
}

const char* downloadFailureTextKey(DownloadStatus status) {
  switch (status) {
    case DownloadStatus::Ok:
    case DownloadStatus::Cancelled: return "";
    case DownloadStatus::NoLink: return "update_fail_no_link";
    case DownloadStatus::BadUrl: return "update_fail_bad_answer";
    case DownloadStatus::HttpError: return "update_fail_server";
    case DownloadStatus::ChecksumMismatch: return "update_fail_checksum";
    case DownloadStatus::FileError: return "update_fail_file";
    case DownloadStatus::NoSize:
    case DownloadStatus::TooLarge:
    case DownloadStatus::Broken:
    case DownloadStatus::SizeMismatch: return "update_fail_broken";
  }
  return "update_fail_broken";
}

int progressPercent(uint64_t soFar, uint64_t total) {
  if (total == 0) return 0;
  if (soFar >= total) return kPercent;
  return static_cast<int>(soFar * kPercent / total);
}

int stateAfterProgress(int state, uint64_t total, uint64_t soFar) {
  if (total == 0) return kRowFailed;
  if (soFar == total) return kRowDownloaded;
  return state;
}

int statusAfterCheck(const std::vector<int>& rowStates, int failures) {
  for (int s : rowStates) {
    if (offersUpdate(s)) return kStatusHaveUpdate;
  }
  if (!rowStates.empty() && failures >= static_cast<int>(rowStates.size())) return kStatusNoAnswer;
  return kStatusLatest;
}

int statusAfterUpdate(const std::vector<int>& rowStates) {
  bool offered = false;
  for (int s : rowStates) {
    if (s >= kRowWaiting && s <= kRowUpdating) return kStatusUpdating;
    offered = offered || offersUpdate(s);
  }
  return offered ? kStatusHaveUpdate : kStatusLatest;
}

}  // namespace kavro::update
