#include "hook/grab_capture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "platform/event.h"

namespace kavro::hook {
namespace {

// X11 and Wayland key codes are the kernel's key codes plus eight.
constexpr quint32 kXkbKeycodeOffset = 8;

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

std::optional<MouseButton> buttonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    case Qt::BackButton:
      return MouseButton::Back;
    case Qt::ForwardButton:
      return MouseButton::Forward;
    default:
      return std::nullopt;
  }
}

// How long a key release waits for the press that would make it a repeat.
constexpr int kRepeatPairWaitMs = 40;

std::uint32_t tickNow() { return static_cast<std::uint32_t>(tickMs()); }

}  // namespace

GrabCapture::GrabCapture(QWidget* anchor) : QWidget(anchor) {
  setObjectName(QStringLiteral("input_capture"));
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_NoSystemBackground);
  hide();
  holdTimer_.setSingleShot(true);
  holdTimer_.setInterval(kRepeatPairWaitMs);
  connect(&holdTimer_, &QTimer::timeout, this, &GrabCapture::flushRelease);
}

GrabCapture::~GrabCapture() { releaseInput(); }

bool GrabCapture::captureNeedsFocus() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

int GrabCapture::linuxKeyOf(const QKeyEvent& e) {
  const quint32 native = e.nativeScanCode();
  if (native <= kXkbKeycodeOffset) return 0;
  return static_cast<int>(native - kXkbKeycodeOffset);
}

bool GrabCapture::grabInput(bool keyboard, bool pointer) {
  releaseInput();
  if (keyboard) {
    // On X11 the window system must accept the grab, or keys would still
    // reach other programs; elsewhere the grab only routes our own input.
    QWindow* handle = window()->windowHandle();
    const bool granted = handle && handle->setKeyboardGrabEnabled(true);
    if (!granted && onX11()) return false;
    grabKeyboard();
    keyboard_ = true;
  }
  if (pointer) {
    grabMouse();
    pointer_ = true;
  }
  return true;
}

void GrabCapture::releaseInput() {
  holdTimer_.stop();
  held_.reset();
  if (keyboard_) releaseKeyboard();
  if (pointer_) releaseMouse();
  keyboard_ = pointer_ = false;
}

bool GrabCapture::event(QEvent* e) {
  // Keys are taken here, before the widget would use Tab to move the focus.
  switch (e->type()) {
    case QEvent::KeyPress:
      handleKey(static_cast<QKeyEvent*>(e), true);
      return true;
    case QEvent::KeyRelease:
      handleKey(static_cast<QKeyEvent*>(e), false);
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      handleButton(static_cast<QMouseEvent*>(e), true);
      return true;
    case QEvent::MouseButtonRelease:
      handleButton(static_cast<QMouseEvent*>(e), false);
      return true;
    case QEvent::MouseMove:
      return true;
    default:
      return QWidget::event(e);
  }
}

void GrabCapture::handleKey(QKeyEvent* e, bool down) {
  e->accept();
  // A repeat Qt recognised: the press is reported like the keyboard's own
  // repeat, the release is not a real one.
  if (!down && e->isAutoRepeat()) return;
  const KeyInput in = keyInputForLinuxKey(linuxKeyOf(*e), down, tickNow());
  if (!down) {
    flushRelease();
    held_ = HeldRelease{in, e->timestamp()};
    holdTimer_.start();
    return;
  }
  if (held_ && held_->input.record.linuxKey == in.record.linuxKey && held_->windowSystemTime == e->timestamp()) {
    holdTimer_.stop();
    held_.reset();
  } else {
    flushRelease();
  }
  if (onKey) onKey(in);
}

void GrabCapture::flushRelease() {
  holdTimer_.stop();
  if (!held_) return;
  const KeyInput in = held_->input;
  held_.reset();
  if (onKey) onKey(in);
}

void GrabCapture::handleButton(QMouseEvent* e, bool down) {
  e->accept();
  flushRelease();  // events are reported in the order they happened
  const auto button = buttonOf(e->button());
  if (button && onMouse) {
    const QPoint at = e->globalPosition().toPoint();
    onMouse(mouseInputForButton(*button, down, at.x(), at.y(), tickNow()));
  }
  passOn(e);
}

void GrabCapture::passOn(QMouseEvent* e) {
  const QPointF global = e->globalPosition();
  QWidget* target = QApplication::widgetAt(global.toPoint());
  if (!target || target == this) return;
  const QPointF local = target->mapFromGlobal(global);
  const QPointF scene = target->window()->mapFromGlobal(global);
  QMouseEvent copy(e->type(), local, scene, global, e->button(), e->buttons(), e->modifiers(), e->pointingDevice());
  QCoreApplication::sendEvent(target, &copy);
}

}  // namespace kavro::hook
