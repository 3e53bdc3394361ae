#include "app/startup.h"

#include <QApplication>

#include "app/app_messages.h"
#include "app/cli_main.h"
#include "app/cli_request.h"
#include "app/dbus_devices.h"
#include "app/device_scripts.h"
#include "app/control_registry.h"
#include "app/exit_signals.h"
#include "app/inter_program.h"
#include "app/main_wnd.h"
#include "app/private_fonts.h"
#include "app/single_instance.h"
#include "platform/debug.h"
#include "skin/resource_manager.h"
#ifdef KAVRO_HAVE_SIM
#include "sim/demo.h"
#endif

namespace kavro::app {

StartOptions parseCommandLine(const QStringList& args) {
  StartOptions o;
  for (const QString& a : args) {
    if (a == "--debug") o.debug = true;
    else if (a.startsWith("--simulate=")) o.simulate = a.mid(int(strlen("--simulate=")));
    else if (a == "--simulate") o.simulate = QStringLiteral("all");
    else if (a == "--tray") o.startInTray = true;
  }
  return o;
}

namespace {

void startDemoDevices(const QString& kinds) {
  if (kinds.isEmpty()) return;
  // The demo headset's audio goes to the simulated card, unless the user chose.
  if (!qEnvironmentVariableIsSet("KAVRO_AUDIO_SIM")) qputenv("KAVRO_AUDIO_SIM", "1");
#ifdef KAVRO_HAVE_SIM
  std::string error;
  // Demo devices keep their memory in the user's data folder, as real ones
  // keep theirs in flash.
  if (!sim::startDemo(kinds.toStdString(), &error, sim::defaultDemoStateFolder())) {
    dbg::printf("--simulate: %s\n", error.c_str());
  }
#else
  dbg::write("--simulate: this build has no simulated devices\n");
#endif
}

void stopDemoDevices(const QString& kinds) {
  if (kinds.isEmpty()) return;
#ifdef KAVRO_HAVE_SIM
  sim::stopDemo();
#endif
}

}  // namespace

int runProgram(int argc, char** argv) {
  if (cli::isCommandLine(argumentList(argc, argv))) return runCommandLine(argc, argv);
  dbg::initFromEnvironment();
  QApplication app(argc, argv);
  const StartOptions options = parseCommandLine(QApplication::arguments().mid(1));
  if (options.debug) dbg::setEnabled(true);
  dbg::stage("toolkit ready");
  const QString programFolder = QApplication::applicationDirPath();

  std::vector<PrivateFont> fonts = loadPrivateFonts(programFolder);
  dbg::stage("fonts loaded");
  const skin::UINT instanceMessage = registerInstanceMessage();
  dbg::printf("软件标示：%d", instanceMessage);

  SingleInstance instance(QString::fromLatin1(kInstanceMutexName));
  if (!instance.acquire()) {
    instance.notifyRunning();
    releasePrivateFonts(fonts);
    return 0;
  }

  registerControls(programFolder + "/skin/");
  registerProgramMessages();
  dbg::stage("skin and language files read");
  startDemoDevices(options.simulate);
  dbg::stage("demo devices started");

  // The window hides to the tray and ends through its menu, not by closing.
  QApplication::setQuitOnLastWindowClosed(false);
  InterProgramBus bus;
  bus.start();
  auto* window = new CMainWnd;
  window->setInterProgramBus(&bus);
  window->Create(nullptr, QString::fromLatin1(kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572);
  dbg::stage("window and pages built");
  QObject::connect(&instance, &SingleInstance::activationRequested, window,
                   [window, instanceMessage](qulonglong w, qlonglong l) {
                     // A second start asks to see the window, also when it waits in the tray.
                     if (!window->isVisible()) window->ShowWindow(true);
                     window->PostMessage(instanceMessage, static_cast<skin::WPARAM>(w), static_cast<skin::LPARAM>(l));
                   });
  bus.setTarget(window);
  DeviceScriptService scripts(window);
  DeviceBusRegistry busDevices(&scripts, &bus);
  // Log-out, shutdown and Ctrl+C end the program like the tray's Exit.
  ExitSignals exitSignals;
  QObject::connect(&exitSignals, &ExitSignals::exitRequested, window, [window] { window->exitProgram(); });
  window->CenterWindow();
  window->ShowWindow(true);
  // Started at log-in, the program goes straight to the tray.
  if (options.startInTray) window->hideOrMinimise();
  app.exec();

  delete window;
  stopDemoDevices(options.simulate);
  skin::CResourceManager::GetInstance().Release();
  releasePrivateFonts(fonts);
  return 0;
}

}  // namespace kavro::app
