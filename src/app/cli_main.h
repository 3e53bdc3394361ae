#pragma once
// kavro-config <command>: carries out a command of the command line. With a
// running program it asks that program over the session bus; without one it
// runs the program's device code here, with no window, for the duration of
// the command.
#include <string>
#include <vector>

namespace kavro::app {

// Runs the command of argv (its arguments decide: cli::isCommandLine) and
// returns the exit code.
int runCommandLine(int argc, char** argv);

std::vector<std::string> argumentList(int argc, char** argv);

}  // namespace kavro::app
