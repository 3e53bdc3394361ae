#include "macros/macro_model.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "macros/file_bytes.h"
#include "profiles/json_file.h"

namespace kavro::macros {
namespace {

namespace fs = std::filesystem;

// Two macros made within the same millisecond would share an event file, so
// a new id moves on by a millisecond until it is free; this bounds the search.
constexpr int kMaxIdAttempts = 1000;

std::string withTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool pathExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

MacroModel::MacroModel(std::string folder, Clock clock)
    : folder_(withTrailingSeparator(std::move(folder))), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
}

std::string MacroModel::indexPath() const { return folder_ + kMacroIndexFileName; }

std::string MacroModel::eventFilePath(std::size_t i) const {
  if (i >= entries_.size() || !isUsableMacroId(entries_[i].id)) return {};
  return folder_ + entries_[i].id + kMacroFileExtension;
}

void MacroModel::loadIndex() {
  index_ = profiles::readJsonDocument(indexPath());
  entries_ = entriesFromIndex(index_);
}

std::vector<std::string> MacroModel::names() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& e : entries_) out.push_back(e.name);
  return out;
}

Json::Value& MacroModel::infoArray(Json::Value& index) const {
  if (!index.isObject()) index = Json::Value(Json::objectValue);
  Json::Value& info = index[kIndexMacroInfo];
  if (!info.isArray()) info = Json::Value(Json::arrayValue);
  return info;
}

bool MacroModel::writeIndex(const Json::Value& index) {
  std::error_code ec;
  if (!folder_.empty()) fs::create_directories(folder_, ec);
  return profiles::wirtejsonFile(indexPath(), index) == 0;
}

bool MacroModel::idInUse(const std::string& id) const {
  for (const auto& e : entries_) {
    if (e.id == id) return true;
  }
  return pathExists(folder_ + id + kMacroFileExtension);
}

std::string MacroModel::newMacroId() const {
  auto when = clock_();
  std::string id = formatMacroId(toLocalTime(when));
  for (int attempt = 0; attempt < kMaxIdAttempts && idInUse(id); ++attempt) {
    when += std::chrono::milliseconds(1);
    id = formatMacroId(toLocalTime(when));
  }
  return id;
}

std::string MacroModel::addMacro() {
  if (entries_.size() >= kMaxMacros) return {};
  MacroEntry entry{nextDefaultName(names()), newMacroId()};
  Json::Value next = index_;
  Json::Value item(Json::objectValue);
  item[kMacroName] = entry.name;
  item[kMacroGuid] = entry.id;
  infoArray(next).append(std::move(item));
  if (!writeIndex(next)) return {};
  index_ = std::move(next);
  entries_.push_back(entry);
  return entry.name;
}

bool MacroModel::deleteMacro(std::size_t i) {
  if (i >= entries_.size()) return false;
  Json::Value next = index_;
  Json::Value removed;
  if (!infoArray(next).removeIndex(static_cast<Json::ArrayIndex>(i), &removed)) return false;
  // The index goes first: if it cannot be written the macro stays whole.
  if (!writeIndex(next)) return false;
  const std::string path = eventFilePath(i);
  bool shared = false;  // a damaged index may list one id twice
  for (std::size_t j = 0; j < entries_.size(); ++j) {
    if (j != i && entries_[j].id == entries_[i].id) shared = true;
  }
  if (!path.empty() && !shared) std::remove(path.c_str());
  index_ = std::move(next);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  return true;
}

MacroModel::RenameResult MacroModel::renameMacro(std::size_t i, const std::string& newName) {
  if (i >= entries_.size()) return RenameResult::NoSuchMacro;
  if (newName.empty()) return RenameResult::EmptyName;
  if (newName.find(' ') != std::string::npos) return RenameResult::HasSpace;
  for (const auto& e : entries_) {
    if (sameNameIgnoringCase(e.name, newName)) return RenameResult::NameTaken;
  }
  Json::Value next = index_;
  Json::Value& item = infoArray(next)[static_cast<Json::ArrayIndex>(i)];
  if (!item.isObject()) item = Json::Value(Json::objectValue);
  item[kMacroName] = newName;
  if (!writeIndex(next)) return RenameResult::WriteFailed;
  index_ = std::move(next);
  entries_[i].name = newName;
  return RenameResult::Renamed;
}

std::vector<MacroEvent> MacroModel::loadEvents(std::size_t i) const {
  const std::string path = eventFilePath(i);
  if (path.empty()) return {};
  return eventsFromMacroFile(profiles::readJsonDocument(path));
}

bool MacroModel::saveEvents(std::size_t i, const std::vector<MacroEvent>& events) {
  const std::string path = eventFilePath(i);
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(folder_, ec);
  const Json::Value doc = macroFileDocument(entries_[i].name, entries_[i].id, events);
  return profiles::wirtejsonFile(path, doc) == 0;
}

bool MacroModel::exportMacro(std::size_t i, const std::string& targetPath) const {
  const std::string path = eventFilePath(i);
  if (path.empty()) return false;
  const auto bytes = readFileBytes(path, profiles::kMaxJsonFileBytes);
  return bytes && writeFileBytes(targetPath, *bytes);
}

std::string MacroModel::importMacro(const std::string& sourcePath) {
  if (entries_.size() >= kMaxMacros) return {};
  // Read first, so an unreadable source adds nothing.
  const auto bytes = readFileBytes(sourcePath, profiles::kMaxJsonFileBytes);
  if (!bytes) return {};
  std::string name = addMacro();
  if (name.empty()) return {};
  const std::size_t added = entries_.size() - 1;
  if (!writeFileBytes(eventFilePath(added), *bytes)) {
    deleteMacro(added);
    return {};
  }
  return name;
}

std::vector<std::string> readVexorMacroNames(const std::string& userFolder) {
  std::string folder = withTrailingSeparator(userFolder);
  return namesFromIndex(profiles::readJsonDocument(folder + kVexorMacroIndexFileName));
}

}  // namespace kavro::macros
