// The hidraw backend against a real kernel HID device made with uhid. Runs
// only where /dev/uhid can be opened (root on a machine with the uhid module);
// elsewhere it is skipped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>

#include "platform/hid/hid_device.h"
#include "platform/test_sim_device.h"

using namespace kavro;
using namespace kavro::hid;

namespace {

class UhidDevice {
 public:
  UhidDevice() {
    fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return;
    uhid_event ev{};
    ev.type = UHID_CREATE2;
    std::strcpy(reinterpret_cast<char*>(ev.u.create2.name), "kavro-uhid-test");
    const auto desc = test::twoCollectionDescriptor();
    std::memcpy(ev.u.create2.rd_data, desc.data(), desc.size());
    ev.u.create2.rd_size = static_cast<uint16_t>(desc.size());
    ev.u.create2.bus = 0x03;  // USB
    ev.u.create2.vendor = 0x0C45;
    ev.u.create2.product = 0x7F01;
    created_ = ::write(fd_, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev);
  }
  ~UhidDevice() {
    if (fd_ < 0) return;
    uhid_event ev{};
    ev.type = UHID_DESTROY;
    (void)::write(fd_, &ev, sizeof ev);
    ::close(fd_);
  }
  bool ok() const { return created_; }
  bool sendInput(const uint8_t* data, size_t len) {
    uhid_event ev{};
    ev.type = UHID_INPUT2;
    ev.u.input2.size = static_cast<uint16_t>(len);
    std::memcpy(ev.u.input2.data, data, len);
    return ::write(fd_, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev);
  }
  // The next output report the host wrote, or empty after the time-out.
  std::vector<uint8_t> nextOutput(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) == 1) {
      uhid_event ev{};
      if (::read(fd_, &ev, sizeof ev) <= 0) break;
      if (ev.type == UHID_OUTPUT) return {ev.u.output.data, ev.u.output.data + ev.u.output.size};
    }
    return {};
  }

 private:
  int fd_ = -1;
  bool created_ = false;
};

std::string findPath(const char* collection) {
  for (int attempt = 0; attempt < 100; ++attempt) {  // the node appears asynchronously
    HidDeviceInfo list;
    list.enumerate();
    while (const std::string* p = list.nextPath()) {
      if (p->rfind("/dev/hidraw", 0) == 0 && p->find("pid_7f01") != std::string::npos &&
          p->find(collection) != std::string::npos) {
        return *p;
      }
    }
    sleepMs(20);
  }
  return {};
}

}  // namespace

TEST(HidrawBackend, RealNodeIsListedOpenedWrittenAndRead) {
  UhidDevice dev;
  if (!dev.ok()) GTEST_SKIP() << "no /dev/uhid here";
  const std::string vendorPath = findPath("&col02");
  ASSERT_FALSE(vendorPath.empty());
  HidDeviceInfo h;
  ASSERT_TRUE(h.open(vendorPath, true, true, true, false));
  EXPECT_EQ(h.attributes.vendorId, 0x0C45);
  EXPECT_NE(h.instance(), 0u);  // numbered by the kernel for every device it adds
  EXPECT_EQ(h.caps.usagePage, 0xFF1C);
  EXPECT_EQ(h.caps.outputReportByteLength, 64);

  uint8_t req[64] = {4, 1, 0, 1};
  size_t n = 0;
  ASSERT_TRUE(h.writeReport(64, &n, req, 1000));
  const auto out = dev.nextOutput(1000);
  ASSERT_EQ(out.size(), 64u);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[3], 1);

  // A consumer report is not seen on the vendor collection; the vendor one is.
  const uint8_t consumer[3] = {3, 0x01, 0x05};
  ASSERT_TRUE(dev.sendInput(consumer, sizeof consumer));
  uint8_t answer[64] = {4, 9, 9, 1};
  ASSERT_TRUE(dev.sendInput(answer, sizeof answer));
  uint8_t got[64] = {};
  ASSERT_TRUE(h.readReport(64, &n, got, 1000));
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(std::memcmp(got, answer, 64), 0);
}
