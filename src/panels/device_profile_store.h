#pragma once
// The profile commands of a device page on the files: the list file
// "ProfileList.ini" and the profile documents in the device's profile folder.
// Every command re-reads the list, changes it and writes it back whole; a
// command that cannot write reports that it did nothing. Documents and list
// are written in the one order described in profiles/profile_list_repair.h
// (documents first, the list last; a document is removed after the list),
// so a crash never leaves the list naming a document that is not there. No
// Qt here, so the rules can be tested on plain files.
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_list.h"
#include "profiles/profile_list_repair.h"

namespace kavro::panels {

// ---- feature tabs -----------------------------------------------------------
// The tab numbers of the row of feature tabs on a device page.
enum FeatureTab {
  kTabLighting = 1,
  kTabKeys = 2,
  kTabMacros = 3,
  kTabSystem = 4,
  kTabCursor = 5,
  kTabVoice = 6,
  kTabMagic = 7,
};
inline constexpr int kFeatureTabCount = 7;

// Control name of a tab ("deng_Op_tab" ...), or nullptr outside 1..7.
const char* featureTabName(int tab);
// Tab number of a control name, 0 for any other name.
int featureTabNumber(std::string_view name);

// Which tabs a device type hides and which it shows. Tabs in neither list
// keep the visibility the layout gives them (1..5 shown, 6 and 7 hidden).
struct TabVisibility {
  std::vector<int> hidden;
  std::vector<int> shown;
};
TabVisibility tabVisibilityFor(int deviceType);
// The tabs a device type ends up showing, in tab order.
std::vector<int> tabsOfDeviceType(int deviceType);
// Position of a tab among the tabs the type shows: the page of the device's
// feature tab layout that belongs to the tab. -1 when the type lacks the tab.
int featurePageIndex(int deviceType, int tab);

// ---- list rules -------------------------------------------------------------
std::vector<std::string> profileNames(const profiles::ProfileList& list);
// The selection after deleting entry `selected` of `count`: the entry before
// it, or 0 for the first. -1 when deleting is refused (nothing selected or
// the last profile).
int selectionAfterDelete(int selected, int count);
// True when another entry than `selected` already carries the name (case
// ignored). The selected entry may be renamed to its own name in any case.
bool renameClashes(const std::vector<std::string>& names, int selected, const std::string& name);
// A name that can be used for a profile: not empty and not only spaces.
bool isUsableProfileName(const std::string& name);

// ---- the files --------------------------------------------------------------
class ProfileStore {
 public:
  ProfileStore() = default;
  ProfileStore(std::string folder, std::string factoryProfilePath);

  const std::string& folder() const { return folder_; }
  const std::string& factoryProfilePath() const { return factoryPath_; }
  std::string listPath() const;
  std::string documentPath(const std::string& id) const;

  // The list as stored now (damaged entries left out). While the stored
  // list cannot be read, the list last opened or written.
  profiles::ProfileList read() const;

  // Opens the list at start: removes stale temporaries of interrupted saves
  // from the folder, rebuilds a missing, damaged or unreadable list from the
  // documents found (keeping a copy of the damaged one), lists documents no
  // list names, and makes "Profile 1" from the factory profile when there is
  // none. `kept` is false when the list could not be written.
  profiles::OpenedProfileList init() const;

  // Stores index as the selected profile. Returns the profile's identifier,
  // empty when index is outside the list. `stored` (when given) tells
  // whether the choice was written.
  std::string select(int index, bool* stored = nullptr) const;

  // The outcome of a command that adds or removes an entry.
  struct Change {
    bool done = false;
    bool writeFailed = false;    // not done because a file could not be written
    profiles::ProfileList list;  // the list as written
    int index = -1;              // the entry added, or the new selection after a delete
    std::string name, id;        // the entry added or removed
  };
  // "Profile n" from the factory profile, selected in the list.
  Change add() const;
  // Each takes the index of the selected entry (-1 for none) and keeps it
  // selected. Add, copy and import are refused when the list holds
  // kMaxProfiles entries.
  Change remove(int selected) const;  // also deletes the profile's document
  Change copy(int selected) const;    // "<name> Copy" with the selected profile's document
  Change importFrom(const std::string& path, int selected) const;  // "(k)" suffixes on a clash

  // Writes the selected profile's document to path.
  bool exportTo(const std::string& path, int selected) const;
  // Replaces the selected profile's document by the factory profile; with
  // keepCustomEq the custom equaliser presets survive.
  enum class Result { Done, Refused, Clash, WriteFailed };
  Result reset(int selected, bool keepCustomEq) const;
  // Renames the selected profile in its document, then in the list. Clash
  // when another profile has the name; Refused for an unusable name or no
  // selection.
  Result rename(int selected, const std::string& name) const;

 private:
  bool writeList(const profiles::ProfileList& list) const;
  bool writeNewDocument(const Json::Value& source, const std::string& name, const std::string& id) const;
  Change append(profiles::ProfileList list, int selected, const Json::Value& source, const std::string& name) const;

  void remember(const profiles::ProfileList& list) const { lastKnown_ = list; }

  std::string folder_;
  std::string factoryPath_;
  // The list last opened or written, for the time the stored one cannot be read.
  mutable profiles::ProfileList lastKnown_;
};

}  // namespace kavro::panels
