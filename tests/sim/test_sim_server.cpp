// Emulators served to other processes: the socket folder in this process, and
// the kavro-sim executable end to end (devices arrive, answer and leave).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/event.h"
#include "sim/socket_server.h"
#include "sim_test_util.h"

namespace kavro::sim {
namespace {

namespace tp = transport;

// A fresh folder named in KAVRO_SIM_DIR for the test's life.
class SimFolder {
 public:
  SimFolder() {
    char tmpl[] = "/tmp/kavro-sim-test-XXXXXX";
    dir = ::mkdtemp(tmpl);
    ::setenv("KAVRO_SIM_DIR", dir.c_str(), 1);
  }
  ~SimFolder() {
    ::unsetenv("KAVRO_SIM_DIR");
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
  bool exists(const std::string& name) const {
    struct stat st {};
    return ::stat((dir + "/" + name).c_str(), &st) == 0;
  }
  std::string dir;
};

TEST(SimServer, FolderPresenceServesAndWithdrawsInterfaces) {
  SimFolder folder;
  auto presence = std::make_shared<FolderPresence>(folder.dir);
  auto kb = makeEmulator(DeviceKind::Keyboard, presence, "served-");
  ASSERT_TRUE(kb->plug());
  EXPECT_TRUE(folder.exists("served-keyboard-if0.sock"));
  EXPECT_TRUE(folder.exists("served-keyboard-if1.sock"));
  EXPECT_EQ(test::pathsOf("served-keyboard-if1").size(), 4u);

  tp::HidChannel ch;
  ASSERT_TRUE(ch.openPath(test::commandPath(*kb)));
  uint8_t info[34];
  ASSERT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);
  EXPECT_EQ(info[5], kb->firmware().keyCount());

  // A second server cannot take over the same sockets.
  auto rival = makeEmulator(DeviceKind::Keyboard, std::make_shared<FolderPresence>(folder.dir), "served-");
  std::string error;
  EXPECT_FALSE(rival->plug(&error));
  EXPECT_NE(error.find("already served"), std::string::npos) << error;

  kb->unplug();
  EXPECT_FALSE(folder.exists("served-keyboard-if1.sock"));
  EXPECT_LE(tp::readDeviceInfo(ch, info), 0);  // the write fails: the device hung up
  EXPECT_TRUE(test::pathsOf("served-keyboard-if1").empty());
  ASSERT_TRUE(kb->plug());
  ch.closeChannel();
  ASSERT_TRUE(ch.openPath(test::commandPath(*kb)));
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);
  EXPECT_EQ(kb->violations(), 0u);
}

// kavro-sim as a child process reading commands from a pipe.
class SimProcess {
 public:
  SimProcess(const std::string& dir, const char* devices) {
    int in[2];
    EXPECT_EQ(::pipe(in), 0);
    pid = ::fork();
    if (pid == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::close(in[1]);
      ::execl(KAVRO_SIM_EXE, KAVRO_SIM_EXE, "--dir", dir.c_str(), "--devices", devices, "--fresh", "--quiet", nullptr);
      ::_exit(127);
    }
    ::close(in[0]);
    input = in[1];
  }
  ~SimProcess() {
    if (input >= 0) ::close(input);
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }
  void say(const std::string& line) {
    const std::string text = line + "\n";
    EXPECT_EQ(::write(input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // Exit status after quit (or -1 when it does not end within the wait).
  int waitExit(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      int st = 0;
      if (::waitpid(pid, &st, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
      }
      sleepMs(10);
    }
    return -1;
  }
  pid_t pid = -1;
  int input = -1;
};

bool waitFor(const std::function<bool()>& ready, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (ready()) return true;
    sleepMs(10);
  }
  return ready();
}

TEST(KavroSim, DevicesArriveAnswerReportAndLeave) {
  SimFolder folder;
  SimProcess sim(folder.dir, "keyboard,mouse");
  ASSERT_TRUE(waitFor([&] { return test::pathsOf("mouse-if1").size() == 4 && !test::pathsOf("keyboard-if1").empty(); }, 10000));
  EXPECT_FALSE(folder.exists("headset-if3.sock"));

  tp::HidChannel ch;
  ASSERT_TRUE(ch.openPath(test::pathOf("mouse-if1", "&col04")));
  uint8_t info[34];
  ASSERT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);
  EXPECT_EQ(info[5], 10);
  EXPECT_TRUE(tp::queryLink(ch));

  hid::HidDeviceInfo notify;
  ASSERT_TRUE(notify.open(test::pathOf("keyboard-if1", "&col03"), true, false, true, false));
  // The server takes the new connection on its own thread: a key typed
  // before it has may reach no one, so the key is typed again until one
  // arrives.
  uint8_t buf[8];
  size_t n = 0;
  bool read = false;
  for (int attempt = 0; attempt < 20 && !read; ++attempt) {
    sim.say("type Esc");
    read = notify.readReport(sizeof buf, &n, buf, 500);
  }
  ASSERT_TRUE(read);
  std::vector<uint16_t> usages;
  hid::getUsages(*notify.preparsedData(), hid::ReportType::Input, 0x000C, buf, n, usages);
  ASSERT_EQ(usages.size(), 1u);
  EXPECT_GE(usages[0], 0x500);
  EXPECT_LT(usages[0], 0x600);

  sim.say("offline mouse");
  EXPECT_TRUE(waitFor([&] { return !tp::queryLink(ch); }, 5000));
  sim.say("unplug mouse");
  EXPECT_TRUE(waitFor([&] { return !folder.exists("mouse-if1.sock"); }, 5000));
  EXPECT_LE(tp::readDeviceInfo(ch, info), 0);

  sim.say("quit");
  EXPECT_EQ(sim.waitExit(10000), 0);
  EXPECT_FALSE(folder.exists("keyboard-if1.sock"));
  EXPECT_TRUE(test::pathsOf("keyboard-if1").empty());
}

TEST(KavroSim, RejectsBadOptionsAndShowsHelp) {
  const std::string exe = KAVRO_SIM_EXE;
  EXPECT_EQ(std::system((exe + " --help > /dev/null").c_str()), 0);
  EXPECT_NE(std::system((exe + " --dir /tmp --devices toaster 2> /dev/null").c_str()), 0);
  EXPECT_NE(std::system(("env -u KAVRO_SIM_DIR " + exe + " 2> /dev/null < /dev/null").c_str()), 0);
}

}  // namespace
}  // namespace kavro::sim
