#pragma once
// The dark look of the skin for standard Qt windows the program opens
// itself (file dialogs), so that they match the main window.
#include <QPalette>

class QWidget;

namespace kavro::widgets {

// The skin's colours as a widget palette (window, fields, buttons,
// selection, disabled texts).
QPalette darkPalette();
// Gives a standard window the dark palette and style sheet.
void applyDarkLook(QWidget* window);

}  // namespace kavro::widgets
