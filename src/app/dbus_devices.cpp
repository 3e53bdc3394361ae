#include "app/dbus_devices.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "app/device_scripts.h"
#include "app/inter_program.h"
#include "skin/window.h"
#include "platform/debug.h"

namespace kavro::app {

namespace {


QStringList toStringList(const std::vector<std::string>& list) {
  QStringList out;
  for (const std::string& s : list) out << QString::fromStdString(s);
  return out;
}

}  // namespace

QVariantMap busProperties(const cli::DeviceRecord& r) {
  QStringList effects;
  for (size_t i = 0; i < r.effects.size(); ++i) {
    const bool usable = i >= r.effectUsable.size() || r.effectUsable[i];
    effects << (usable ? QString::fromStdString(r.effects[i]) : QString());
  }
  return {
      {"Kind", QString::fromStdString(r.kind)},
      {"Name", QString::fromStdString(r.name)},
      {"Path", QString::fromStdString(r.path)},
      {"Firmware", QString::fromStdString(r.firmware)},
      {"Battery", r.battery},
      {"Charging", r.charging},
      {"Connected", r.connected},
      {"Profile", QString::fromStdString(r.profile)},
      {"Profiles", toStringList(r.profiles)},
      {"Effect", r.effect},
      {"Effects", effects},
      {"Brightness", r.brightness},
      {"Speed", r.speed},
      {"Direction", r.direction},
      {"Colour", uint(r.colour)},
  };
}

QVariantMap changedProperties(const QVariantMap& before, const QVariantMap& after) {
  QVariantMap changed;
  for (auto it = after.constBegin(); it != after.constEnd(); ++it) {
    if (before.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  }
  return changed;
}

// ---- one device ----------------------------------------------------------------

DeviceBusObject::DeviceBusObject(std::string kind, DeviceScriptService* service, QObject* parent)
    : QObject(parent), kind_(std::move(kind)), service_(service) {
  cli::DeviceRecord r;
  if (service_ && service_->snapshot(kind_, &r)) last_ = busProperties(r);
}

QString DeviceBusObject::objectPath() const {
  return QString::fromLatin1(kDevicePathPrefix) + QString::fromStdString(kind_);
}

QVariant DeviceBusObject::value(const char* property) const {
  cli::DeviceRecord r;
  if (service_ && service_->snapshot(kind_, &r)) return busProperties(r).value(QString::fromLatin1(property));
  return last_.value(QString::fromLatin1(property));
}

void DeviceBusObject::refresh() {
  cli::DeviceRecord r;
  if (!service_ || !service_->snapshot(kind_, &r)) return;
  const QVariantMap now = busProperties(r);
  const QVariantMap changed = changedProperties(last_, now);
  last_ = now;
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(objectPath(), kPropertiesInterface, "PropertiesChanged");
  signal << QString::fromLatin1(kDeviceInterface) << changed << QStringList();
  if (!QDBusConnection::sessionBus().send(signal)) dbg::write("D-Bus: PropertiesChanged not sent\n");
}

std::function<void(const cli::CallResult&)> DeviceBusObject::delayedAnswer() {
  setDelayedReply(true);
  const QDBusMessage call = message();
  QPointer<DeviceBusObject> self(this);
  return [call, self](const cli::CallResult& result) {
    const QDBusMessage reply =
        result.ok ? call.createReply()
                  : call.createErrorReply(QString::fromStdString(result.errorName), QString::fromStdString(result.message));
    if (!QDBusConnection::sessionBus().send(reply)) dbg::write("D-Bus: a reply could not be sent\n");
    if (self) self->refresh();  // the caller's change is announced right away
  };
}

void DeviceBusObject::ApplyProfile(const QString& name) {
  auto answer = delayedAnswer();
  if (!service_) return answer(cli::CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
  service_->applyProfile(kind_, name.toStdString(), answer);
}

void DeviceBusObject::SetLighting(int effect, int brightness, int speed, int direction, uint rgb) {
  auto answer = delayedAnswer();
  if (!service_) return answer(cli::CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
  cli::LightValues v{effect, brightness, speed, direction, int64_t(rgb)};
  service_->setLighting(kind_, v, answer);
}

void DeviceBusObject::SetDpiStage(int stage) {
  auto answer = delayedAnswer();
  if (!service_) return answer(cli::CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
  service_->setDpiStage(kind_, stage, answer);
}

void DeviceBusObject::SetEqualiserPreset(int preset) {
  auto answer = delayedAnswer();
  if (!service_) return answer(cli::CallResult::failed(cli::kErrorNoDevice, "the device has gone"));
  service_->setEqualiserPreset(kind_, preset, answer);
}

// ---- the list -------------------------------------------------------------------

DeviceBusRegistry::DeviceBusRegistry(DeviceScriptService* service, InterProgramBus* bus, QObject* parent)
    : QObject(parent), service_(service), bus_(bus) {
  if (bus_) bus_->setDeviceList([this] { return devicePaths(); });
  timer_.setInterval(kBusSyncMs);
  connect(&timer_, &QTimer::timeout, this, &DeviceBusRegistry::sync);
  timer_.start();
  sync();
}

DeviceBusRegistry::~DeviceBusRegistry() {
  if (bus_) bus_->setDeviceList(nullptr);
  for (auto& [kind, object] : objects_) QDBusConnection::sessionBus().unregisterObject(object->objectPath());
}

QList<QDBusObjectPath> DeviceBusRegistry::devicePaths() const {
  QList<QDBusObjectPath> paths;
  for (const std::string& kind : cli::deviceKinds()) {
    const auto it = objects_.find(kind);
    if (it != objects_.end()) paths << QDBusObjectPath(it->second->objectPath());
  }
  return paths;
}

void DeviceBusRegistry::sync() {
  if (!bus_ || !bus_->isConnected() || !service_) return;
  QDBusConnection connection = QDBusConnection::sessionBus();
  for (const std::string& kind : cli::deviceKinds()) {
    const bool ready = service_->readyDevice(kind) != nullptr;
    const auto it = objects_.find(kind);
    if (ready && it != objects_.end()) {
      it->second->refresh();
    } else if (ready) {
      auto object = std::make_unique<DeviceBusObject>(kind, service_);
      const QString path = object->objectPath();
      if (!connection.registerObject(path, object.get(),
                                     QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties)) {
        dbg::printf("D-Bus: cannot register %s\n", qUtf8Printable(path));
        continue;
      }
      objects_[kind] = std::move(object);
      emit bus_->DeviceAdded(QDBusObjectPath(path));
    } else if (it != objects_.end()) {
      const QString path = it->second->objectPath();
      connection.unregisterObject(path);
      objects_.erase(it);
      emit bus_->DeviceRemoved(QDBusObjectPath(path));
    }
  }
}

}  // namespace kavro::app
