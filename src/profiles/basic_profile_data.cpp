#include "profiles/basic_profile_data.h"

#include <filesystem>
#include <system_error>

#include "platform/debug.h"
#include "profiles/file_care.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_keys.h"
#include "profiles/profile_list.h"
#include "profiles/profile_paths.h"

namespace kavro::profiles {
namespace fs = std::filesystem;

namespace {

// A document that is there but gives nothing usable is kept (copied, or
// renamed when it cannot even be read) before anything is written over it.
// False when it could not be kept: the file must then be left alone.
bool keepUnusable(const std::string& path, const DocumentRead& read) {
  if (read.state != DocumentState::Unusable) return true;
  return !keepDamagedCopy(path, read.file.bytes).empty();
}

// A parsed document loses content when the node at index is written into
// it: it is not an object, its "Device" is not an array, or the node is
// there with the wrong shape. Such a document counts as unusable.
void markLostShape(DocumentRead& read, Json::ArrayIndex index) {
  if (read.state != DocumentState::Ok) return;
  const Json::Value& devices = json::member(read.document, keys::kDevice);
  const Json::Value& node = json::element(devices, index);
  const bool lost = !read.document.isObject() || !(devices.isNull() || devices.isArray()) ||
                    !(node.isNull() || node.isObject());
  if (!lost) return;
  read.state = DocumentState::Unusable;
  if (!read.document.isObject()) read.document = Json::Value(Json::objectValue);
}

}  // namespace

CBasicProfiledata::CBasicProfiledata(std::string defaultDataFolder, std::string profileFolder)
    : profileFolder_(std::move(profileFolder)), defaultDataFolder_(std::move(defaultDataFolder)) {}

int CBasicProfiledata::save() { return saveDeviceNode(Json::Value(deviceNode_), profilePath_); }

int CBasicProfiledata::saveDeviceNode(const Json::Value& node, const std::string& path) {
  DocumentRead read = readJsonDocumentChecked(path);
  markLostShape(read, static_cast<Json::ArrayIndex>(deviceIndex_));
  // Never write over a document that could not be read: it may be the
  // user's only copy of this profile's name and other devices' nodes.
  if (!keepUnusable(path, read)) return 1;
  Json::Value& devices = json::slot(read.document, keys::kDevice);
  json::slot(devices, static_cast<Json::ArrayIndex>(deviceIndex_)) = node;
  return wirtejsonFile(path, read.document);
}

int CBasicProfiledata::writeDocument(const Json::Value& document, const std::string& path) {
  return wirtejsonFile(path, document);
}

Json::Value CBasicProfiledata::loadProfile(const std::string& path) {
  const auto index = static_cast<Json::ArrayIndex>(deviceIndex_);
  DocumentRead read = readJsonDocumentChecked(path);
  deviceNode_ = json::element(json::member(read.document, keys::kDevice), index);
  // A node of the wrong type is as unusable as a missing one.
  if (deviceNode_.isObject()) return deviceNode_;
  // The factory folder is only read, even when its own file is damaged.
  if (path == defaultProfilePath_) return deviceNode_ = Json::Value();
  Json::Value factory = readJsonDocument(defaultProfilePath_);
  deviceNode_ = json::element(json::member(factory, keys::kDevice), index);
  if (!deviceNode_.isObject()) deviceNode_ = Json::Value();
  // A document that cannot be read, or that would lose content, is kept
  // before the repair replaces it; if it cannot be kept it stays as it is
  // and the factory node is used in memory only.
  markLostShape(read, index);
  if (!keepUnusable(path, read)) return deviceNode_;
  if (!read.document.isObject()) read.document = Json::Value(Json::objectValue);
  Json::Value& devices = json::slot(read.document, keys::kDevice);
  json::slot(devices, index) = deviceNode_;
  if (wirtejsonFile(path, read.document) != 0) dbg::write("profile not repaired: " + path + "\n");
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
