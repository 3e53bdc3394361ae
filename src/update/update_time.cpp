#include "update/update_time.h"

#include <ctime>

#include "platform/debug.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"

namespace kavro::update {

namespace {

constexpr int kTmYearBase = 1900;

std::string filePath(const std::string& folder) { return profiles::joinPath(folder, kUpdateTimeFileName); }

}  // namespace

std::string formatCheckDate(int year, int month, int day) { return dbg::format("%d-%d-%d", year, month, day); }

std::string todayText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return formatCheckDate(local.tm_year + kTmYearBase, local.tm_mon + 1, local.tm_mday);
}

std::string openLastCheckDate(const std::string& folder, const std::string& today) {
  const Json::Value doc = profiles::readJsonDocument(filePath(folder));
  const Json::Value& value = profiles::json::member(profiles::json::member(doc, kUpdateTimeKey), kUpdateTimeValueKey);
  if (value.isString()) return profiles::json::toString(value);
  if (!writeLastCheckDate(folder, today)) dbg::printf("update: cannot write %s\n", filePath(folder).c_str());
  return today;
}

bool writeLastCheckDate(const std::string& folder, const std::string& date) {
  if (!profiles::ensureFolder(folder)) return false;
  Json::Value doc(Json::objectValue);
  doc[kUpdateTimeKey][kUpdateTimeValueKey] = date;
  return profiles::wirtejsonFile(filePath(folder), doc) == 0;
}

std::string updateSettingsFolder() { return profiles::userDataRoot(); }

std::string defaultUpdateFolder() { return profiles::joinPath(profiles::userDataRoot(), kUpdateFolderName); }

}  // namespace kavro::update
