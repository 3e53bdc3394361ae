// Discovery against simulated interfaces through the real enumeration and open path.
#include "devices/discovery/discovery.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>

#include "devices/discovery/thread_slots.h"
#include "platform/debug.h"
#include "platform/hid/hid_device.h"
#include "platform/hid/removals.h"
#include "platform/hid/sim_link.h"

using namespace kavro;
using namespace kavro::devices;

namespace {

// Four top-level collections like the keyboard's interface 1: keyboard (id 1),
// system control (id 2), consumer control (id 3), vendor commands (id 4).
std::vector<uint8_t> fourCollections() {
  return {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
          0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0,
          0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01,
          0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0,
          0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x07, 0x19, 0x00, 0x2A,
          0xFF, 0x07, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
          0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
          0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
}

// Only consumer and vendor collections: same ids, but collections 1 and 2.
std::vector<uint8_t> twoCollections() {
  auto d = fourCollections();
  return std::vector<uint8_t>(d.begin() + 48, d.end());
}

class QuietInterface : public hid::sim::SimInterface {
 public:
  QuietInterface(const std::string& name, uint16_t pid, std::vector<uint8_t> desc)
      : SimInterface({name, 0x0C45, pid, 1, std::move(desc)}) {}
  ~QuietInterface() override { stop(); }
  void onOutputReport(const uint8_t*, size_t) override {}
};

// Rows 0 and 1 go (in row order) and come back (in path order: col03, col04).
const std::vector<std::string> kKeyboardReplugged{"-0", "-1", "+1", "+0"};

struct Recorder : DiscoveryHandler {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::string> events;
  int firstScans = 0;
  void interfaceArrived(int row) override { add("+" + std::to_string(row)); }
  void interfaceGone(int row) override { add("-" + std::to_string(row)); }
  void firstScanDone() override {
    std::lock_guard<std::mutex> l(m);
    ++firstScans;
  }
  void add(const std::string& e) {
    std::lock_guard<std::mutex> l(m);
    events.push_back(e);
    cv.notify_all();
  }
  bool waitFor(size_t n, int ms) {
    std::unique_lock<std::mutex> l(m);
    return cv.wait_for(l, std::chrono::milliseconds(ms), [&] { return events.size() >= n; });
  }
  std::vector<std::string> take() {
    std::lock_guard<std::mutex> l(m);
    return std::exchange(events, {});
  }
};

}  // namespace

TEST(Discovery, KeyboardArrivesOnceGoesAndComesBack) {
  auto kb = std::make_shared<QuietInterface>("disc-kb", 0x7666, fourCollections());
  hid::sim::registerInterface(kb);
  Recorder rec;
  DeviceDiscovery d(rec);
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(rec.take(), (std::vector<std::string>{"+1", "+0"}));  // paths come in collection order
  EXPECT_EQ(rec.firstScans, 1);
  EXPECT_EQ(d.row(0).path, "sim:disc-kb#vid_0c45&pid_7666&mi_01&col04");
  EXPECT_EQ(d.row(1).path, "sim:disc-kb#vid_0c45&pid_7666&mi_01&col03");
  EXPECT_EQ(d.row(0).connected, 1);

  // A second identical keyboard finds no free row; nothing changes on later passes.
  auto kb2 = std::make_shared<QuietInterface>("disc-kb2", 0x7666, fourCollections());
  hid::sim::registerInterface(kb2);
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(rec.take().empty());
  EXPECT_EQ(rec.firstScans, 1);

  hid::sim::unregisterInterface(kb);
  ASSERT_TRUE(d.pass());
  // Rows 0 and 1 are released; the second keyboard takes them on the same pass or the next.
  ASSERT_TRUE(d.pass());
  auto ev = rec.take();
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(ev[0], "-0");
  EXPECT_EQ(ev[1], "-1");
  EXPECT_EQ(d.row(0).path, "sim:disc-kb2#vid_0c45&pid_7666&mi_01&col04");
  hid::sim::unregisterInterface(kb2);
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(d.row(0).isFree());
  hid::sim::registerInterface(kb);
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(d.row(0).path, "sim:disc-kb#vid_0c45&pid_7666&mi_01&col04");
  hid::sim::unregisterInterface(kb);
}

TEST(Discovery, SameIdsWithOtherCollectionsAreNeverMatched) {
  auto other = std::make_shared<QuietInterface>("disc-other", 0x7666, twoCollections());
  hid::sim::registerInterface(other);
  Recorder rec;
  DeviceDiscovery d(rec);
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(rec.take().empty());
  EXPECT_EQ(other->connectionCount(), 0u);  // never even opened
  hid::sim::unregisterInterface(other);
}

TEST(Discovery, ThreadSeesArrivalAtOnceAndStopsCleanly) {
  std::vector<std::string> lines;
  std::mutex lm;
  dbg::setCapture([&](const std::string& s) {
    std::lock_guard<std::mutex> l(lm);
    lines.push_back(s);
  });
  Recorder rec;
  DeviceDiscovery d(rec);
  ThreadSlots slots;
  ASSERT_TRUE(slots.start(kSlotDiscovery, [&](Event& stop) { d.run(stop); }));
  auto kb = std::make_shared<QuietInterface>("disc-thread", 0x6627, fourCollections());
  sleepMs(20);  // let the first (empty) pass finish
  const uint64_t t0 = tickMs();
  hid::sim::registerInterface(kb);
  ASSERT_TRUE(rec.waitFor(2, 5000));
  std::printf("arrival reported %llu ms after the interface appeared\n",
              static_cast<unsigned long long>(tickMs() - t0));
  EXPECT_EQ(d.row(4).connected, 1);
  EXPECT_EQ(d.row(5).connected, 1);
  hid::sim::unregisterInterface(kb);
  ASSERT_TRUE(rec.waitFor(4, 5000));
  slots.stopAll();
  dbg::setCapture(nullptr);
  std::lock_guard<std::mutex> l(lm);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "抓取设备线程设定退出"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "所有对象处于激发状态\n"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "错误\n1\n"), lines.end());  // an empty slot
}

TEST(Discovery, NotedRemovalOfTheRowsInstanceIsAReplugEvenWhenThePathStays) {
  auto kb = std::make_shared<QuietInterface>("disc-note", 0x7666, fourCollections());
  hid::sim::registerInterface(kb);
  Recorder rec;
  DeviceDiscovery d(rec);
  ASSERT_TRUE(d.pass());
  rec.take();
  const uint64_t instance = d.row(0).instance;
  EXPECT_NE(instance, 0u);
  EXPECT_EQ(d.row(1).instance, instance);  // both collections of one interface

  // A late notice about an earlier plug-in of the same path changes nothing.
  hid::noteRemoval({"sim:disc-note", instance + 1});
  hid::noteRemoval({"sim:other", instance});
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(rec.take().empty());

  hid::noteRemoval({"sim:disc-note", instance});
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(rec.take(), kKeyboardReplugged);
  EXPECT_EQ(d.row(0).path, "sim:disc-note#vid_0c45&pid_7666&mi_01&col04");

  // Withdrawing and registering again before the next pass: gone, then back
  // as another instance.
  hid::sim::unregisterInterface(kb);
  hid::sim::registerInterface(kb);
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(rec.take(), kKeyboardReplugged);
  EXPECT_NE(d.row(0).instance, instance);
  hid::sim::unregisterInterface(kb);
}

TEST(Discovery, ConnectionTheDeviceHungUpIsReportedGoneAndOpenedAgain) {
  auto kb = std::make_shared<QuietInterface>("disc-hangup", 0x7666, fourCollections());
  hid::sim::registerInterface(kb);
  Recorder rec;
  DeviceDiscovery d(rec);
  ASSERT_TRUE(d.pass());
  rec.take();
  hid::HidDeviceInfo channel;
  ASSERT_TRUE(channel.open(d.row(0).path, true, true, true, false));
  EXPECT_EQ(channel.instance(), d.row(0).instance);

  // The device drops the link but stays listed, under the same instance: only
  // the failed read tells that the connection is dead.
  kb->dropConnections();
  uint8_t buf[64] = {};
  size_t n = 0;
  EXPECT_FALSE(channel.readReport(sizeof buf, &n, buf, 1000));
  EXPECT_TRUE(channel.interfaceGone());
  ASSERT_TRUE(d.pass());
  EXPECT_EQ(rec.take(), kKeyboardReplugged);
  // A second failure on the same dead handle is not noted again.
  EXPECT_FALSE(channel.writeReport(sizeof buf, &n, buf, 100));
  ASSERT_TRUE(d.pass());
  EXPECT_TRUE(rec.take().empty());

  channel.close();
  ASSERT_TRUE(channel.open(d.row(0).path, true, true, true, false));
  EXPECT_FALSE(channel.interfaceGone());
  hid::sim::unregisterInterface(kb);
}
