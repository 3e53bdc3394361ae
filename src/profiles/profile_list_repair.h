#pragma once
// Opening a device's profile list so that no profile the user had is lost.
//
// The order of writes that every profile command follows:
//   - a profile document is written, whole and final, before the list that
//     names it (add, copy, import, first-time set-up, and rename, whose new
//     name goes into the document first);
//   - a document is removed only after the list that no longer names it has
//     been written (delete);
//   - the list write is the moment a command takes effect.
// So a crash at any point leaves the list naming only finished documents.
// What it can leave besides is repaired when the list is opened:
//   - a document that no list names (add or copy cut short, or delete cut
//     short after its list write) is listed again with its name;
//   - a selected profile whose document carries another name than the list
//     (rename cut short) gets the list's name back in its document.
// A missing, damaged or unreadable list is rebuilt from the documents found
// in the folder, after a copy of it is kept (see keepDamagedCopy).
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "profiles/profile_list.h"

namespace kavro::profiles {

// A profile document found in the profile folder.
struct FoundProfile {
  std::string id;
  std::string name;  // empty when the document holds no usable name
};

// The "<id>.Json" documents in folder whose id is not in known, in id order,
// at most limit of them. Only those returned are read. A document that names
// another identifier is someone's copy (an export), not one of ours, and is
// skipped; one that exists but cannot be read is ours with an unknown name.
std::vector<FoundProfile> findProfileDocuments(const std::string& folder, const std::set<std::string>& known,
                                               std::size_t limit);

// The name a profile document holds, empty when it holds none that can be used.
std::string documentProfileName(const Json::Value& document);

// Appends the found profiles (up to kMaxProfiles entries in all) and gives
// every entry without a usable name one: the found document's, otherwise the
// first free "Profile n". Names given here never clash with others (the
// import rule's "(k)" suffixes). Names the list already had are not touched.
// Returns true when the list changed.
bool completeProfileList(ProfileList& list, const std::vector<FoundProfile>& found);

// A name that can be used for a profile: not empty and not only white space.
bool isUsableProfileName(const std::string& name);

struct OpenedProfileList {
  ProfileList list;
  bool kept = false;        // the list on disk is the one returned
  bool rebuilt = false;     // the stored list was missing, damaged or unreadable
  bool created = false;     // first-time set-up made "Profile 1"
  std::string damagedCopy;  // where the damaged list was kept, if it was
};

// Opens the list of folder, repairing it as described above. A list that
// cannot be written is returned as rebuilt in memory; no document is created
// for it then. factoryPath is the factory profile new profiles start from.
OpenedProfileList openProfileList(const std::string& folder, const std::string& factoryPath);

}  // namespace kavro::profiles
