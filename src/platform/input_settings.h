#pragma once
// The desktop's pointer, scroll, double-click and key-repeat settings. The
// keyboard and mouse pages store their values in the profile and hand them
// here; a backend writes them to the desktop. Values are in the units the
// pages use (see each setter); the backend maps them to its own.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kavro::input {

// Ranges of the values handed to a backend.
inline constexpr int kMinPointerSpeed = 1;
inline constexpr int kMaxPointerSpeed = 20;
inline constexpr int kDefaultPointerSpeed = 10;
inline constexpr int kScrollPage = 255;  // "one screen per notch"
inline constexpr int kMaxRepeatRate = 31;
inline constexpr int kMaxRepeatDelayIndex = 3;

// The page controls' values, turned into the values above.
// Pointer speed: 2 x slider + 2, limited to 1..20.
int pointerSpeedFromSlider(int sliderValue);
// Scroll lines: slider + 1, or kScrollPage while the page check is set.
int scrollLinesFromSlider(int sliderValue, bool wholePage);
// Double-click time in ms: (max - value + 1) x 100.
int doubleClickMsFromSlider(int sliderValue, int sliderMax);

class InputSettingsBackend {
 public:
  virtual ~InputSettingsBackend() = default;
  // Each returns false when the setting could not be written.
  virtual bool setPointerSpeed(int speed) = 0;        // 1..20, 10 the desktop's default
  virtual bool setPointerPrecision(bool on) = 0;      // pointer acceleration
  virtual bool setScrollLines(int lines) = 0;         // lines per wheel notch, or kScrollPage
  virtual bool setDoubleClickTime(int ms) = 0;
  virtual bool setKeyRepeatRate(int rate) = 0;        // 0 (slowest) .. 31 (fastest)
  virtual bool setKeyRepeatDelay(int index) = 0;      // 0..3: 250, 500, 750, 1000 ms
};

// Keeps every call, for tests.
class RecordingInputSettings : public InputSettingsBackend {
 public:
  struct Call {
    std::string name;
    int value;
    bool operator==(const Call&) const = default;
  };
  bool setPointerSpeed(int speed) override { return add("pointerSpeed", speed); }
  bool setPointerPrecision(bool on) override { return add("pointerPrecision", on ? 1 : 0); }
  bool setScrollLines(int lines) override { return add("scrollLines", lines); }
  bool setDoubleClickTime(int ms) override { return add("doubleClickTime", ms); }
  bool setKeyRepeatRate(int rate) override { return add("keyRepeatRate", rate); }
  bool setKeyRepeatDelay(int index) override { return add("keyRepeatDelay", index); }
  std::vector<Call> calls() const;

 private:
  bool add(const char* name, int value);
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

// GSettings keys and values of the desktop (GNOME and desktops that share its
// schemas). The mapping:
//   pointer speed 1..20      -> org.gnome.desktop.peripherals.mouse speed = (s - 10) / 10, in -0.9..1.0
//   pointer precision        -> org.gnome.desktop.peripherals.mouse accel-profile 'adaptive' / 'flat'
//   double-click time ms     -> org.gnome.desktop.peripherals.mouse double-click (ms)
//   repeat rate 0..31        -> org.gnome.desktop.peripherals.keyboard repeat-interval (ms between
//                               repeats: 1000 / (2.5 + rate x 27.5 / 31), i.e. 400 ms .. 33 ms) and repeat true
//   repeat delay 0..3        -> org.gnome.desktop.peripherals.keyboard delay = 250 x (i + 1) ms
//   scroll lines             -> no desktop key exists; not written (false)
struct GSettingsWrite {
  std::string schema;
  std::string key;
  std::string value;  // GVariant text, as `gsettings set` takes it
  bool operator==(const GSettingsWrite&) const = default;
};
std::vector<GSettingsWrite> gsettingsPointerSpeed(int speed);
std::vector<GSettingsWrite> gsettingsPointerPrecision(bool on);
std::vector<GSettingsWrite> gsettingsDoubleClick(int ms);
std::vector<GSettingsWrite> gsettingsRepeatRate(int rate);
std::vector<GSettingsWrite> gsettingsRepeatDelay(int index);

// Runs a program with arguments (no shell), its output discarded; its exit
// status, or -1 when it could not be started.
using CommandRunner = std::function<int(const std::vector<std::string>& argv)>;
int runCommand(const std::vector<std::string>& argv);

// Writes through the `gsettings` tool, and only to schemas that the desktop
// has installed (checked once per schema with `gsettings list-keys`).
class GSettingsInputSettings : public InputSettingsBackend {
 public:
  explicit GSettingsInputSettings(CommandRunner runner = runCommand);
  bool setPointerSpeed(int speed) override { return write(gsettingsPointerSpeed(speed)); }
  bool setPointerPrecision(bool on) override { return write(gsettingsPointerPrecision(on)); }
  bool setScrollLines(int lines) override;
  bool setDoubleClickTime(int ms) override { return write(gsettingsDoubleClick(ms)); }
  bool setKeyRepeatRate(int rate) override { return write(gsettingsRepeatRate(rate)); }
  bool setKeyRepeatDelay(int index) override { return write(gsettingsRepeatDelay(index)); }

 private:
  bool write(const std::vector<GSettingsWrite>& writes);
  bool schemaInstalled(const std::string& schema);
  CommandRunner runner_;
  std::mutex mutex_;
  std::vector<std::pair<std::string, bool>> schemas_;
};

// The backend for this desktop: GSettings.
std::unique_ptr<InputSettingsBackend> makeDesktopInputSettings();

// Runs the backend's calls one after another on a worker thread, so that the
// window never waits for the desktop. The thread ends with the object.
class InputSettingsQueue {
 public:
  explicit InputSettingsQueue(std::shared_ptr<InputSettingsBackend> backend);
  ~InputSettingsQueue();
  InputSettingsQueue(const InputSettingsQueue&) = delete;
  InputSettingsQueue& operator=(const InputSettingsQueue&) = delete;

  void post(std::function<void(InputSettingsBackend&)> call);
  // Waits until every call posted so far has run.
  void flush();
  InputSettingsBackend& backend() { return *backend_; }

 private:
  void run();
  std::shared_ptr<InputSettingsBackend> backend_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void(InputSettingsBackend&)>> calls_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kavro::input
