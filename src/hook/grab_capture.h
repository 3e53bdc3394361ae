#pragma once
// Capture through the window system: an invisible child of one of our
// windows takes the keyboard and, when asked, the pointer. On X11 these are
// active grabs, so the keys reach no other program while they last (the
// server still toggles Caps Lock, Num Lock and Scroll Lock). On Wayland the
// compositor only lets us see input while our window has focus.
// Button presses and releases over our own windows are passed on to the
// control under the cursor after they were reported, so the stop button
// still works while the pointer is captured.
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "hook/hook_records.h"

class QKeyEvent;
class QMouseEvent;

namespace kavro::hook {

class GrabCapture : public QWidget {
  Q_OBJECT
 public:
  // anchor: a shown window of ours; the grab is made on it.
  explicit GrabCapture(QWidget* anchor);
  ~GrabCapture() override;

  // Takes the keyboard and/or the pointer. False when the window system
  // refused the keyboard grab (another program holds one, or the window is
  // not mapped); nothing is then held.
  bool grabInput(bool keyboard, bool pointer);
  void releaseInput();

  // True where the window system only reports input while our window has
  // focus (Wayland); the window shows a hint then.
  static bool captureNeedsFocus();

  std::function<void(const KeyInput&)> onKey;
  std::function<void(const MouseInput&)> onMouse;

  // The Linux key code of a key event, from the keyboard's native key code.
  static int linuxKeyOf(const QKeyEvent& e);

 protected:
  bool event(QEvent* e) override;

 private:
  void handleKey(QKeyEvent* e, bool down);
  void handleButton(QMouseEvent* e, bool down);
  void passOn(QMouseEvent* e);
  void flushRelease();

  bool keyboard_ = false;
  bool pointer_ = false;
  // X11 repeats a held key as a release and a press with the same time. A
  // release is held back briefly: when the press follows, both are the
  // repeat and the release is dropped; otherwise it is reported late, with
  // the time it happened.
  struct HeldRelease {
    KeyInput input;
    quint64 windowSystemTime;
  };
  std::optional<HeldRelease> held_;
  QTimer holdTimer_;
};

}  // namespace kavro::hook
