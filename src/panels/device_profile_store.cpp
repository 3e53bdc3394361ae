#include "panels/device_profile_store.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "profiles/file_care.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_paths.h"

namespace kavro::panels {

namespace pf = kavro::profiles;

namespace {

constexpr const char* kTabNames[kFeatureTabCount] = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab",
                                                     "system_Op_tab", "cursor_Op_tab",     "6533_voice_Op_tab",
                                                     "magic_Op_tab"};

// Device type numbers the tab rules know.
constexpr int kTypeKeyboard = 1;
constexpr int kTypeMousepad = 3;
constexpr int kTypeHeadset = 4;
constexpr int kTypeHub = 5;
constexpr int kTypeHeadsetAudioChip = 7;

bool validIndex(const pf::ProfileList& list, int index) {
  return index >= 0 && index < static_cast<int>(list.entries.size());
}

bool contains(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

}  // namespace

// ---- feature tabs -----------------------------------------------------------

const char* featureTabName(int tab) { return tab >= 1 && tab <= kFeatureTabCount ? kTabNames[tab - 1] : nullptr; }

int featureTabNumber(std::string_view name) {
  for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
    if (name == kTabNames[tab - 1]) return tab;
  }
  return 0;
}

TabVisibility tabVisibilityFor(int deviceType) {
  switch (deviceType) {
    case kTypeKeyboard: return {{kTabCursor}, {}};
    case kTypeMousepad:
    case kTypeHub: return {{kTabCursor, kTabMacros, kTabSystem, kTabKeys}, {}};
    case kTypeHeadset: return {{kTabCursor, kTabMacros, kTabKeys}, {}};
    case kTypeHeadsetAudioChip: return {{kTabCursor, kTabMacros, kTabSystem, kTabKeys}, {kTabVoice, kTabMagic}};
    default: return {};  // mouse (2, 6) and unknown types keep the layout's tabs
  }
}

std::vector<int> tabsOfDeviceType(int deviceType) {
  const TabVisibility v = tabVisibilityFor(deviceType);
  std::vector<int> tabs;
  for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
    const bool shownByLayout = tab < kTabVoice;
    if (contains(v.shown, tab) || (shownByLayout && !contains(v.hidden, tab))) tabs.push_back(tab);
  }
  return tabs;
}

int featurePageIndex(int deviceType, int tab) {
  const std::vector<int> tabs = tabsOfDeviceType(deviceType);
  const auto it = std::find(tabs.begin(), tabs.end(), tab);
  return it == tabs.end() ? -1 : static_cast<int>(it - tabs.begin());
}

// ---- list rules -------------------------------------------------------------

std::vector<std::string> profileNames(const pf::ProfileList& list) {
  std::vector<std::string> names;
  names.reserve(list.entries.size());
  for (const auto& e : list.entries) names.push_back(e.name);
  return names;
}

int selectionAfterDelete(int selected, int count) {
  if (selected < 0 || selected >= count || count < 2) return -1;
  return selected == 0 ? 0 : selected - 1;
}

bool renameClashes(const std::vector<std::string>& names, int selected, const std::string& name) {
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (i != selected && pf::sameProfileName(names[static_cast<size_t>(i)], name)) return true;
  }
  return false;
}

bool isUsableProfileName(const std::string& name) { return pf::isUsableProfileName(name); }

// ---- the files --------------------------------------------------------------

ProfileStore::ProfileStore(std::string folder, std::string factoryProfilePath)
    : folder_(std::move(folder)), factoryPath_(std::move(factoryProfilePath)) {}

std::string ProfileStore::listPath() const { return pf::joinPath(folder_, pf::kProfileListFileName); }

std::string ProfileStore::documentPath(const std::string& id) const {
  return pf::joinPath(folder_, id + pf::kProfileExtension);
}

pf::ProfileList ProfileStore::read() const {
  pf::ProfileList list = pf::readProfileList(listPath());
  return list.entries.empty() ? lastKnown_ : list;
}

bool ProfileStore::writeList(const pf::ProfileList& list) const {
  if (pf::writeProfileList(listPath(), list) != 0) return false;
  remember(list);
  return true;
}

bool ProfileStore::writeNewDocument(const Json::Value& source, const std::string& name, const std::string& id) const {
  return pf::wirtejsonFile(documentPath(id), pf::makeProfileDocument(source, name, id)) == 0;
}

pf::OpenedProfileList ProfileStore::init() const {
  pf::removeStaleTemporaries(folder_);
  pf::OpenedProfileList opened = pf::openProfileList(folder_, factoryPath_);
  remember(opened.list);
  return opened;
}

std::string ProfileStore::select(int index, bool* stored) const {
  pf::ProfileList list = read();
  if (stored) *stored = false;
  if (!validIndex(list, index)) return {};
  list.select = index;
  const bool written = writeList(list);
  if (!written) lastKnown_.select = index;
  if (stored) *stored = written;
  return list.entries[static_cast<size_t>(index)].id;
}

ProfileStore::Change ProfileStore::append(pf::ProfileList list, int selected, const Json::Value& source,
                                          const std::string& name) const {
  Change change;
  // Copy and import stop at the limit too: a list is never read past it, so
  // a profile beyond it would drop out of the list at the next start.
  if (list.entries.size() >= static_cast<size_t>(pf::kMaxProfiles)) return change;
  const std::string id = pf::newProfileId(folder_);
  // The document first: the list never names a document that was not written.
  change.writeFailed = true;
  if (!writeNewDocument(source, name, id)) return change;
  list.entries.push_back({name, id, pf::profileEntryJson(name, id)});
  // The list keeps the selection it is given (copy and import: the one it
  // had; add: the new entry).
  if (validIndex(list, selected)) list.select = selected;
  if (!writeList(list)) {
    // Nothing is left that the list does not name.
    std::error_code ec;
    std::filesystem::remove(documentPath(id), ec);
    return change;
  }
  change.writeFailed = false;
  change.done = true;
  change.index = static_cast<int>(list.entries.size()) - 1;
  change.name = name;
  change.id = id;
  change.list = std::move(list);
  return change;
}

ProfileStore::Change ProfileStore::add() const {
  pf::ProfileList list = read();
  if (static_cast<int>(list.entries.size()) >= pf::kMaxProfiles) return {};
  // The new profile becomes the selected one.
  const std::string name = pf::nextNewProfileName(profileNames(list));
  const int added = static_cast<int>(list.entries.size());
  return append(std::move(list), added, pf::readJsonDocument(factoryPath_), name);
}

ProfileStore::Change ProfileStore::remove(int selected) const {
  Change change;
  pf::ProfileList list = read();
  const int next = selectionAfterDelete(selected, static_cast<int>(list.entries.size()));
  if (next < 0) return change;
  const pf::ProfileEntry removed = list.entries[static_cast<size_t>(selected)];
  list.entries.erase(list.entries.begin() + selected);
  list.select = next;
  // The list first: the document goes only once no list names it.
  if (!writeList(list)) {
    change.writeFailed = true;
    return change;
  }
  // A hand-edited list may name one document twice: keep it while in use.
  const bool stillUsed = std::any_of(list.entries.begin(), list.entries.end(),
                                     [&](const pf::ProfileEntry& e) { return e.id == removed.id; });
  if (!stillUsed) {
    std::error_code ec;
    std::filesystem::remove(documentPath(removed.id), ec);
  }
  change.done = true;
  change.index = next;
  change.name = removed.name;
  change.id = removed.id;
  change.list = std::move(list);
  return change;
}

ProfileStore::Change ProfileStore::copy(int selected) const {
  pf::ProfileList list = read();
  if (!validIndex(list, selected)) return {};
  const pf::ProfileEntry& source = list.entries[static_cast<size_t>(selected)];
  const std::string name = pf::copyProfileName(source.name, profileNames(list));
  const Json::Value document = pf::readJsonDocument(documentPath(source.id));
  return append(std::move(list), selected, document, name);
}

ProfileStore::Change ProfileStore::importFrom(const std::string& path, int selected) const {
  pf::ProfileList list = read();
  if (!validIndex(list, selected) || path.empty()) return {};
  const Json::Value document = pf::readJsonDocument(path);
  if (!pf::json::has(document, pf::keys::kProfileName) || !pf::json::has(document, pf::keys::kProfileUuid)) return {};
  const std::string candidate = pf::json::toString(pf::json::member(document, pf::keys::kProfileName));
  if (!isUsableProfileName(candidate)) return {};
  const std::string name = pf::importProfileName(candidate, profileNames(list));
  return append(std::move(list), selected, document, name);
}

bool ProfileStore::exportTo(const std::string& path, int selected) const {
  const pf::ProfileList list = read();
  if (!validIndex(list, selected) || path.empty()) return false;
  const Json::Value document = pf::readJsonDocument(documentPath(list.entries[static_cast<size_t>(selected)].id));
  if (!document.isObject()) return false;
  return pf::wirtejsonFile(path, document) == 0;
}

ProfileStore::Result ProfileStore::reset(int selected, bool keepCustomEq) const {
  const pf::ProfileList list = read();
  if (!validIndex(list, selected)) return Result::Refused;
  const pf::ProfileEntry& entry = list.entries[static_cast<size_t>(selected)];
  const std::string path = documentPath(entry.id);
  const pf::DocumentRead current = pf::readJsonDocumentChecked(path);
  // A document that cannot be read may hold what the reset would keep (the
  // custom equalisers): it is kept aside, or the reset does not happen.
  if (current.state == pf::DocumentState::Unusable && pf::keepDamagedCopy(path, current.file.bytes).empty()) {
    return Result::WriteFailed;
  }
  const Json::Value document = pf::resetProfileDocument(pf::readJsonDocument(factoryPath_), current.document,
                                                        entry.name, entry.id, keepCustomEq);
  return pf::wirtejsonFile(path, document) == 0 ? Result::Done : Result::WriteFailed;
}

ProfileStore::Result ProfileStore::rename(int selected, const std::string& name) const {
  pf::ProfileList list = read();
  if (!validIndex(list, selected) || !isUsableProfileName(name)) return Result::Refused;
  if (renameClashes(profileNames(list), selected, name)) return Result::Clash;
  pf::ProfileEntry& entry = list.entries[static_cast<size_t>(selected)];
  // The document first, then the list, which makes the rename take effect.
  // A document that cannot be read keeps its content; the list still names it.
  const std::string path = documentPath(entry.id);
  const pf::DocumentRead doc = pf::readJsonDocumentChecked(path);
  const bool hasDocument = doc.state == pf::DocumentState::Ok && doc.document.isObject();
  if (hasDocument) {
    Json::Value document = doc.document;
    document[pf::keys::kProfileName] = pf::json::sanitizeUtf8(name);
    if (pf::wirtejsonFile(path, document) != 0) return Result::WriteFailed;
  }
  entry.name = name;
  if (writeList(list)) return Result::Done;
  // Not renamed: the document gets its old name back (should that fail too,
  // the list's name is given back to it when the list is next opened).
  if (hasDocument) pf::wirtejsonFile(path, doc.document);
  return Result::WriteFailed;
}

}  // namespace kavro::panels
