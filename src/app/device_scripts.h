#pragma once
// DeviceScriptService: what scripts can do with the connected devices, on
// the window thread, through the same device operations as the window's
// controls: a profile is applied as the profile bar applies it, lighting is
// changed as the lighting panel changes it (stored in the profile, sent
// through the device's command queue, shown on the page). Every request is
// checked whole before anything changes. Its answer comes when the device
// has carried out the queued commands (or as soon as the device has gone);
// nothing here waits on a device. Used by the bus objects and by the
// command line when no program runs.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "app/device_script_adapter.h"

namespace kavro::devices {
class CHalvionUSBDevice;
class CDeviceManager;
}  // namespace kavro::devices

namespace kavro::app {

class CMainWnd;

using ScriptDone = std::function<void(const cli::CallResult&)>;

// A colour that keeps the device's own in SetLighting.
inline constexpr uint32_t kKeepColourWord = 0xFFFFFFFFu;
// A request still waiting for its device fails after this long.
inline constexpr int kScriptAnswerLimitMs = 20000;
inline constexpr int kScriptCheckMs = 250;

class DeviceScriptService : public QObject {
  Q_OBJECT
 public:
  explicit DeviceScriptService(CMainWnd* window, QObject* parent = nullptr);
  ~DeviceScriptService() override;

  // Kinds of the devices that are open and have finished arriving, in bus order.
  std::vector<std::string> readyKinds() const;
  devices::CHalvionUSBDevice* readyDevice(const std::string& kind) const;
  // The device's state as scripts see it; false when no such device is ready.
  bool snapshot(const std::string& kind, cli::DeviceRecord* out) const;
  std::vector<cli::DeviceRecord> snapshots() const;

  void applyProfile(const std::string& kind, const std::string& name, ScriptDone done);
  void setLighting(const std::string& kind, const cli::LightValues& values, ScriptDone done);
  void setDpiStage(const std::string& kind, int stage, ScriptDone done);
  void setEqualiserPreset(const std::string& kind, int preset, ScriptDone done);
  // Answers once the commands queued so far on the kind's device have come
  // back (the power poll of an arrival, for example).
  void afterQueue(const std::string& kind, ScriptDone done);

  // Requests waiting for their device.

 private:
  // The ready device of a kind, or the no-device / unknown-kind error.
  devices::CHalvionUSBDevice* deviceOrError(const std::string& kind, cli::CallResult* error) const;
  // Answers done once the commands queued so far on the device have come back.
  void answerAfterQueue(devices::CHalvionUSBDevice* device, ScriptDone done);
  // Keeps done until finish(id); a device that goes or stays silent ends it.
  uint64_t track(devices::CHalvionUSBDevice* device, ScriptDone done);
  CommandDone commandAnswer(uint64_t id, const std::string& kind, const std::string& failure);
  void finish(uint64_t id, const cli::CallResult& result);
  void checkPending();
  devices::CDeviceManager* manager() const;

  struct Pending {
    QPointer<devices::CHalvionUSBDevice> device;
    ScriptDone done;
    qint64 startMs = 0;
  };
  QPointer<CMainWnd> window_;
  std::map<uint64_t, Pending> pending_;
  uint64_t nextId_ = 1;
  QTimer checkTimer_;
};

}  // namespace kavro::app
