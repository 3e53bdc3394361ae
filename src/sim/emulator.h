#pragma once
// One emulated device: its firmware (firmware.h), the HID interfaces it
// presents, plugging and unplugging, events it sends, injected faults and the
// link timing model. The device kinds (keyboard_emulator.h, ...) fill in the
// interfaces, descriptors and memory; this class moves the reports.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/sim_link.h"
#include "sim/firmware.h"
#include "sim/link_timing.h"

namespace kavro::sim {

// Where an emulator's interfaces appear: in this process's registry, or as
// sockets in a folder (socket_server.h).
class Presence {
 public:
  virtual ~Presence() = default;
  virtual bool attach(const std::shared_ptr<hid::sim::SimInterface>& iface, std::string* error) = 0;
  virtual void detach(const std::shared_ptr<hid::sim::SimInterface>& iface) = 0;
};
// The in-process registry (tests, demo mode).
std::shared_ptr<Presence> inProcessPresence();

enum class DeviceKind { Keyboard, Mouse, Mousepad, Headset };
const char* kindName(DeviceKind kind);
bool parseKind(const std::string& name, DeviceKind& out);

class Emulator;

// One HID interface of an emulator; forwards output reports to it.
class EmulatedInterface : public hid::sim::SimInterface {
 public:
  EmulatedInterface(Emulator* owner, unsigned index, hid::sim::InterfaceInfo info);
  void onOutputReport(const uint8_t* data, size_t len) override;
  // Cuts the link to the emulator; waits for a report being handled.
  void detachOwner();

 private:
  std::mutex ownerMutex_;
  Emulator* owner_;
  unsigned index_;
};

class Emulator {
 public:
  virtual ~Emulator();
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  DeviceKind kind() const { return kind_; }
  Firmware& firmware() { return firmware_; }
  const Firmware& firmware() const { return firmware_; }
  const std::vector<std::shared_ptr<EmulatedInterface>>& interfaces() const { return interfaces_; }
  // Names of the interfaces ("<prefix><kind>-if<N>").
  std::vector<std::string> interfaceNames() const;

  // Makes the interfaces appear (plug) or disappear (unplug: open channels fail
  // at once, a pending answer is dropped, an open configuration frame is lost).
  bool plug(std::string* error = nullptr);
  void unplug();
  bool plugged() const;

  // Keeps the device's memory in a state file (device_state_file.h), as a
  // real device keeps its flash: what the file holds is loaded now (a
  // missing, damaged or foreign file leaves the factory memory), and the file
  // is written again after every change the device keeps. Without this call
  // nothing is kept. True when memory came from the file.
  bool keepStateIn(const std::string& path);

  // Full-speed pacing: one report per millisecond in each direction.
  void setTiming(bool fullSpeed) { timing_.setEnabled(fullSpeed); }

  // Device-side events. False when the device kind has no such thing, the key
  // or slot is out of range, or nobody is listening.
  virtual bool pressKey(unsigned deviceKey);
  virtual bool releaseKey(unsigned deviceKey);
  bool typeKey(unsigned deviceKey);
  bool changeSlot(unsigned slot);    // then reports usage 0x401
  bool changeEffect(uint8_t effect); // then reports usage 0x401
  bool sendNotice();                 // reports usage 0x404
  bool sendNotifyUsage(uint16_t usage);
  void setOnline(bool online) { firmware_.setOnline(online); }

  virtual LedView ledView() const { return firmware_.ledView(); }
  uint64_t violations() const { return firmware_.violations(); }
  // Waits until at least n command requests have arrived in total.
  bool waitForRequests(uint64_t n, int timeoutMs);

 protected:
  Emulator(DeviceKind kind, FirmwareConfig config, std::shared_ptr<Presence> presence, std::string namePrefix);
  // Adds an interface (named "<prefix><kind>-if<number>"); returns its index.
  unsigned addInterface(uint8_t number, uint16_t vid, uint16_t pid, std::vector<uint8_t> descriptor);
  void setCommandInterface(unsigned index) { commandInterface_ = index; }
  void setNotify(unsigned index, uint8_t reportId) {
    notifyInterface_ = index;
    notifyReportId_ = reportId;
    hasNotify_ = true;
  }
  // Output reports other than command reports; the default counts a violation.
  virtual void onOtherReport(unsigned index, const uint8_t* data, size_t len);
  // Sends an input report on an interface, paced by the timing model.
  bool sendOn(unsigned index, const uint8_t* data, size_t len);
  // Stops and detaches the interfaces; called by the most derived destructor.
  void shutdown();

 private:
  friend class EmulatedInterface;
  void onReport(unsigned index, const uint8_t* data, size_t len);
  void handleCommand(unsigned index, const uint8_t* data, size_t len);
  // Waits delayMs unless the device is unplugged meanwhile; false when it was.
  bool delayAnswer(unsigned delayMs, uint64_t generation);
  // Writes the state file when kept memory changed since the last write.
  void saveKeptState();

  DeviceKind kind_;
  Firmware firmware_;
  std::shared_ptr<Presence> presence_;
  std::string namePrefix_;
  std::vector<std::shared_ptr<EmulatedInterface>> interfaces_;
  unsigned commandInterface_ = 0;
  unsigned notifyInterface_ = 0;
  uint8_t notifyReportId_ = 0;
  bool hasNotify_ = false;
  LinkTiming timing_;

  mutable std::mutex stateMutex_;
  std::condition_variable stateChanged_;
  bool plugged_ = false;
  uint64_t plugGeneration_ = 0;  // changes on every unplug
  uint64_t requestsSeen_ = 0;
  bool shutDown_ = false;

  std::mutex keepMutex_;  // the state file and what was last written to it
  std::string keepPath_;
  uint64_t keptSaved_ = 0;
};

// Builds an emulator of the kind. Interface names get namePrefix in front.
std::unique_ptr<Emulator> makeEmulator(DeviceKind kind, std::shared_ptr<Presence> presence,
                                       const std::string& namePrefix = "");

}  // namespace kavro::sim
