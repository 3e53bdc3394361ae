#include "update/update_service.h"

#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/event.h"
#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "update/sha256.h"

namespace kavro::update {

namespace {

namespace json = profiles::json;

constexpr char kQueryTarget[] = "/updates";
constexpr char kPackagePrefix[] = "/packages/";
constexpr char kJsonType[] = "application/prs.Vexor.v1+json";
constexpr char kPackageType[] = "application/octet-stream";
constexpr size_t kSlowChunk = 1024;
constexpr unsigned kSlowChunkDelayMs = 8;  // about 125 KiB/s
constexpr size_t kDemoFirmwareBytes = 192 * 1024;
constexpr size_t kTableScriptBytes = 64 * 1024;
constexpr int kHexDigit = 16;

std::string formDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out.push_back(' ');
    } else if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, kHexDigit)));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::string formField(const std::string& body, const std::string& name) {
  size_t pos = 0;
  while (pos <= body.size()) {
    const size_t end = std::min(body.find('&', pos), body.size());
    const std::string pair = body.substr(pos, end - pos);
    const size_t eq = pair.find('=');
    if (eq != std::string::npos && pair.substr(0, eq) == name) return formDecode(pair.substr(eq + 1));
    pos = end + 1;
  }
  return {};
}

ServicePackage::Fault faultOf(const std::string& text) {
  if (text == "checksum") return ServicePackage::Fault::WrongChecksum;
  if (text == "broken") return ServicePackage::Fault::BrokenDownload;
  if (text == "nolength") return ServicePackage::Fault::NoLength;
  if (text == "unsafename") return ServicePackage::Fault::UnsafeName;
  return ServicePackage::Fault::None;
}

std::string packageHead(const ServicePackage& p) {
  std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + std::string(kPackageType) + "\r\n";
  if (p.fault != ServicePackage::Fault::NoLength) head += "Content-Length: " + std::to_string(p.content.size()) + "\r\n";
  return head + "Connection: close\r\n\r\n";
}

}  // namespace

std::string demoFirmwareScript(const std::string& name, int exitCode, size_t padBytes) {
  std::string s = "#!/bin/sh\n# Kavro Config demo firmware package " + name + "\n";
  s += "echo \"kavro demo firmware: " + name + " written\"\nexit " + std::to_string(exitCode) + "\n";
  const std::string pad = "# ................................................................\n";
  while (s.size() + pad.size() <= padBytes) s += pad;
  return s;
}

std::vector<ServicePackage> defaultServiceTable() {
  ServicePackage app;
  app.appKey = "TR-P40_0_ALL_RX7_LM2_LM1_1";
  app.version = "1001";
  app.versionName = "V1001.00";
  app.deviceId = 1;
  app.name = "kavro-config-V1001.00-notes.txt";
  app.content = "Kavro Config V1001.00\n\nThis demo package stands for the program's own update;\n"
                "a real one is the distribution's package, opened with the desktop's package tool.\n";
  ServicePackage keyboard;
  keyboard.appKey = "TR-P40_1_QP22R13B_LM2_1";
  keyboard.version = "0106";
  keyboard.versionName = "V0106";
  keyboard.deviceId = 2;
  keyboard.name = "kavro-lm2-firmware-0106.run";
  keyboard.content = demoFirmwareScript(keyboard.name, 0, kDemoFirmwareBytes);
  ServicePackage mouse;
  mouse.appKey = "TR-P40_2_QP22R05B_1_RX7_1";
  mouse.version = "0103";
  mouse.versionName = "V0103";
  mouse.deviceId = 3;
  mouse.name = "kavro-rx7-firmware-0103.run";
  mouse.content = demoFirmwareScript(mouse.name, 0, kDemoFirmwareBytes);
  return {app, keyboard, mouse};
}

bool loadServiceTable(const std::string& path, std::vector<ServicePackage>* out, std::string* error) {
  const Json::Value doc = profiles::readJsonDocument(path);
  if (!doc.isArray()) return *error = path + ": not a JSON array", false;
  out->clear();
  for (Json::ArrayIndex i = 0; i < doc.size(); ++i) {
    const Json::Value& row = doc[i];
    ServicePackage p;
    p.appKey = json::toString(json::member(row, "app_key"));
    p.version = json::toString(json::member(row, "version"));
    p.versionName = json::toString(json::member(row, "version_name"));
    p.deviceId = json::toInt(json::member(row, "device_id"));
    p.name = json::toString(json::member(row, "name"));
    p.fault = faultOf(json::toString(json::member(row, "fault")));
    p.content = json::has(row, "content") ? json::toString(json::member(row, "content"))
                                          : demoFirmwareScript(p.name, json::toInt(json::member(row, "script_exit")),
                                                               kTableScriptBytes);
    if (p.appKey.empty() || p.name.empty()) return *error = path + ": row without app_key or name", false;
    out->push_back(std::move(p));
  }
  return true;
}

UpdateService::UpdateService(std::vector<ServicePackage> table) : table_(std::move(table)) {}

UpdateService::~UpdateService() { stop(); }

bool UpdateService::start(const Options& options, std::string* error) {
  options_ = options;
  if (!makeTestAuthority(&authority_, error)) return false;
  std::optional<PemPair> tls;
  if (!options.plainHttp) tls = authority_.server;
  server_ = std::make_unique<LocalHttpServer>([this](const HttpRequest& r, HttpConnection& c) { handle(r, c); },
                                              tls);
  return server_->start(options.port, error);
}

void UpdateService::stop() {
  if (server_) server_->stop();
}

std::string UpdateService::baseUrl() const { return server_ ? server_->baseUrl() : std::string(); }

int UpdateService::requestCount() const { return server_ ? server_->requestCount() : 0; }

bool UpdateService::writeAuthority(const std::string& path, std::string* error) const {
  if (profiles::replaceFileAtomically(path, authorityPem()) != 0) return *error = "cannot write " + path, false;
  return true;
}

void UpdateService::handle(const HttpRequest& req, HttpConnection& c) {
  if (req.target == kQueryTarget) {
    if (req.method != "POST") return void(c.send(httpAnswer(405, kJsonType, "{\"error\":\"POST only\"}\n")));
    return answerQuery(req, c);
  }
  if (req.target.rfind(kPackagePrefix, 0) == 0) {
    const std::string name = formDecode(req.target.substr(std::strlen(kPackagePrefix)));
    for (const auto& p : table_) {
      if (p.name == name) return servePackage(req, c, p);
    }
  }
  c.send(httpAnswer(404, kJsonType, "{\"error\":\"not found\"}\n", req.method != "HEAD"));
}

void UpdateService::answerQuery(const HttpRequest& req, HttpConnection& c) {
  const std::string key = formField(req.body, "app_key");
  for (const auto& p : table_) {
    if (p.appKey != key) continue;
    Json::Value answer(Json::objectValue);
    answer["path"] = baseUrl() + std::string(kPackagePrefix).substr(1) + p.name;
    answer["name"] = p.fault == ServicePackage::Fault::UnsafeName ? "../" + p.name : p.name;
    answer["version_name"] = p.versionName;
    answer["version"] = p.version;
    answer["device_id"] = p.deviceId;
    answer["sha256"] = sha256Hex(p.fault == ServicePackage::Fault::WrongChecksum ? p.content + "x" : p.content);
    c.send(httpAnswer(200, kJsonType, profiles::styledJsonText(answer)));
    return;
  }
  c.send(httpAnswer(404, kJsonType, "{\"error\":\"unknown app_key\"}\n"));
}

void UpdateService::servePackage(const HttpRequest& req, HttpConnection& c, const ServicePackage& p) {
  if (!c.send(packageHead(p)) || req.method == "HEAD") return;
  const bool broken = p.fault == ServicePackage::Fault::BrokenDownload;
  const size_t end = broken ? p.content.size() / 2 : p.content.size();
  const size_t chunk = options_.slow ? kSlowChunk : end;
  for (size_t pos = 0; pos < end; pos += chunk) {
    if (!c.send(std::string_view(p.content).substr(pos, std::min(chunk, end - pos)))) return;
    if (options_.slow) sleepMs(kSlowChunkDelayMs);
  }
  if (broken) c.abort();
}

}  // namespace kavro::update
