#include "app/cli_main.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/app_messages.h"
#include "app/cli_bus_backend.h"
#include "app/cli_request.h"
#include "app/cli_run.h"
#include "app/control_registry.h"
#include "app/device_scripts.h"
#include "app/main_wnd.h"
#include "app/main_wnd_settings.h"
#include "app/single_instance.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "platform/debug.h"
#include "profiles/save_failure.h"
#ifdef KAVRO_HAVE_PANELS
#include "panels/device_profile.h"
#endif
#include "skin/resource_manager.h"
#ifdef KAVRO_HAVE_SIM
#include "sim/demo.h"
#endif

namespace kavro::app {

namespace {

// Without a window the devices found at start are waited for this long.
constexpr int kHeadlessSettleMs = 4000;
constexpr int kHeadlessPollMs = 20;

// Qt's own warnings (a window raised without a window system) are not for
// the user of a command; they go to the debug output.
void toDebugOutput(QtMsgType, const QMessageLogContext&, const QString& text) {
  dbg::printf("%s\n", qUtf8Printable(text));
}

void print(const cli::Outcome& o) {
  if (!o.out.empty()) std::fputs(o.out.c_str(), stdout);
  if (!o.err.empty()) std::fputs(o.err.c_str(), stderr);
  std::fflush(stdout);
}

// Without a window nobody could close a message about a failed save: the
// failures are kept and make the command fail instead.
class FailedSaves : public profiles::ISaveFailureSink {
 public:
  void saveFailed(const std::string& path, profiles::SaveFailure) override { paths.push_back(path); }
  std::vector<std::string> paths;
};

#ifdef KAVRO_HAVE_PANELS
// Nor a question or a notice of the profile bar: nothing is asked, and the
// notices (macros that did not fit) go to the debug output; the command
// reports the same failure itself.
class QuietPrompts : public panels::IProfilePrompts {
 public:
  QString askImportPath() override { return {}; }
  QString askExportPath(const QString&) override { return {}; }
  void showNotice(const QString& text) override { dbg::printf("%s\n", qUtf8Printable(text)); }
  bool askConfirmation(const QString&) override { return false; }
};
#endif

// The program's device code without a window: the main window is built
// but never shown; its device pages open and read the devices as usual.
class HeadlessProgram {
 public:
  explicit HeadlessProgram(const cli::Request& request) : simulate_(request.simulate) {}
  ~HeadlessProgram() {
    service_.reset();
    window_.reset();  // the exit sequence, as when the program ends
#ifdef KAVRO_HAVE_SIM
    if (!simulate_.empty()) sim::stopDemo();
#endif
    skin::CResourceManager::GetInstance().Release();
  }

  // False with *error when the program cannot run here.
  bool start(std::string* error) {
    instance_ = std::make_unique<SingleInstance>(QString::fromLatin1(kInstanceMutexName));
    if (!instance_->acquire()) {
      *error = "Kavro Config is running but does not answer on the session bus";
      return false;
    }
    registerControls(QCoreApplication::applicationDirPath() + "/skin/");
    registerInstanceMessage();
    registerProgramMessages();
    if (!startDemo(error)) return false;
    QApplication::setQuitOnLastWindowClosed(false);
    window_ = std::make_unique<CMainWnd>();
    window_->setTrayMode(CMainWnd::TrayMode::None);
    window_->setAttribute(Qt::WA_DontShowOnScreen);
    // A command is no time to ask the update service.
    window_->settingsOptions().backgroundCheck = false;
    if (!window_->Create(nullptr, QString::fromLatin1(kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572)) {
      *error = "the device code could not start";
      return false;
    }
    service_ = std::make_unique<DeviceScriptService>(window_.get());
    settle();
    reportSavesHere();
    return true;
  }
  DeviceScriptService& service() { return *service_; }
  const std::vector<std::string>& failedSaves() const { return saves_.paths; }

 private:
  // The emulated devices --simulate names; false (and why) when they cannot start.
  bool startDemo(std::string* error) {
    if (simulate_.empty()) return true;
    // The demo headset's audio goes to the simulated card, as in the window.
    if (!qEnvironmentVariableIsSet("KAVRO_AUDIO_SIM")) qputenv("KAVRO_AUDIO_SIM", "1");
#ifdef KAVRO_HAVE_SIM
    std::string why;
    if (!sim::startDemo(simulate_, &why, sim::defaultDemoStateFolder())) {
      *error = "--simulate: " + why;
      return false;
    }
#endif
    return true;
  }
  // Waits for the first device scan and the arrival of the devices it found.
  void settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kHeadlessSettleMs && !settled()) {
      // Sleeps until something happens or the next look, instead of spinning.
      QEventLoop wait;
      QTimer::singleShot(kHeadlessPollMs, &wait, &QEventLoop::quit);
      wait.exec();
    }
  }
  void reportSavesHere() {
    devices::CDeviceManager* m = window_->deviceManager();
    if (!m) return;
    for (devices::CHalvionUSBDevice* d : m->allDevices()) {
      d->setSaveFailureSink(&saves_);
#ifdef KAVRO_HAVE_PANELS
      for (devices::IDevicePanel* p : d->panels()) {
        if (auto* panel = dynamic_cast<panels::CDeviceProfileUI*>(p)) {
          panel->setSaveFailureSink(&saves_);
          panel->setPrompts(&prompts_);
        }
      }
#endif
    }
  }
  bool settled() const {
    if (!window_->firstShowReleased()) return false;
    devices::CDeviceManager* m = window_->deviceManager();
    if (!m) return true;
    for (devices::CHalvionUSBDevice* d : m->allDevices()) {
      if (d->channel.isConnected() && d->arriving()) return false;
    }
    return true;
  }

  std::string simulate_;
  FailedSaves saves_;
#ifdef KAVRO_HAVE_PANELS
  QuietPrompts prompts_;
#endif
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<CMainWnd> window_;
  std::unique_ptr<DeviceScriptService> service_;
};

int runOverBus(const cli::Request& request) {
  BusBackend backend;
  const cli::Outcome o = cli::runRequest(request, backend);
  print(o);
  return o.exitCode;
}

int runHeadless(const cli::Request& request) {
  HeadlessProgram program(request);
  std::string error;
  if (!program.start(&error)) {
    print(cli::Outcome{cli::kExitDeviceError, {}, "kavro-config: " + error + "\n"});
    return cli::kExitDeviceError;
  }
  LocalBackend backend(program.service());
  cli::Outcome o = cli::runRequest(request, backend);
  if (o.exitCode == cli::kExitOk && !program.failedSaves().empty()) {
    o.exitCode = cli::kExitDeviceError;
    o.err += "kavro-config: the device took the change, but it could not be saved to " + program.failedSaves().front() + "\n";
  }
  print(o);
  return o.exitCode;
}

}  // namespace

std::vector<std::string> argumentList(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

int runCommandLine(int argc, char** argv) {
  dbg::initFromEnvironment();
  const cli::ParseResult parsed = cli::parseArguments(argumentList(argc, argv));
  if (!parsed.ok) {
    print(cli::usageError(parsed.error));
    return cli::kExitUsage;
  }
  const cli::Request& request = parsed.request;
  if (request.debug) dbg::setEnabled(true);
  qInstallMessageHandler(toDebugOutput);
  if (request.command == cli::Command::Help) {
    std::fputs(cli::helpText(request.helpTopic).c_str(), stdout);
    return cli::kExitOk;
  }
  // A command shows nothing, so it needs no display either.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (BusBackend::programRuns()) return runOverBus(request);
  return runHeadless(request);
}

}  // namespace kavro::app
