#pragma once
// Start-up of the program, in order: private fonts, the single-instance
// check, the toolkit with its custom controls, the registered messages, the
// optional demo devices, the main window and its loop, then the clean-up.
#include <QString>
#include <QStringList>

namespace kavro::app {

struct StartOptions {
  bool debug = false;
  QString simulate;  // kinds for the demo devices, empty for none
  bool startInTray = false;  // "--tray": start hidden in the tray (minimised without one)
};

// Reads "--debug", "--simulate=kinds" and "--tray"; other arguments are ignored.
StartOptions parseCommandLine(const QStringList& args);

// Runs the program; returns the exit code (0 on every path).
int runProgram(int argc, char** argv);

}  // namespace kavro::app
