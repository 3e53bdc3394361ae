#include "profiles/basic_profile_data.h"

#include <filesystem>
#include <system_error>

#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_list.h"
#include "profiles/profile_paths.h"

namespace kavro::profiles {
namespace fs = std::filesystem;

namespace {
// Suffix of the copy kept of a damaged profile before it is repaired.
constexpr char kDamagedSuffix[] = ".damaged";

// Keeps a copy of a file that exists but could not be read as a document, so
// the repair never destroys the only copy of the user's data.
void keepDamagedCopy(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(fs::path(path), ec)) return;
  fs::copy_file(fs::path(path), fs::path(path + kDamagedSuffix), fs::copy_options::overwrite_existing, ec);
}
}  // namespace

CBasicProfiledata::CBasicProfiledata(std::string defaultDataFolder, std::string profileFolder)
    : profileFolder_(std::move(profileFolder)), defaultDataFolder_(std::move(defaultDataFolder)) {}

int CBasicProfiledata::save() { return saveDeviceNode(Json::Value(deviceNode_), profilePath_); }

int CBasicProfiledata::saveDeviceNode(const Json::Value& node, const std::string& path) {
  Json::Value document = readJsonDocument(path);
  Json::Value& devices = json::slot(document, keys::kDevice);
  json::slot(devices, static_cast<Json::ArrayIndex>(deviceIndex_)) = node;
  return wirtejsonFile(path, document);
}

int CBasicProfiledata::writeDocument(const Json::Value& document, const std::string& path) {
  return wirtejsonFile(path, document);
}

Json::Value CBasicProfiledata::loadProfile(const std::string& path) {
  const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
  Json::Value document = readJsonDocument(path);
  deviceNode_ = json::element(json::member(document, keys::kDevice), index);
  // A node of the wrong type is as unusable as a missing one.
  if (!deviceNode_.isObject()) {
    // The factory folder is only read, even when its own file is damaged.
    if (path == defaultProfilePath_) return deviceNode_ = Json::Value();
    if (!document.isObject()) keepDamagedCopy(path);
    Json::Value factory = readJsonDocument(defaultProfilePath_);
    deviceNode_ = json::element(json::member(factory, keys::kDevice), index);
    if (!deviceNode_.isObject()) deviceNode_ = Json::Value();
    Json::Value& devices = json::slot(document, keys::kDevice);
    json::slot(devices, index) = deviceNode_;
    wirtejsonFile(path, document);
  }
  return deviceNode_;
}

void CBasicProfiledata::setFolders(const std::string& defaultDataFolder, const std::string& profileFolder) {
  defaultDataFolder_ = defaultDataFolder;
  profileFolder_ = profileFolder;
}

bool CBasicProfiledata::createProfileFolder() const { return ensureFolder(profileFolder_); }

std::string CBasicProfiledata::profileDocumentPath(const std::string& profileId) const {
  return joinPath(profileFolder_, profileId + kProfileExtension);
}

bool CBasicProfiledata::selectProfileId(const std::string& profileId) {
  if (!isValidProfileId(profileId)) return false;
  setProfilePath(profileDocumentPath(profileId));
  return true;
}

void CBasicProfiledata::useFactoryProfileOf(const std::string& typeName) {
  setDefaultProfilePath(joinPath(defaultDataFolder_, typeName + kProfileExtension));
}

void CBasicProfiledata::useDefaultLightConfigPath() {
  setLightConfigPath(joinPath(profileFolder_, std::string(kLightConfigBaseName) + kLightConfigExtension));
}

void CBasicProfiledata::setProfilePath(const std::string& path) {
  if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::setDefaultProfilePath(const std::string& path) {
  if (!path.empty()) defaultProfilePath_ = path;
}

void CBasicProfiledata::setLightConfigPath(const std::string& path) { lightConfigPath_ = path; }

void CBasicProfiledata::setDeviceIndex(int index) {
  if (index >= 0 && static_cast<Json::ArrayIndex>(index) <= json::kMaxWriteIndex) deviceIndex_ = index;
}

Json::Value& CBasicProfiledata::nodeSlot(const char* key) { return json::slot(deviceNode_, key); }

std::vector<KeyAssignment> CBasicProfiledata::getKeyAssignments() {
  keyAssignments_ = keyAssignmentsFromJson(json::member(deviceNode_, keys::kKeyList));
  return keyAssignments_;
}

void CBasicProfiledata::setKeyAssignments(const std::vector<KeyAssignment>& list) {
  keyAssignments_ = list;
  writeKeyAssignments(nodeSlot(keys::kKeyList), list);
}

LightSetting CBasicProfiledata::getLightSetting() {
  const Json::Value& info = json::member(deviceNode_, keys::kLightInfo);
  lightSetting_ = info.isNull() ? fallbackLightSetting_ : lightSettingFromJson(info);
  return lightSetting_;
}

void CBasicProfiledata::setLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2,
                                        std::uint32_t customGroup) {
  setLightSetting(unpackLightSetting(word0, word1, word2, static_cast<std::uint8_t>(customGroup)));
}

void CBasicProfiledata::setLightSetting(const LightSetting& setting) {
  lightSetting_ = setting;
  // Members of "LightInfo" the program does not know are kept.
  Json::Value& info = nodeSlot(keys::kLightInfo);
  const Json::Value fresh = lightSettingToJson(setting);
  for (const auto& name : fresh.getMemberNames()) json::slot(info, name.c_str()) = fresh[name];
}

std::vector<LightListEntry> CBasicProfiledata::getLightList() {
  lightList_ = lightListFromJson(json::member(deviceNode_, keys::kLightList));
  return lightList_;
}

Json::Value CBasicProfiledata::loadLightConfig(const std::string& path) {
  lightConfig_ = readJsonDocument(path);
  return lightConfig_;
}

std::string CBasicProfiledata::resolveLightFile(const std::string& guid) const {
  const std::string name = guid + kLightFileExtension;
  if (!isPlainFileName(guid) || !isPlainFileName(name)) return {};
  std::error_code ec;
  if (fs::is_regular_file(fs::path(name), ec)) return name;
  std::string inFolder = joinPath(profileFolder_, name);
  if (!profileFolder_.empty() && fs::is_regular_file(fs::path(inFolder), ec)) return inFolder;
  return {};
}

std::vector<LightEffectStep> CBasicProfiledata::loadEffectSteps() {
  effectSteps_.clear();
  if (lightConfig_.isNull()) return effectSteps_;
  const int select = lightSetting_.effect;
  if (select < builtinEffectCount_) return effectSteps_;
  const Json::Value& effects =
      json::element(json::member(lightConfig_, keys::kLightInfo), static_cast<Json::ArrayIndex>(deviceIndex_));
  const Json::Value& effect = json::element(effects, static_cast<Json::ArrayIndex>(select - builtinEffectCount_));
  const std::string guid = json::toString(json::member(effect, keys::kGuid));
  const std::string file = resolveLightFile(guid);
  if (file.empty()) return effectSteps_;
  effectSteps_ = effectStepsFromJson(readJsonDocument(file));
  return effectSteps_;
}

}  // namespace kavro::profiles
