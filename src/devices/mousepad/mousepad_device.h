#pragma once
// CHalvionMousePadDevice: the mousepad's page and model. A mousepad has
// lighting only. The program renders its effects: the light thread computes
// the zones' frame, the page paints it on the zone buttons and the tab's
// frame tick streams it to the pad (command 18), so the pad's LEDs show what
// the page shows. The 21-byte settings block on the pad keeps the chosen effect;
// its device bytes go back exactly as read.
//
// The block codec and the command sequences live in kavro_mousepad_core
// (pad_block.h, pad_io.h) and the effects in zone_preview.h; this class ties
// them to the command worker, the profile files and the page.
#include <QPointer>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/device_base.h"
#include "devices/device_worker.h"
#include "devices/mousepad/pad_io.h"
#include "devices/mousepad/zone_preview.h"
#include "profiles/basic_profile_data.h"

namespace kavro::devices {

// Container of the zone buttons ("light_" + zone number) on the page.
constexpr char kMousepadZonePanel[] = "mousepad_device_key_light";

// The preview runs one effect pass per elapsed millisecond; the thread wakes
// this often and runs the passes that fell due since its last wake.
constexpr int kPadPreviewWakeMs = 16;  // as often as the window takes a frame
// More passes than this after a long stall are dropped rather than run at once.
constexpr unsigned kPadPreviewMaxPasses = 64;

// Registers the mousepad page class with the control factory.
void registerMousepadDevice();

class CHalvionMousePadDevice : public CHalvionUSBDevice {
  Q_OBJECT
 public:
  explicit CHalvionMousePadDevice(QWidget* parent = nullptr);
  ~CHalvionMousePadDevice() override;
  QString GetClass() const override { return QStringLiteral("HalvionMousePadDevice"); }

  // ---- device operations ----------------------------------------------------
  void initPage() override;
  // The lighting state into the preview (after a panel, profile or
  // synchronised change); a new effect restarts it.
  void applyLightState() override;
  // begin, 0x03, end and the block read; then the profile, the page and
  // the light thread.
  void onConnected() override;
  // Sync from the device (timer 1002 after usage 0x401).
  void onRefreshTimer() override;
  void onDisconnected() override;
  // begin, 0x06 (the 21-byte block at the slot's address), end. 1 when
  // queued, 0 when the channel is closed.
  int writeLightSettings() override;
  void collectNameLists() override;
  void reloadProfile() override;
  profiles::CBasicProfiledata* profileStore() override { return &profile_; }
  void setKindIndex(int index) override;
  void setLightParams(const DeviceLightParams& params) override;
  bool arriving() const override { return arriving_; }

  // ---- state for the panels and tests ------------------------------------------
  profiles::CBasicProfiledata& profileData() { return profile_; }
  profiles::LightSetting lightState() const { return light_; }
  // The block as last read from or written to the pad.
  mousepad::HeldBlock heldBlock() const;
  const std::vector<std::string>& macroNames() const { return macroNames_; }
  const std::vector<std::string>& lightNames() const { return lightNames_; }
  bool previewRunning() const { return previewWorker_.running(); }
  // Runs preview passes at once (tests; the light thread does it otherwise).
  void runPreviewPasses(unsigned passes);

 protected:
  void reanswered() override { postBlockRead(false); }
  void probeSilentDevice() override { postBlockRead(false); }

 private:
  // mousepad_device.cpp
  void loadProfile();
  void readProfileDocuments();
  void loadLightState();
  void storeLightState(const profiles::LightSetting& light);
  void showSettings();
  void publishFrame();
  // mousepad_device_io.cpp
  struct Arrival;
  void arrived(const Arrival* read);
  // Reads the pad's block and shows it; notifyOwner: the pad said its
  // settings changed, and the main window hears of the re-read.
  void postBlockRead(bool notifyOwner);
  void applyBlock(const mousepad::HeldBlock& held);
  // mousepad_device_threads.cpp
  void startPreview();
  void previewLoop(Event& stop);
  void handleNotifyUsage(uint16_t usage) override;

  profiles::CBasicProfiledata profile_;
  profiles::LightSetting light_{};
  std::vector<std::string> macroNames_, lightNames_;
  bool arriving_ = false;

  // The pad's block as the sequences last saw it (pad_io.h).
  std::shared_ptr<mousepad::SharedHeldBlock> held_ = std::make_shared<mousepad::SharedHeldBlock>();
  // The window thread's copy, as the last sequence brought it back.
  mousepad::HeldBlock shownBlock_{};

  // The preview, guarded by dataLockA_.
  mousepad::ZonePreview preview_ = mousepad::makePadPreview();
  DeviceWorker previewWorker_;
};

}  // namespace kavro::devices
