#pragma once
// Profile data of one device: the device's node of the selected profile
// document, its folders and paths, key assignments and lighting data.
//
// Setters change the node in memory only; save() writes it. Nothing here
// talks to the hardware and nothing throws on bad files: missing or damaged
// content reads as zeros, empty lists or the fallback light setting.
#include <string>
#include <vector>

#include <json/json.h>

#include "profiles/light_records.h"
#include "profiles/profile_records.h"

namespace kavro::profiles {

class CBasicProfiledata {
 public:
  CBasicProfiledata() = default;
  // defaultDataFolder: the factory data ("<exe dir>/DefaultData");
  // profileFolder: the user's folder of this device kind.
  CBasicProfiledata(std::string defaultDataFolder, std::string profileFolder);
  virtual ~CBasicProfiledata() = default;

  CBasicProfiledata(const CBasicProfiledata&) = delete;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

  // --- documents -------------------------------------------------------
  // Writes the device node into the selected profile document. 0 on
  // success, 1 when the file could not be written (the old file stays).
  virtual int save();
  // Puts node at "Device"[deviceIndex] of the document at path, keeping the
  // document's other members, and writes it.
  virtual int saveDeviceNode(const Json::Value& node, const std::string& path);
  virtual int writeDocument(const Json::Value& document, const std::string& path);

  // Loads "Device"[deviceIndex] of the document at path. A missing or
  // damaged node is replaced by the factory node, and the repaired document
  // is written back to path. Returns a copy of the node.
  Json::Value loadProfile(const std::string& path);

  // --- folders and paths -----------------------------------------------
  void setFolders(const std::string& defaultDataFolder, const std::string& profileFolder);
  const std::string& defaultDataFolder() const { return defaultDataFolder_; }
  const std::string& profileFolder() const { return profileFolder_; }
  // Creates the profile folder (and the levels above it) when missing.
  bool createProfileFolder() const;
  // profileFolder + id + ".Json".
  std::string profileDocumentPath(const std::string& profileId) const;
  // Points profilePath at the document of profileId; false (and no change)
  // for an identifier that is not a plain file name.
  bool selectProfileId(const std::string& profileId);
  // defaultDataFolder + typeName + ".Json"; also sets it as the factory path.
  void useFactoryProfileOf(const std::string& typeName);
  // profileFolder + "vexor_light.config"; also sets it as the light config path.
  void useDefaultLightConfigPath();

  void setProfilePath(const std::string& path);         // ignored when empty
  void setDefaultProfilePath(const std::string& path);  // ignored when empty
  void setLightConfigPath(const std::string& path);
  std::string getProfilePath() const { return profilePath_; }
  std::string getDefaultProfilePath() const { return defaultProfilePath_; }
  std::string getLightConfigPath() const { return lightConfigPath_; }
  // Indices outside 0..4096 are ignored.
  void setDeviceIndex(int index);
  int deviceIndex() const { return deviceIndex_; }

  const Json::Value& deviceNode() const { return deviceNode_; }
  // Replaces the node in memory (as a load would, without the file).
  void setDeviceNode(const Json::Value& node) { deviceNode_ = node; }

  // --- key assignments -------------------------------------------------
  std::vector<KeyAssignment> getKeyAssignments();
  void setKeyAssignments(const std::vector<KeyAssignment>& list);

  // --- lighting ----------------------------------------------------------
  LightSetting getLightSetting();
  void setLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2,
                       std::uint32_t customGroup);
  void setLightSetting(const LightSetting& setting);
  const LightSetting& currentLightSetting() const { return lightSetting_; }

  std::vector<LightListEntry> getLightList();
  const std::vector<LightListEntry>& lightList() const { return lightList_; }

  Json::Value loadLightConfig(const std::string& path);
  const Json::Value& lightConfig() const { return lightConfig_; }

  // Number of built-in effects in front of the custom ones in the effect
  // list; 0 unless the device sets it, so "SelectItem" indexes the custom
  // effects directly.
  void setBuiltinEffectCount(int count) { builtinEffectCount_ = count < 0 ? 0 : count; }
  int builtinEffectCount() const { return builtinEffectCount_; }

  // Steps of the selected custom effect, read from its ".light" file.
  std::vector<LightEffectStep> loadEffectSteps();
  const std::vector<LightEffectStep>& effectSteps() const { return effectSteps_; }

 protected:
  // The node's member key, turning the node into an object if needed.
  Json::Value& nodeSlot(const char* key);

  std::string profileFolder_;
  std::string defaultDataFolder_;
  std::string profilePath_;
  std::string defaultProfilePath_;
  std::string lightConfigPath_;

  LightSetting lightSetting_{};
  const LightSetting fallbackLightSetting_{};
  int builtinEffectCount_ = 0;
  std::vector<LightListEntry> lightList_;
  Json::Value deviceNode_;
  Json::Value lightConfig_;
  std::vector<LightEffectStep> effectSteps_;
  std::vector<KeyAssignment> keyAssignments_;
  int deviceIndex_ = 0;

 private:
  // The ".light" file of a custom effect: by its bare name first, then in
  // the profile folder. Empty when neither exists or the name is unsafe.
  std::string resolveLightFile(const std::string& guid) const;
};

}  // namespace kavro::profiles
