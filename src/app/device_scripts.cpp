#include "app/device_scripts.h"


#include "app/device_script_adapter.h"
#include "app/main_wnd.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "devices/light_change.h"
#include "platform/event.h"
#include "transport/command_set.h"
#include "transport/sequence_result.h"
#ifdef KAVRO_HAVE_PANELS
#include "panels/device_profile.h"
#include "panels/light_control.h"
#endif

namespace kavro::app {

namespace {

using cli::CallResult;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;
constexpr uint32_t kByteMask = 0xFF;

// The monotonic clock, so that a change of the system time stretches no wait.
qint64 nowMs() { return static_cast<qint64>(tickMs()); }

#ifdef KAVRO_HAVE_PANELS
panels::CDeviceProfileUI* profilePanelOf(devices::CHalvionUSBDevice* device) {
  for (devices::IDevicePanel* p : device->panels()) {
    if (auto* panel = dynamic_cast<panels::CDeviceProfileUI*>(p)) return panel;
  }
  return nullptr;
}
#endif

std::string outOfRange(const char* what, int value, int max) {
  return std::string(what) + " " + std::to_string(value) + " is out of range (0.." + std::to_string(max) + ")";
}

// Checks the lighting request against the device's limits; empty when it fits.
std::string lightingError(const cli::LightValues& v, const LightLimits& limits) {
  if (v.effect >= 0) {
    const size_t e = static_cast<size_t>(v.effect);
    if (e >= limits.effects.size() || (e < limits.usable.size() && !limits.usable[e]))
      return outOfRange("effect", v.effect, int(limits.effects.size()) - 1);
  }
  if (v.brightness > limits.maxBrightness) return outOfRange("brightness", v.brightness, limits.maxBrightness);
  if (v.speed > limits.maxSpeed) return outOfRange("speed", v.speed, limits.maxSpeed);
  if (v.direction > 1) return outOfRange("direction", v.direction, 1);
  if (v.colour > int64_t(cli::kMaxColour) && v.colour != int64_t(kKeepColourWord))
    return "colour " + std::to_string(v.colour) + " is out of range (0..0xFFFFFF)";
  return {};
}

void applyValues(const cli::LightValues& v, devices::DeviceLightParams& p) {
  if (v.effect >= 0) p.light.mode = static_cast<uint8_t>(v.effect);
  if (v.brightness >= 0) p.light.brightnessLevel = static_cast<uint8_t>(v.brightness);
  if (v.speed >= 0) p.light.speedLevel = static_cast<uint8_t>(v.speed);
  if (v.direction >= 0) p.light.direction = static_cast<uint8_t>(v.direction);
  if (v.colour >= 0 && v.colour <= int64_t(cli::kMaxColour)) {
    const auto rgb = static_cast<uint32_t>(v.colour);
    p.light.red = static_cast<uint8_t>((rgb >> kRedShift) & kByteMask);
    p.light.green = static_cast<uint8_t>((rgb >> kGreenShift) & kByteMask);
    p.light.blue = static_cast<uint8_t>(rgb & kByteMask);
    p.light.colorful = 0;  // a chosen colour replaces the colour wheel, as in the panel
  }
}

}  // namespace

DeviceScriptService::DeviceScriptService(CMainWnd* window, QObject* parent) : QObject(parent), window_(window) {
  checkTimer_.setInterval(kScriptCheckMs);
  connect(&checkTimer_, &QTimer::timeout, this, &DeviceScriptService::checkPending);
}

DeviceScriptService::~DeviceScriptService() {
  auto pending = std::move(pending_);
  for (auto& [id, p] : pending) {
    if (p.done) p.done(CallResult::failed(cli::kErrorDevice, "the program is ending"));
  }
}

devices::CDeviceManager* DeviceScriptService::manager() const { return window_ ? window_->deviceManager() : nullptr; }

devices::CHalvionUSBDevice* DeviceScriptService::readyDevice(const std::string& kind) const {
  const int index = kindIndexOfName(kind);
  devices::CDeviceManager* m = manager();
  if (index < 0 || !m) return nullptr;
  for (devices::CHalvionUSBDevice* d : m->devicesOfKind(static_cast<size_t>(index))) {
    // Between the arrival and the end of the first read (a timer, then the
    // arrival sequence) the device has no profile loaded yet.
    const bool connecting = d && d->tab() && d->tab()->HasTimer(devices::kTimerConnected);
    if (d && d->channel.isConnected() && !connecting && !d->arriving()) return d;
  }
  return nullptr;
}

std::vector<std::string> DeviceScriptService::readyKinds() const {
  std::vector<std::string> kinds;
  for (const std::string& kind : cli::deviceKinds()) {
    if (readyDevice(kind)) kinds.push_back(kind);
  }
  return kinds;
}

bool DeviceScriptService::snapshot(const std::string& kind, cli::DeviceRecord* out) const {
  devices::CHalvionUSBDevice* d = readyDevice(kind);
  DeviceScriptAdapter* adapter = adapterForKindIndex(static_cast<size_t>(kindIndexOfName(kind)));
  if (!d || !adapter) return false;
  cli::DeviceRecord r;
  r.kind = kind;
  r.name = adapter->name(*d);
  r.path = d->getInterfaceRow().path;
  r.firmware = adapter->firmware(*d);
  const PowerReading power = adapter->power(*d);
  r.battery = power.battery;
  r.charging = power.charging;
  r.connected = power.connected;
#ifdef KAVRO_HAVE_PANELS
  if (panels::CDeviceProfileUI* panel = profilePanelOf(d)) {
    for (int i = 0; i < panel->profileCount(); ++i) r.profiles.push_back(panel->profileName(i).toStdString());
    r.profile = panel->profileName(panel->currentProfileIndex()).toStdString();
  }
#endif
  const devices::DeviceLightParams p = d->getLightParams();
  r.effect = p.light.mode;
  r.brightness = p.light.brightnessLevel;
  r.speed = p.light.speedLevel;
  r.direction = p.light.direction ? 1 : 0;
  r.colour = (uint32_t(p.light.red) << kRedShift) | (uint32_t(p.light.green) << kGreenShift) | p.light.blue;
  const LightLimits limits = adapter->lightLimits(*d);
  r.effects = limits.effects;
  r.effectUsable = limits.usable;
  *out = std::move(r);
  return true;
}

std::vector<cli::DeviceRecord> DeviceScriptService::snapshots() const {
  std::vector<cli::DeviceRecord> list;
  for (const std::string& kind : readyKinds()) {
    cli::DeviceRecord r;
    if (snapshot(kind, &r)) list.push_back(std::move(r));
  }
  return list;
}

devices::CHalvionUSBDevice* DeviceScriptService::deviceOrError(const std::string& kind, CallResult* error) const {
  if (kindIndexOfName(kind) < 0) {
    *error = CallResult::failed(cli::kErrorWrongKind, "unknown device kind " + kind);
    return nullptr;
  }
  devices::CHalvionUSBDevice* d = readyDevice(kind);
  if (!d) *error = CallResult::failed(cli::kErrorNoDevice, "no " + kind + " is connected");
  return d;
}

void DeviceScriptService::applyProfile(const std::string& kind, const std::string& name, ScriptDone done) {
  CallResult error;
  devices::CHalvionUSBDevice* d = deviceOrError(kind, &error);
  if (!d) return done(error);
#ifdef KAVRO_HAVE_PANELS
  panels::CDeviceProfileUI* panel = profilePanelOf(d);
  if (!panel) return done(CallResult::failed(cli::kErrorDevice, "the " + kind + " has no profiles"));
  int index = -1;
  for (int i = 0; i < panel->profileCount() && index < 0; ++i) {
    if (panel->profileName(i).toStdString() == name) index = i;
  }
  if (index < 0) return done(CallResult::failed(cli::kErrorUnknownProfile, "the " + kind + " has no profile \"" + name + "\""));
  panel->selectProfile(index, false);
  const int failures = panel->applyProfileToDevice();
  if (failures != 0) {
    // The profile is in use; only its macros did not fit the device's memory.
    return done(CallResult::failed(cli::kErrorDevice, "profile \"" + name + "\" applied, but its macros did not fit the " +
                                                          kind + "'s memory"));
  }
  answerAfterQueue(d, std::move(done));
#else
  (void)name;
  done(CallResult::failed(cli::kErrorDevice, "this build has no profiles"));
#endif
}

void DeviceScriptService::setLighting(const std::string& kind, const cli::LightValues& values, ScriptDone done) {
  CallResult error;
  devices::CHalvionUSBDevice* d = deviceOrError(kind, &error);
  if (!d) return done(error);
  const LightLimits limits = adapterForKindIndex(size_t(kindIndexOfName(kind)))->lightLimits(*d);
  const std::string problem = lightingError(values, limits);
  if (!problem.empty()) return done(CallResult::failed(cli::kErrorOutOfRange, problem));
  // As the lighting panel applies a change: the device leaves synchronised
  // lighting, the profile keeps the new values, the device gets them.
  if (devices::applyLightChange(*d, [&values](devices::DeviceLightParams& p) { applyValues(values, p); }) !=
      transport::kCmdOk) {
    return done(CallResult::failed(cli::kErrorDevice, "the " + kind + " did not take the lighting"));
  }
#ifdef KAVRO_HAVE_PANELS
  if (auto* panel = panels::CLightControlUI::panelOf(d)) panel->refreshFromDevice();
#endif
  answerAfterQueue(d, std::move(done));
}

void DeviceScriptService::setDpiStage(const std::string& kind, int stage, ScriptDone done) {
  CallResult error;
  devices::CHalvionUSBDevice* d = deviceOrError(kind, &error);
  if (!d) return done(error);
  if (kind != "mouse") return done(CallResult::failed(cli::kErrorWrongKind, "the " + kind + " has no DPI stages"));
  DeviceScriptAdapter* adapter = adapterForKindIndex(size_t(kindIndexOfName(kind)));
  const int count = adapter->dpiStageCount(*d);
  if (count <= 0) return done(CallResult::failed(cli::kErrorDevice, "this mouse offers no DPI stages to scripts"));
  if (stage < 0 || stage >= count) return done(CallResult::failed(cli::kErrorOutOfRange, outOfRange("DPI stage", stage, count - 1)));
  const std::string refusal = adapter->dpiStageRefusal(*d, stage);
  if (!refusal.empty()) return done(CallResult::failed(cli::kErrorOutOfRange, refusal));
  const uint64_t id = track(d, std::move(done));
  const std::string failure = "the mouse did not take the stage";
  if (!adapter->selectDpiStage(*d, stage, commandAnswer(id, kind, failure)))
    finish(id, CallResult::failed(cli::kErrorDevice, failure));
}

void DeviceScriptService::setEqualiserPreset(const std::string& kind, int preset, ScriptDone done) {
  CallResult error;
  devices::CHalvionUSBDevice* d = deviceOrError(kind, &error);
  if (!d) return done(error);
  if (kind != "headset") return done(CallResult::failed(cli::kErrorWrongKind, "the " + kind + " has no equaliser"));
  DeviceScriptAdapter* adapter = adapterForKindIndex(size_t(kindIndexOfName(kind)));
  const int count = adapter->equaliserPresetCount(*d);
  if (count <= 0) return done(CallResult::failed(cli::kErrorDevice, "this headset offers no equaliser presets to scripts"));
  if (preset < 0 || preset >= count)
    return done(CallResult::failed(cli::kErrorOutOfRange, outOfRange("equaliser preset", preset, count - 1)));
  const uint64_t id = track(d, std::move(done));
  const std::string failure = "the headset did not take the preset";
  if (!adapter->selectEqualiserPreset(*d, preset, commandAnswer(id, kind, failure)))
    finish(id, CallResult::failed(cli::kErrorDevice, failure));
}

void DeviceScriptService::afterQueue(const std::string& kind, ScriptDone done) {
  CallResult error;
  devices::CHalvionUSBDevice* d = deviceOrError(kind, &error);
  if (!d) return done(error);
  answerAfterQueue(d, std::move(done));
}

uint64_t DeviceScriptService::track(devices::CHalvionUSBDevice* device, ScriptDone done) {
  const uint64_t id = nextId_++;
  pending_[id] = Pending{device, std::move(done), nowMs()};
  checkTimer_.start();
  return id;
}

// The answer of a kind-only command by its result: a device that has not
// answered says so, any other failure is the command's own.
CommandDone DeviceScriptService::commandAnswer(uint64_t id, const std::string& kind, const std::string& failure) {
  QPointer<DeviceScriptService> self(this);
  return [self, id, kind, failure](int result) {
    if (!self) return;
    if (result == transport::kCmdOk) return self->finish(id, CallResult{});
    // A device unplugged while its command ran is gone, not silent.
    const auto it = self->pending_.find(id);
    if (it != self->pending_.end() && (!it->second.device || !it->second.device->channel.isConnected()))
      return self->finish(id, CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
    const bool silent = transport::isNoAnswerResult(result);
    self->finish(id, CallResult::failed(cli::kErrorDevice, silent ? "the " + kind + " does not answer" : failure));
  };
}

// The queue runs in order, so an empty sequence posted now comes back after
// the commands posted before it; by then the device's answering state says
// whether they went through.
void DeviceScriptService::answerAfterQueue(devices::CHalvionUSBDevice* device, ScriptDone done) {
  const uint64_t id = track(device, std::move(done));
  QPointer<DeviceScriptService> self(this);
  QPointer<devices::CHalvionUSBDevice> d(device);
  const bool posted = device->postCommands<devices::CommandOutcome>(
      [](transport::HidChannel&) { return devices::CommandOutcome{}; },
      [self, d, id](devices::CommandOutcome&) {
        if (!self) return;
        const bool answering = d && d->isAnswering();
        self->finish(id, answering ? CallResult{} : CallResult::failed(cli::kErrorDevice, "the device does not answer"));
      },
      devices::SequenceKind::Background);
  if (!posted) finish(id, CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
}

void DeviceScriptService::finish(uint64_t id, const CallResult& result) {
  const auto it = pending_.find(id);
  if (it == pending_.end()) return;
  ScriptDone done = std::move(it->second.done);
  pending_.erase(it);
  if (pending_.empty()) checkTimer_.stop();
  if (done) done(result);
}

// A device that goes before its commands come back never answers them: its
// requests fail with the no-device error instead of waiting for ever.
void DeviceScriptService::checkPending() {
  std::vector<std::pair<uint64_t, CallResult>> ended;
  for (const auto& [id, p] : pending_) {
    if (!p.device || !p.device->channel.isConnected()) {
      ended.emplace_back(id, CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
    } else if (nowMs() - p.startMs > kScriptAnswerLimitMs) {
      ended.emplace_back(id, CallResult::failed(cli::kErrorDevice, "the device does not answer"));
    }
  }
  for (const auto& [id, result] : ended) finish(id, result);
}

}  // namespace kavro::app
