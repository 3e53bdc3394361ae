#include "hook/input_hook.h"

#include <QCursor>

#include <unistd.h>

#include "hook/grab_capture.h"
#include "hook/hook_messages.h"
#include "skin/window.h"

namespace kavro::hook {

CaptureSource captureSourceFromSetting(const QString& value) {
  return value == QLatin1String(kCaptureSourceKernelDevices) ? CaptureSource::KernelDevices
                                                             : CaptureSource::WindowGrab;
}

InputHook::InputHook(QObject* parent) : QObject(parent), openDevices_([] { return openCaptureDevices(); }) {
  registerHookMessages();
}

InputHook::~InputHook() {
  evdev_.stop();
  if (grab_) {
    grab_->releaseInput();
    delete grab_.data();
  }
}

int InputHook::start(std::intptr_t value, std::uint32_t mode, skin::CWindowWnd* window, bool ownHook,
                     bool libraryHook) {
  stop();
  if (!window) return 0;
  const bool keys = ownHook;
  const bool buttons = libraryHook && mouseMessageForMode(mode).has_value();
  auto* grab = new GrabCapture(window);
  if (!grab->grabInput(keys, buttons)) {
    delete grab;
    return 0;
  }
  grab->onKey = [this](const KeyInput& in) {
    if (source_ == CaptureSource::WindowGrab) reportKey(in);
  };
  grab->onMouse = [this](const MouseInput& in) {
    if (source_ == CaptureSource::WindowGrab) reportMouse(in);
  };
  grab_ = grab;
  window_ = window;
  mode_ = mode;
  value_ = value;
  keys_ = keys;
  buttons_ = buttons;
  source_ = CaptureSource::WindowGrab;
  if (preferred_ == CaptureSource::KernelDevices) startKernelDevices(keys, buttons);
  active_ = true;
  emit captureChanged(true);
  return 1;
}

int InputHook::stop() {
  const int held = active_ && keys_ ? 1 : 0;
  evdev_.stop();
  ++generation_;
  if (grab_) {
    grab_->releaseInput();
    grab_->onKey = {};
    grab_->onMouse = {};
    // Stop may be called from inside the capture's own event handler.
    grab_->deleteLater();
    grab_ = nullptr;
  }
  const bool wasActive = active_;
  active_ = keys_ = buttons_ = false;
  source_ = CaptureSource::WindowGrab;
  if (wasActive) emit captureChanged(false);
  return held;
}

bool InputHook::captureNeedsFocus() const {
  return source_ == CaptureSource::WindowGrab && GrabCapture::captureNeedsFocus();
}

bool InputHook::kernelDevicesAvailable() { return evdevCaptureAvailable(); }

void InputHook::startKernelDevices(bool keys, bool buttons) {
  std::vector<int> fds;
  for (const EvdevDevice& d : openDevices_()) {
    if ((keys && d.keyboard) || (buttons && d.pointer)) {
      fds.push_back(d.fd);
    } else {
      ::close(d.fd);
    }
  }
  // Without readable devices the window-system grab stays the source.
  if (fds.empty()) return;
  const std::uint64_t generation = generation_;
  const bool started = evdev_.start(std::move(fds), [this, generation](const CapturedInput& in) {
    QMetaObject::invokeMethod(
        this, [this, in, generation] { deliverKernelInput(in, generation); }, Qt::QueuedConnection);
  });
  if (started) source_ = CaptureSource::KernelDevices;
}

void InputHook::deliverKernelInput(const CapturedInput& input, std::uint64_t generation) {
  if (generation != generation_) return;
  if (const auto* key = std::get_if<KeyInput>(&input)) {
    reportKey(*key);
  } else if (const auto* button = std::get_if<MouseInput>(&input)) {
    MouseInput located = *button;
    const QPoint at = QCursor::pos();
    located.record.x = at.x();
    located.record.y = at.y();
    reportMouse(located);
  }
}

void InputHook::reportKey(const KeyInput& input) {
  if (!active_ || !keys_ || !window_) return;
  const auto message = keyMessageForMode(mode_);
  if (!message) return;
  KeyboardRecord record = input.record;
  window_->SendMessage(hookMessageId(*message), input.message, reinterpret_cast<skin::LPARAM>(&record));
}

void InputHook::reportMouse(const MouseInput& input) {
  if (!active_ || !buttons_ || !window_) return;
  const auto message = mouseMessageForMode(mode_);
  if (!message) return;
  MouseRecord record = input.record;
  window_->SendMessage(hookMessageId(*message), input.message, reinterpret_cast<skin::LPARAM>(&record));
}

}  // namespace kavro::hook
