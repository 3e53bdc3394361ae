#pragma once
// The keyboard page's system tab as the main window handles it.
#include <QString>

#include <optional>

#include "devices/keyboard/keyboard_settings.h"

namespace kavro::app {

// The system fields after a change of one control of the keyboard's system
// tab: the three key-lock check boxes ("winlockflag_option", "wflag_option",
// "6flag_option") and the polling rate options ("polling_rate_option_" 0..3,
// taken only when selected). Nothing for any other control.
std::optional<keyboard::KeyboardSystemFields> keyboardSystemChange(keyboard::KeyboardSystemFields fields,
                                                                   const QString& name, bool selected);

}  // namespace kavro::app
