#pragma once
// The command line of kavro-config: which arguments make a command (as
// opposed to starting the window), and the arguments turned into a request.
// Pure functions over strings; the program and the tests call them alike.
#include <cstdint>
#include <string>
#include <vector>

namespace kavro::cli {

// Exit codes of a command.
enum ExitCode : int {
  kExitOk = 0,
  kExitUsage = 1,        // wrong arguments, unknown profile, value out of range
  kExitNoDevice = 2,     // no connected device of that kind
  kExitDeviceError = 3,  // the device (or the program) failed to carry it out
};

enum class Command { Help, Devices, ProfileList, ProfileApply, Light, Dpi, Eq, Battery };

// Lighting values; a negative number (or kKeepColour) keeps the device's own.
inline constexpr int64_t kKeepColour = -1;
inline constexpr uint32_t kMaxColour = 0xFFFFFF;
struct LightRequest {
  std::string effect;  // a number or an effect name; empty keeps the effect
  int brightness = -1;
  int speed = -1;
  int direction = -1;  // 1 left, 0 right
  int64_t colour = kKeepColour;
};

struct Request {
  Command command = Command::Help;
  std::string helpTopic;  // Help: the sub-command asked about, empty for all
  bool json = false;
  std::string kind;       // the device kind of profile/light
  std::string profile;    // ProfileApply
  LightRequest light;
  int value = 0;          // Dpi: the stage; Eq: the preset
  std::string simulate;   // "--simulate=kinds" for a run without the window
  bool debug = false;
};

struct ParseResult {
  bool ok = false;
  Request request;
  std::string error;  // when !ok: what is wrong, for standard error
};

// The device kinds a command can name, in bus order.
const std::vector<std::string>& deviceKinds();
bool isDeviceKind(const std::string& word);

// True when the arguments (without the program name) ask for a command
// rather than the window: a sub-command word or --help anywhere.
bool isCommandLine(const std::vector<std::string>& args);

ParseResult parseArguments(const std::vector<std::string>& args);

// The help of one sub-command, or of everything for an empty or unknown topic.
std::string helpText(const std::string& topic);

// "RRGGBB" or "#RRGGBB" (hex) to 0xRRGGBB; -1 when malformed.
int64_t parseColour(const std::string& text);

// Resolves an effect given by number or by name (case-insensitive, spaces
// and dashes ignored) against the device's effect names; usable[i] false
// marks an effect the device does not offer. -1 with *error set when none.
int resolveEffect(const std::string& text, const std::vector<std::string>& names,
                  const std::vector<bool>& usable, std::string* error);

}  // namespace kavro::cli
