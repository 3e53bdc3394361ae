#pragma once
// "updatetime.config": the date of the last update check,
// {"updatelasttime": {"value": "2024-3-7"}}, and the update folders.
#include <string>

namespace kavro::update {

inline constexpr char kUpdateTimeFileName[] = "updatetime.config";
inline constexpr char kUpdateTimeKey[] = "updatelasttime";
inline constexpr char kUpdateTimeValueKey[] = "value";
inline constexpr char kUpdateFolderName[] = "Update";

// "%d-%d-%d": year, month, day without leading zeros.
std::string formatCheckDate(int year, int month, int day);
// Today's local date in that form.
std::string todayText();

// The stored date of the last check in folder. When the file or its value is
// missing, today is written into it (creating the file) and returned.
std::string openLastCheckDate(const std::string& folder, const std::string& today);
// Stores date as the last check. False when the file could not be written.
bool writeLastCheckDate(const std::string& folder, const std::string& date);

// Where "updatetime.config" lives: the per-user data folder.
std::string updateSettingsFolder();
// Where packages are downloaded: the per-user data folder + "Update".
std::string defaultUpdateFolder();

}  // namespace kavro::update
