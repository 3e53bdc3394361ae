#pragma once
// Reading a device's macro files into the image input is shared with the
// mouse; see keyboard_macro_image.h.
#include "devices/keyboard/keyboard_macro_image.h"
