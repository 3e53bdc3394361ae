// The headset's traffic on its command worker: first connect, the settings
// block (written on every lighting change, read on sync) and the LED frames.
#include "devices/headset/headset_device.h"

#include "devices/headset/headset_leds.h"
#include "platform/debug.h"

namespace kavro::devices {

namespace {
struct LedsSent {
  int result = transport::kCmdOk;
};
}  // namespace

// ---- connection ---------------------------------------------------------------

// First connect reads nothing from the device: the block is read on sync or
// before the first write. Profile, audio state and preview come up at once.
void CHalvionHS6533Device::onConnected() {
  channel.stateFlag = 0;
  // The block of an earlier connection is forgotten; a sequence of that
  // connection still on its way keeps its own.
  held_ = std::make_shared<mousepad::SharedHeldBlock>();
  arrived();
}

void CHalvionHS6533Device::arrived() {
  openProfileFiles();
  readProfileDocuments();
  // The chip's microphone and monitor win over the profile's (other programs
  // may have changed them); equaliser and voice changer come from the profile.
  postAudio(
      [](audio::HeadsetAudio& a) {
        a.readLevels();
        return a.ready();
      },
      [this](const AudioResult& r) {
        if (!r.ok) return;
        if (unsavedCustomBands()) bands_ = r.chip.bands;
        takeChipLevels(r.chip);
      });
  applyAudioProfile(false);
  showAudioState();
  refreshPanels();
  startPreview();
}

void CHalvionHS6533Device::onDisconnected() {
  ledsPending_ = false;
  previewWorker_.stop();
  stopInput();
}

// ---- settings block -------------------------------------------------------------

// The block goes out as the sequences before this one left it, so a sync
// read or an earlier write still queued is never undone.
int CHalvionHS6533Device::writeLightSettings() {
  const profiles::LightSetting light = light_;
  auto held = held_;
  const bool posted = postCommands<mousepad::HeldBlockResult>(
      [held, light](transport::HidChannel& ch) { return mousepad::writeSharedBlock(ch, *held, light); }, {});
  return posted ? transport::kCmdOk : transport::kResultNoAnswer;
}

void CHalvionHS6533Device::onRefreshTimer() { postBlockRead(true); }

void CHalvionHS6533Device::postBlockRead(bool syncMessage) {
  channel.stateFlag = 0;
  auto held = held_;
  postCommands<mousepad::HeldBlockResult>(
      [held](transport::HidChannel& ch) { return mousepad::readSharedBlock(ch, *held); },
      [this, syncMessage](mousepad::HeldBlockResult& s) {
        if (s.result != transport::kCmdOk) return;  // a failed read keeps what we have
        profiles::LightSetting light = light_;
        mousepad::decodeBlock(s.held.bytes, light);
        storeLightState(light);
        applyLightState();
        profile_.setLightSetting(light_);
        saveChecked(profile_);
        refreshPanels();
        if (syncMessage) sendToOwner(kMsgSettingsReread, s.held.bytes[0], 0);
      },
      SequenceKind::StateRead);
}

// ---- LED frames -------------------------------------------------------------------

// Only the newest frame is worth sending: one waiting for the worker is
// replaced. After a frame with a failed report the LEDs rest a moment.
void CHalvionHS6533Device::sendLeds(const std::vector<lighting::LedColor>& frame) {
  if (!channel.isConnected() || tickMs() < ledPauseUntil_) return;
  {
    std::lock_guard<std::mutex> lock(ledFrameMutex_);
    nextLedFrame_ = frame;
  }
  if (ledsPending_) return;
  ledsPending_ = postCommands<LedsSent>(
      [this](transport::HidChannel& ch) {
        std::vector<lighting::LedColor> leds;
        {
          std::lock_guard<std::mutex> lock(ledFrameMutex_);
          leds.swap(nextLedFrame_);
        }
        const headset::LedFrameResult r = headset::sendLedFrame(ch, leds);
        return LedsSent{r.failed == 0 ? transport::kCmdOk : r.firstFailure};
      },
      [this](LedsSent& sent) {
        ledsPending_ = false;
        if (sent.result == transport::kCmdOk) return;
        dbg::printf("headset LED frame: a report failed (%d)\n", sent.result);
        ledPauseUntil_ = tickMs() + kFailedFramePauseMs;
      },
      SequenceKind::Background);
}

}  // namespace kavro::devices
