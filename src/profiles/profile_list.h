#pragma once
// The profile list file ("ProfileList.ini", a JSON document), profile
// identifiers, the naming rules of new profiles and the profile documents
// made from the factory profile.
#include <cstddef>
#include <string>
#include <vector>

#include <json/json.h>

namespace kavro::profiles {

inline constexpr int kMaxProfiles = 50;
// Largest "ProfileList.ini" that is read. Fifty entries with long names fit
// many times over; a larger file is refused before it is read, so a huge
// list costs no more than a small one.
inline constexpr std::size_t kMaxProfileListBytes = 256u * 1024u;
inline constexpr char kFirstProfileName[] = "Profile 1";

struct ProfileEntry {
  std::string name;  // "profilename", UTF-8
  std::string id;    // "profileUUID", base name of the profile document
  Json::Value extra; // the entry as read, so unknown members survive a write
};

struct ProfileList {
  std::vector<ProfileEntry> entries;
  int select = 0;        // "profileselect"
  Json::Value document;  // the file as read, so unknown members survive
};

// A list read from its document, and whether the document was damaged:
// not a list, or with entries that had to be dropped or changed.
struct ProfileListCheck {
  ProfileList list;
  bool damaged = false;
};
// Reads the list. Entries that are not objects or whose identifier is not a
// plain file name are dropped (an identifier names a file that delete
// removes), as are entries past kMaxProfiles; a name that is not a string
// reads as empty. "profileselect" outside the list reads as 0.
ProfileListCheck checkProfileList(const Json::Value& document);
ProfileList profileListFromJson(const Json::Value& document);
Json::Value profileListToJson(const ProfileList& list);
// The list file at path; empty when it is missing, unreadable, damaged
// beyond use or larger than kMaxProfileListBytes.
ProfileList readProfileList(const std::string& path);
int writeProfileList(const std::string& path, const ProfileList& list);

// A list holding one entry "Profile 1" with the given identifier, selected.
ProfileList defaultProfileList(const std::string& id);
Json::Value profileEntryJson(const std::string& name, const std::string& id);

// True for an identifier that names a document inside the profile folder.
bool isValidProfileId(const std::string& id);

// A local-time identifier "%d_%02d_%02d_%02d_%02d_%02d_%03d". Identifiers
// made by this process never repeat: one made in the same millisecond as an
// earlier one gets the suffix "_1", "_2", ...
std::string newProfileId();
// As newProfileId, also skipping identifiers whose document already exists
// in folder.
std::string newProfileId(const std::string& folder);
// The identifier text for a given local time (pure).
std::string formatProfileId(int year, int month, int day, int hour, int minute, int second, int millisecond);

// Profile names compare without regard to ASCII case.
bool sameProfileName(const std::string& a, const std::string& b);
// "Profile n" with the smallest n >= 1 not taken.
std::string nextNewProfileName(const std::vector<std::string>& names);
// "<name> Copy", then "<name> Copy Copy", ... until free.
std::string copyProfileName(const std::string& name, const std::vector<std::string>& names);
// The candidate, or with "(k)" appended (k = 1, 2, ...; suffixes accumulate)
// until free.
std::string importProfileName(const std::string& candidate, const std::vector<std::string>& names);

// A copy of source (a profile document, or an empty object when it is not
// one) with "profilename" and "profileUUID" set.
Json::Value makeProfileDocument(const Json::Value& source, const std::string& name, const std::string& id);
// The factory document renamed; with keepCustomEq the custom equaliser
// sections of "Device"[0] of current are carried over.
Json::Value resetProfileDocument(const Json::Value& factory, const Json::Value& current, const std::string& name,
                                 const std::string& id, bool keepCustomEq);

}  // namespace kavro::profiles
