#pragma once
// Where a device page's profile documents live: the factory folder beside
// the program, the user's folder, and the profile chosen on the profile
// panel (or the list's own selection before a panel has chosen one).
#include <string>

namespace kavro::profiles {
class CBasicProfiledata;
}

namespace kavro::devices {

// The folder part of a path; empty when it has none.
std::string folderOf(const std::string& path);

// Points `profile` at the documents of profile `chosenId`, or of the profile
// list's selection when no panel has chosen one yet.
void openProfileFilesOf(profiles::CBasicProfiledata& profile, const std::string& chosenId,
                        const std::string& factoryPath, const std::string& userFolder);

}  // namespace kavro::devices
