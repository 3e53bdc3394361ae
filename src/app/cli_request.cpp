#include "app/cli_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <map>

namespace kavro::cli {

namespace {

constexpr char kJsonOption[] = "--json";
constexpr char kHelpOption[] = "--help";
constexpr char kShortHelpOption[] = "-h";
constexpr char kSimulateOption[] = "--simulate";
constexpr char kDebugOption[] = "--debug";
constexpr int kColourHexDigits = 6;
constexpr int kHexBase = 16;

const std::map<std::string, Command>& commandWords() {
  static const std::map<std::string, Command> words = {
      {"help", Command::Help},   {"devices", Command::Devices}, {"profile", Command::ProfileList},
      {"light", Command::Light}, {"dpi", Command::Dpi},         {"eq", Command::Eq},
      {"battery", Command::Battery},
  };
  return words;
}

const std::map<std::string, std::string>& helpTexts() {
  static const std::map<std::string, std::string> texts = {
      {"devices",
       "kavro-config devices [--json]\n"
       "  Lists the connected devices: kind, name, firmware, battery and profile.\n"},
      {"profile",
       "kavro-config profile <kind> [--json]\n"
       "  Lists the profiles of a device; the one in use is marked with '*'.\n"
       "kavro-config profile <kind> <name>\n"
       "  Applies the profile of that name to the device.\n"},
      {"light",
       "kavro-config light <kind> [--effect <n|name>] [--brightness N] [--speed N]\n"
       "                   [--direction left|right] [--colour RRGGBB]\n"
       "  Sets the lighting of a device; what is not given stays as it is.\n"
       "  Effects are numbered from 0 in the order the lighting panel lists them\n"
       "  ('kavro-config devices --json' shows the names); brightness and speed\n"
       "  run from 0 to 4.\n"},
      {"dpi",
       "kavro-config dpi <stage>\n"
       "  Selects a DPI stage of the mouse (counted from 0).\n"},
      {"eq",
       "kavro-config eq <preset>\n"
       "  Selects an equaliser preset of the headset (counted from 0).\n"},
      {"battery",
       "kavro-config battery [--json]\n"
       "  Shows battery level and charging state of the connected devices\n"
       "  (-1: the device reports no battery).\n"},
  };
  return texts;
}

bool toInt(const std::string& text, int* out) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *out);
  return ec == std::errc() && ptr == end;
}

std::string normalised(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

// Splits "--name=value" and "--name value" alike; advances i past the value.
bool optionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string* value) {
  const std::string& a = args[i];
  if (a == name) {
    if (i + 1 >= args.size()) return false;
    *value = args[++i];
    return true;
  }
  *value = a.substr(name.size() + 1);
  return true;
}

bool isOptionNamed(const std::string& arg, const std::string& name) {
  return arg == name || arg.rfind(name + "=", 0) == 0;
}

ParseResult failure(const std::string& error) {
  ParseResult r;
  r.error = error;
  return r;
}

// Reads one option of "light"; false with *error on a bad value or name.
bool lightOption(const std::vector<std::string>& args, size_t& i, LightRequest& light, std::string* error) {
  const std::string& a = args[i];
  std::string value;
  auto number = [&](const char* name, int* out) {
    if (!optionValue(args, i, name, &value)) return *error = std::string(name) + " needs a value", false;
    if (!toInt(value, out) || *out < 0) return *error = std::string(name) + ": not a number: " + value, false;
    return true;
  };
  if (isOptionNamed(a, "--effect")) {
    if (!optionValue(args, i, "--effect", &light.effect) || light.effect.empty())
      return *error = "--effect needs a value", false;
    return true;
  }
  if (isOptionNamed(a, "--brightness")) return number("--brightness", &light.brightness);
  if (isOptionNamed(a, "--speed")) return number("--speed", &light.speed);
  if (isOptionNamed(a, "--direction")) {
    if (!optionValue(args, i, "--direction", &value)) return *error = "--direction needs a value", false;
    if (value == "left") light.direction = 1;
    else if (value == "right") light.direction = 0;
    else return *error = "--direction: left or right, not " + value, false;
    return true;
  }
  if (isOptionNamed(a, "--colour") || isOptionNamed(a, "--color")) {
    const std::string name = isOptionNamed(a, "--colour") ? "--colour" : "--color";
    if (!optionValue(args, i, name, &value)) return *error = name + " needs a value", false;
    light.colour = parseColour(value);
    if (light.colour < 0) return *error = name + ": RRGGBB in hexadecimal, not " + value, false;
    return true;
  }
  *error = "unknown option " + a;
  return false;
}

// The words after the sub-command, checked by command.
ParseResult finish(Request request, const std::vector<std::string>& words) {
  auto count = [&](size_t min, size_t max) { return words.size() >= min && words.size() <= max; };
  switch (request.command) {
    case Command::Help:
      request.helpTopic = words.empty() ? std::string() : words[0];
      break;
    case Command::Devices:
    case Command::Battery:
      if (!words.empty()) return failure("unexpected argument " + words[0]);
      break;
    case Command::ProfileList:
    case Command::ProfileApply:
      if (!count(1, 2)) return failure("usage: kavro-config profile <kind> [<name>]");
      request.kind = words[0];
      if (words.size() == 2) request.command = Command::ProfileApply, request.profile = words[1];
      break;
    case Command::Light:
      if (!count(1, 1)) return failure("usage: kavro-config light <kind> [options]");
      request.kind = words[0];
      if (request.light.effect.empty() && request.light.brightness < 0 && request.light.speed < 0 &&
          request.light.direction < 0 && request.light.colour < 0)
        return failure("light: give at least one of --effect, --brightness, --speed, --direction, --colour");
      break;
    case Command::Dpi:
    case Command::Eq: {
      const char* name = request.command == Command::Dpi ? "dpi <stage>" : "eq <preset>";
      if (!count(1, 1) || !toInt(words[0], &request.value) || request.value < 0)
        return failure(std::string("usage: kavro-config ") + name + " (a number from 0)");
      request.kind = request.command == Command::Dpi ? "mouse" : "headset";
      break;
    }
  }
  if (!request.kind.empty() && !isDeviceKind(request.kind))
    return failure("unknown device kind " + request.kind + " (keyboard, mouse, mousepad, headset)");
  ParseResult r;
  r.ok = true;
  r.request = std::move(request);
  return r;
}

}  // namespace

const std::vector<std::string>& deviceKinds() {
  static const std::vector<std::string> kinds = {"keyboard", "mouse", "mousepad", "headset"};
  return kinds;
}

bool isDeviceKind(const std::string& word) {
  const auto& k = deviceKinds();
  return std::find(k.begin(), k.end(), word) != k.end();
}

bool isCommandLine(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == kHelpOption || a == kShortHelpOption) return true;
    if (a.rfind("-", 0) == 0) continue;
    return commandWords().count(a) != 0;  // the first plain word decides
  }
  return false;
}

ParseResult parseArguments(const std::vector<std::string>& args) {
  Request request;
  bool haveCommand = false;
  bool wantHelp = false;
  std::vector<std::string> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string error;
    if (a == kJsonOption) request.json = true;
    else if (a == kHelpOption || a == kShortHelpOption) wantHelp = true;
    else if (a == kDebugOption) request.debug = true;
    else if (isOptionNamed(a, kSimulateOption))
      request.simulate = a == kSimulateOption ? "all" : a.substr(std::strlen(kSimulateOption) + 1);
    else if (a.rfind("--", 0) == 0 && haveCommand && request.command == Command::Light) {
      if (!lightOption(args, i, request.light, &error)) return failure(error);
    } else if (a.rfind("-", 0) == 0 && a.size() > 1 && !std::isdigit(static_cast<unsigned char>(a[1]))) {
      return failure("unknown option " + a);
    } else if (!haveCommand) {
      const auto it = commandWords().find(a);
      if (it == commandWords().end()) return failure("unknown command " + a + " (see kavro-config --help)");
      request.command = it->second;
      haveCommand = true;
    } else {
      words.push_back(a);
    }
  }
  if (wantHelp) {
    Request help;
    help.command = Command::Help;
    for (const auto& [word, command] : commandWords()) {
      if (haveCommand && command == request.command && command != Command::Help) help.helpTopic = word;
    }
    if (request.command == Command::ProfileApply) help.helpTopic = "profile";
    ParseResult r;
    r.ok = true;
    r.request = help;
    return r;
  }
  if (!haveCommand) return failure("no command given (see kavro-config --help)");
  return finish(std::move(request), words);
}

std::string helpText(const std::string& topic) {
  const auto it = helpTexts().find(topic);
  if (it != helpTexts().end()) return it->second;
  std::string text =
      "Usage: kavro-config [<command> [arguments]] [--json]\n"
      "Without a command the window starts. With one, the running program carries\n"
      "it out (over D-Bus); when none runs, it is carried out without a window.\n\n";
  for (const auto& [name, help] : helpTexts()) text += help;
  text +=
      "\nKinds: keyboard, mouse, mousepad, headset.\n"
      "Options: --json (output for programs), --simulate=<kinds> (demo devices when\n"
      "no program runs), --debug, --help (also after a command).\n"
      "Exit codes: 0 done, 1 usage error (also an unknown profile or a value out of\n"
      "range), 2 no such device, 3 device error.\n";
  return text;
}

int64_t parseColour(const std::string& text) {
  std::string hex = text.rfind("#", 0) == 0 ? text.substr(1) : text;
  if (hex.size() != kColourHexDigits) return -1;
  uint32_t value = 0;
  const char* end = hex.data() + hex.size();
  auto [ptr, ec] = std::from_chars(hex.data(), end, value, kHexBase);
  if (ec != std::errc() || ptr != end) return -1;
  return value;
}

int resolveEffect(const std::string& text, const std::vector<std::string>& names, const std::vector<bool>& usable,
                  std::string* error) {
  auto offered = [&](size_t i) { return i < names.size() && (i >= usable.size() || usable[i]); };
  int index = -1;
  if (toInt(text, &index)) {
    if (index >= 0 && offered(static_cast<size_t>(index))) return index;
    *error = "effect " + text + " is out of range (0.." + std::to_string(int(names.size()) - 1) + ")";
    return -1;
  }
  const std::string wanted = normalised(text);
  for (size_t i = 0; i < names.size(); ++i) {
    if (offered(i) && !names[i].empty() && normalised(names[i]) == wanted) return static_cast<int>(i);
  }
  *error = "unknown effect " + text;
  return -1;
}

}  // namespace kavro::cli
