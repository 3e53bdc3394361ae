#pragma once
// CHalvionKeyboardDevice: the keyboard's page and model. It reads the
// keyboard's key and light tables and its settings block, keeps the profile
// data in step with the device, writes settings, key tables, macros and
// per-key colours, and animates the on-screen keyboard (the preview) on its
// own light thread. A second thread listens on the keyboard's notify
// interface for key presses and for changes made on the device itself.
//
// The protocol and block logic lives in kavro_keyboard_core and the effects
// in kavro_lighting; this class ties them to the channel, the files and the
// page. Its command sequences (keyboard_sequences.h) run on the device's
// command worker; the methods below post them and return at once, and the
// results are applied on the window thread when they come back.
#include <QPointer>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/custom_colors.h"
#include "devices/device_base.h"
#include "devices/device_worker.h"
#include "devices/key_assign_target.h"
#include "devices/keyboard/keyboard_colors.h"
#include "devices/keyboard/keyboard_positions.h"
#include "devices/keyboard/keyboard_sequences.h"
#include "devices/keyboard/keyboard_settings.h"
#include "devices/lighting/keyboard_preview.h"
#include "profiles/keyboard_profile_data.h"

namespace kavro::devices {

// Name of the key layout panel of the keyboard page.
constexpr char kKeyboardKeyPanel[] = "keyboard_device_key_light";
// Shared panels of the page, found by name at page set-up.
constexpr char kProfilePanelName[] = "DeviceProfileItem";
constexpr char kLightPanelName[] = "LightControlItem";
constexpr char kMacroPanelName[] = "MacroControlItem";
constexpr char kKeySetPanelName[] = "KeySetControlItem";

// Usages reported on the notify interface.
constexpr uint16_t kUsageSettingsChanged = 0x401;  // settings changed on the device
constexpr uint16_t kUsageNotice = 0x404;
constexpr uint16_t kUsageKeyPressBase = 0x500;     // + device key, up to 0x5FF
constexpr uint16_t kUsageKeyReleaseBase = 0x600;   // + device key, up to 0x6FF
constexpr int kRefreshDelayMs = 100;               // settings re-read after a device change

// The preview's effect tables count in steps of 3 per pass and were tuned
// for a pass of about 15 ms (one scheduler tick of the system the keyboard
// was first made for), so the light thread paces itself at that rate.
constexpr int kPreviewPassMs = 15;
// The thread wakes once for two passes: the picture shows every second
// pass anyway, and the effects keep their speed.
constexpr int kPreviewPassesPerWake = 2;
constexpr uint64_t kPreviewPaintMs = 25;  // shortest time between two repaints of the picture
constexpr uint8_t kCustomColorEffect = 20;

// Registers the keyboard page class with the control factory.
void registerKeyboardDevice();

class CHalvionKeyboardDevice : public CHalvionUSBDevice, public ILightCustomColors, public IKeyAssignTarget {
  Q_OBJECT
 public:
  explicit CHalvionKeyboardDevice(QWidget* parent = nullptr);
  ~CHalvionKeyboardDevice() override;
  QString GetClass() const override { return QStringLiteral("HalvionKeyboardDevice"); }

  // ---- device operations ----------------------------------------------------
  void initPage() override;
  void applyLightState() override;
  // Paints the preview frame on the key buttons; the keyboard runs its
  // effects itself, so nothing goes to the device.
  void streamLights() override;
  void setLedColor(size_t n, uint32_t value) override;
  void onConnected() override;
  void onRefreshTimer() override;
  void refreshKeyCaptions() override;
  void onDisconnected() override;
  // 0x03, begin, 0x09, end. 1 when the table was queued; 0 when there is no
  // table to write (closed channel, tables not read).
  int writeKeyAssignments() override;
  // Every key back to its default, saved and written.
  int resetKeyAssignments() override;
  // 0x03, begin, 0x15, end. 0 queued or no macro list, -1 no image, > 0 the
  // number of 4-byte events by which the image is too long for the memory
  // (nothing is sent then). A download the device refuses shows as the page's
  // not-answering line.
  int writeMacros() override;
  int writeLightSettings() override { return writeSettings(0, 0); }
  void collectNameLists() override;
  profiles::CBasicProfiledata* profileStore() override { return &profile_; }
  void setKindIndex(int index) override;
  void setLightParams(const DeviceLightParams& params) override;
  bool needsFrames() const override;
  // The picture is painted on the preview thread's request; the tab only
  // watches whether the page can be seen and keeps its Sync box current.
  int frameIntervalMs() const override;
  bool arriving() const override { return arriving_; }

  // Per-key custom colours (effect 20), for the lighting panel.
  int customColorKeyCount() const override;
  void setCustomKeyColor(int position, uint8_t red, uint8_t green, uint8_t blue) override;
  void refreshCustomPreview() override;
  void storeCustomColors(int group) override;
  void setCustomGroupIndex(int group) override;
  void showCustomGroup(int group) override;
  int customGroupIndex() const override { return light_.customGroup; }

  // Key table and macros, for the key assignment and macro panels
  // (keyboard_device_targets.cpp).
  std::vector<profiles::KeyAssignment> keyAssignmentList() const override { return assignments_; }
  void storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) override;
  int keyPositionOf(const skin::CControlUI* control) const override;
  void refreshKeyLabels() override { refreshKeyCaptions(); }
  int writeKeyTable() override { return writeKeyAssignments(); }
  std::string macroFolder() const override { return userDataFolder(); }
  void macroListChanged() override;
  int downloadMacros(std::function<void(int result)> failed) override;

  // ---- keyboard operations --------------------------------------------------
  // Opens the selected profile's files and reads them into the device
  // state (no device traffic).
  void loadProfile();
  // Reads the opened profile again and shows it (no device traffic).
  void reloadProfile() override;
  // Switches to another profile, loads it and sends it to the keyboard.
  // Returns the macro download result.
  int selectProfile(const std::string& id);
  // Reads the settings block from the device into the state and the profile.
  void readSettings();
  // begin, 0x06 (26 bytes at slot x 25), end, with the block of the current
  // state. 1 when queued, 0 when the channel is closed.
  int writeSettings(uint8_t slot, uint8_t firstByte);
  // The lighting state, per-key list and custom steps from the profile into the preview.
  void loadLightState();
  void showSettings();
  // Selects repeat delay index (0..3, else 0) and shows its time.
  void showRepeatDelay(int index);
  void showPollingRate(int index);
  // After the macro list changed: keys of macros that no longer exist fall
  // back to their defaults. True when any changed.
  bool resetDanglingMacroKeys();
  // Effect 20: paints a key in the custom bank and writes the bank.
  int paintCustomKey(size_t position, uint32_t colorRef);
  // The custom bank to the device (0x0B at bank "CustomGroup"). 1 when
  // queued, 0 when nothing is sent (closed channel, long time-outs, or the
  // short rest after a failed write).
  int writeCustomColors();
  // The current preview colours, scaled by their brightness, to the bank.
  int writeScaledColors();
  // A key event of the keyboard (device key numbering).
  void deviceKeyEvent(uint8_t deviceKey, lighting::KeyAction action);

  // ---- state for the panels --------------------------------------------------
  profiles::CKeyboardProfiledata& profileData() { return profile_; }
  profiles::LightSetting lightState() const;
  keyboard::KeyboardSystemFields systemSettings() const { return keyboard::systemFields(system_); }
  void setSystemSettings(const keyboard::KeyboardSystemFields& fields);
  const std::vector<profiles::KeyAssignment>& keyAssignments() const { return assignments_; }
  void setKeyAssignments(const std::vector<profiles::KeyAssignment>& list);
  keyboard::PositionMap tablePositions() const;
  keyboard::PositionMap ledPositions() const;
  uint8_t deviceKeyCount() const { return tables_.keys; }
  const std::vector<std::string>& macroNames() const { return macroNames_; }
  const std::vector<std::string>& lightNames() const { return lightNames_; }
  bool previewRunning() const { return previewWorker_.running(); }
  unsigned noticeCount() const { return noticeCounter_.load(); }
  // A copy of the preview's state (under its lock).
  lighting::PreviewState previewState() const;
  skin::CControlUI* sharedPanel(const char* name) const;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void reanswered() override { postSettingsRead(true); }
  void probeSilentDevice() override { postSettingsRead(true); }

 private:
  void arrived(const keyboard::ArrivalRead* read);
  bool arriving_ = false;  // the arrival sequence has not come back yet
  void postSettingsRead(bool show);
  // A block read from the device into the state and the profile; at first
  // connect, the block the program left at exit sends the profile back instead.
  void applySettingsRead(const keyboard::SettingsRead& read, bool firstConnect);
  void buildPositionMaps();
  void readProfileDocuments();
  void storeLightState(const profiles::LightSetting& light);
  void publishFrame();
  void paintPreview();
  // Asks the window thread for a paint of the picture (once until it ran).
  void queuePreviewPaint();
  bool pageCanBeSeen() const;
  void updatePageShown();
  void setKeyCaption(size_t position);
  int sendColors(const keyboard::ColorBuffer& buffer);
  std::vector<keyboard::PreviewColor> customBank();
  void startPreview();
  void previewLoop(Event& stop);
  void handleNotifyUsage(uint16_t usage) override;

  profiles::CKeyboardProfiledata profile_;
  profiles::LightSetting light_{};
  std::vector<profiles::KeyColor> customEdit_;  // key colours being edited in the panel
  profiles::KeyboardSystemSettings system_{};
  std::vector<profiles::KeyAssignment> assignments_;
  std::vector<std::string> macroNames_, lightNames_;

  // Device tables of the current connection (the device info is the base's).
  keyboard::DeviceTables tables_;
  mutable std::mutex mapMutex_;  // the position maps, read by the input thread
  keyboard::PositionMap tablePos_{}, ledPos_{};

  // Settings block as last read, and the slot it came from.
  keyboard::SettingsBlock lastBlock_{};
  uint8_t lastSlot_ = 0;

  // The preview: guarded by dataLockA_ (the preview with its per-key list);
  // the custom step list by dataLockB_ (never taken while holding A).
  lighting::KeyboardPreview preview_;
  std::vector<profiles::LightEffectStep> customSteps_;
  std::atomic<uint64_t> frameGeneration_{0};
  uint64_t paintedGeneration_ = ~uint64_t{0};
  uint64_t lastPaintMs_ = 0;
  std::atomic<bool> paintQueued_{false};
  std::atomic<bool> pageShown_{false};
  Event wake_{Event::Reset::Auto};
  DeviceWorker previewWorker_;

  std::atomic<unsigned> noticeCounter_{0};
  uint64_t colorPauseUntil_ = 0;

  QPointer<skin::CControlUI> profilePanel_, lightPanel_, macroPanel_, keySetPanel_;
};

}  // namespace kavro::devices
