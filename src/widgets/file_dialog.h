#pragma once
// The program's own file dialog rather than the desktop's, so that it takes
// the dark look of the skin.
#include <QString>

class QWidget;

namespace kavro::widgets {

// Asks for a file to open (save false) or to write (save true, with
// `suffix` added to a name typed without one). `start` is a folder, or a
// file to propose in its folder. Empty when the user cancels.
QString runFileDialog(QWidget* owner, const QString& caption, bool save, const QString& start, const QString& filter,
                      const QString& suffix);

}  // namespace kavro::widgets
