// Start-up time of the program: kavro-config --simulate=all --debug is
// started a few times on the offscreen platform with a private data folder;
// the time from the start of the process to its "window shown" debug line is
// measured here, and the program's own "start-up <ms> ms: <stage>" lines
// tell where the time went. The first start (which creates the data files)
// is not counted.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 6;               // the first one is a warm-up
constexpr int kStartTimeoutMs = 20000;
constexpr int kExitWaitMs = 5000;
constexpr double kGoalMs = 500;
constexpr char kStagePrefix[] = "start-up ";
constexpr char kShownStage[] = "window shown";

struct Run {
  double shownMs = -1;  // wall time to the "window shown" line, -1 when it never came
  std::vector<std::pair<std::string, double>> stages;  // as the program timed them
};

std::string programPath(const char* self) {
  std::string dir(self);
  const size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : dir.substr(0, slash);
  return dir + "/kavro-config";
}

// Parses "start-up 123.4 ms: name" into (name, ms).
bool parseStage(const std::string& line, std::pair<std::string, double>& out) {
  if (line.rfind(kStagePrefix, 0) != 0) return false;
  char* end = nullptr;
  const double ms = std::strtod(line.c_str() + std::strlen(kStagePrefix), &end);
  const char* colon = end ? std::strstr(end, ": ") : nullptr;
  if (!colon) return false;
  out = {std::string(colon + 2), ms};
  return true;
}

void endChild(pid_t pid) {
  ::kill(pid, SIGTERM);
  const auto until = Clock::now() + std::chrono::milliseconds(kExitWaitMs);
  while (Clock::now() < until) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

Run startOnce(const std::string& program, const std::string& home) {
  Run run;
  int out[2];
  if (::pipe(out) != 0) return run;
  const auto started = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDERR_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
    ::unsetenv("KAVRO_SIM_DIR");
    ::execl(program.c_str(), program.c_str(), "--simulate=all", "--debug", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  // The pipe is polled with the time left, so a program that hangs (or
  // writes only other lines) cannot keep the bench waiting.
  const auto deadline = started + std::chrono::milliseconds(kStartTimeoutMs);
  std::string pending;
  bool shown = false;
  while (!shown) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{out[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char chunk[4096];
    const ssize_t got = ::read(out[0], chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the program ended or the pipe failed
    pending.append(chunk, static_cast<size_t>(got));
    for (size_t nl; !shown && (nl = pending.find('\n')) != std::string::npos;) {
      std::string text = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (!text.empty() && text.back() == '\r') text.pop_back();
      std::pair<std::string, double> st;
      if (!parseStage(text, st)) continue;
      run.stages.push_back(st);
      if (st.first == kShownStage) {
        run.shownMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        shown = true;
      }
    }
  }
  endChild(pid);
  ::close(out[0]);
  return run;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int, char** argv) {
  const std::string program = programPath(argv[0]);
  char tmpl[] = "/tmp/kavro-bench-start-XXXXXX";
  const char* home = ::mkdtemp(tmpl);
  if (!home) return 1;
  for (const char* sub : {"/data", "/config", "/run"}) {
    const std::string dir = std::string(home) + sub;
    ::mkdir(dir.c_str(), 0700);
  }
  std::vector<double> shown;
  std::map<std::string, std::vector<double>> stages;
  std::vector<std::string> order;
  for (int i = 0; i < kRuns; ++i) {
    const Run r = startOnce(program, home);
    if (r.shownMs < 0) {
      std::printf("start %d: the window was never shown\n", i + 1);
      continue;
    }
    if (i == 0) continue;  // warm-up: creates the data files
    shown.push_back(r.shownMs);
    for (const auto& [name, ms] : r.stages) {
      if (!stages.count(name)) order.push_back(name);
      stages[name].push_back(ms);
    }
  }
  std::printf("start-up stages, --simulate=all (median of %zu starts, ms since the program was loaded):\n", shown.size());
  for (const std::string& name : order) std::printf("  %-32s %7.1f\n", name.c_str(), median(stages[name]));
  if (shown.empty()) return 1;
  const double best = *std::min_element(shown.begin(), shown.end());
  std::printf("start to window shown: best %.0f ms, median %.0f ms (goal <= %.0f ms): %s\n", best, median(shown),
              kGoalMs, best <= kGoalMs ? "met" : "NOT met");
  return 0;
}
