#pragma once
// The program's input hook: while a capture mode is active it takes the
// keyboard (the "own hook") and, for the recording modes, the mouse buttons
// (the "library hook"), and sends every event to the target window as the
// hook message of the mode, synchronously, with the record as lParam.
//
// Two sources: the window-system grab (always there), and, when chosen in
// the settings and this user may read /dev/input/event*, the kernel's input
// devices, which see keys system-wide also on Wayland. The grab is held in
// both cases so that keys do not reach our own controls; with the kernel
// devices as source the grab's own events are not reported twice.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "hook/evdev_reader.h"
#include "hook/hook_modes.h"
#include "hook/hook_records.h"

namespace kavro::skin {
class CWindowWnd;
}

namespace kavro::hook {

class GrabCapture;

enum class CaptureSource { WindowGrab, KernelDevices };

// The settings entry that chooses the source, and its value for the kernel
// devices; any other value means the window-system grab.
inline constexpr char kCaptureSourceSetting[] = "InputCapture";
inline constexpr char kCaptureSourceKernelDevices[] = "evdev";
CaptureSource captureSourceFromSetting(const QString& value);

class InputHook : public QObject {
  Q_OBJECT
 public:
  explicit InputHook(QObject* parent = nullptr);
  ~InputHook() override;

  // Replaces any active capture. ownHook takes the keyboard; libraryHook
  // the mouse buttons in the recording modes (4, 8, 16, 32). Returns 1, or
  // 0 when the keyboard could not be taken (nothing is captured then).
  int start(std::intptr_t value, std::uint32_t mode, skin::CWindowWnd* window, bool ownHook, bool libraryHook);
  // Ends the capture; 1 when the keyboard was held, else 0.
  int stop();

  bool active() const { return active_; }
  std::uint32_t mode() const { return mode_; }
  std::intptr_t value() const { return value_; }

  // The settings' choice; takes effect at the next start.
  void setPreferredSource(CaptureSource source) { preferred_ = source; }
  CaptureSource preferredSource() const { return preferred_; }
  // What the active capture reads.
  CaptureSource activeSource() const { return source_; }
  // True while capture works only as long as our window has focus
  // (Wayland without the kernel devices): the window shows a hint.
  bool captureNeedsFocus() const;
  // Whether the kernel devices can be read by this user.
  static bool kernelDevicesAvailable();
  // Where the kernel devices come from (openCaptureDevices by default);
  // tests hand in descriptors of their own.
  using DeviceOpener = std::function<std::vector<EvdevDevice>()>;
  void setDeviceOpener(DeviceOpener opener) { openDevices_ = std::move(opener); }

  // Sends one event to the target window as the mode's message. The
  // capture sources call these; so can tests.
  void reportKey(const KeyInput& input);
  void reportMouse(const MouseInput& input);

 signals:
  // Capture started or ended; the window disables or enables its controls
  // and shows or hides the focus hint.
  void captureChanged(bool active);

 private:
  void startKernelDevices(bool keys, bool buttons);
  void deliverKernelInput(const CapturedInput& input, std::uint64_t generation);

  QPointer<skin::CWindowWnd> window_;
  QPointer<GrabCapture> grab_;
  EvdevReader evdev_;
  DeviceOpener openDevices_;
  CaptureSource preferred_ = CaptureSource::WindowGrab;
  CaptureSource source_ = CaptureSource::WindowGrab;
  std::uint32_t mode_ = 0;
  std::intptr_t value_ = 0;
  bool active_ = false;
  bool keys_ = false;
  bool buttons_ = false;
  // Events still queued from an earlier capture are dropped.
  std::uint64_t generation_ = 0;
};

}  // namespace kavro::hook
