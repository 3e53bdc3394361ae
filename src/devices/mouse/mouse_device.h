#pragma once
// CHalvionMouseDevice: the mouse's page and model. It reads the mouse's
// device tables at first connect, keeps the profile's DPI stages, polling
// rate, pointer values and lighting in step with the page and the mouse,
// writes the settings block, key assignments and macros, streams the
// program-rendered lighting to the mouse's LEDs, and polls battery and link.
//
// A mouse behind a wireless receiver (the channel in long mode) is asked
// whether it is online before every step of a sequence; a sequence that
// finds it offline stops there and the page says the mouse is not answering.
//
// The protocol, block codecs, rules and effects live in kavro_mouse_core;
// the sequences run on the device's command worker (postCommands), and their
// results are applied on the window thread.
#include <QPointer>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "devices/device_base.h"
#include "devices/device_worker.h"
#include "devices/key_assign_target.h"
#include "devices/mouse/mouse_buttons.h"
#include "devices/mouse/mouse_io.h"
#include "devices/mouse/mouse_preview.h"
#include "devices/mouse/mouse_rules.h"
#include "devices/mouse/mouse_settings.h"
#include "profiles/mouse_profile_data.h"

namespace kavro::devices {

// Panels of the mouse page besides the ones every page has.
constexpr char kShootPanelName[] = "ShootControlItem";
// The hint shown while the wireless link is asleep, lost or the battery low.
constexpr char kConnectionHintLabel[] = "device_tishi_info";
// The mouse picture's indicator of the current LED.
constexpr char kMouseLedIndicator[] = "mouse_led_indicator";

// The preview pass of the mouse's light thread; the counter moves on by one
// for every pass in which the clock moved, so the thresholds are in passes.
constexpr int kMousePreviewPassMs = 15;

// Registers the mouse page class with the control factory.
void registerMouseDevice();

class CHalvionMouseDevice : public CHalvionUSBDevice, public IKeyAssignTarget {
  Q_OBJECT
 public:
  explicit CHalvionMouseDevice(QWidget* parent = nullptr);
  ~CHalvionMouseDevice() override;
  QString GetClass() const override { return QStringLiteral("HalvionMouseDevice"); }

  // ---- device operations ----------------------------------------------------
  void initPage() override;
  void applyLightState() override;
  // Paints the LED buttons and the indicator, then streams the frame to the
  // mouse (not in long mode).
  void streamLights() override;
  void onConnected() override;
  void onRefreshTimer() override;
  void pollStatus() override;
  void refreshKeyCaptions() override;
  void onDisconnected() override;
  // Ten positions; positions without a device key are skipped. 1 when the
  // write was queued, 0 when there is nothing to write (closed channel,
  // tables not read).
  int writeKeyAssignments() override;
  int resetKeyAssignments() override;
  // The macro image with the mouse's capacity (128 x device info byte 6).
  // 0 queued or no macro list, -1 not sent, > 0 events too many (the answer
  // of the download comes back as macroDownloadResult).
  int writeMacros() override;
  int writeLightSettings() override { return writeSettings(); }
  void collectNameLists() override;
  profiles::CBasicProfiledata* profileStore() override { return &profile_; }
  void reloadProfile() override;
  void setLightParams(const DeviceLightParams& params) override;
  bool arriving() const override { return arriving_; }

  // Key table and macros, for the key assignment and macro panels
  // (mouse_device_targets.cpp).
  std::vector<profiles::KeyAssignment> keyAssignmentList() const override { return assignments_; }
  void storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) override;
  int keyPositionOf(const skin::CControlUI* control) const override;
  void refreshKeyLabels() override { refreshKeyCaptions(); }
  int writeKeyTable() override { return writeKeyAssignments(); }
  std::string macroFolder() const override { return userDataFolder(); }
  void macroListChanged() override;
  int downloadMacros(std::function<void(int result)> failed) override;
  std::string keyTitle(int position) const override;

  // ---- mouse operations ---------------------------------------------------------
  void loadProfile();
  // Switches to another profile, shows it and sends it to the mouse.
  int selectProfile(const std::string& id);
  // Reads the current settings block into the lighting state and DPI stage.
  void readSettings();
  // begin, 0x06 (66 bytes at address 0), end, from the current state. 1 when
  // queued, 0 when the channel is closed. sent, when given, gets the
  // sequence's result on the window thread (at once when nothing was queued).
  int writeSettings(std::function<void(int result)> sent = {});
  void showSettings();
  void showDpiStages();
  void showPollingRate(int index);
  // Shows settings page a ("mouse_device_seting_layout") and selects its option.
  void selectSettingsTab(int index);
  // The page's own controls (DPI stages, polling rate, settings tabs, and
  // storing the pointer values in the profile). True when the notification
  // is fully handled; the pointer controls return false, so the window still
  // hands their values to the desktop.
  bool handlePageNotify(skin::TNotifyUI& msg);

  // Page actions, also used by tests.
  void setStageSlider(int stage, int sliderValue);
  void setStageText(int stage, const std::string& text);
  void setStageEnabled(int stage, bool on);
  // The stage in use; a stage that is off or out of range is refused (the
  // page goes back to the stage in use). written, when given, gets the
  // result of the settings write, or kCmdOk when the stage was in use already.
  void setCurrentStage(int stage, std::function<void(int result)> written = {});
  void setPollingRate(int index);
  void setPointerFields(const mouse::MouseSystemFields& fields);

  // ---- state for the panels --------------------------------------------------
  profiles::CMouseProfiledata& profileData() { return profile_; }
  profiles::LightSetting lightState() const { return light_; }
  mouse::MouseSystemFields systemSettings() const { return mouse::systemFields(system_); }
  const std::vector<profiles::DpiStage>& dpiStages() const { return stages_; }
  int currentStage() const { return currentStage_; }
  mouse::DpiRange dpiRange() const { return tables_.dpiRange(); }
  const mouse::DeviceTables& deviceTables() const { return tables_; }
  const std::vector<profiles::KeyAssignment>& keyAssignments() const { return assignments_; }
  // Stores the list in the profile (the key-assignment panel then saves and
  // calls writeKeyAssignments).
  void setKeyAssignments(const std::vector<profiles::KeyAssignment>& list);
  const std::vector<std::string>& macroNames() const { return macroNames_; }
  const std::vector<std::string>& lightNames() const { return lightNames_; }
  // The last macro download's code (mouse::kMacrosSent, kMacrosFailed or events too many).
  int macroDownloadResult() const { return macroResult_; }
  // The folders of the recoil patterns: the user's and the factory's.
  std::string recoilUserFolder() const { return userDataFolder(); }
  std::string recoilFactoryFolder() const;
  // Whether the hint label shows (the last status block read is the base's
  // lastPowerStatus).
  bool connectionHintShown() const { return hintShown_; }
  bool previewRunning() const { return previewWorker_.running(); }
  // The screen size every settings write carries (recorded at start).
  static mouse::ScreenSize recordedScreen();
  static void setRecordedScreen(const mouse::ScreenSize& size);

 protected:
  void reanswered() override { postSettingsRead(true); }
  void probeSilentDevice() override { postSettingsRead(true); }

 private:
  // mouse_device.cpp
  void readProfileDocuments();
  void storeLightState(const profiles::LightSetting& light);
  void publishFrame();
  QString assignedName(const profiles::KeyCodeBytes& code) const;
  // mouse_device_io.cpp
  void arrived(const mouse::DeviceTables* tables);
  void buildPositionMap();
  void postSettingsRead(bool show);
  void applySettingsRead(const mouse::SettingsBlock& block);
  mouse::SettingsSource settingsSource() const;
  void showConnectionHint(uint8_t state);
  // Posts the macro download; failed hears every outcome but success.
  int postMacroDownload(std::function<void(int result)> failed);
  // mouse_device_view.cpp
  void showStage(size_t stage);
  void showStageChecks();
  void storeStages(std::function<void(int result)> written = {});
  bool handleSelectChanged(skin::CControlUI* sender, const QString& name);
  bool handleValueChanged(skin::CControlUI* sender, const QString& name);
  bool handleKillFocus(skin::CControlUI* sender, const QString& name);
  // mouse_device_threads.cpp
  void startPreview();
  void previewLoop(Event& stop);
  void handleNotifyUsage(uint16_t usage) override;

  profiles::CMouseProfiledata profile_;
  profiles::LightSetting light_{};
  profiles::MouseSystemSettings system_{};
  std::vector<profiles::DpiStage> stages_;
  int currentStage_ = 0;
  std::vector<profiles::KeyAssignment> assignments_;
  std::vector<profiles::CorrectionEntry> corrections_;
  std::vector<std::string> macroNames_, lightNames_;
  int macroResult_ = mouse::kMacrosSent;

  mouse::DeviceTables tables_;
  uint8_t lastSlot_ = 0;
  bool arriving_ = false;
  bool powerPollPending_ = false;
  bool hintShown_ = false;

  // The preview, guarded by dataLockA_; the light thread ticks it.
  mouse::MousePreview preview_;
  DeviceWorker previewWorker_;

  QPointer<skin::CControlUI> ledIndicator_, connectionHint_;
};

}  // namespace kavro::devices
