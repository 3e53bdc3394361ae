#pragma once
// A private virtual X server for tests that need real X input: started with
// -displayfd so it picks a free display, stopped with the session.
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kavro::test {

class XvfbSession {
 public:
  XvfbSession() { start(); }
  ~XvfbSession() { stop(); }
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  bool running() const { return pid_ > 0 && !display_.empty(); }
  // ":N", empty when no server could be started.
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  static constexpr int kStartLimitMs = 10000;

  void start() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      error_ = "no pipe";
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The server writes its display number to descriptor 3 once it is ready.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), const_cast<char*>("3"),
                    const_cast<char*>("-screen"), const_cast<char*>("0"), const_cast<char*>("1024x768x24"),
                    const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
    const int rc = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
      pid_ = -1;
      error_ = "Xvfb is not installed";
      ::close(fds[0]);
      return;
    }
    readDisplay(fds[0]);
    ::close(fds[0]);
    if (display_.empty()) {
      error_ = "Xvfb did not start";
      stop();
    }
  }

  void readDisplay(int fd) {
    std::string digits;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, kStartLimitMs) > 0) {
      char c = 0;
      if (::read(fd, &c, 1) != 1) break;
      if (c == '\n') break;
      digits += c;
    }
    if (!digits.empty()) display_ = ":" + digits;
  }

  pid_t pid_ = -1;
  std::string display_;
  std::string error_;
};

}  // namespace kavro::test
