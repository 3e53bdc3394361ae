#include "app/main_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/exit_sequence.h"
#include "app/inter_program.h"
#include "app/main_wnd_panels.h"
#include "app/main_wnd_settings.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/discovery/device_tables.h"
#include "hook/input_hook.h"
#include "platform/debug.h"
#include "platform/input_settings.h"
#include "skin/controls.h"
#include "skin/menu.h"
#include "skin/resource_manager.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
// Class names that build a further layout file and return its root.
const QHash<QString, QString>& xmlControlFiles() {
  static const QHash<QString, QString> files = {
      {"deviceprofileui", "XML\\CustomControlXML\\DeviceProfile.xml"},
      {"lightsetcontrolui", "XML\\CustomControlXML\\LightControl.xml"},
      {"voice6533setcontrolui", "XML\\CustomControlXML\\Voice6533Control.xml"},
      {"magicsetcontrolui", "XML\\CustomControlXML\\MagicControl.xml"},
      {"keysetcontrolui", "XML\\CustomControlXML\\KeySetControl.xml"},
      {"macrosetcontrolui", "XML\\CustomControlXML\\MacroControl.xml"},
      {"shootkeysetcontrolui", "XML\\CustomControlXML\\ShootControl.xml"},
  };
  return files;
}

// Device and panel classes: created by the class once it has registered
// itself with the control factory; until then the name creates nothing.
const QStringList& factoryClasses() {
  static const QStringList names = {
      "halvionmousepaddevice", "halvionhs6533device", "halvionmousedevice", "halvionkeyboarddevice",
      "deviceprofile",         "lightcontrol",        "magiccontrol",       "voice6533control",
      "keysetcontrol",         "shootcontrol",
  };
  return names;
}

constexpr size_t kKeyboardKind = 1;  // index of the keyboard row of the kind table

bool isType(const TNotifyUI& msg, const char* type) { return msg.sType == QLatin1String(type); }
}  // namespace

CMainWnd::CMainWnd() : inputBackend_(input::makeDesktopInputSettings()) {}

CMainWnd::~CMainWnd() {
  runExitSequence();
  delete tray_;
  devices_.reset();
  inputQueue_.reset();
}

void CMainWnd::setInputSettings(std::shared_ptr<input::InputSettingsBackend> backend) {
  inputBackend_ = std::move(backend);
}

// ---- control creation --------------------------------------------------------------

CControlUI* CMainWnd::CreateControl(const QString& className) {
  if (CControlUI* c = createCustomControl(className)) return c;
  const QString key = className.toLower();
  const auto file = xmlControlFiles().constFind(key);
  if (file != xmlControlFiles().constEnd()) return buildXmlControl(file.value());
  if (factoryClasses().contains(key)) return CControlFactory::GetInstance()->CreateControl(className);
  return nullptr;
}

CControlUI* CMainWnd::buildXmlControl(const QString& file) {
  const QString path = CResourceManager::GetInstance().GetResourcePath() + QString(file).replace('\\', '/');
  if (!QFileInfo::exists(path)) return nullptr;  // the panel comes with later work
  CDialogBuilder builder;
  return builder.Create(file, this, &pm_);
}

// ---- notifications -------------------------------------------------------------------

void CMainWnd::Notify(TNotifyUI& msg) {
  // Once the exit has begun the devices get only the exit blocks (hiding the
  // window moves the focus, and panels commit their fields on that).
  if (exitDone_) return;
  if (isType(msg, DUI_MSGTYPE_WINDOWINIT)) return onWindowInit();
  if (handleHeadsetNotify(msg)) return;
  if (isType(msg, DUI_MSGTYPE_CLICK)) return OnClick(msg);
  if (handleTabNotify(msg)) return;
  if (handleMouseSettings(msg)) return;
  if (handleInputSetting(msg)) return;
  if (handleKeyboardSettings(msg)) return;
  routeToPanels(msg);
}

void CMainWnd::routeToPanels(TNotifyUI& msg) {
  if (!devices_) return;
  if (devices::CHalvionUSBDevice* d = devices_->selectedDevice()) d->forwardNotify(msg);
}

// The device strip: choosing a tab shows its page; the synchronisation check
// box changes the tab's icons.
bool CMainWnd::handleTabNotify(TNotifyUI& msg) {
  if (!devices_ || !msg.pSender || !isType(msg, DUI_MSGTYPE_SELECTCHANGED)) return false;
  const QString name = msg.pSender->GetName();
  if (name != QLatin1String("device_select") && name != QLatin1String("synchro_device_select")) return false;
  for (devices::CDeviceOptionUI* tab : devices_->tabs()) {
    if (FindSubControlByName(tab, name) != msg.pSender) continue;
    if (name == QLatin1String("synchro_device_select")) onSynchroCheck(tab);
    else if (tab->isSelected()) devices_->selectTab(tab);
    return true;
  }
  return false;
}

void CMainWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const QString name = msg.pSender->GetName();
  if (name == QLatin1String("closebtn")) closeSettingsWindow(), hideOrMinimise();
  else if (name == QLatin1String("nodevice_ok_btn")) hideOrMinimise();
  else if (name == QLatin1String("minbtn")) HandleMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  else if (name == QLatin1String("maxbtn")) HandleMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  else if (name == QLatin1String("restorebtn")) HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  else if (name == QLatin1String("control_light_status")) toggleLightControl();
  else if (name == QLatin1String(kTitleMenuButton)) showTitleMenu();
  else if (name == QLatin1String("skinbtn")) openSkinFrame();
  else if (name == QLatin1String("setbtn")) openSettingsWindow(false);
  else if (handleKeyboardClick(name)) return;
  else if (handleMacroClick(name)) return;
  else {
    routeToPanels(msg);
    // A lighting panel without a handler of its own leaves the click here.
    if (name == QLatin1String("deng_same_mode") && !lightPanelHandlesSameMode(devices_.get())) synchroniseLighting();
  }
}

// With a tray the window hides and the program runs on there; without one a
// hidden window could never be found again, so it is minimised instead.
void CMainWnd::hideOrMinimise() {
  if (tray_) hide();
  else HandleMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

// ---- initialisation -------------------------------------------------------------------

void CMainWnd::InitWindow() {
  onWindowInit();
  ResizeClient(workingSize().width(), workingSize().height());
  CenterWindow();
  firstShowStartMs_ = QDateTime::currentMSecsSinceEpoch();
  checkFirstShow();
}

// ---- first show ------------------------------------------------------------------------

// The first frame the user sees is the finished window: a show asked for
// before the first device scan has been handled and the devices found by it
// have read their settings waits for that (at most kFirstShowMaxWaitMs).
void CMainWnd::setVisible(bool visible) {
  if (!firstShowReleased_ && initDone_) {
    showWanted_ = visible;
    if (visible) return;
  }
  CWindowWnd::setVisible(visible);
}

bool CMainWnd::pagesReady() const {
  if (!firstScanSeen_ || !devices_) return false;
  for (devices::CDeviceOptionUI* tab : devices_->tabs()) {
    if (!tab->IsVisible()) continue;
    if (tab->HasTimer(devices::kTimerConnected)) return false;
    if (tab->device() && tab->device()->arriving()) return false;
  }
  return true;
}

void CMainWnd::checkFirstShow() {
  if (firstShowReleased_) return;
  const bool late = QDateTime::currentMSecsSinceEpoch() - firstShowStartMs_ >= kFirstShowMaxWaitMs;
  if (!pagesReady() && !late) {
    QTimer::singleShot(kFirstShowPollMs, this, [this] { checkFirstShow(); });
    return;
  }
  firstShowReleased_ = true;
  if (!showWanted_) return;
  CWindowWnd::setVisible(true);
  dbg::stage("window shown");
  if (!testAttribute(Qt::WA_ShowWithoutActivating)) {
    raise();
    activateWindow();
  }
}

void CMainWnd::onWindowInit() {
  if (initDone_) return;
  initDone_ = true;
  closeBtn_ = FindControl("closebtn");
  maxBtn_ = FindControl("maxbtn");
  restoreBtn_ = FindControl("restorebtn");
  minBtn_ = FindControl("minbtn");
  skinBtn_ = FindControl("skinbtn");
  gameModeBtn_ = FindControl("gamemodebtn");
  cloudBtn_ = FindControl("cloudbtn");
  smartEyesBtn_ = FindControl("smarteyesbtn");
  setBtn_ = FindControl("setbtn");
  loadLanguage();
  if (bus_) bus_->announceLightingControl(1, 1);
  if (CControlUI* status = FindControl("control_light_status")) status->SetText(QString::fromUtf8(kLightControlOnText));

  inputQueue_ = std::make_unique<input::InputSettingsQueue>(inputBackend_);
  registerPanelControls();
  registerMacroPanels();
  devices_ = std::make_unique<devices::CDeviceManager>(this, this);
  devices_->onArrival = [this] {
    connectPanels();
    updateRepaintFlags();
    applyLightControl();
    bringToFront(0, 0);
  };
  const UINT instance = registeredMessages().instance;
  devices_->onFirstScan = [this, instance] {
    firstScanSeen_ = true;
    if (instance != 0) PostMessage(instance, 0, 0);
    else updateNoDeviceArea();
  };
  devices_->buildPages();
  connectPanels();
  connectMacroPanels();
  applyLightControl();
  updateRepaintFlags();
  devices_->startThreads();
  startUpdateCheck();
  SetTimer(kTimerFitScreen, kFitScreenDelayMs);
  createTray();
  watchScreens();
  watchPower();
  updateNoDeviceArea();
}

// The stored skin and language (the desktop's language until the settings
// window stores a choice of its own).
void CMainWnd::loadLanguage() { applyStartSettings(); }

// ---- messages ---------------------------------------------------------------------------

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  const RegisteredMessages& reg = registeredMessages();
  handled = true;
  if (handleHookMessage(msg, wParam, lParam)) return 0;
  if (msg != 0 && msg == reg.instance) {
    bringToFront(wParam, lParam);
    return 0;
  }
  if (msg != 0 && msg == reg.updateStatus) return handleSettingsMessage(msg, wParam, lParam), 0;
  if (msg != 0 && msg == reg.lightRequest) {
    if (wParam == 1 && (lParam == 0 || lParam == 1)) setLightControl(lParam == 1);
    return 0;
  }
  if (msg == WM_POWERBROADCAST) {
    if (wParam == PBT_APMSUSPEND) onSuspend();
    else if (wParam == PBT_APMRESUMEAUTOMATIC) onResume();
    return 0;
  }
  const bool mine = msg == WM_DISPLAYCHANGE || msg == WM_DPICHANGED || msg == WM_TIMER || msg == WM_TRAYNOTIFY ||
                    msg == WM_MENUCLICK || msg == WM_SHOWPROGRESS || msg == WM_INTERFACE_ARRIVED ||
                    msg == WM_INTERFACE_GONE;
  if (awake_ && handleSettingsMessage(msg, wParam, lParam)) return 0;
  // While the system sleeps the window leaves these alone.
  if (!mine || !awake_) {
    handled = false;
    return CWindowWnd::HandleCustomMessage(msg, wParam, lParam, handled);
  }
  switch (msg) {
    case WM_DISPLAYCHANGE: onDisplayChanged(); break;
    case WM_DPICHANGED: onDpiChanged(); break;
    case WM_TIMER: handled = handleTimer(static_cast<int>(wParam)); break;
    case WM_TRAYNOTIFY:
      if (lParam == WM_LBUTTONUP) toggleFromTray();
      else if (lParam == WM_RBUTTONUP) SetTimer(kTimerTrayMenu, kTrayMenuDelayMs);
      break;
    case WM_MENUCLICK: {
      const auto* cmd = reinterpret_cast<const MenuCmd*>(lParam);
      if (cmd && cmd->szName == QLatin1String("exit")) exitProgram();
      else if (cmd && cmd->szName == QLatin1String("show") && isHidden()) toggleFromTray();
      break;
    }
    case WM_SHOWPROGRESS:
      if (CControlUI* p = FindControl("setting_progress")) p->SetVisible(true);
      break;
    case WM_INTERFACE_ARRIVED:
      if (devices_) devices_->interfaceArrivedOnWindow(static_cast<int>(wParam));
      break;
    case WM_INTERFACE_GONE:
      if (devices_) devices_->interfaceGoneOnWindow(static_cast<int>(wParam));
      break;
  }
  return 0;
}

bool CMainWnd::handleTimer(int id) {
  if (id == kTimerFitScreen) {
    KillTimer(id);
    fitToScreen();
    update();
    return true;
  }
  if (id == kTimerTrayMenu) {
    KillTimer(id);
    showTrayMenu();
    return true;
  }
  return false;
}

// ---- exit -----------------------------------------------------------------------------------

void CMainWnd::exitProgram() {
  exiting_ = true;
  runExitSequence();
  Close(0);
  QCoreApplication::quit();
}

// Once per run: the window goes, the threads stop, and the first keyboard is
// told that the program ends and left with the user's colour.
void CMainWnd::runExitSequence() {
  if (exitDone_) return;
  exitDone_ = true;
  dbg::write("退出测试");
  hide();
  stopUpdateCheck();
  closeSettingsWindow();
  if (!devices_) return;
  devices_->stopThreads();
  if (auto* keyboard = qobject_cast<devices::CHalvionKeyboardDevice*>(devices_->deviceOfKind(kKeyboardKind))) {
    leaveKeyboard(*keyboard);
  }
}

void CMainWnd::closeEvent(QCloseEvent* e) {
  // Closed by the desktop (log-out, a window manager's close): end as through
  // the tray menu.
  if (!exiting_) {
    exiting_ = true;
    runExitSequence();
    QCoreApplication::quit();
  }
  CWindowWnd::closeEvent(e);
}

}  // namespace kavro::app
