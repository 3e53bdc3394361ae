#pragma once
// Simulated HID interfaces. A simulated interface lives either in this process
// (tests, demo mode) or in another process that serves a socket in the folder
// named by KAVRO_SIM_DIR (kavro-sim). Either way the host talks to it over a
// SOCK_SEQPACKET socket, one report per message, through the same poll/read/
// write code as a hidraw node.
//
// Out-of-process hello: a server accepts a connection on "<name>.sock" and
// first sends one message of kHelloHeaderSize + descriptor bytes:
//   bytes 0-7   "KAVROSIM"         magic
//   bytes 8-9   vendor id          little endian
//   bytes 10-11 product id         little endian
//   byte  12    interface number
//   bytes 13-14 descriptor length  little endian (at most kMaxDescriptorSize)
//   bytes 15-16 version            little endian (the device release, bcdDevice)
//   bytes 17-   the report descriptor
// after which every message in either direction is one whole report, byte 0
// the report id (0 for a descriptor without report ids).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/event.h"

namespace kavro::hid::sim {

constexpr char kPathPrefix[] = "sim:";
constexpr size_t kHelloHeaderSize = 17;
constexpr size_t kMaxDescriptorSize = 4096;
constexpr size_t kMaxReportSize = 4096;
constexpr char kHelloMagic[] = "KAVROSIM";

// Identity of one simulated interface (all its top-level collections).
struct InterfaceInfo {
  std::string name;  // unique; becomes "sim:<name>#vid_..&pid_..&mi_..[&colNN]"
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint8_t interfaceNumber = 0;
  std::vector<uint8_t> reportDescriptor;
  // Which plug-in of the interface the host sees (not part of the hello):
  // changes every time the interface is registered or served anew.
  uint64_t instance = 0;
  // The device release number (bcdDevice), which the host shows as the
  // firmware version.
  uint16_t version = 0;
};

std::vector<uint8_t> encodeHello(const InterfaceInfo& info);
// Parses a hello message; false when it is malformed.
bool decodeHello(const uint8_t* data, size_t len, InterfaceInfo& out);

// The device side of one simulated interface. Subclasses (the emulators)
// receive output reports and send input reports. Every open host connection
// receives every input report; the host keeps those of its collection.
class SimInterface : public std::enable_shared_from_this<SimInterface> {
 public:
  explicit SimInterface(InterfaceInfo info);
  // A subclass must call stop() in its own destructor (or be unregistered
  // first), so that the service thread never calls into a destroyed object.
  virtual ~SimInterface();
  SimInterface(const SimInterface&) = delete;
  SimInterface& operator=(const SimInterface&) = delete;

  const InterfaceInfo& info() const { return info_; }
  // The identity with the instance number of its current registration.
  InterfaceInfo currentInfo() const;

  // Called on the interface's service thread for each report the host writes
  // (byte 0 = report id). The emulator answers with sendInputReport.
  virtual void onOutputReport(const uint8_t* data, size_t len) = 0;

  // Sends one input report to every open connection. False when no connection
  // took it (nobody is listening, or the link is down).
  bool sendInputReport(const uint8_t* data, size_t len);

  // Adds a connected socket (device end); the interface owns it from now on.
  void addConnection(int fd);
  // Closes every connection: the host's pending reads end at once with failure.
  void dropConnections();
  size_t connectionCount() const;

  // Starts / stops the service thread. start() is called by the registry.
  void start();
  void stop();

 private:
  void serviceLoop();
  friend void registerInterface(const std::shared_ptr<SimInterface>& iface);
  InterfaceInfo info_;
  std::atomic<uint64_t> instance_{0};
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// In-process registry: registered interfaces appear in enumeration as
// "sim:" paths, each registration under a new instance number; unregistering
// makes them disappear, hang up their connections and notes their removal.
void registerInterface(const std::shared_ptr<SimInterface>& iface);
void unregisterInterface(const std::shared_ptr<SimInterface>& iface);
std::vector<std::shared_ptr<SimInterface>> registeredInterfaces();
// Listeners are set whenever an interface is registered or unregistered.
void addChangeListener(Event* e);
void removeChangeListener(Event* e);

// Host side. Lists the identity of every simulated interface present (in-process
// ones, then those served in KAVRO_SIM_DIR).
std::vector<InterfaceInfo> listInterfaces();
// Connects to the named interface; returns the host end of the socket (or -1)
// and fills its identity.
int connect(const std::string& name, InterfaceInfo& out);

}  // namespace kavro::hid::sim
