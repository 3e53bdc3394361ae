#include "devices/profile_files.h"

#include "profiles/basic_profile_data.h"
#include "profiles/profile_list_repair.h"

namespace kavro::devices {

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

namespace {
// No profile panel has opened the list yet: open it the same way, so the
// device's settings have a document to live in. An empty list gives no id
// (the profile data then uses its factory document).
std::string selectedProfileId(const profiles::CBasicProfiledata& profile, const std::string& chosenId,
                              const std::string& factoryPath) {
  if (!chosenId.empty()) return chosenId;
  const profiles::ProfileList list = profiles::openProfileList(profile.profileFolder(), factoryPath).list;
  if (list.entries.empty()) return {};
  const size_t index = static_cast<size_t>(list.select) < list.entries.size() ? list.select : 0;
  return list.entries[index].id;
}
}  // namespace

void openProfileFilesOf(profiles::CBasicProfiledata& profile, const std::string& chosenId,
                        const std::string& factoryPath, const std::string& userFolder) {
  profile.setFolders(folderOf(factoryPath), userFolder);
  profile.setDefaultProfilePath(factoryPath);
  profile.setDeviceIndex(0);
  profile.selectProfileId(selectedProfileId(profile, chosenId, factoryPath));
  profile.useDefaultLightConfigPath();
}

}  // namespace kavro::devices
