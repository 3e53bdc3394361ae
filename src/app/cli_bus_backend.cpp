#include "app/cli_bus_backend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QEventLoop>

#include "app/dbus_devices.h"
#include "app/device_scripts.h"
#include "app/inter_program.h"
#include "skin/window.h"

namespace kavro::app {

namespace {

constexpr int kCallTimeoutMs = 30000;  // a profile with macros takes a few seconds

std::vector<std::string> stdList(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& s : list) out.push_back(s.toStdString());
  return out;
}

cli::DeviceRecord recordFrom(const QVariantMap& p) {
  cli::DeviceRecord r;
  r.kind = p.value("Kind").toString().toStdString();
  r.name = p.value("Name").toString().toStdString();
  r.path = p.value("Path").toString().toStdString();
  r.firmware = p.value("Firmware").toString().toStdString();
  r.battery = p.value("Battery", -1).toInt();
  r.charging = p.value("Charging").toBool();
  r.connected = p.value("Connected", true).toBool();
  r.profile = p.value("Profile").toString().toStdString();
  r.profiles = stdList(p.value("Profiles").toStringList());
  r.effect = p.value("Effect", -1).toInt();
  r.brightness = p.value("Brightness", -1).toInt();
  r.speed = p.value("Speed", -1).toInt();
  r.direction = p.value("Direction", -1).toInt();
  r.colour = p.value("Colour").toUInt();
  for (const QString& name : p.value("Effects").toStringList()) {
    r.effects.push_back(name.toStdString());
    r.effectUsable.push_back(!name.isEmpty());
  }
  return r;
}

cli::CallResult fromMessage(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ErrorMessage) return {};
  return cli::CallResult::failed(reply.errorName().toStdString(), reply.errorMessage().toStdString());
}

QString devicePath(const std::string& kind) {
  return QString::fromLatin1(kDevicePathPrefix) + QString::fromStdString(kind);
}

// Calls a method of a device object; a device without an object is the no-device error.
cli::CallResult callDevice(const std::string& kind, const char* method, const QList<QVariant>& args) {
  QDBusMessage call = QDBusMessage::createMethodCall(kDBusService, devicePath(kind), kDeviceInterface, method);
  call.setArguments(args);
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == "org.freedesktop.DBus.Error.UnknownObject")
    return cli::CallResult::failed(cli::kErrorNoDevice, "no " + kind + " is connected");
  return fromMessage(reply);
}

// Runs an asynchronous request of the service and waits for its answer (the
// event loop keeps the devices' results coming).
template <typename Start>
cli::CallResult waitFor(Start start) {
  cli::CallResult result;
  bool finished = false;
  QEventLoop loop;
  start([&](const cli::CallResult& r) {
    result = r;
    finished = true;
    loop.quit();
  });
  if (!finished) loop.exec();
  return result;
}

}  // namespace

bool BusBackend::programRuns() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kDBusService).value();
}

cli::CallResult BusBackend::listDevices(std::vector<cli::DeviceRecord>* out) {
  QDBusMessage call = QDBusMessage::createMethodCall(kDBusService, kDBusPath, kDBusInterface, "Devices");
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) return fromMessage(reply);
  const QDBusReply<QList<QDBusObjectPath>> paths(reply);
  for (const QDBusObjectPath& path : paths.value()) {
    QDBusMessage get = QDBusMessage::createMethodCall(kDBusService, path.path(), kPropertiesInterface, "GetAll");
    get << QString::fromLatin1(kDeviceInterface);
    const QDBusMessage props = QDBusConnection::sessionBus().call(get, QDBus::Block, kCallTimeoutMs);
    if (props.type() == QDBusMessage::ErrorMessage) continue;  // gone meanwhile
    const QDBusReply<QVariantMap> map(props);
    out->push_back(recordFrom(map.value()));
  }
  return {};
}

cli::CallResult BusBackend::applyProfile(const std::string& kind, const std::string& name) {
  return callDevice(kind, "ApplyProfile", {QString::fromStdString(name)});
}

cli::CallResult BusBackend::setLighting(const std::string& kind, const cli::LightValues& v) {
  const uint rgb = v.colour < 0 ? kKeepColourWord : uint(v.colour);
  return callDevice(kind, "SetLighting", {v.effect, v.brightness, v.speed, v.direction, rgb});
}

cli::CallResult BusBackend::setDpiStage(const std::string& kind, int stage) {
  return callDevice(kind, "SetDpiStage", {stage});
}

cli::CallResult BusBackend::setEqualiserPreset(const std::string& kind, int preset) {
  return callDevice(kind, "SetEqualiserPreset", {preset});
}

// ---- in this process ------------------------------------------------------------

cli::CallResult LocalBackend::listDevices(std::vector<cli::DeviceRecord>* out) {
  // The reads queued at arrival (the first power poll) come back first, so
  // a battery is known rather than -1.
  for (const std::string& kind : service_.readyKinds()) {
    waitFor([&](ScriptDone done) { service_.afterQueue(kind, done); });
  }
  *out = service_.snapshots();
  return {};
}

cli::CallResult LocalBackend::applyProfile(const std::string& kind, const std::string& name) {
  return waitFor([&](ScriptDone done) { service_.applyProfile(kind, name, done); });
}

cli::CallResult LocalBackend::setLighting(const std::string& kind, const cli::LightValues& values) {
  return waitFor([&](ScriptDone done) { service_.setLighting(kind, values, done); });
}

cli::CallResult LocalBackend::setDpiStage(const std::string& kind, int stage) {
  return waitFor([&](ScriptDone done) { service_.setDpiStage(kind, stage, done); });
}

cli::CallResult LocalBackend::setEqualiserPreset(const std::string& kind, int preset) {
  return waitFor([&](ScriptDone done) { service_.setEqualiserPreset(kind, preset, done); });
}

}  // namespace kavro::app
