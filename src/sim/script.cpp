#include "sim/script.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "sim/keyboard_layout.h"

namespace kavro::sim {

namespace {

// Verb, smallest and largest number of arguments after the optional device.
struct VerbRule {
  const char* verb;
  size_t minArgs, maxArgs;
  bool takesDevice;
};

constexpr VerbRule kVerbs[] = {
    {"press", 1, 1, true},   {"release", 1, 1, true}, {"type", 1, 1, true},     {"slot", 1, 1, true},
    {"effect", 1, 1, true},  {"notice", 0, 0, true},  {"unplug", 0, 0, true},   {"plug", 0, 0, true},
    {"offline", 0, 0, true}, {"online", 0, 0, true},  {"fault", 1, 3, true},    {"battery", 1, 1, true},
    {"charging", 1, 1, true}, {"phone", 1, 1, true},  {"timing", 1, 1, false},  {"sleep", 1, 1, false},
    {"status", 0, 0, true},  {"help", 0, 0, false},   {"quit", 0, 0, false},    {"exit", 0, 0, false},
};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool isDeviceName(const std::string& s) {
  DeviceKind k;
  return s == "all" || parseKind(s, k);
}

// A whole decimal number within [0, max]; false otherwise.
bool number(const std::string& s, unsigned long max, unsigned long& out) {
  if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return false;
  }
  out = std::strtoul(s.c_str(), nullptr, 10);
  return out <= max;
}

bool parseFault(const std::vector<std::string>& args, Fault& f, bool& clear, std::string* why) {
  const std::string kind = lower(args[0]);
  size_t next = 1;
  unsigned long n = 0;
  clear = kind == "none";
  if (kind == "silence") f.kind = FaultKind::Silence;
  else if (kind == "refuse" || kind == "ff") f.kind = FaultKind::Refuse;
  else if (kind == "busy" || kind == "fe") f.kind = FaultKind::Busy;
  else if (kind == "crossed") f.kind = FaultKind::Crossed;
  else if (kind == "slow") {
    f.kind = FaultKind::Slow;
    if (args.size() < 2 || !number(args[1], 60000, n)) return *why = "slow needs a delay in ms (0..60000)", false;
    f.delayMs = static_cast<unsigned>(n);
    next = 2;
  } else if (!clear) {
    return *why = "unknown fault \"" + args[0] + "\"", false;
  }
  f.count = -1;
  if (args.size() > next) {
    if (!number(args[next], 1000000, n) || n == 0) return *why = "fault count must be 1..1000000", false;
    f.count = static_cast<int>(n);
    ++next;
  }
  if (args.size() > next) return *why = "too many arguments to fault", false;
  return true;
}

}  // namespace

const char* scriptHelp() {
  return "  press|release|type <key>       keyboard key by name (A, Esc, F5, Space, M1 ...) or #<device key>\n"
         "  slot [<dev>] <n>               switch the device to settings slot n (reports 0x401)\n"
         "  effect [<dev>] <n>             change the device's effect (reports 0x401)\n"
         "  notice [<dev>]                 report usage 0x404\n"
         "  unplug|plug <dev>|all          make the device disappear / come back\n"
         "  offline|online <dev>|all       link query answers down / up\n"
         "  fault <dev> silence|refuse|busy|crossed|none [<count>]\n"
         "  fault <dev> slow <ms> [<count>]\n"
         "  battery <dev> <percent>        charging <dev> <0..2>        phone <0..3>\n"
         "  timing on|off                  one report per millisecond in each direction\n"
         "  sleep <ms>                     status [<dev>]               help     quit\n"
         "  <dev>: keyboard, mouse, mousepad, headset; default: the first device served\n";
}

bool parseScriptLine(const std::string& line, ScriptCommand& out, std::string* error) {
  out = {};
  std::string text = line.substr(0, line.find('#'));
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty()) return true;
  auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  out.verb = lower(words[0]);
  const VerbRule* rule = nullptr;
  for (const auto& r : kVerbs) {
    if (out.verb == r.verb) rule = &r;
  }
  if (rule == nullptr) return fail("unknown command \"" + words[0] + "\" (try help)");
  size_t i = 1;
  if (rule->takesDevice && i < words.size() && isDeviceName(lower(words[i]))) out.device = lower(words[i++]);
  out.args.assign(words.begin() + static_cast<long>(i), words.end());
  if (out.args.size() < rule->minArgs || out.args.size() > rule->maxArgs) {
    return fail("wrong number of arguments to " + out.verb + " (try help)");
  }
  const bool needsDevice = out.verb == "unplug" || out.verb == "plug" || out.verb == "offline" ||
                           out.verb == "online" || out.verb == "fault" || out.verb == "battery" ||
                           out.verb == "charging";
  if (needsDevice && out.device.empty()) return fail(out.verb + " needs a device (keyboard, mouse, mousepad, headset, all)");
  if (out.verb == "fault") {
    Fault f;
    bool clear = false;
    std::string why;
    if (!parseFault(out.args, f, clear, &why)) return fail(why);
  }
  return true;
}

ScriptRunner::ScriptRunner(std::vector<Emulator*> devices) : devices_(std::move(devices)) {}

std::vector<Emulator*> ScriptRunner::targets(const ScriptCommand& cmd, std::ostream& out) const {
  if (cmd.device == "all" || (cmd.device.empty() && cmd.verb == "status")) return devices_;
  DeviceKind wanted = DeviceKind::Keyboard;
  const bool keyVerb = cmd.verb == "press" || cmd.verb == "release" || cmd.verb == "type";
  const bool named = !cmd.device.empty() && parseKind(cmd.device, wanted);
  for (Emulator* e : devices_) {
    if (named || keyVerb ? e->kind() == wanted : true) return {e};
  }
  out << "no " << (named || keyVerb ? kindName(wanted) : "device") << " is served\n";
  return {};
}

ScriptRunner::Result ScriptRunner::runLine(const std::string& line, std::ostream& out) {
  ScriptCommand cmd;
  std::string error;
  if (!parseScriptLine(line, cmd, &error)) {
    out << error << "\n";
    return Result::Failed;
  }
  return cmd.verb.empty() ? Result::Ok : run(cmd, out);
}

ScriptRunner::Result ScriptRunner::run(const ScriptCommand& cmd, std::ostream& out) {
  unsigned long n = 0;
  if (cmd.verb == "quit" || cmd.verb == "exit") return Result::Quit;
  if (cmd.verb == "help") {
    out << scriptHelp();
    return Result::Ok;
  }
  if (cmd.verb == "sleep") {
    if (!number(cmd.args[0], 600000, n)) return out << "sleep needs milliseconds\n", Result::Failed;
    std::this_thread::sleep_for(std::chrono::milliseconds(n));
    return Result::Ok;
  }
  if (cmd.verb == "timing") {
    const std::string v = lower(cmd.args[0]);
    if (v != "on" && v != "off") return out << "timing on|off\n", Result::Failed;
    for (Emulator* e : devices_) e->setTiming(v == "on");
    return Result::Ok;
  }
  const std::vector<Emulator*> list = targets(cmd, out);
  if (list.empty()) return Result::Failed;
  Result result = Result::Ok;
  for (Emulator* e : list) {
    if (runOn(*e, cmd, out) != Result::Ok) result = Result::Failed;
  }
  return result;
}

ScriptRunner::Result ScriptRunner::runOn(Emulator& e, const ScriptCommand& cmd, std::ostream& out) {
  const std::string& v = cmd.verb;
  const char* name = kindName(e.kind());
  unsigned long n = 0;
  auto failed = [&](const std::string& why) {
    out << name << ": " << why << "\n";
    return Result::Failed;
  };
  if (v == "press" || v == "release" || v == "type") {
    const int key = keyboard::findDeviceKey(cmd.args[0]);
    if (key < 0) return failed("no key \"" + cmd.args[0] + "\"");
    const auto k = static_cast<unsigned>(key);
    const bool ok = v == "press" ? e.pressKey(k) : v == "release" ? e.releaseKey(k) : e.typeKey(k);
    return ok ? Result::Ok : failed("nobody is listening to key events");
  }
  if (v == "slot") {
    if (!number(cmd.args[0], 255, n) || n >= e.firmware().slotCount()) return failed("no slot " + cmd.args[0]);
    return e.changeSlot(static_cast<unsigned>(n)) ? Result::Ok : failed("slot changed; nobody is listening");
  }
  if (v == "effect") {
    if (!number(cmd.args[0], 255, n)) return failed("effect needs a number 0..255");
    return e.changeEffect(static_cast<uint8_t>(n)) ? Result::Ok : failed("effect changed; nobody is listening");
  }
  if (v == "notice") return e.sendNotice() ? Result::Ok : failed("nobody is listening");
  if (v == "unplug") return e.unplug(), Result::Ok;
  if (v == "plug") {
    std::string why;
    return e.plug(&why) ? Result::Ok : failed(why);
  }
  if (v == "offline" || v == "online") return e.setOnline(v == "online"), Result::Ok;
  if (v == "fault") {
    Fault f;
    bool clear = false;
    std::string why;
    if (!parseFault(cmd.args, f, clear, &why)) return failed(why);
    if (clear) e.firmware().clearFaults();
    else e.firmware().addFault(f);
    return Result::Ok;
  }
  if (v == "battery" || v == "charging" || v == "phone") {
    const unsigned long max = v == "battery" ? 100 : v == "charging" ? 2 : 3;
    if (!number(cmd.args[0], max, n)) return failed(v + " takes 0.." + std::to_string(max));
    const size_t at = v == "battery" ? status::kBattery : v == "charging" ? status::kCharging : status::kPhone;
    e.firmware().setStatusByte(at, static_cast<uint8_t>(n));
    return Result::Ok;
  }
  if (v == "status") return printStatus(e, out), Result::Ok;
  return failed("cannot " + v);
}

void ScriptRunner::printStatus(const Emulator& e, std::ostream& out) const {
  const Stats s = e.firmware().stats();
  const LedView led = e.ledView();
  static const char* const kSources[] = {"effect", "colour bank", "streamed frame", "LED reports"};
  out << kindName(e.kind()) << ": " << (e.plugged() ? "plugged" : "unplugged") << ", "
      << (e.firmware().online() ? "online" : "offline") << ", requests " << s.requests << ", violations "
      << s.violations << ", frames " << s.framesCommitted << ", lights: " << kSources[static_cast<int>(led.source)];
  if (led.source == LedView::Source::Effect || led.source == LedView::Source::ColorBank) {
    out << " (slot " << led.slot << ", effect " << int{led.effect} << ", brightness " << int{led.brightness}
        << ", colour " << int{led.color.r} << "," << int{led.color.g} << "," << int{led.color.b} << ")";
  }
  out << "\n";
  for (const auto& line : e.firmware().violationLog()) out << "  violation: " << line << "\n";
}

}  // namespace kavro::sim
