#pragma once
// Reads the X server's keyboard state directly (kept apart: Xlib's macros
// clash with the toolkit's names).
namespace kavro::test {
// True while the server's Caps Lock indicator is on.
bool capsLockOn();
}  // namespace kavro::test
