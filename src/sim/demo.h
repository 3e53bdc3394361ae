#pragma once
// Demo mode: emulated devices inside the program (--simulate=...), so that a
// user without the hardware sees every device page working.
#include <cstdint>
#include <string>

namespace kavro::sim {

class Emulator;
enum class DeviceKind;

// Where demo devices keep their memory by default: a folder in the user's
// data folder, one state file per device kind.
std::string defaultDemoStateFolder();
// The state file of a device kind in a folder.
std::string demoStateFile(const std::string& folder, DeviceKind kind);

// kinds: a comma-separated list of "keyboard", "mouse", "mousepad", "headset",
// or "all". Replaces a demo already running. False with a message when the
// list names an unknown kind (nothing is started then). With a state folder
// each device keeps its memory there across runs; without one it starts
// from its factory memory and keeps nothing.
bool startDemo(const std::string& kinds, std::string* error, const std::string& stateFolder = {});
// Unplugs and removes the demo devices. Safe to call when none run.
void stopDemo();

// The running demo device of a kind, or nullptr; valid until stopDemo.
Emulator* demoEmulator(DeviceKind kind);
// Protocol violations counted by all demo devices since they started.
uint64_t demoViolations();

}  // namespace kavro::sim
