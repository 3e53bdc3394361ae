#include "platform/input_settings.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "platform/debug.h"

extern char** environ;

namespace kavro::input {

namespace {
constexpr char kMouseSchema[] = "org.gnome.desktop.peripherals.mouse";
constexpr char kKeyboardSchema[] = "org.gnome.desktop.peripherals.keyboard";
constexpr int kDoubleClickStepMs = 100;
constexpr int kRepeatDelayStepMs = 250;
constexpr double kSlowestRepeatsPerSecond = 2.5;
constexpr double kFastestRepeatsPerSecond = 30.0;

std::string uintValue(int v) { return "uint32 " + std::to_string(std::max(v, 0)); }
}  // namespace

int pointerSpeedFromSlider(int sliderValue) {
  return std::clamp(2 * sliderValue + 2, kMinPointerSpeed, kMaxPointerSpeed);
}

int scrollLinesFromSlider(int sliderValue, bool wholePage) { return wholePage ? kScrollPage : sliderValue + 1; }

int doubleClickMsFromSlider(int sliderValue, int sliderMax) {
  return (sliderMax - sliderValue + 1) * kDoubleClickStepMs;
}

std::vector<RecordingInputSettings::Call> RecordingInputSettings::calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

bool RecordingInputSettings::add(const char* name, int value) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({name, value});
  return true;
}

// ---- GSettings mapping -------------------------------------------------------

std::vector<GSettingsWrite> gsettingsPointerSpeed(int speed) {
  const int s = std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed);
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", (s - kDefaultPointerSpeed) / 10.0);
  return {{kMouseSchema, "speed", text}};
}

std::vector<GSettingsWrite> gsettingsPointerPrecision(bool on) {
  return {{kMouseSchema, "accel-profile", on ? "'adaptive'" : "'flat'"}};
}

std::vector<GSettingsWrite> gsettingsDoubleClick(int ms) { return {{kMouseSchema, "double-click", std::to_string(std::max(ms, 1))}}; }

std::vector<GSettingsWrite> gsettingsRepeatRate(int rate) {
  const int r = std::clamp(rate, 0, kMaxRepeatRate);
  const double perSecond =
      kSlowestRepeatsPerSecond + r * (kFastestRepeatsPerSecond - kSlowestRepeatsPerSecond) / kMaxRepeatRate;
  const int interval = static_cast<int>(std::lround(1000.0 / perSecond));
  return {{kKeyboardSchema, "repeat", "true"}, {kKeyboardSchema, "repeat-interval", uintValue(interval)}};
}

std::vector<GSettingsWrite> gsettingsRepeatDelay(int index) {
  const int i = std::clamp(index, 0, kMaxRepeatDelayIndex);
  return {{kKeyboardSchema, "delay", uintValue(kRepeatDelayStepMs * (i + 1))}};
}

// ---- running gsettings ---------------------------------------------------------

int runCommand(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

GSettingsInputSettings::GSettingsInputSettings(CommandRunner runner) : runner_(std::move(runner)) {}

bool GSettingsInputSettings::schemaInstalled(const std::string& schema) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [name, present] : schemas_) {
    if (name == schema) return present;
  }
  const bool present = runner_({"gsettings", "list-keys", schema}) == 0;
  if (!present) dbg::printf("input settings: schema %s is not installed\n", schema.c_str());
  schemas_.emplace_back(schema, present);
  return present;
}

bool GSettingsInputSettings::write(const std::vector<GSettingsWrite>& writes) {
  bool ok = true;
  for (const GSettingsWrite& w : writes) {
    if (!schemaInstalled(w.schema)) return false;
    if (runner_({"gsettings", "set", w.schema, w.key, w.value}) != 0) {
      dbg::printf("input settings: %s %s could not be set\n", w.schema.c_str(), w.key.c_str());
      ok = false;
    }
  }
  return ok;
}

bool GSettingsInputSettings::setScrollLines(int lines) {
  // The desktop scrolls by its own amount per notch and has no setting for it.
  dbg::printf("input settings: scroll lines %d are not a desktop setting here\n", lines);
  return false;
}

std::unique_ptr<InputSettingsBackend> makeDesktopInputSettings() {
  return std::make_unique<GSettingsInputSettings>();
}

// ---- worker --------------------------------------------------------------------

InputSettingsQueue::InputSettingsQueue(std::shared_ptr<InputSettingsBackend> backend)
    : backend_(std::move(backend)), thread_([this] { run(); }) {}

InputSettingsQueue::~InputSettingsQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void InputSettingsQueue::post(std::function<void(InputSettingsBackend&)> call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  changed_.notify_all();
}

void InputSettingsQueue::flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return calls_.empty() && !busy_; });
}

void InputSettingsQueue::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !calls_.empty(); });
    // Calls still queued at the end are run, so a setting chosen just before
    // exit is not lost.
    if (calls_.empty()) return;
    auto call = std::move(calls_.front());
    calls_.pop_front();
    busy_ = true;
    lock.unlock();
    call(*backend_);
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace kavro::input
