#include "profiles/profile_list_repair.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <dirent.h>

#include "platform/debug.h"
#include "profiles/file_care.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_paths.h"

namespace kavro::profiles {
namespace {

const std::string kExtension = kProfileExtension;

// Identifiers of the "<id>.Json" names in folder, sorted. Only names are
// looked at here, so a folder of any size costs one pass over its names.
std::vector<std::string> documentIdsIn(const std::string& folder) {
  std::vector<std::string> ids;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return ids;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= kExtension.size() || name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
      continue;
    }
    std::string id = name.substr(0, name.size() - kExtension.size());
    if (isValidProfileId(id)) ids.push_back(std::move(id));
  }
  ::closedir(dir);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// The document of id as a found profile; false when it is not one of ours.
bool readFoundProfile(const std::string& folder, const std::string& id, FoundProfile& out) {
  const DocumentRead read = readJsonDocumentChecked(joinPath(folder, id + kProfileExtension));
  if (read.state == DocumentState::Missing || read.file.state == FileState::NotRegular) return false;
  out = FoundProfile{id, {}};
  if (read.state != DocumentState::Ok) return true;  // ours, but unreadable or damaged: name unknown
  const Json::Value& uuid = json::member(read.document, keys::kProfileUuid);
  if (uuid.isString() && uuid.asString() != id) return false;
  out.name = documentProfileName(read.document);
  return true;
}

// The names the documents give to list entries without a usable name.
std::vector<FoundProfile> namesOfUnnamedEntries(const std::string& folder, const ProfileList& list) {
  std::vector<FoundProfile> found;
  for (const ProfileEntry& entry : list.entries) {
    if (isUsableProfileName(entry.name)) continue;
    FoundProfile f;
    if (readFoundProfile(folder, entry.id, f)) found.push_back(std::move(f));
  }
  return found;
}

std::string foundNameOf(const std::vector<FoundProfile>& found, const std::string& id) {
  for (const FoundProfile& f : found) {
    if (f.id == id) return f.name;
  }
  return {};
}

bool listHasId(const ProfileList& list, const std::string& id) {
  return std::any_of(list.entries.begin(), list.entries.end(), [&](const ProfileEntry& e) { return e.id == id; });
}

std::string freeName(const std::string& candidate, const std::vector<std::string>& taken) {
  return isUsableProfileName(candidate) ? importProfileName(candidate, taken) : nextNewProfileName(taken);
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::path(path), ec);
}

// Gives the selected profile's document the list's name when they differ
// (a rename cut short between its two writes).
void syncSelectedDocumentName(const std::string& folder, const ProfileList& list) {
  if (list.entries.empty()) return;
  const ProfileEntry& entry = list.entries[static_cast<std::size_t>(list.select)];
  const std::string path = joinPath(folder, entry.id + kProfileExtension);
  DocumentRead read = readJsonDocumentChecked(path);
  if (read.state != DocumentState::Ok || !read.document.isObject()) return;
  const std::string name = json::sanitizeUtf8(entry.name);
  const Json::Value& stored = json::member(read.document, keys::kProfileName);
  if (stored.isString() && stored.asString() == name) return;
  read.document[keys::kProfileName] = name;
  if (wirtejsonFile(path, read.document) != 0) dbg::write("profile name not synchronised: " + path + "\n");
}

// First-time set-up: "Profile 1" from the factory profile, its document
// before the list. Nothing stays on disk unless both were written.
bool createFirstProfile(const std::string& folder, const std::string& factoryPath, ProfileList& list) {
  const std::string id = newProfileId(folder);
  list = defaultProfileList(id);
  const std::string docPath = joinPath(folder, id + kProfileExtension);
  const Json::Value doc = makeProfileDocument(readJsonDocument(factoryPath), kFirstProfileName, id);
  if (wirtejsonFile(docPath, doc) != 0) return false;
  if (writeProfileList(joinPath(folder, kProfileListFileName), list) == 0) return true;
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(docPath), ec);
  return false;
}

}  // namespace

bool isUsableProfileName(const std::string& name) { return name.find_first_not_of(" \t\r\n") != std::string::npos; }

std::string documentProfileName(const Json::Value& document) {
  const Json::Value& name = json::member(document, keys::kProfileName);
  if (!name.isString()) return {};
  std::string text = json::toString(name);
  return isUsableProfileName(text) ? text : std::string();
}

std::vector<FoundProfile> findProfileDocuments(const std::string& folder, const std::set<std::string>& known,
                                               std::size_t limit) {
  std::vector<FoundProfile> found;
  for (const std::string& id : documentIdsIn(folder)) {
    if (found.size() >= limit) break;
    if (known.count(id) != 0) continue;
    FoundProfile f;
    if (readFoundProfile(folder, id, f)) found.push_back(std::move(f));
  }
  return found;
}

bool completeProfileList(ProfileList& list, const std::vector<FoundProfile>& found) {
  bool changed = false;
  std::vector<std::string> taken;
  for (const ProfileEntry& e : list.entries) {
    if (isUsableProfileName(e.name)) taken.push_back(e.name);
  }
  for (ProfileEntry& e : list.entries) {
    if (isUsableProfileName(e.name)) continue;
    e.name = freeName(foundNameOf(found, e.id), taken);
    taken.push_back(e.name);
    changed = true;
  }
  for (const FoundProfile& f : found) {
    if (list.entries.size() >= static_cast<std::size_t>(kMaxProfiles)) break;
    if (listHasId(list, f.id)) continue;
    const std::string name = freeName(f.name, taken);
    list.entries.push_back({name, f.id, profileEntryJson(name, f.id)});
    taken.push_back(name);
    changed = true;
  }
  return changed;
}

OpenedProfileList openProfileList(const std::string& folder, const std::string& factoryPath) {
  OpenedProfileList out;
  const std::string listPath = joinPath(folder, kProfileListFileName);
  const DocumentRead read = readJsonDocumentChecked(listPath, kMaxProfileListBytes);
  ProfileListCheck check = checkProfileList(read.document);
  out.rebuilt = read.state != DocumentState::Ok || check.damaged;
  // The list is replaced only after a copy of a damaged one is kept; a
  // folder in its place is left alone, and the list is then not kept.
  bool writable = true;
  if (out.rebuilt && read.state != DocumentState::Missing) {
    if (isFolder(listPath)) {
      writable = false;
    } else {
      out.damagedCopy = keepDamagedCopy(listPath, read.file.bytes);
      writable = !out.damagedCopy.empty();
    }
  }
  ProfileList& list = check.list;
  std::vector<FoundProfile> found = namesOfUnnamedEntries(folder, list);
  std::set<std::string> known;
  for (const ProfileEntry& e : list.entries) known.insert(e.id);
  const std::size_t room = static_cast<std::size_t>(kMaxProfiles) - list.entries.size();
  for (FoundProfile& f : findProfileDocuments(folder, known, room)) found.push_back(std::move(f));
  const bool changed = completeProfileList(list, found) || out.rebuilt;
  if (list.entries.empty()) {
    out.created = true;
    if (writable) out.kept = createFirstProfile(folder, factoryPath, list);
    else list = defaultProfileList(newProfileId(folder));
  } else {
    out.kept = !changed || (writable && writeProfileList(listPath, list) == 0);
    // The names of a list read whole are the ones the user last saw.
    if (!out.rebuilt) syncSelectedDocumentName(folder, list);
  }
  out.list = std::move(list);
  return out;
}

}  // namespace kavro::profiles
