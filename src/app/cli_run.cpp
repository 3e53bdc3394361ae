#include "app/cli_run.h"

#include <algorithm>
#include <cstdio>

namespace kavro::cli {

namespace {

constexpr size_t kKindWidth = 10;
constexpr size_t kNameWidth = 26;
constexpr size_t kFirmwareWidth = 10;
constexpr size_t kBatteryWidth = 9;

std::string jsonText(const Json::Value& v) {
  Json::StreamWriterBuilder w;
  w["indentation"] = "  ";
  return Json::writeString(w, v) + "\n";
}

Json::Value envelope() {
  Json::Value root(Json::objectValue);
  root["api_version"] = kJsonApiVersion;
  return root;
}

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

std::string batteryText(const DeviceRecord& d) {
  if (d.battery < 0) return "-";
  return std::to_string(d.battery) + "%" + (d.charging ? "+" : "");
}

const DeviceRecord* findKind(const std::vector<DeviceRecord>& devices, const std::string& kind) {
  auto it = std::find_if(devices.begin(), devices.end(), [&](const DeviceRecord& d) { return d.kind == kind; });
  return it == devices.end() ? nullptr : &*it;
}

Outcome failed(const Request& request, const CallResult& result) {
  Outcome o;
  o.exitCode = exitCodeFor(result);
  o.err = "kavro-config: " + result.message + "\n";
  if (request.json) {
    Json::Value root = envelope();
    Json::Value e(Json::objectValue);
    e["name"] = result.errorName;
    e["message"] = result.message;
    root["errors"].append(e);
    o.out = jsonText(root);
  }
  return o;
}

Outcome done(const Request& request, const std::string& text) {
  Outcome o;
  if (request.json) {
    Json::Value root = envelope();
    root["errors"] = Json::Value(Json::arrayValue);
    o.out = jsonText(root);
  } else if (!text.empty()) {
    o.out = text + "\n";
  }
  return o;
}

// The device of a kind from the list, or the no-device error.
CallResult deviceOf(Backend& backend, const std::string& kind, DeviceRecord* out) {
  std::vector<DeviceRecord> devices;
  CallResult r = backend.listDevices(&devices);
  if (!r.ok) return r;
  const DeviceRecord* d = findKind(devices, kind);
  if (!d) return CallResult::failed(kErrorNoDevice, "no " + kind + " is connected");
  *out = *d;
  return r;
}

Outcome listing(const Request& request, Backend& backend) {
  std::vector<DeviceRecord> devices;
  const CallResult r = backend.listDevices(&devices);
  if (!r.ok) return failed(request, r);
  Outcome o;
  if (request.json) {
    Json::Value root = envelope();
    root["devices"] = Json::Value(Json::arrayValue);
    for (const DeviceRecord& d : devices) root["devices"].append(deviceJson(d));
    root["errors"] = Json::Value(Json::arrayValue);
    o.out = jsonText(root);
    return o;
  }
  if (request.command == Command::Battery) {
    for (const DeviceRecord& d : devices) o.out += padded(d.kind, kKindWidth) + batteryText(d) + "\n";
  } else {
    o.out = devicesTable(devices);
  }
  if (devices.empty()) o.out = "no devices connected\n";
  return o;
}

Outcome profiles(const Request& request, Backend& backend) {
  DeviceRecord d;
  const CallResult r = deviceOf(backend, request.kind, &d);
  if (!r.ok) return failed(request, r);
  Outcome o;
  if (request.json) {
    Json::Value root = envelope();
    root["devices"].append(deviceJson(d));
    root["errors"] = Json::Value(Json::arrayValue);
    o.out = jsonText(root);
    return o;
  }
  for (const std::string& p : d.profiles) o.out += (p == d.profile ? "* " : "  ") + p + "\n";
  return o;
}

Outcome light(const Request& request, Backend& backend) {
  LightValues v;
  v.brightness = request.light.brightness;
  v.speed = request.light.speed;
  v.direction = request.light.direction;
  v.colour = request.light.colour;
  if (!request.light.effect.empty()) {
    DeviceRecord d;
    const CallResult r = deviceOf(backend, request.kind, &d);
    if (!r.ok) return failed(request, r);
    std::string error;
    v.effect = resolveEffect(request.light.effect, d.effects, d.effectUsable, &error);
    if (v.effect < 0) return failed(request, CallResult::failed(kErrorOutOfRange, error));
  }
  const CallResult r = backend.setLighting(request.kind, v);
  return r.ok ? done(request, {}) : failed(request, r);
}

}  // namespace

int exitCodeFor(const CallResult& result) {
  if (result.ok) return kExitOk;
  if (result.errorName == kErrorNoDevice || result.errorName == kErrorWrongKind) return kExitNoDevice;
  if (result.errorName == kErrorUnknownProfile || result.errorName == kErrorOutOfRange) return kExitUsage;
  return kExitDeviceError;
}

Outcome usageError(const std::string& error) {
  Outcome o;
  o.exitCode = kExitUsage;
  o.err = "kavro-config: " + error + "\n";
  return o;
}

Outcome runRequest(const Request& request, Backend& backend) {
  switch (request.command) {
    case Command::Help: return Outcome{kExitOk, helpText(request.helpTopic), {}};
    case Command::Devices:
    case Command::Battery: return listing(request, backend);
    case Command::ProfileList: return profiles(request, backend);
    case Command::ProfileApply: {
      const CallResult r = backend.applyProfile(request.kind, request.profile);
      return r.ok ? done(request, {}) : failed(request, r);
    }
    case Command::Light: return light(request, backend);
    case Command::Dpi: {
      const CallResult r = backend.setDpiStage(request.kind, request.value);
      return r.ok ? done(request, {}) : failed(request, r);
    }
    case Command::Eq: {
      const CallResult r = backend.setEqualiserPreset(request.kind, request.value);
      return r.ok ? done(request, {}) : failed(request, r);
    }
  }
  return usageError("unknown command");
}

std::string colourText(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", rgb & kMaxColour);
  return text;
}

Json::Value deviceJson(const DeviceRecord& d) {
  Json::Value v(Json::objectValue);
  v["kind"] = d.kind;
  v["name"] = d.name;
  v["path"] = d.path;
  v["firmware"] = d.firmware;
  v["status"] = d.connected ? "connected" : "disconnected";
  Json::Value battery(Json::objectValue);
  battery["level"] = d.battery;
  battery["status"] = d.battery < 0 ? "unavailable" : d.charging ? "charging" : "discharging";
  v["battery"] = battery;
  v["profile"] = d.profile;
  v["profiles"] = Json::Value(Json::arrayValue);
  for (const std::string& p : d.profiles) v["profiles"].append(p);
  Json::Value light(Json::objectValue);
  light["effect"] = d.effect;
  light["effect_name"] = d.effect >= 0 && size_t(d.effect) < d.effects.size() ? d.effects[size_t(d.effect)] : "";
  light["brightness"] = d.brightness;
  light["speed"] = d.speed;
  light["direction"] = d.direction == 1 ? "left" : d.direction == 0 ? "right" : "";
  light["colour"] = colourText(d.colour);
  light["effects"] = Json::Value(Json::arrayValue);
  for (size_t i = 0; i < d.effects.size(); ++i) {
    if (i >= d.effectUsable.size() || d.effectUsable[i]) light["effects"].append(d.effects[i]);
    else light["effects"].append("");
  }
  v["lighting"] = light;
  // What the commands can do with this device.
  Json::Value caps(Json::arrayValue);
  caps.append("lighting");
  caps.append("profiles");
  if (d.kind == "mouse") caps.append("dpi");
  if (d.kind == "headset") caps.append("equaliser");
  v["capabilities"] = caps;
  return v;
}

std::string devicesTable(const std::vector<DeviceRecord>& devices) {
  std::string t = padded("KIND", kKindWidth) + padded("NAME", kNameWidth) + padded("FIRMWARE", kFirmwareWidth) +
                  padded("BATTERY", kBatteryWidth) + "PROFILE\n";
  for (const DeviceRecord& d : devices) {
    t += padded(d.kind, kKindWidth) + padded(d.name, kNameWidth) + padded(d.firmware, kFirmwareWidth) +
         padded(batteryText(d), kBatteryWidth) + d.profile + "\n";
  }
  return t;
}

}  // namespace kavro::cli
