#pragma once
// CDeviceProfileUI: the profile bar of a device page. It lists the device's
// profiles in "device_profile_combo", carries out the profile commands (add,
// delete, copy, import, export, reset, rename), applies the chosen profile to
// the device and owns the row of feature tabs of the page.
//
// Applying a profile (a choice in the combo that stood for 400 ms, a new
// profile, a delete that moved the selection, a reset) runs these device
// operations in order:
//   1. setProfileId(id)        the profile the device works on from now
//   2. openProfileFiles()      profile and light file paths from the id
//   3. reloadProfile()         the documents into the profile data, shown on the page
//   4. applyLightState()       page and preview follow the loaded lighting
//   5. writeLightSettings()    lighting to the device
//   6. writeMacros()           macro memory; its result is the failure count
//   7. writeKeyAssignments()   key table
//   8. refreshPanels()         every panel of the page shows the new data
// A failure count above 0 shows "message_text_16" with the count, -1 shows
// "message_text_7".
#include <memory>
#include <string>

#include "devices/device_panel.h"
#include "panels/device_profile_prompts.h"
#include "panels/device_profile_store.h"
#include "profiles/save_failure.h"
#include "skin/container.h"

namespace kavro::skin {
class CComboUI;
class CEditUI;
}  // namespace kavro::skin

namespace kavro::devices {
class CHalvionUSBDevice;
}

namespace kavro::panels {

// Layout file of the panel, under the skin folder.
inline constexpr char kDeviceProfileXml[] = "XML/CustomControlXML/DeviceProfile.xml";
// The one-shot timer that applies the last profile chosen in the combo.
inline constexpr int kProfileApplyTimerId = 1055;
inline constexpr int kProfileApplyDelayMs = 400;
inline constexpr int kProfileItemHeight = 30;

class CDeviceProfileUI : public skin::CVerticalLayoutUI, public devices::IDevicePanel {
  Q_OBJECT
 public:
  explicit CDeviceProfileUI(QWidget* parent = nullptr);
  ~CDeviceProfileUI() override;
  QString GetClass() const override { return QStringLiteral("DeviceProfile"); }

  // ---- IDevicePanel -----------------------------------------------------------
  // Takes the device's folders and type, fills the list, selects the lighting
  // tab and tells the device its profile.
  void setDevice(devices::CHalvionUSBDevice* device) override;
  bool onNotify(skin::TNotifyUI& msg) override;

  // ---- set-up -------------------------------------------------------------------
  void setFolders(const std::string& profileFolder, const std::string& factoryProfilePath);
  void setDeviceType(int type) { deviceType_ = type; }
  int deviceType() const { return deviceType_; }
  // Replaces the dialogs (tests); the panel keeps its own default otherwise.
  void setPrompts(IProfilePrompts* prompts) { prompts_ = prompts; }
  // Where failed writes of the profiles are reported, the panel's own and
  // the device's; the program's reporter unless set (tests).
  void setSaveFailureSink(profiles::ISaveFailureSink* sink) { saveSink_ = sink; }
  const ProfileStore& store() const { return store_; }

  // ---- list and selection -------------------------------------------------------
  void initProfileList();
  // Selects item index of the combo (with a selection event only when notify
  // is set), shows its name in the name edit and stores it as selected.
  void selectProfile(int index, bool notify);
  int currentProfileIndex() const;
  std::string currentProfileId() const { return selectedId_; }
  int profileCount() const;
  QString profileName(int index) const;

  // ---- commands (true when something changed) ------------------------------------
  // Delete and reset are asked for first when they come from their buttons.
  bool addProfile();  // the new profile is selected and applied
  bool deleteProfile();
  bool copyProfile();
  bool importProfile(const QString& path);
  bool exportProfile(const QString& path);
  bool resetProfile();
  bool renameProfile(const QString& name);

  // Makes the device load the selected profile and send it (steps above).
  // Returns the device's failure count (0 without a device).
  int applyProfileToDevice();

  // ---- controls -----------------------------------------------------------------
  QString getNameEditText() const;
  void setNameEditText(const QString& text);
  void showProfileMenu(bool show);
  bool isProfileMenuShown() const;
  // Marks exactly one feature tab as selected (no events); other numbers
  // clear all seven.
  void selectFeatureTab(int tab);
  int selectedFeatureTab() const;

  void refreshFromDevice() override {}

 protected:
  void DoInit() override;
  void OnTimer(int id) override;

 private:
  // The layout's controls, built from kDeviceProfileXml when the page gave
  // the panel none.
  void ensureContent();
  skin::CComboUI* combo() const;
  skin::CEditUI* nameEdit() const;
  bool ownsControl(const skin::CControlUI* control) const;
  void fillCombo(const profiles::ProfileList& list, int select);
  void applyTabVisibility();
  void showFeaturePage(int tab);
  bool onClick(const QString& name);
  void onRenameRequested();
  // Asks the question of a language key about the selected profile; false
  // without a selection or with fewer than minimumProfiles profiles.
  bool confirmOnSelected(const char* key, int minimumProfiles);
  void reportFailureCount(int count);
  IProfilePrompts& prompts();
  profiles::ISaveFailureSink& saveSink();
  void reportWriteFailure(const std::string& path, profiles::SaveFailure what = profiles::SaveFailure::ProfileList);

  ProfileStore store_;
  int deviceType_ = 0;
  std::string selectedId_;
  devices::CHalvionUSBDevice* device_ = nullptr;
  IProfilePrompts* prompts_ = nullptr;
  profiles::ISaveFailureSink* saveSink_ = nullptr;
  std::unique_ptr<DialogProfilePrompts> defaultPrompts_;
  bool contentChecked_ = false;
};

// Registers the panel with the control factory: "DeviceProfile" and
// "CDeviceProfileUI" create the panel, "DeviceProfileUI" builds
// kDeviceProfileXml and returns its root.
void registerProfilePanel();

}  // namespace kavro::panels
