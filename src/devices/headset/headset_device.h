#pragma once
// CHalvionHS6533Device: the headset's page and model. Two sides:
//  - lighting, as the mousepad: the 21-byte settings block over the command
//    channel, a preview rendered by the program whose frame paints the
//    page's 13 LED buttons and goes to the headset's LEDs as output reports;
//  - audio, through the audio configuration library: equaliser presets and
//    bands, user presets, microphone, monitor and voice changer, kept in the
//    headset profile's "SystemSetStages".
// Device I/O runs on the device's command worker (postCommands); library
// calls run on an audio worker of their own. Results come back to the window
// thread, which never waits on either.
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/headset_audio.h"
#include "devices/device_base.h"
#include "devices/device_worker.h"
#include "devices/headset/headset_eq.h"
#include "devices/headset/headset_views.h"
#include "devices/mousepad/pad_io.h"
#include "devices/mousepad/zone_preview.h"
#include "profiles/hs6533_profile_data.h"

namespace kavro::devices {

// The LED button panel of the page.
constexpr char kHeadsetLedPanel[] = "hs6533_device_key_light";
// Language keys of the equaliser messages.
constexpr char kEqListFullTextKey[] = "hs_eq_list_full_text";
constexpr char kEqNameTakenTextKey[] = "hs_eq_name_taken_text";
constexpr char kEqNoneSelectedTextKey[] = "hs_eq_none_selected_text";
// The preview runs one pass per millisecond, woken in batches every
// kHeadsetWakeMs (at most kHeadsetMaxPasses at once).
constexpr int kHeadsetWakeMs = 16;
constexpr unsigned kHeadsetMaxPasses = 64;

void registerHeadsetDevice();

class CHalvionHS6533Device : public CHalvionUSBDevice {
  Q_OBJECT
 public:
  explicit CHalvionHS6533Device(QWidget* parent = nullptr);
  ~CHalvionHS6533Device() override;
  QString GetClass() const override { return QStringLiteral("HalvionHS6533Device"); }

  // ---- device operations ----------------------------------------------------
  // Binds the LED buttons and panels and starts the audio library.
  void initPage() override;
  void applyLightState() override;
  // Paints the LED buttons and sends the frame to the LEDs.
  void streamLights() override;
  // A colour set from outside the preview (synchronised lighting) is painted
  // with the next frame.
  void setLedColor(size_t n, uint32_t value) override;
  void onConnected() override;
  // Sync from the device: the block is read, shown and stored; the window
  // gets message 0xD00 with the block's first byte.
  void onRefreshTimer() override;
  void onDisconnected() override;
  int writeLightSettings() override;
  profiles::CBasicProfiledata* profileStore() override { return &profile_; }
  void reloadProfile() override;
  void setLightParams(const DeviceLightParams& params) override;
  bool needsFrames() const override;

  // ---- audio operations (the voice panels through the main window) ---------
  // 1..12 a fixed preset, 13 the custom equaliser; anything else nothing.
  // applied, when given, gets on the window thread whether the chip took
  // the bands (false at once for a number that is no preset).
  void selectEqPreset(int preset, std::function<void(bool ok)> applied = {});
  // Runs done on the window thread once the audio jobs posted before it have
  // run; ready says whether the library runs and has the headset's card.
  void afterAudio(std::function<void(bool ready)> done);
  // Band 0..9 to a gain; a fixed preset switches to the custom equaliser first.
  void changeBand(int band, int gain);
  // The preset selected in the panel's list (none selected: the stored one)
  // goes to the chip.
  void applyUserPreset(std::function<void(bool ok)> applied = {});
  // Saves the bands as a user preset named by the panel's name edit (empty:
  // the selected preset takes them). 1 saved, 0 name taken, -1 list full or
  // nothing selected.
  int saveUserPreset();
  // Deletes the selected user preset; with none left, fixed preset 1 is shown.
  void deleteUserPreset();
  void toggleMicrophone();
  void setMicrophoneLevel(int level);
  void toggleMonitor();
  void setMonitorLevel(int level);
  void setVoiceChanger(bool on);
  void selectVoiceEffect(int effect);
  // Shows the audio state on both panels.
  void showAudioState();

  // ---- state ---------------------------------------------------------------------
  profiles::CHs6533Profiledata& profileData() { return profile_; }
  profiles::LightSetting lightState() const { return light_; }
  const profiles::HeadsetSettings& audioSettings() const { return settings_; }
  const headset::EqBands& bands() const { return bands_; }
  const headset::UserPresets& userPresets() const { return presets_; }
  bool audioReady() const { return chipReady_; }
  const audio::ChipState& chipState() const { return chip_; }
  bool previewRunning() const { return previewWorker_.running(); }
  // Where the start-up failures of the library are shown (default: the
  // message dialog). Tests capture them.
  void setNoticeHandler(std::function<void(const QString&)> handler) { notice_ = std::move(handler); }
  // Where the audio library is loaded from (default: the program's SDK
  // folder); set before initPage.
  void setConfLibPath(const std::string& path) { confLibPath_ = path; }
  // Blocks until the audio worker is idle and its results are handled
  // (tests and tools only).
  bool waitForAudio(int timeoutMs);

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void reanswered() override { postBlockRead(true); }
  void probeSilentDevice() override { postBlockRead(false); }

 private:
  // headset_device.cpp
  void readProfileDocuments();
  void storeLightState(const profiles::LightSetting& light);
  void loadLightState();
  void publishFrame();
  bool pageCanBeSeen() const;
  void updatePageShown();
  IHeadsetVoiceView* voiceView() const;
  IHeadsetMagicView* magicView() const;
  // headset_device_io.cpp
  void arrived();
  void postBlockRead(bool syncMessage);
  void sendLeds(const std::vector<lighting::LedColor>& frame);
  // headset_device_threads.cpp
  void startPreview();
  void previewLoop(Event& stop);
  void handleNotifyUsage(uint16_t usage) override;
  // headset_device_audio.cpp
  // What an audio job brings back: its own result and copies of the kept state.
  struct AudioResult {
    bool ok = false;
    bool ready = false;
    bool eqActive = false;
    audio::ChipState chip;
  };
  using AudioJob = std::function<bool(audio::HeadsetAudio&)>;
  // Runs work on the audio worker behind every job posted before; done gets
  // the result on the window thread. Without the library work does not run
  // and the result is not ok. False when the worker took no job.
  bool postAudio(AudioJob work, std::function<void(const AudioResult&)> done);
  void startAudio();
  void loadAudioProfile();
  // The custom equaliser without a saved user preset behind it: its bands
  // live only on the card, so they are taken from there.
  bool unsavedCustomBands() const;
  // The profile's equaliser and voice changer (and with levels its
  // microphone and monitor) to the chip.
  void applyAudioProfile(bool withLevels);
  void takeResult(const AudioResult& r);
  void takeChipLevels(const audio::ChipState& chip);
  void saveAudioSettings();
  void storeUserPresets();
  void showUserPresets();
  void showBands(bool enabled);
  void showLevelTexts();
  // The equaliser on and the current bands to the chip.
  void sendBands(std::function<void(bool ok)> applied = {});
  void notice(const QString& key);
  // A mute switch while its toggles are on the way to the chip: the state
  // the last click asked for, so a quick second click flips that one.
  struct PendingSwitch {
    int inFlight = 0;
    bool on = false;
    // A click: the state it asks for (from `current`, the kept state, when
    // nothing is on the way).
    bool flip(bool current) {
      on = !(inFlight > 0 ? on : current);
      ++inFlight;
      return on;
    }
    // A toggle came back: the state to show.
    bool back(bool current) {
      --inFlight;
      return inFlight > 0 ? on : current;
    }
  };

  profiles::CHs6533Profiledata profile_;
  profiles::LightSetting light_{};
  // The headset's block as the sequences last saw it (pad_io.h).
  std::shared_ptr<mousepad::SharedHeldBlock> held_ = std::make_shared<mousepad::SharedHeldBlock>();
  bool ledsPending_ = false;
  uint64_t ledPauseUntil_ = 0;
  std::mutex ledFrameMutex_;
  std::vector<lighting::LedColor> nextLedFrame_;

  // The preview, guarded by dataLockA_.
  mousepad::ZonePreview preview_;
  std::atomic<uint64_t> frameGeneration_{0};
  uint64_t paintedGeneration_ = ~uint64_t{0};
  std::atomic<bool> pageShown_{false};
  Event wake_{Event::Reset::Auto};
  DeviceWorker previewWorker_;

  // Audio: the library and its headset side live on the audio worker; the
  // window thread keeps copies of what came back.
  DeviceCommandQueue audioQueue_;
  std::unique_ptr<audio::ConfLib> confLib_;
  std::unique_ptr<audio::HeadsetAudio> headsetAudio_;
  int audioPending_ = 0;
  bool audioStarted_ = false;
  bool chipReady_ = false;
  bool eqActive_ = false;
  audio::ChipState chip_;
  profiles::HeadsetSettings settings_{};
  PendingSwitch micSwitch_, monitorSwitch_;
  headset::EqBands bands_{};
  headset::UserPresets presets_;
  std::function<void(const QString&)> notice_;
  std::string confLibPath_;
};

}  // namespace kavro::devices
