#include "profiles/profile_list.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/debug.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_paths.h"

namespace kavro::profiles {
namespace {

constexpr std::size_t kMaxIdLength = 200;

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool nameTaken(const std::string& name, const std::vector<std::string>& names) {
  for (const auto& n : names) {
    if (sameProfileName(n, name)) return true;
  }
  return false;
}

// The identifier for the current local time, without a suffix.
std::string timeStampId() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&secs, &local);
  return formatProfileId(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec, static_cast<int>(ms));
}

std::mutex g_idMutex;
std::string g_lastStamp;
int g_sameStampCount = 0;

}  // namespace

bool isValidProfileId(const std::string& id) {
  return id.size() <= kMaxIdLength && isPlainFileName(id) && isPlainFileName(id + kProfileExtension);
}

ProfileListCheck checkProfileList(const Json::Value& document) {
  ProfileListCheck check;
  ProfileList& list = check.list;
  list.document = document.isObject() ? document : Json::Value(Json::objectValue);
  const Json::Value& array = json::member(document, keys::kProfileListArray);
  check.damaged = !array.isArray();
  for (Json::ArrayIndex i = 0; i < json::arraySize(array); ++i) {
    const Json::Value& e = array[i];
    const Json::Value& name = json::member(e, keys::kProfileName);
    ProfileEntry entry{json::toString(name), json::toString(json::member(e, keys::kProfileUuid)), e};
    if (!e.isObject() || !isValidProfileId(entry.id) || list.entries.size() >= static_cast<std::size_t>(kMaxProfiles)) {
      check.damaged = true;
      continue;
    }
    if (!name.isString()) check.damaged = true;
    list.entries.push_back(std::move(entry));
  }
  list.select = json::toInt(json::member(document, keys::kProfileSelect));
  if (list.select < 0 || list.select >= static_cast<int>(list.entries.size())) list.select = 0;
  return check;
}

ProfileList profileListFromJson(const Json::Value& document) { return checkProfileList(document).list; }

Json::Value profileEntryJson(const std::string& name, const std::string& id) {
  Json::Value e(Json::objectValue);
  e[keys::kProfileName] = json::sanitizeUtf8(name);
  e[keys::kProfileUuid] = id;
  e[keys::kProfileIsLink] = 0;
  e[keys::kProfileLinkName] = "";
  return e;
}

Json::Value profileListToJson(const ProfileList& list) {
  Json::Value document = list.document.isObject() ? list.document : Json::Value(Json::objectValue);
  Json::Value array(Json::arrayValue);
  for (const auto& entry : list.entries) {
    Json::Value e = entry.extra.isObject() ? entry.extra : profileEntryJson(entry.name, entry.id);
    e[keys::kProfileName] = json::sanitizeUtf8(entry.name);
    e[keys::kProfileUuid] = entry.id;
    if (!e.isMember(keys::kProfileIsLink)) e[keys::kProfileIsLink] = 0;
    if (!e.isMember(keys::kProfileLinkName)) e[keys::kProfileLinkName] = "";
    array.append(e);
  }
  document[keys::kProfileListArray] = array;
  document[keys::kProfileSelect] = list.select;
  return document;
}

ProfileList readProfileList(const std::string& path) {
  const DocumentRead read = readJsonDocumentChecked(path, kMaxProfileListBytes);
  return profileListFromJson(read.document);
}

int writeProfileList(const std::string& path, const ProfileList& list) {
  return wirtejsonFile(path, profileListToJson(list));
}

ProfileList defaultProfileList(const std::string& id) {
  ProfileList list;
  list.document = Json::Value(Json::objectValue);
  list.entries.push_back({kFirstProfileName, id, profileEntryJson(kFirstProfileName, id)});
  list.select = 0;
  return list;
}

std::string formatProfileId(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  return dbg::format("%d_%02d_%02d_%02d_%02d_%02d_%03d", year, month, day, hour, minute, second, millisecond);
}

std::string newProfileId() {
  const std::string stamp = timeStampId();
  std::lock_guard<std::mutex> lock(g_idMutex);
  // The clock can step back; any repeat of the last stamp counts on.
  if (stamp == g_lastStamp) {
    ++g_sameStampCount;
    return stamp + "_" + std::to_string(g_sameStampCount);
  }
  g_lastStamp = stamp;
  g_sameStampCount = 0;
  return stamp;
}

std::string newProfileId(const std::string& folder) {
  for (;;) {
    std::string id = newProfileId();
    std::error_code ec;
    if (folder.empty() || !std::filesystem::exists(joinPath(folder, id + kProfileExtension), ec)) return id;
  }
}

bool sameProfileName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

std::string nextNewProfileName(const std::vector<std::string>& names) {
  for (int n = 1;; ++n) {
    std::string name = dbg::format("Profile %d", n);
    if (!nameTaken(name, names)) return name;
  }
}

std::string copyProfileName(const std::string& name, const std::vector<std::string>& names) {
  std::string candidate = name + " Copy";
  while (nameTaken(candidate, names)) candidate += " Copy";
  return candidate;
}

std::string importProfileName(const std::string& candidate, const std::vector<std::string>& names) {
  std::string name = candidate;
  for (int k = 1; nameTaken(name, names); ++k) name += "(" + std::to_string(k) + ")";
  return name;
}

Json::Value makeProfileDocument(const Json::Value& source, const std::string& name, const std::string& id) {
  Json::Value document = source.isObject() ? source : Json::Value(Json::objectValue);
  document[keys::kProfileName] = json::sanitizeUtf8(name);
  document[keys::kProfileUuid] = id;
  return document;
}

Json::Value resetProfileDocument(const Json::Value& factory, const Json::Value& current, const std::string& name,
                                 const std::string& id, bool keepCustomEq) {
  Json::Value document = makeProfileDocument(factory, name, id);
  if (!keepCustomEq) return document;
  const Json::Value& oldNode = json::element(json::member(current, keys::kDevice), 0);
  Json::Value& newNode = json::slot(json::slot(document, keys::kDevice), Json::ArrayIndex{0});
  for (const char* key : {keys::kCustomEqNameInfo, keys::kCustomEqHzValueInfo}) {
    json::slot(newNode, key) = json::member(oldNode, key);
  }
  return document;
}

}  // namespace kavro::profiles
