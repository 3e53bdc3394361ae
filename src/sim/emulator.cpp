#include "sim/emulator.h"

#include <thread>

#include "sim/device_state_file.h"
#include "sim/headset_emulator.h"
#include "sim/keyboard_emulator.h"
#include "sim/mouse_emulator.h"
#include "sim/mousepad_emulator.h"

namespace kavro::sim {

namespace {

// Usages reported on the notify collection.
constexpr uint16_t kUsageSettingsChanged = 0x401;  // slot or effect changed on the device
constexpr uint16_t kUsageNotice = 0x404;

class RegistryPresence final : public Presence {
 public:
  bool attach(const std::shared_ptr<hid::sim::SimInterface>& iface, std::string*) override {
    hid::sim::registerInterface(iface);
    return true;
  }
  void detach(const std::shared_ptr<hid::sim::SimInterface>& iface) override { hid::sim::unregisterInterface(iface); }
};


}  // namespace

std::shared_ptr<Presence> inProcessPresence() {
  static std::shared_ptr<Presence> presence = std::make_shared<RegistryPresence>();
  return presence;
}

const char* kindName(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Keyboard: return "keyboard";
    case DeviceKind::Mouse: return "mouse";
    case DeviceKind::Mousepad: return "mousepad";
    case DeviceKind::Headset: return "headset";
  }
  return "?";
}

bool parseKind(const std::string& name, DeviceKind& out) {
  for (DeviceKind k : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::Mousepad, DeviceKind::Headset}) {
    if (name == kindName(k)) {
      out = k;
      return true;
    }
  }
  return false;
}

// ---- EmulatedInterface ----

EmulatedInterface::EmulatedInterface(Emulator* owner, unsigned index, hid::sim::InterfaceInfo info)
    : SimInterface(std::move(info)), owner_(owner), index_(index) {}

void EmulatedInterface::onOutputReport(const uint8_t* data, size_t len) {
  std::lock_guard<std::mutex> lock(ownerMutex_);
  if (owner_ != nullptr) owner_->onReport(index_, data, len);
}

void EmulatedInterface::detachOwner() {
  std::lock_guard<std::mutex> lock(ownerMutex_);
  owner_ = nullptr;
}

// ---- Emulator ----

Emulator::Emulator(DeviceKind kind, FirmwareConfig config, std::shared_ptr<Presence> presence, std::string namePrefix)
    : kind_(kind), firmware_(std::move(config)), presence_(std::move(presence)), namePrefix_(std::move(namePrefix)) {}

Emulator::~Emulator() { shutdown(); }

void Emulator::shutdown() {
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (shutDown_) return;
    shutDown_ = true;
  }
  unplug();
  for (auto& iface : interfaces_) {
    iface->stop();
    iface->detachOwner();
  }
  saveKeptState();
}

bool Emulator::keepStateIn(const std::string& path) {
  std::lock_guard<std::mutex> lock(keepMutex_);
  keepPath_ = path;
  FirmwareState state;
  const bool loaded = !path.empty() && loadStateFile(path, firmware_.kind(), firmware_.keptState(), state) &&
                      firmware_.restoreState(state);
  keptSaved_ = firmware_.keptGeneration();
  return loaded;
}

void Emulator::saveKeptState() {
  std::lock_guard<std::mutex> lock(keepMutex_);
  if (keepPath_.empty()) return;
  const uint64_t generation = firmware_.keptGeneration();
  if (generation == keptSaved_) return;
  if (saveStateFile(keepPath_, firmware_.kind(), firmware_.keptState())) keptSaved_ = generation;
}

unsigned Emulator::addInterface(uint8_t number, uint16_t vid, uint16_t pid, std::vector<uint8_t> descriptor) {
  hid::sim::InterfaceInfo info;
  info.name = namePrefix_ + kindName(kind_) + "-if" + std::to_string(number);
  info.vendorId = vid;
  info.productId = pid;
  info.version = firmware_.bcdVersion();
  info.interfaceNumber = number;
  info.reportDescriptor = std::move(descriptor);
  const auto index = static_cast<unsigned>(interfaces_.size());
  interfaces_.push_back(std::make_shared<EmulatedInterface>(this, index, std::move(info)));
  return index;
}

std::vector<std::string> Emulator::interfaceNames() const {
  std::vector<std::string> names;
  for (const auto& iface : interfaces_) names.push_back(iface->info().name);
  return names;
}

bool Emulator::plug(std::string* error) {
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (plugged_ || shutDown_) return plugged_;
    plugged_ = true;
  }
  for (size_t i = 0; i < interfaces_.size(); ++i) {
    if (presence_->attach(interfaces_[i], error)) continue;
    for (size_t j = 0; j < i; ++j) presence_->detach(interfaces_[j]);
    std::lock_guard<std::mutex> lock(stateMutex_);
    plugged_ = false;
    return false;
  }
  return true;
}

void Emulator::unplug() {
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (!plugged_) return;
    plugged_ = false;
    ++plugGeneration_;  // wakes a delayed answer, which is then dropped
  }
  stateChanged_.notify_all();
  for (auto& iface : interfaces_) presence_->detach(iface);
  firmware_.resetLink();
}

bool Emulator::plugged() const {
  std::lock_guard<std::mutex> lock(stateMutex_);
  return plugged_;
}

bool Emulator::waitForRequests(uint64_t n, int timeoutMs) {
  std::unique_lock<std::mutex> lock(stateMutex_);
  return stateChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requestsSeen_ >= n; });
}

bool Emulator::delayAnswer(unsigned delayMs, uint64_t generation) {
  std::unique_lock<std::mutex> lock(stateMutex_);
  stateChanged_.wait_for(lock, std::chrono::milliseconds(delayMs), [&] { return plugGeneration_ != generation; });
  return plugGeneration_ == generation;
}

void Emulator::onReport(unsigned index, const uint8_t* data, size_t len) {
  if (index == commandInterface_ && len > 0 && data[0] == wire::kReportId) {
    handleCommand(index, data, len);
  } else {
    onOtherReport(index, data, len);
  }
}

void Emulator::onOtherReport(unsigned index, const uint8_t* data, size_t len) {
  std::string what = "unexpected output report";
  if (len > 0) what += " id " + std::to_string(data[0]);
  firmware_.noteViolation(what + " (" + std::to_string(len) + " bytes) on " + interfaces_[index]->info().name);
}

void Emulator::handleCommand(unsigned index, const uint8_t* data, size_t len) {
  std::this_thread::sleep_until(timing_.reserveOut(LinkTiming::Clock::now()));
  Reply reply = firmware_.handle(data, len);
  uint64_t generation = 0;
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    ++requestsSeen_;
    generation = plugGeneration_;
  }
  stateChanged_.notify_all();
  if (!reply.answers.empty() && (reply.delayMs == 0 || delayAnswer(reply.delayMs, generation))) {
    for (const auto& answer : reply.answers) sendOn(index, answer.data(), answer.size());
  }
  // Kept after the answer, so that the host does not wait for the file.
  saveKeptState();
}

bool Emulator::sendOn(unsigned index, const uint8_t* data, size_t len) {
  if (index >= interfaces_.size()) return false;
  std::this_thread::sleep_until(timing_.reserveIn(LinkTiming::Clock::now()));
  return interfaces_[index]->sendInputReport(data, len);
}

bool Emulator::sendNotifyUsage(uint16_t usage) {
  if (!hasNotify_) return false;
  // One 16-bit array field: the usage, then an empty report (nothing held).
  const uint8_t press[3] = {notifyReportId_, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
  const uint8_t idle[3] = {notifyReportId_, 0, 0};
  const bool sent = sendOn(notifyInterface_, press, sizeof press);
  sendOn(notifyInterface_, idle, sizeof idle);
  return sent;
}

bool Emulator::pressKey(unsigned) { return false; }
bool Emulator::releaseKey(unsigned) { return false; }

bool Emulator::typeKey(unsigned deviceKey) {
  if (!pressKey(deviceKey)) return false;
  return releaseKey(deviceKey);
}

bool Emulator::changeSlot(unsigned slot) {
  if (!firmware_.setActiveSlot(slot)) return false;
  saveKeptState();
  return sendNotifyUsage(kUsageSettingsChanged);
}

bool Emulator::changeEffect(uint8_t effect) {
  if (!firmware_.setEffect(effect)) return false;
  saveKeptState();
  return sendNotifyUsage(kUsageSettingsChanged);
}

bool Emulator::sendNotice() { return sendNotifyUsage(kUsageNotice); }

std::unique_ptr<Emulator> makeEmulator(DeviceKind kind, std::shared_ptr<Presence> presence,
                                       const std::string& namePrefix) {
  switch (kind) {
    case DeviceKind::Keyboard: return makeKeyboard(std::move(presence), namePrefix);
    case DeviceKind::Mouse: return makeMouse(std::move(presence), namePrefix);
    case DeviceKind::Mousepad: return makeMousepad(std::move(presence), namePrefix);
    case DeviceKind::Headset: return makeHeadset(std::move(presence), namePrefix);
  }
  return nullptr;
}

}  // namespace kavro::sim
