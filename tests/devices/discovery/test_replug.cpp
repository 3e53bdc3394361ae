// Quick re-plugs: a device unplugged and plugged again at once comes back
// under the same path before discovery looks again. Every such re-plug must
// still end with a working device, through the socket folder kavro-sim
// serves from and through the in-process registry of demo mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "devices/discovery/discovery.h"
#include "devices/discovery/thread_slots.h"
#include "platform/hid/hid_device.h"
#include "sim/emulator.h"
#include "sim/socket_server.h"
#include "transport/command_set.h"
#include "transport/hid_channel.h"

using namespace kavro;
using namespace kavro::devices;

namespace {

constexpr int kQuickReplugs = 50;
constexpr int kWorkingWithinMs = 5000;  // a re-plugged device answers well within this
constexpr int kNotifyReadMs = 50;
constexpr int kRetryMs = 10;
constexpr int kKeyboardCommandRow = 0;
constexpr int kKeyboardNotifyRow = 1;

// Stands in for the device layer: opens the command channel and the notify
// interface of the keyboard's rows as they arrive and closes them as they go,
// on the discovery thread, as the window thread does in the program.
class DeviceStandIn : public DiscoveryHandler {
 public:
  explicit DeviceStandIn(DeviceDiscovery*& discovery) : discovery_(discovery) {}
  void interfaceArrived(int row) override {
    const DeviceInterfaceRow r = discovery_->row(row);
    if (row == kKeyboardCommandRow) {
      if (!command.isConnected()) command.openPath(r.path);
    } else if (row == kKeyboardNotifyRow) {
      if (!notify.isOpen()) notify.open(r.path, true, false, true, false);
    }
  }
  void interfaceGone(int row) override {
    if (row == kKeyboardCommandRow) command.closeChannel();
    if (row == kKeyboardNotifyRow) notify.close();
  }
  void firstScanDone() override {}

  transport::HidChannel command;
  hid::HidDeviceInfo notify;

 private:
  DeviceDiscovery*& discovery_;
};

// Discovery on its own thread with the stand-in for the device layer.
struct RunningDiscovery {
  RunningDiscovery() : standIn(discoveryPtr), discovery(standIn) {
    discoveryPtr = &discovery;
    standIn.command.setTimeouts(kNotifyReadMs * 4, kNotifyReadMs * 4);
    slots.start(kSlotDiscovery, [this](Event& stop) { discovery.run(stop); });
  }
  ~RunningDiscovery() { slots.stopAll(); }

  // A command answered and a notice read on the notify interface.
  bool working(sim::Emulator& kb) {
    uint8_t info[transport::kDeviceInfoSize] = {};
    if (transport::readDeviceInfo(standIn.command, info) != transport::kCmdOk) return false;
    if (!kb.sendNotice()) return false;
    uint8_t report[8] = {};
    size_t got = 0;
    return standIn.notify.readReport(sizeof report, &got, report, kNotifyReadMs) && got > 0;
  }
  bool becomesWorking(sim::Emulator& kb, int withinMs) {
    const uint64_t end = tickMs() + static_cast<uint64_t>(withinMs);
    do {
      if (working(kb)) return true;
      sleepMs(kRetryMs);
    } while (tickMs() < end);
    return false;
  }
  bool rowsFree() { return discovery.row(kKeyboardCommandRow).isFree() && discovery.row(kKeyboardNotifyRow).isFree(); }

  DeviceDiscovery* discoveryPtr = nullptr;
  DeviceStandIn standIn;
  DeviceDiscovery discovery;
  ThreadSlots slots;
};

// Unplugs and plugs at once, kQuickReplugs times; returns the number of
// re-plugs after which the device did not work. A failed one is set right by
// a slow re-plug so the next trial starts from a working device.
int quickReplugFailures(sim::Emulator& kb, RunningDiscovery& d) {
  int failures = 0;
  for (int trial = 0; trial < kQuickReplugs; ++trial) {
    kb.unplug();
    EXPECT_TRUE(kb.plug());
    if (d.becomesWorking(kb, kWorkingWithinMs)) continue;
    ++failures;
    kb.unplug();
    for (int waited = 0; !d.rowsFree() && waited < kWorkingWithinMs; waited += kRetryMs) sleepMs(kRetryMs);
    EXPECT_TRUE(kb.plug());
    EXPECT_TRUE(d.becomesWorking(kb, kWorkingWithinMs)) << "not even a slow re-plug brought it back";
  }
  return failures;
}

// A fresh folder named in KAVRO_SIM_DIR while the test runs.
struct SimFolder {
  SimFolder() {
    char tmpl[] = "/tmp/kavro-replug-XXXXXX";
    dir = ::mkdtemp(tmpl);
    ::setenv("KAVRO_SIM_DIR", dir.c_str(), 1);
  }
  ~SimFolder() {
    ::unsetenv("KAVRO_SIM_DIR");
    EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
  }
  std::string dir;
};

}  // namespace

TEST(QuickReplug, ServedKeyboardWorksAfterEveryQuickReplug) {
  SimFolder folder;
  auto presence = std::make_shared<sim::FolderPresence>(folder.dir);
  auto kb = sim::makeEmulator(sim::DeviceKind::Keyboard, presence, "replug-");
  ASSERT_TRUE(kb->plug());
  RunningDiscovery d;
  ASSERT_TRUE(d.becomesWorking(*kb, kWorkingWithinMs));
  const int failures = quickReplugFailures(*kb, d);
  std::printf("served keyboard: %d quick re-plugs, %d left the device dead\n", kQuickReplugs, failures);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(kb->violations(), 0u);
}

TEST(QuickReplug, InProcessKeyboardWorksAfterEveryQuickReplug) {
  auto kb = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(), "replug-");
  ASSERT_TRUE(kb->plug());
  RunningDiscovery d;
  ASSERT_TRUE(d.becomesWorking(*kb, kWorkingWithinMs));
  const int failures = quickReplugFailures(*kb, d);
  std::printf("in-process keyboard: %d quick re-plugs, %d left the device dead\n", kQuickReplugs, failures);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(kb->violations(), 0u);
}

TEST(QuickReplug, SocketServedAnewUnderTheSamePathIsGoneThenArrived) {
  SimFolder folder;
  sim::FolderPresence presence(folder.dir);
  auto kb = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(), "anew-");
  const auto iface = kb->interfaces().back();  // interface 1: the keyboard's rows 0 and 1
  ASSERT_TRUE(presence.attach(iface, nullptr));
  std::vector<std::string> events;
  struct Recorder : DiscoveryHandler {
    std::vector<std::string>& e;
    explicit Recorder(std::vector<std::string>& ev) : e(ev) {}
    void interfaceArrived(int row) override { e.push_back("+" + std::to_string(row)); }
    void interfaceGone(int row) override { e.push_back("-" + std::to_string(row)); }
    void firstScanDone() override {}
  } rec(events);
  DeviceDiscovery d(rec);
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(events, (std::vector<std::string>{"+1", "+0"}));
  const uint64_t first = d.row(0).instance;

  // Without a hotplug monitor nothing is noted: the new socket's identity
  // alone tells the passes apart.
  events.clear();
  presence.detach(iface);
  ASSERT_TRUE(presence.attach(iface, nullptr));
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(events, (std::vector<std::string>{"-0", "-1", "+1", "+0"}));
  EXPECT_NE(d.row(0).instance, first);
  EXPECT_EQ(d.row(0).path, "sim:anew-keyboard-if1#vid_0c45&pid_7666&mi_01&col04");
  events.clear();
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(events.empty());
  presence.detach(iface);
}
