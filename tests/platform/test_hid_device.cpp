// HidDeviceInfo over simulated interfaces: the same poll/read/write path that
// serves hidraw nodes.
#include "platform/hid/hid_device.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/hid/hid_backend.h"
#include "platform/hid/sim_link.h"
#include "platform/test_sim_device.h"

using namespace kavro;
using namespace kavro::hid;
using kavro::test::EchoInterface;

namespace {

std::vector<std::string> listPaths() {
  HidDeviceInfo h;
  EXPECT_TRUE(h.enumerate());
  std::vector<std::string> out;
  while (const std::string* p = h.nextPath()) out.push_back(*p);
  EXPECT_EQ(h.nextPath(), nullptr);
  return out;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

TEST(HidPath, MarkersAreReadCaseInsensitivelyAndDefaultToZero) {
  EXPECT_EQ(pathMarkerValue("/dev/hidraw0#vid_0c45&pid_7666", "&mi_"), 0u);
  EXPECT_EQ(pathMarkerValue("/dev/hidraw0#vid_0c45&pid_7666", "&col"), 0u);
  EXPECT_EQ(pathMarkerValue("x#VID_0C45&PID_7666&MI_03", "&mi_"), 3u);
  EXPECT_EQ(pathMarkerValue("x#vid_0c45&pid_7666&mi_01&col04", "&col"), 4u);
  EXPECT_EQ(pathMarkerValue("x#vid_0c45&pid_7666", "vid_"), 0x0c45u);
  EXPECT_EQ(pathMarkerValue("x#vid_0c45&pid_7666", "pid_"), 0x7666u);
}

TEST(HidPath, InstanceIsReadFromTheHidDeviceNameOrAPathHoldingIt) {
  EXPECT_EQ(detail::hidInstanceFromName("0003:0C45:7666.000A"), 0x0Au);
  EXPECT_EQ(detail::hidInstanceFromName("/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/0003:0C45:7666.01F3/hidraw/hidraw3"),
            0x1F3u);
  EXPECT_EQ(detail::hidInstanceFromName("/devices/virtual/misc/uhid/0003:0C45:7F01.0002"), 2u);
  EXPECT_EQ(detail::hidInstanceFromName("hidraw3"), 0u);
  EXPECT_EQ(detail::hidInstanceFromName(""), 0u);
  EXPECT_EQ(detail::hidInstanceFromName("0003:0C45:7666."), 0u);
  EXPECT_EQ(detail::hidInstanceFromName("0003:0C45:7666.00zz"), 0u);
  EXPECT_EQ(detail::hidInstanceFromName("0000:00:14.0"), 0u);  // a PCI name has one colon too few
}

TEST(HidEnumerate, ListsOnePathPerCollectionAndMoreThanEightInterfaces) {
  std::vector<std::shared_ptr<EchoInterface>> devs;
  for (int i = 0; i < 10; ++i) {
    devs.push_back(std::make_shared<EchoInterface>("enum" + std::to_string(i)));
    sim::registerInterface(devs.back());
  }
  auto paths = listPaths();
  for (int i = 0; i < 10; ++i) {
    const std::string base = "sim:enum" + std::to_string(i) + "#vid_0c45&pid_7666&mi_01";
    EXPECT_TRUE(contains(paths, base + "&col01")) << base;
    EXPECT_TRUE(contains(paths, base + "&col02")) << base;
  }
  for (auto& d : devs) sim::unregisterInterface(d);
  paths = listPaths();
  EXPECT_FALSE(contains(paths, "sim:enum0#vid_0c45&pid_7666&mi_01&col01"));
}

class HidDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dev = std::make_shared<EchoInterface>("hidtest");
    sim::registerInterface(dev);
  }
  void TearDown() override { sim::unregisterInterface(dev); }
  const std::string vendorPath = "sim:hidtest#vid_0c45&pid_7666&mi_01&col02";
  const std::string consumerPath = "sim:hidtest#vid_0c45&pid_7666&mi_01&col01";
  std::shared_ptr<EchoInterface> dev;
};

TEST_F(HidDeviceTest, OpenFillsIdentityAndCapabilitiesOfTheCollection) {
  HidDeviceInfo h;
  ASSERT_TRUE(h.open(vendorPath, true, true, true, false));
  EXPECT_EQ(h.attributes.vendorId, 0x0c45);
  EXPECT_EQ(h.attributes.productId, 0x7666);
  EXPECT_EQ(h.interfaceNumber, 1u);
  EXPECT_EQ(h.collectionNumber, 2u);
  EXPECT_EQ(h.caps.usagePage, 0xFF1C);
  EXPECT_EQ(h.caps.usage, 0x0092);
  EXPECT_EQ(h.caps.inputReportByteLength, 64);
  EXPECT_EQ(h.caps.outputReportByteLength, 64);
  EXPECT_EQ(h.input.report.size(), 64u);

  HidDeviceInfo c;
  ASSERT_TRUE(c.open(consumerPath, true, false, true, false));
  EXPECT_EQ(c.caps.usagePage, 0x000C);
  EXPECT_EQ(c.caps.usage, 0x0001);
  EXPECT_EQ(c.collectionNumber, 1u);
  EXPECT_FALSE(c.open("sim:hidtest#vid_0c45&pid_7666&mi_01&col09", true, false, true, false));
  EXPECT_FALSE(c.isOpen());
  EXPECT_FALSE(c.open("sim:nosuch#vid_0c45&pid_7666&mi_01", true, false, true, false));
}

TEST_F(HidDeviceTest, EachCollectionSeesOnlyItsOwnReports) {
  HidDeviceInfo vendor, consumer;
  ASSERT_TRUE(vendor.open(vendorPath, true, true, true, false));
  ASSERT_TRUE(consumer.open(consumerPath, true, false, true, false));
  dev->sendConsumer(0x501);
  uint8_t req[64] = {4, 0, 0, 0x03};
  size_t n = 0;
  ASSERT_TRUE(vendor.writeReport(64, &n, req, 1000));
  EXPECT_EQ(n, 64u);
  uint8_t ans[64] = {};
  ASSERT_TRUE(vendor.readReport(64, &n, ans, 1000));
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(ans[0], 4);
  EXPECT_EQ(ans[3], 0x03);
  uint8_t ev[8] = {};
  ASSERT_TRUE(consumer.readReport(sizeof ev, &n, ev, 1000));
  EXPECT_EQ(ev[0], 3);
  // The echo is not visible on the consumer collection.
  EXPECT_FALSE(consumer.readReport(sizeof ev, &n, ev, 30));
  EXPECT_EQ(n, 0u);
}

TEST_F(HidDeviceTest, UnpackGivesPressedUsageEndedWithZero) {
  HidDeviceInfo consumer;
  ASSERT_TRUE(consumer.open(consumerPath, true, false, true, false));
  dev->sendConsumer(0x404);
  uint8_t ev[8] = {};
  size_t n = 0;
  ASSERT_TRUE(consumer.readReport(sizeof ev, &n, ev, 1000));
  ASSERT_FALSE(consumer.input.data.empty());
  ASSERT_TRUE(unpackReport(ev, n, ReportType::Input, consumer.input.data, *consumer.preparsedData()));
  const HidDataItem& item = consumer.input.data[0];
  EXPECT_TRUE(item.isButton);
  EXPECT_TRUE(item.isDataSet);
  ASSERT_GE(item.usages.size(), 1u);
  EXPECT_EQ(item.usages[0], 0x404);
  for (size_t i = 1; i < item.usages.size(); ++i) EXPECT_EQ(item.usages[i], 0);
}

TEST_F(HidDeviceTest, SilentDeviceTimesOutAndAbortEndsWaitAtOnce) {
  HidDeviceInfo h;
  ASSERT_TRUE(h.open(vendorPath, true, true, true, false));
  uint8_t buf[64];
  size_t n = 99;
  uint64_t t0 = tickMs();
  EXPECT_FALSE(h.readReport(64, &n, buf, 50));
  EXPECT_EQ(n, 0u);
  EXPECT_GE(tickMs() - t0, 45u);

  // An abort set while nothing waits stays set and ends the next wait.
  h.abort();
  t0 = tickMs();
  EXPECT_FALSE(h.readReport(64, &n, buf, 5000));
  EXPECT_LT(tickMs() - t0, 1000u);

  std::thread aborter([&] {
    while (!h.readInProgress) sleepMs(1);
    h.abort();
  });
  t0 = tickMs();
  EXPECT_FALSE(h.readReport(64, &n, buf, 5000));
  EXPECT_LT(tickMs() - t0, 2500u);
  aborter.join();
}

TEST_F(HidDeviceTest, CloseFromAnotherThreadEndsWaitingRead) {
  HidDeviceInfo h;
  ASSERT_TRUE(h.open(vendorPath, true, true, true, false));
  std::thread closer([&] {
    while (!h.readInProgress) sleepMs(1);
    h.close();
  });
  uint8_t buf[64];
  size_t n = 0;
  const uint64_t t0 = tickMs();
  EXPECT_FALSE(h.readReport(64, &n, buf, 5000));
  EXPECT_LT(tickMs() - t0, 2500u);
  closer.join();
  EXPECT_FALSE(h.isOpen());
  EXPECT_FALSE(h.writeReport(64, &n, buf, 100));
}

TEST_F(HidDeviceTest, UnplugDuringReadFailsAtOnceAndPathStopsOpening) {
  HidDeviceInfo h;
  ASSERT_TRUE(h.open(vendorPath, true, true, true, false));
  std::thread unplug([&] {
    while (!h.readInProgress) sleepMs(1);
    sim::unregisterInterface(dev);
  });
  uint8_t buf[64] = {4};
  size_t n = 0;
  const uint64_t t0 = tickMs();
  EXPECT_FALSE(h.readReport(64, &n, buf, 5000));
  EXPECT_LT(tickMs() - t0, 2500u);
  unplug.join();
  EXPECT_FALSE(h.writeReport(64, &n, buf, 100));
  HidDeviceInfo again;
  EXPECT_FALSE(again.open(vendorPath, true, true, true, false));
  sim::registerInterface(dev);
  EXPECT_TRUE(again.open(vendorPath, true, true, true, false));
}
