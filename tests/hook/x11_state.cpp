#include "hook/x11_state.h"

#include <X11/XKBlib.h>

namespace kavro::test {

bool capsLockOn() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  unsigned state = 0;
  XkbGetIndicatorState(d, XkbUseCoreKbd, &state);
  XCloseDisplay(d);
  constexpr unsigned kCapsLockIndicator = 1u;  // the first indicator
  return (state & kCapsLockIndicator) != 0;
}

}  // namespace kavro::test
