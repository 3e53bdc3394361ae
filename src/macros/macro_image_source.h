#pragma once
// Reads a device's macros ("macro.config" and the ".mac" event files of its
// user data folder) into the input of the macro image.
#include <string>

#include "macros/macro_image.h"
#include "macros/macro_event.h"

namespace kavro::macros {

// One step of a macro file as it goes into the image: the delay is capped to
// 0..65535, the type keeps its low 7 bits and the button its low byte.
MacroImageStep imageStep(const MacroEvent& event);

struct MacroSource {
  bool hasIndex = false;  // "macro.config" exists in the folder
  MacroImageInput macros;  // one entry per index entry; a missing event file gives no steps
};

// userFolder: the device's user data folder (a missing trailing '/' is fine).
MacroSource loadMacroSource(const std::string& userFolder);

}  // namespace kavro::macros
