// The mousepad's traffic: first connect, the settings block read (sync from
// the pad) and write. Each operation takes what its sequence needs from the
// window thread's state, posts the sequence to the command worker and applies
// the result when it comes back. Nothing is posted on a closed channel. The
// power poll and the streamed frames are the base's.
#include "devices/mousepad/mousepad_device.h"

#include "platform/debug.h"
#include "transport/command_set.h"
#include "transport/sequence_result.h"

namespace kavro::devices {

namespace {
using transport::kCmdOk;
constexpr intptr_t kRereadLParam = 0;
}  // namespace

// What first connect brings back: the device information and the block.
struct CHalvionMousePadDevice::Arrival {
  int result = transport::kResultNoAnswer;
  mousepad::DeviceInfo info{};
  bool infoRead = false;
  mousepad::HeldBlock held;
};

// ---- connection set-up --------------------------------------------------------

void CHalvionMousePadDevice::onConnected() {
  channel.stateFlag = 0;
  const mousepad::DeviceInfo previous = deviceInfo;
  auto held = held_;
  const bool posted = postCommands<Arrival>(
      [previous, held](transport::HidChannel& ch) {
        std::lock_guard<std::mutex> lock(held->mutex);
        Arrival a;
        a.info = previous;
        a.infoRead = mousepad::firstConnect(ch, a.info, held->block).ok();
        // The pad's own block, so the page shows what the pad runs and a
        // later write sends the pad's device bytes back.
        a.result = mousepad::readSettingsBlock(ch, held->block).code;
        a.held = held->block;
        return a;
      },
      [this](Arrival& a) { arrived(&a); }, SequenceKind::StateRead);
  arriving_ = posted;
  // A closed channel reads nothing: the profile is still loaded and shown.
  if (!posted) arrived(nullptr);
}

void CHalvionMousePadDevice::arrived(const Arrival* read) {
  arriving_ = false;
  if (read && read->infoRead) deviceInfo = read->info;
  loadProfile();
  if (read && read->result == kCmdOk) applyBlock(read->held);
  showSettings();
  startPreview();
}

void CHalvionMousePadDevice::onDisconnected() {
  arriving_ = false;  // a result still on its way belongs to the old connection
  previewWorker_.stop();
  stopInput();
}

// ---- settings block -----------------------------------------------------------

mousepad::HeldBlock CHalvionMousePadDevice::heldBlock() const { return shownBlock_; }

void CHalvionMousePadDevice::onRefreshTimer() { postBlockRead(true); }

void CHalvionMousePadDevice::postBlockRead(bool notifyOwner) {
  channel.stateFlag = 0;
  auto held = held_;
  postCommands<mousepad::HeldBlockResult>(
      [held](transport::HidChannel& ch) { return mousepad::readSharedBlock(ch, *held); },
      [this, notifyOwner](mousepad::HeldBlockResult& r) {
        // A failed read leaves the page and the profile as they were.
        if (r.result != kCmdOk) return;
        applyBlock(r.held);
        showSettings();
        if (notifyOwner) sendToOwner(kMsgSettingsReread, r.held.slot, kRereadLParam);
      },
      SequenceKind::StateRead);
}

// A block read from the pad into the lighting state, the preview and the profile.
void CHalvionMousePadDevice::applyBlock(const mousepad::HeldBlock& held) {
  shownBlock_ = held;
  profiles::LightSetting light = light_;
  mousepad::decodeBlock(held.bytes, light);
  storeLightState(light);
  applyLightState();
  publishFrame();
  profile_.setLightSetting(light_);
  saveChecked(profile_);
}

int CHalvionMousePadDevice::writeLightSettings() {
  const profiles::LightSetting light = light_;
  auto held = held_;
  const bool posted = postCommands<mousepad::HeldBlockResult>(
      [held, light](transport::HidChannel& ch) { return mousepad::writeSharedBlock(ch, *held, light); },
      [this](mousepad::HeldBlockResult& r) {
        if (r.result == kCmdOk) {
          shownBlock_ = r.held;
          return;
        }
        // A silent pad shows the not-answering line (the base); a pad that
        // refused the block is read back, so the page shows what it runs.
        if (!transport::isNoAnswerResult(r.result)) {
          dbg::printf("mousepad: settings block refused: %d\n", r.result);
          postBlockRead(false);
        }
      });
  return posted ? kCmdOk : transport::kResultNoAnswer;
}

}  // namespace kavro::devices
