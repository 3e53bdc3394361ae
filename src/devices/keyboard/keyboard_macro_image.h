#pragma once
// The keyboard downloads the macro memory image that the mouse shares
// (macros/macro_image.h); these are its names in the keyboard's namespace.
#include "macros/macro_image.h"
#include "macros/macro_image_source.h"

namespace kavro::keyboard {

using macros::loadMacroSource;
using macros::MacroDownload;
using macros::MacroImageInput;
using macros::MacroImageStep;
using macros::MacroSource;
using macros::planMacroDownload;

}  // namespace kavro::keyboard
