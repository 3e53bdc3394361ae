// The mouse device's traffic: first connect, settings block, key table,
// macros and the power poll. Each operation copies what its sequence needs,
// posts the sequence to the command worker and applies the result on the
// window thread when it comes back. Nothing is posted on a closed channel.
#include <algorithm>

#include "devices/device_power.h"
#include "devices/mouse/mouse_device.h"
#include "macros/macro_image_source.h"
#include "platform/debug.h"
#include "transport/command_set.h"

namespace kavro::devices {

namespace {
using transport::kCmdOk;
using transport::kResultNoAnswer;

// A mouse sequence's result as the base class counts it: an offline wireless
// mouse has not answered.
int baseResult(const mouse::SequenceResult& r) { return r.offline ? kResultNoAnswer : r.code; }

struct TablesRead {
  int result = kResultNoAnswer;
  mouse::DeviceTables tables;
};

struct SettingsRead {
  int result = kResultNoAnswer;
  bool blockRead = false;
  uint8_t slot = 0;
  mouse::SettingsBlock block{};
};

struct InfoWrite {
  int result = kResultNoAnswer;
  int code = 0;
  std::array<uint8_t, mouse::kDeviceInfoSize> info{};
};

struct StatusRead {
  int result = kResultNoAnswer;
  bool read = false;
  std::array<uint8_t, mouse::kPowerStatusSize> status{};
};
}  // namespace

// ---- connection set-up --------------------------------------------------------

void CHalvionMouseDevice::onConnected() {
  channel.stateFlag = 0;
  const mouse::DeviceTables previous = tables_;
  const bool posted = postCommands<TablesRead>(
      [previous](transport::HidChannel& ch) {
        TablesRead r{kResultNoAnswer, previous};
        r.result = baseResult(mouse::readDeviceTables(ch, r.tables));
        return r;
      },
      [this](TablesRead& r) { arrived(&r.tables); }, SequenceKind::StateRead);
  arriving_ = posted;
  // A closed channel reads nothing: the profile is still loaded and shown.
  if (!posted) arrived(nullptr);
}

// The window-thread half of the first connect: maps and DPI ranges from the
// tables, then the profile, the page and the preview. The settings block is
// not read here; the profile is what the page shows.
void CHalvionMouseDevice::arrived(const mouse::DeviceTables* tables) {
  arriving_ = false;
  if (tables) {
    tables_ = *tables;
    std::copy(tables_.info.begin(), tables_.info.end(), deviceInfo.begin());
  }
  buildPositionMap();
  loadProfile();
  showSettings();
  startPreview();
  if (tables) pollStatus();
}

void CHalvionMouseDevice::buildPositionMap() {
  keyToTablePos.clear();
  for (size_t p = 0; p < mouse::kButtonCount; ++p) keyToTablePos[static_cast<int>(p)] = tables_.buttons[p];
}

void CHalvionMouseDevice::onRefreshTimer() { postSettingsRead(true); }

void CHalvionMouseDevice::onDisconnected() {
  arriving_ = false;
  powerPollPending_ = false;
  previewWorker_.stop();
  stopInput();
  showConnectionHint(0);
}

// ---- settings block -----------------------------------------------------------

void CHalvionMouseDevice::readSettings() { postSettingsRead(false); }

void CHalvionMouseDevice::postSettingsRead(bool show) {
  // A mouse that was offline at first connect has no tables yet: they are
  // read first, so its buttons and DPI ranges come with it.
  const bool noInfo = std::all_of(tables_.info.begin(), tables_.info.end(), [](uint8_t b) { return b == 0; });
  if (noInfo && channel.isConnected() && !arriving_) {
    onConnected();
    return;
  }
  const uint8_t lastSlot = lastSlot_;
  postCommands<SettingsRead>(
      [lastSlot](transport::HidChannel& ch) {
        SettingsRead r;
        r.slot = lastSlot;
        const mouse::SequenceResult s = mouse::readSettingsBlock(ch, r.block, r.slot);
        r.result = baseResult(s);
        r.blockRead = !s.offline && s.code == kCmdOk;
        return r;
      },
      [this, show](SettingsRead& r) {
        lastSlot_ = r.slot;
        if (r.blockRead) applySettingsRead(r.block);
        if (show) showSettings();
      },
      SequenceKind::StateRead);
}

void CHalvionMouseDevice::applySettingsRead(const mouse::SettingsBlock& block) {
  profiles::LightSetting light = light_;
  int stage = currentStage_;
  mouse::decodeSettingsBlock(block, light, stage);
  storeLightState(light);
  currentStage_ = mouse::currentStageIndex(stage);
  {
    std::lock_guard<std::mutex> lock(dataLockA_);
    preview_.setLightState(light_);
  }
  publishFrame();
  profile_.setLightSetting(light_);
  profile_.setActiveDpiStage(currentStage_);
  saveChecked(profile_);
}

mouse::SettingsSource CHalvionMouseDevice::settingsSource() const {
  mouse::SettingsSource s;
  s.light = light_;
  s.system = system_;
  s.stages = stages_;
  s.currentStage = currentStage_;
  s.screen = recordedScreen();
  s.corrections = corrections_;
  return s;
}

int CHalvionMouseDevice::writeSettings(std::function<void(int result)> sent) {
  const mouse::SettingsBlock block = mouse::encodeSettingsBlock(settingsSource());
  const bool posted = postCommands<CommandOutcome>(
      [block](transport::HidChannel& ch) {
        return CommandOutcome{baseResult(mouse::writeSettingsBlock(ch, block, 0))};
      },
      [sent](CommandOutcome& outcome) {
        if (outcome.result != kCmdOk) dbg::printf("mouse settings write: %d\n", outcome.result);
        if (sent) sent(outcome.result);
      });
  if (!posted && sent) sent(kResultNoAnswer);
  return posted ? kCmdOk : kResultNoAnswer;
}

// ---- key table ------------------------------------------------------------------

int CHalvionMouseDevice::writeKeyAssignments() {
  if (!tables_.keyTableRead) return kResultNoAnswer;
  mouse::DeviceTables tables = tables_;
  const std::vector<profiles::KeyAssignment> assignments = assignments_;
  const bool posted = postCommands<InfoWrite>(
      [tables, assignments](transport::HidChannel& ch) mutable {
        InfoWrite w;
        const mouse::SequenceResult s = mouse::writeKeyAssignments(ch, tables, assignments);
        w.result = baseResult(s);
        w.code = s.code;
        w.info = tables.info;
        return w;
      },
      [this](InfoWrite& w) {
        tables_.info = w.info;
        std::copy(w.info.begin(), w.info.end(), deviceInfo.begin());
        if (w.result != kCmdOk) dbg::printf("mouse key table write: %d\n", w.result);
      });
  return posted ? kCmdOk : kResultNoAnswer;
}

int CHalvionMouseDevice::resetKeyAssignments() {
  for (profiles::KeyAssignment& a : assignments_) a.code = a.defaultCode;
  profile_.setKeyAssignments(assignments_);
  saveChecked(profile_);
  refreshKeyCaptions();
  return writeKeyAssignments();
}

// ---- macros ---------------------------------------------------------------------

int CHalvionMouseDevice::writeMacros() { return postMacroDownload({}); }

// The image is planned here first with the memory size of this connection:
// macros that do not fit, or no image at all, are answered at once and the
// mouse is not touched. The worker refreshes the device information and
// plans again before it sends.
int CHalvionMouseDevice::postMacroDownload(std::function<void(int result)> failed) {
  const macros::MacroSource source = macros::loadMacroSource(userDataFolder());
  macros::MacroDownload plan;
  if (source.hasIndex) {
    uint8_t units = tables_.info[transport::kDeviceInfoFixed];
    if (units == 0) units = transport::kDeviceInfoFixedValue;
    plan = macros::planMacroDownload(source.macros, units);
    if (plan.overflow > 0 || plan.image.empty()) {
      macroResult_ = plan.overflow > 0 ? plan.overflow : mouse::kMacrosFailed;
      dbg::printf("mouse macro download not sent: %d\n", macroResult_);
      return macroResult_;
    }
  }
  mouse::DeviceTables tables = tables_;
  const bool posted = postCommands<InfoWrite>(
      [tables, source](transport::HidChannel& ch) mutable {
        InfoWrite w;
        const mouse::SequenceResult s = mouse::downloadMacros(ch, tables, source);
        w.code = s.code;
        // A download that does not fit sent nothing, which says nothing
        // about the mouse; a failed one counts as no answer.
        w.result = s.offline ? kResultNoAnswer : (s.code == mouse::kMacrosFailed ? transport::kResultWriteFailed : kCmdOk);
        w.info = tables.info;
        return w;
      },
      [this, failed](InfoWrite& w) {
        tables_.info = w.info;
        macroResult_ = w.code;
        if (w.code == mouse::kMacrosSent) return;
        dbg::printf("mouse macro download: %d\n", w.code);
        if (failed) failed(w.code);
      });
  // Nothing reached the mouse (no connection): a caller that waits for the
  // outcome hears so rather than taking silence for success.
  if (!posted && source.hasIndex) {
    macroResult_ = mouse::kMacrosFailed;
    if (failed) failed(kResultNoAnswer);
  }
  return mouse::kMacrosSent;
}

// ---- power and link -------------------------------------------------------------

void CHalvionMouseDevice::pollStatus() {
  if (!channel.isConnected() || powerPollPending_) return;
  powerPollPending_ = postCommands<StatusRead>(
      [](transport::HidChannel& ch) {
        StatusRead r;
        const mouse::SequenceResult s = mouse::pollPower(ch, r.status);
        r.result = baseResult(s);
        r.read = !s.offline && s.code == kCmdOk;
        return r;
      },
      [this](StatusRead& r) {
        powerPollPending_ = false;
        if (!r.read) return;  // a failed read changes nothing
        std::array<uint8_t, kPowerStatusBytes> status{};
        std::copy(r.status.begin(), r.status.end(), status.begin());
        notePowerStatus(status);
        if (powerControl) powerControl->setStatus(status);
        showConnectionHint(status[mouse::kStatusConnectionByte]);
        sendToOwner(kMsgPowerStatus, status[mouse::kStatusConnectionByte], 0);
      });
}

void CHalvionMouseDevice::showConnectionHint(uint8_t state) {
  hintShown_ = mouse::connectionHintShown(state);
  if (connectionHint_) connectionHint_->SetVisible(hintShown_);
}

}  // namespace kavro::devices
