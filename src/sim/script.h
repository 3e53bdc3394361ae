#pragma once
// kavro-sim's command language, one command per line ('#' starts a comment):
//   press|release|type <key>      keyboard key by name ("A", "Esc", "F5", "M1"),
//                                 or device key number ("#12")
//   slot [<dev>] <n>              the device switches to settings slot n (reports 0x401)
//   effect [<dev>] <n>            the device changes its effect (reports 0x401)
//   notice [<dev>]                reports usage 0x404
//   unplug|plug <dev>|all         the interfaces disappear / come back
//   offline|online <dev>|all      link query answers down / up
//   fault <dev> silence|refuse|busy|crossed|none [<count>]
//   fault <dev> slow <ms> [<count>]
//   battery <dev> <percent>       charging <dev> <0..2>       phone <0..3>
//   timing on|off                 one report per millisecond each way
//   sleep <ms>    status [<dev>]    help    quit
// <dev> is keyboard, mouse, mousepad or headset; without one the command goes
// to the first device served (in that order).
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "sim/emulator.h"

namespace kavro::sim {

struct ScriptCommand {
  std::string verb;    // lower case; empty for a blank or comment line
  std::string device;  // device name, "all", or empty for the default device
  std::vector<std::string> args;
};

// Splits and checks one line. False with a message for an unknown verb or
// wrong arguments.
bool parseScriptLine(const std::string& line, ScriptCommand& out, std::string* error);

const char* scriptHelp();

class ScriptRunner {
 public:
  enum class Result { Ok, Failed, Quit };
  explicit ScriptRunner(std::vector<Emulator*> devices);
  // Runs one parsed command; messages go to out.
  Result run(const ScriptCommand& cmd, std::ostream& out);
  // Parses and runs one line.
  Result runLine(const std::string& line, std::ostream& out);

 private:
  std::vector<Emulator*> targets(const ScriptCommand& cmd, std::ostream& out) const;
  Result runOn(Emulator& e, const ScriptCommand& cmd, std::ostream& out);
  void printStatus(const Emulator& e, std::ostream& out) const;
  std::vector<Emulator*> devices_;
};

}  // namespace kavro::sim
