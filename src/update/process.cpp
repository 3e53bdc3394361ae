#include "update/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/event.h"

extern char** environ;

namespace kavro::update {

namespace {

constexpr int kWaitStepMs = 20;  // how often a wait looks at the child and the stop event

// Owns posix_spawn's file actions for the lifetime of one start.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&fa_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&fa_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &fa_; }

 private:
  posix_spawn_file_actions_t fa_;
};

ProcessResult fromStatus(int status) {
  if (WIFEXITED(status)) return {ProcessResult::Kind::Exited, WEXITSTATUS(status)};
  if (WIFSIGNALED(status)) return {ProcessResult::Kind::Signalled, WTERMSIG(status)};
  return {ProcessResult::Kind::Exited, -1};
}

// Starts argv with the given file actions; returns the child or -1 with errno in *error.
pid_t spawn(const std::vector<std::string>& argv, posix_spawn_file_actions_t* fa, int* error) {
  if (argv.empty()) {
    *error = EINVAL;
    return -1;
  }
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const bool searchPath = argv[0].find('/') == std::string::npos;
  const int r = searchPath ? posix_spawnp(&pid, args[0], fa, nullptr, args.data(), environ)
                           : posix_spawn(&pid, args[0], fa, nullptr, args.data(), environ);
  *error = r;
  return r == 0 ? pid : -1;
}

// One non-blocking look at the child: true with *status when it has ended.
bool reaped(pid_t pid, int* status) {
  for (;;) {
    const pid_t r = ::waitpid(pid, status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) return false;
    *status = W_EXITCODE(255, 0);  // ECHILD: reaped elsewhere, its end is unknown: a failure
    return true;
  }
}

ProcessResult killAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return {ProcessResult::Kind::TimedOut, 0};
}

// Reads the pipe until end of file or the deadline; true at end of file.
bool drain(int fd, std::string* output, size_t maxOutput, uint64_t deadline) {
  char buf[4096];
  for (;;) {
    const uint64_t now = tickMs();
    if (now >= deadline) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(deadline - now));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (output != nullptr && output->size() < maxOutput) {
      output->append(buf, std::min(static_cast<size_t>(n), maxOutput - output->size()));
    }
  }
}

}  // namespace

ProcessResult runCapture(const std::vector<std::string>& argv, std::string* output, int timeoutMs,
                         size_t maxOutput) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {ProcessResult::Kind::NotStarted, errno};
  SpawnActions fa;
  posix_spawn_file_actions_addopen(fa.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(fa.get(), fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(fa.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  int error = 0;
  const pid_t pid = spawn(argv, fa.get(), &error);
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    return {ProcessResult::Kind::NotStarted, error};
  }
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(timeoutMs < 0 ? 0 : timeoutMs);
  const bool ended = drain(fds[0], output, maxOutput, deadline);
  ::close(fds[0]);
  int status = 0;
  while (!reaped(pid, &status)) {
    if (!ended || tickMs() >= deadline) return killAndReap(pid);
    sleepMs(1);
  }
  return fromStatus(status);
}

ProcessResult runAndWait(const std::vector<std::string>& argv, Event* stop) {
  SpawnActions fa;
  posix_spawn_file_actions_addopen(fa.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  int error = 0;
  const pid_t pid = spawn(argv, fa.get(), &error);
  if (pid < 0) return {ProcessResult::Kind::NotStarted, error};
  int status = 0;
  while (!reaped(pid, &status)) {
    if (stop != nullptr ? stop->wait(kWaitStepMs) : (sleepMs(kWaitStepMs), false)) {
      return {ProcessResult::Kind::Running, 0};
    }
  }
  return fromStatus(status);
}

}  // namespace kavro::update
