#pragma once
// CHalvionUSBDevice: the common base of the device classes. A device object is
// at once the device's page in the main window (a horizontal layout of the
// skin) and the program's model of the device: it owns the command channel and
// the notify channel, the LED colour model with its software lighting engine,
// and the on-screen key and light buttons.
//
// Device I/O of user actions runs on the device's command worker: a command
// sequence is posted with postCommands, runs in order behind the ones posted
// before it, and its result comes back to the window thread. The window never
// waits on the device; while the device does not answer, the page says so.
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/device_command_queue.h"
#include "devices/device_worker.h"
#include "devices/discovery/device_tables.h"
#include "devices/lighting/engine.h"
#include "skin/container.h"
#include "transport/command_set.h"
#include "transport/hid_channel.h"

namespace kavro::widgets {
class CDeviceKeyButtonUI;
}

namespace kavro::profiles {
class CBasicProfiledata;
class ISaveFailureSink;
}  // namespace kavro::profiles

namespace kavro::devices {

class CMpDevicePowerUI;
class CDeviceOptionUI;
class IDevicePanel;

// The result of a command sequence that brings nothing else back.
struct CommandOutcome {
  int result = transport::kCmdOk;
};

// The eight lighting bytes and the two further parameters of a device.
struct DeviceLightParams {
  lighting::LightParams light;
  uint32_t param3 = 0;
  uint32_t param4 = 0;  // the keyboard passes its profile number here
};

// Private window messages a device sends to its owner window.
constexpr unsigned kMsgPowerStatus = 0xD01;      // wParam: status byte 4; lParam 0
constexpr unsigned kMsgSettingsReread = 0xD00;   // settings re-read on the device

constexpr size_t kDeviceInfoBytes = 34;
constexpr size_t kPowerStatusBytes = 6;
constexpr size_t kLedAuxBytes = 13;
constexpr int kFailedFramePauseMs = 200;
// An unchanged frame goes to the device again after this long.
constexpr int kFrameRefreshMs = 1000;
// While the device does not answer, it is asked again this often.
constexpr int kSilentProbeMs = 2000;
// The page's status line and its text while the device does not answer.
constexpr char kDeviceStatusLabel[] = "device_status_label";
constexpr char kNotAnsweringTextKey[] = "device_not_answering_text";
// The page's key and light buttons: their control class, and the name (or
// user data) prefixes before their key and LED numbers.
constexpr char kKeyButtonClassName[] = "DeviceKeyButton";
constexpr char kKeyButtonPrefix[] = "key_";
constexpr char kLightButtonPrefix[] = "light_";
// How often a light thread looks again while the command channel is closed.
constexpr int kPreviewClosedIdleMs = 100;

// What a command sequence is for, which decides what its result does to the
// not-answering state.
enum class SequenceKind {
  Write,      // a user's change: a failure marks the device silent; once it
              // answers again, its state is read back (reanswered)
  StateRead,  // reads the device's state: its success needs no further read
  Background  // light frames and the like: the result leaves the state alone
};

// The number after a case-insensitive prefix ("key_12" -> 12); -1 when the
// prefix differs or no number follows.
int numberAfter(const QString& text, const char* prefix);

class CHalvionUSBDevice : public skin::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  explicit CHalvionUSBDevice(QWidget* parent = nullptr);
  ~CHalvionUSBDevice() override;
  QString GetClass() const override { return QStringLiteral("HalvionUSBDevice"); }

  // ---- operations in slot order -------------------------------------------
  // 1. Binds the "key_"/"light_" buttons of the page's key layout panel.
  virtual void initPage();
  // 2. Brings the page and preview in line with the current lighting
  //    parameters (after a profile or synchronised change).
  virtual void applyLightState() {}
  // 3..9. Software effects: one frame into the colour model per call.
  virtual void effectBreathing();
  virtual void effectBreathCycle();
  virtual void effectRipple();
  virtual void effectSpectrum();
  virtual void effectBlinkWheel();
  virtual void effectBlinkFour();
  virtual void effectOff();
  // 10. Paints the light buttons and streams the colour model to the device.
  virtual void streamLights();
  // 11, 12. One entry of the colour model (red | green << 8 | blue << 16 | brightness << 24).
  virtual void setLedColor(size_t n, uint32_t value);
  virtual uint32_t getLedColor(size_t n) const;
  // 13. The device arrived 500 ms ago: read it, load and show its profile.
  virtual void onConnected() {}
  // 14. Timer 1002: re-read the device's settings.
  virtual void onRefreshTimer() {}
  // 15, 16. Timers 1003 and 1004.
  virtual void onAuxTimer1003() {}
  virtual void onAuxTimer1004() {}
  // 17. Battery and link status, every 5000 ms while open and hasPowerStatus:
  //     the 6-byte status block goes to the power display and the owner window.
  //     The read is queued; a poll is skipped while the last one is pending.
  virtual void pollStatus();
  // 18. The device's notify interface has arrived: open it and listen; the
  //     input thread hands every usage it reports to handleNotifyUsage.
  virtual void attachNotifyInterface(const std::string& path);
  // 19. The notify interface has gone.
  virtual void detachNotifyInterface() { stopInput(); }
  // 20. Refresh the key captions and marks of the page.
  virtual void refreshKeyCaptions() {}
  // 21. The command interface has gone (the channel is closed already).
  virtual void onDisconnected() {}
  // 22..25. Writes to the device.
  virtual int writeKeyAssignments() { return 0; }
  virtual int resetKeyAssignments() { return 0; }
  virtual int writeMacros() { return 0; }
  virtual int writeLightSettings() { return 0; }
  // 26. Gathers the macro and light names the panels list.
  virtual void collectNameLists() {}
  // 27.
  virtual void setKeyFunctionMap(const std::map<int, int>& map);
  // 28..31. Afterglow.
  virtual void decayKeyGlow(size_t key, bool fine);
  virtual void lightGlowingColumns();
  virtual void shiftColumns(bool right);
  virtual void clearGlow();
  // 32, 33. Function panels by device type.
  virtual void selectFunctionPanel(int deviceType);
  virtual int getFunctionMode() const { return functionMode; }
  // 34..36. Profile files, through the device class's profile data.
  virtual void openProfileFiles();
  virtual std::string profileText();
  virtual void saveProfileData();
  // The device class's profile data; none for a device without profiles.
  virtual profiles::CBasicProfiledata* profileStore() { return nullptr; }
  // Where failed saves of the profile data are reported (the page sets it).
  void setSaveFailureSink(profiles::ISaveFailureSink* sink) { saveFailureSink_ = sink; }
  // The profile the device works on, by identifier (the base name of its
  // document in userDataFolder()). The profile panel sets it at page set-up
  // and whenever another profile is applied; openProfileFiles builds the
  // profile path from it.
  virtual void setProfileId(const std::string& id) { profileId = id; }
  const std::string& getProfileId() const { return profileId; }
  // Reads the opened profile's documents into the profile data and shows
  // them on the page (no device traffic). Runs after openProfileFiles.
  virtual void reloadProfile() {}
  // 37, 38.
  virtual void setKindIndex(int index) { kindIndex = index; }
  virtual int getKindIndex() const { return kindIndex; }
  // 39. Stores the lighting parameters (subclasses also store them in the profile).
  virtual void setLightParams(const DeviceLightParams& params);
  // 40.
  virtual void setSelection(uint32_t value) { selection = value; }
  // Shared by every device class.
  virtual DeviceLightParams getLightParams() const;
  // Whether the tab should run the frame timer (kFrameIntervalMs) now: a
  // device whose frames go to the device always does; one that only paints
  // its preview needs it only while the user can see the page.
  virtual bool needsFrames() const { return streamEnabled != 0; }
  // The tab's frame period now: the frame interval while frames are needed,
  // the idle interval otherwise. A device that paints from its own thread
  // asks for less.
  virtual int frameIntervalMs() const;
  // True while the first-connect sequence is on its way and the page does
  // not show the device yet (the window holds its first show back for it).
  virtual bool arriving() const { return false; }
  // The tab that drives this device (set when the pages are built).
  void setTab(class CDeviceOptionUI* tab) { tab_ = tab; }
  CDeviceOptionUI* tab() const { return tab_; }
  // Feature panels of the page, bound at page set-up (see bindPanels).
  const std::vector<class IDevicePanel*>& panels() const { return panels_; }
  // Finds the named panels in the page, gives them this device and keeps
  // those that take notifications. Missing panels are skipped.
  void bindPanels(const std::vector<QString>& names);
  // Offers a notification to the page's panels; true when one handled it.
  bool forwardNotify(skin::TNotifyUI& msg);
  // Tells every panel that the device's profile data changed.
  void refreshPanels();

  // ---- device I/O -------------------------------------------------------------
  // Posts a command sequence: work(channel) runs on the device's command
  // worker, behind every sequence posted before; it must use nothing of the
  // window thread's state (copy what it needs into the closure). Its result
  // (a type with an int member `result`, the sequence result) comes back to
  // the window thread, where done runs, unless the connection has ended by
  // then. False, and nothing is posted, while the channel is closed.
  template <typename R>
  bool postCommands(std::function<R(transport::HidChannel&)> work, std::function<void(R&)> done,
                    SequenceKind kind = SequenceKind::Write);
  // Whether the device answered its last command sequence.
  bool isAnswering() const { return answering_; }
  // Whether the input thread listens on the notify interface.
  bool listening() const { return inputWorker_.running(); }
  // The command interface has been opened or has gone (the channel is closed
  // already): queued sequences are dropped and the worker stops; results of
  // the old connection are ignored.
  void commandInterfaceOpened();
  void commandInterfaceGone();
  // At exit: lets queued sequences finish for up to drainMs while the device
  // answers, then drops the rest and stops the worker. A sequence still
  // waiting on the device is cut short (the channel is closed and opened
  // again), so the caller can send its own commands right after.
  void finishCommands(int drainMs);
  // Blocks until the queue is empty and the results have been handled
  // (tests and tools only: the window thread waits).
  bool waitForCommands(int timeoutMs);

  // ---- non-virtual operations ---------------------------------------------
  void setKeyCount(int n);
  void setLightCount(int n);
  void setPageXml(const QString& path) { pageXml = path; }
  void setLightFilePrefix(const std::string& prefix) { lightFilePrefix = prefix; }
  void setTypeName(const std::string& name) { typeName = name; }
  void setOwnerWindow(QWidget* window) { ownerWindow = window; }
  void setPowerControl(CMpDevicePowerUI* control);
  void setInterfaceRow(const DeviceInterfaceRow& row);
  void setStreamEnabled(bool on) { streamEnabled = on ? 1 : 0; }
  bool isStreamEnabled() const { return streamEnabled != 0; }
  // "<exe dir>/DefaultData/<typeName>.Json".
  std::string defaultDataPath() const;
  // "<user data>/KAVRO TR-P40 Mechanical Keyboard/<typeName>/", created level by level.
  std::string userDataFolder() const;
  // The folder of the program's executable (resources live beside it).
  static std::string programFolder();

  // A copy of the colour model (taken under the lighting lock).
  std::vector<lighting::LedColor> ledSnapshot() const;
  CMpDevicePowerUI* getPowerControl() const { return powerControl; }
  // The status block of the last successful power poll of this connection;
  // false before the first one.
  bool lastPowerStatus(std::array<uint8_t, kPowerStatusBytes>* out) const;
  const DeviceInterfaceRow& getInterfaceRow() const { return interfaceRow; }
  widgets::CDeviceKeyButtonUI* keyButton(size_t n) const { return n < keyButtons.size() ? keyButtons[n] : nullptr; }
  widgets::CDeviceKeyButtonUI* lightButton(size_t n) const {
    return n < lightButtons.size() ? lightButtons[n] : nullptr;
  }

  // ---- fields ---------------------------------------------------------------
  transport::HidChannel channel;        // the vendor command interface
  transport::HidChannel notifyChannel;  // the second interface, read by the input thread
  QString pageXml;
  std::string lightFilePrefix;
  std::string typeName;
  std::string profileId;  // see setProfileId
  std::array<uint8_t, kDeviceInfoBytes> deviceInfo{};
  int keyCount = 0;
  int lightCount = 0;
  std::vector<widgets::CDeviceKeyButtonUI*> keyButtons;
  std::vector<widgets::CDeviceKeyButtonUI*> lightButtons;
  std::vector<std::array<uint8_t, kLedAuxBytes>> ledAux;
  std::map<int, int> keyToTablePos, keyToLed, keyFunctionMap;
  uint32_t lightParam3 = 0, lightParam4 = 0;
  int streamEnabled = 1;
  int secondEnable = 1;
  int hasPowerStatus = 0;
  int functionMode = 1;
  int kindIndex = 0;
  int deviceType = 0, role = 0;
  int thirdValue = 0;
  uint32_t selection = 0;
  DeviceInterfaceRow interfaceRow;
  QPointer<QWidget> ownerWindow;
  CMpDevicePowerUI* powerControl = nullptr;

 protected:
  // Keeps a status block read by a subclass's own power poll (see lastPowerStatus).
  void notePowerStatus(const std::array<uint8_t, kPowerStatusBytes>& status) {
    powerStatus_ = status;
    powerStatusRead_ = true;
  }
  // The lighting engine state and parameters; guarded by lightMutex_.
  lighting::EngineState engine_;
  lighting::LightParams params_;
  mutable std::mutex lightMutex_;
  // Two locks for the subclasses' own data (per-key list, custom steps).
  std::mutex dataLockA_, dataLockB_;

  // Streams a frame unless a failed frame asked for a pause (the window
  // thread is never put to sleep for it).
  void sendFrame(const std::vector<lighting::LedColor>& frame);
  // Copies a preview frame into the colour model, as many LEDs as both
  // have; the caller holds the preview's lock.
  void copyToLeds(const std::vector<lighting::LedColor>& frame);
  // Paints the visible light buttons from a frame.
  void paintLightButtons(const std::vector<lighting::LedColor>& frame);
  // Sends a numbered message to the owner window, if there is one.
  void sendToOwner(unsigned msg, uintptr_t wParam, intptr_t lParam);
  // Saves the profile data; a failure goes to the save failure sink and the
  // data keeps the unsaved state. True when saved.
  bool saveChecked(profiles::CBasicProfiledata& data);
  // The device answers again after it had not: read its state back so the
  // page shows what the device really has. The base has nothing to read.
  virtual void reanswered() {}
  // Asks the silent device again (every kSilentProbeMs); the base sends
  // nothing, so the state changes with the next user action.
  virtual void probeSilentDevice() {}
  // Shows or hides the page's status line.
  virtual void showAnswering(bool answering);
  // Closes the channel and stops the command worker; for destructors, which
  // must not leave a sequence running while their members go.
  void stopCommandWorker();
  // A usage the notify interface reported, on the input thread.
  virtual void handleNotifyUsage(uint16_t usage) { (void)usage; }
  // Stops the input thread and closes the notify interface. Destructors
  // call it too: the thread must not hand a usage to a class whose members
  // are gone.
  void stopInput();
  // Arms a one-shot tab timer (kTimerRefresh and the like) from any thread:
  // timers belong to the window thread, so the call is queued to it and
  // dropped if the device is gone by then.
  void armTabTimerQueued(int id, int ms);
  // The debug line the input thread writes when it ends.
  const char* inputExitLine_ = "MS设备同步线程设定退出";

 private:
  profiles::ISaveFailureSink* saveFailureSink_ = nullptr;
  skin::CTabLayoutUI* functionSwitch_ = nullptr;
  skin::CTabLayoutUI* keyFunctionSwitch_ = nullptr;
  bool switchesLooked_ = false;
  CDeviceOptionUI* tab_ = nullptr;
  std::vector<IDevicePanel*> panels_;
  uint64_t framePauseUntil_ = 0;

  void noteSequenceResult(int result, SequenceKind kind);
  void onProbeTimer();
  // Queues a result to the window thread; dropped when the object is gone.
  void deliver(std::function<void()> handle) {
    QMetaObject::invokeMethod(this, std::move(handle), Qt::QueuedConnection);
  }

  DeviceCommandQueue commands_;
  uint64_t connection_ = 0;  // changes whenever the command interface opens or goes
  bool answering_ = true;
  int sequencesPending_ = 0;  // posted and not yet back, light frames aside
  bool statusPollPending_ = false;
  bool powerStatusRead_ = false;
  std::array<uint8_t, kPowerStatusBytes> powerStatus_{};
  bool framePending_ = false;
  std::mutex frameMutex_;
  std::vector<uint8_t> nextFrame_;  // the newest frame waiting for the worker
  // The last frame handed to the worker and when: an unchanged frame is sent
  // again only after kFrameRefreshMs (window thread only).
  std::vector<uint8_t> lastFrame_;
  uint64_t lastFrameAtMs_ = 0;
  QTimer probeTimer_;
  DeviceWorker inputWorker_;
};

template <typename R>
bool CHalvionUSBDevice::postCommands(std::function<R(transport::HidChannel&)> work, std::function<void(R&)> done,
                                     SequenceKind kind) {
  if (!channel.isConnected()) return false;
  commands_.start();
  const uint64_t connection = connection_;
  const bool posted = commands_.post([this, work = std::move(work), done = std::move(done), connection, kind]() mutable {
    auto result = std::make_shared<R>(work(channel));
    deliver([this, result, done = std::move(done), connection, kind] {
      if (connection != connection_) return;  // the connection it belonged to has ended
      if (kind != SequenceKind::Background) --sequencesPending_;
      noteSequenceResult(result->result, kind);
      if (done) done(*result);
    });
  });
  if (posted && kind != SequenceKind::Background) ++sequencesPending_;
  return posted;
}

}  // namespace kavro::devices
