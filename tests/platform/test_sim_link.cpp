// The simulated link served by another process: a socket in KAVRO_SIM_DIR
// that greets each connection with the interface's identity.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/hid/hid_device.h"
#include "platform/hid/sim_link.h"
#include "platform/test_sim_device.h"

using namespace kavro;
using namespace kavro::hid;

TEST(SimHello, RoundTripsAndRejectsDamagedMessages) {
  sim::InterfaceInfo info{"x", 0x0D8C, 0x01DA, 3, {0x05, 0x0C, 0xC0}};
  info.version = 0x0105;
  auto b = sim::encodeHello(info);
  sim::InterfaceInfo out;
  ASSERT_TRUE(sim::decodeHello(b.data(), b.size(), out));
  EXPECT_EQ(out.vendorId, 0x0D8C);
  EXPECT_EQ(out.productId, 0x01DA);
  EXPECT_EQ(out.interfaceNumber, 3);
  EXPECT_EQ(out.version, 0x0105);
  EXPECT_EQ(out.reportDescriptor, info.reportDescriptor);
  EXPECT_FALSE(sim::decodeHello(b.data(), b.size() - 1, out));  // length disagrees
  b[0] = 'X';
  EXPECT_FALSE(sim::decodeHello(b.data(), b.size(), out));
  EXPECT_FALSE(sim::decodeHello(b.data(), 3, out));
}

// Serves one interface on "<dir>/served.sock" from a thread, like kavro-sim.
class ServedInterface {
 public:
  explicit ServedInterface(const std::string& dir) : iface_(std::make_shared<test::EchoInterface>("served", 2)) {
    path_ = dir + "/served.sock";
    listener_ = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path_.c_str(), sizeof a.sun_path - 1);
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_EQ(listen(listener_, 8), 0);
    iface_->start();
    thread_ = std::thread([this] {
      for (;;) {
        int c = accept(listener_, nullptr, nullptr);
        if (c < 0) return;
        auto hello = sim::encodeHello(iface_->info());
        send(c, hello.data(), hello.size(), MSG_NOSIGNAL);
        iface_->addConnection(c);
      }
    });
  }
  ~ServedInterface() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
    unlink(path_.c_str());
    iface_->dropConnections();
  }

 private:
  std::shared_ptr<test::EchoInterface> iface_;
  std::string path_;
  int listener_;
  std::thread thread_;
};

TEST(SimServed, OutsideProcessInterfaceIsEnumeratedOpenedAndAnswers) {
  char tmpl[] = "/tmp/kavro-simdir-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  setenv("KAVRO_SIM_DIR", tmpl, 1);
  {
    ServedInterface served(tmpl);
    HidDeviceInfo h;
    ASSERT_TRUE(h.enumerate());
    bool found = false;
    while (const std::string* p = h.nextPath()) found |= *p == "sim:served#vid_0c45&pid_7666&mi_02&col02";
    EXPECT_TRUE(found);
    ASSERT_TRUE(h.open("sim:served#vid_0c45&pid_7666&mi_02&col02", true, true, true, false));
    EXPECT_EQ(h.interfaceNumber, 2u);
    uint8_t req[64] = {4, 1, 0, 1};
    uint8_t ans[64] = {};
    size_t n = 0;
    ASSERT_TRUE(h.writeReport(64, &n, req, 1000));
    ASSERT_TRUE(h.readReport(64, &n, ans, 1000));
    EXPECT_EQ(std::memcmp(req, ans, 64), 0);
    // A path that tries to leave the folder is refused.
    HidDeviceInfo evil;
    EXPECT_FALSE(evil.open("sim:../served#vid_0c45&pid_7666&mi_02", true, true, true, false));
  }
  unsetenv("KAVRO_SIM_DIR");
  std::filesystem::remove_all(tmpl);
}
