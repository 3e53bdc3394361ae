// The main window's part in macro recording and key capture: it owns the
// input hook, starts and stops it for the macro panel's record and stop
// buttons, the step menu and the key assignment panel's key edit (message
// 1054), and hands every reported event to the panel of the current page.

#include "app/app_settings.h"
#include "app/main_wnd.h"
#include "devices/device_base.h"
#include "devices/device_manager.h"
#include "hook/hook_messages.h"
#include "hook/input_hook.h"
#include "platform/debug.h"
#include "skin/menu.h"
#ifdef KAVRO_HAVE_PANELS
#include "panels/key_set_control.h"
#include "panels/macro_control.h"
#endif

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kRecordButton[] = "macro_btn_starredio";
constexpr char kStopButton[] = "macro_btn_stopredio";
constexpr char kCaptureHint[] = "macro_capture_hint";
}  // namespace

#ifdef KAVRO_HAVE_PANELS

void CMainWnd::registerMacroPanels() {
  hook::registerHookMessages();
  panels::registerMacroPanel();
  panels::registerKeySetPanel();
}

// The macro list and the key panel of a page follow each other: a changed
// list is shown in the key panel's macro combo, and deleting a macro that
// keys used runs the key panel's full save.
void CMainWnd::connectMacroPanels() {
  if (!devices_) return;
  for (devices::CHalvionUSBDevice* d : devices_->allDevices()) {
    auto* macro = panels::CMacroControlUI::panelOf(d);
    auto* keys = panels::CKeySetControlUI::panelOf(d);
    if (!macro) continue;
    QPointer<panels::CKeySetControlUI> keyPanel(keys);
    macro->setMacroListChanged([keyPanel] {
      if (keyPanel) keyPanel->refreshMacroNames();
    });
    macro->setFullSave([keyPanel] {
      if (keyPanel) keyPanel->saveToDevice();
    });
  }
}

// Starts or ends capture in a mode. While it runs, the record button and
// the lists of the macro panel are locked by the panel itself; where the
// desktop lets us capture only while our window has focus, the panel says so.
void CMainWnd::setHook(std::uint32_t mode, bool enable) {
  if (!hook_) hook_ = std::make_unique<hook::InputHook>();
  if (enable) {
    // The settings choose the kernel devices as source; read at every start
    // so a change there takes effect with the next capture.
    hook_->setPreferredSource(storedSystemWideCapture() ? hook::CaptureSource::KernelDevices
                                                        : hook::CaptureSource::WindowGrab);
    if (hook_->start(0, mode, this, true, true) != 1) dbg::write("input capture could not be started\n");
  } else {
    hook_->stop();
  }
  devices::CHalvionUSBDevice* device = devices_ ? devices_->selectedDevice() : nullptr;
  if (CControlUI* hint = device ? device->FindControlByName(QString::fromLatin1(kCaptureHint)) : nullptr) {
    hint->SetVisible(enable && hook_->active() && hook_->captureNeedsFocus());
  }
}

void CMainWnd::startMacroRecording(hook::RecordDelayMode delayMode, std::uint32_t hookMode) {
  auto* panel = panels::CMacroControlUI::panelOf(devices_ ? devices_->selectedDevice() : nullptr);
  if (!panel || !panel->startRecording(delayMode)) return;
  setHook(hookMode, true);
}

bool CMainWnd::handleMacroClick(const QString& name) {
  if (name != QLatin1String(kRecordButton) && name != QLatin1String(kStopButton)) return false;
  auto* panel = panels::CMacroControlUI::panelOf(devices_ ? devices_->selectedDevice() : nullptr);
  if (!panel) return false;
  if (name == QLatin1String(kRecordButton)) {
    const hook::RecordCommand cmd = hook::recordButtonCommand(panel->constantTimeChecked());
    startMacroRecording(cmd.delayMode, cmd.hookMode);
  } else {
    panel->stopRecording();
    setHook(hook::kModeMacro, false);
  }
  return true;
}

// Items of the step menu: recording into the selected step, or inserted
// mouse buttons. False for items of other menus.
bool CMainWnd::handleMacroMenu(const QString& item) {
  auto* panel = panels::CMacroControlUI::panelOf(devices_ ? devices_->selectedDevice() : nullptr);
  if (!panel) return false;
  if (const auto cmd = hook::recordMenuCommand(item.toStdString(), panel->constantTimeChecked())) {
    startMacroRecording(cmd->delayMode, cmd->hookMode);
    return true;
  }
  return panel->insertMouseItem(item);
}

// The hook messages and message 1054; false for every other message.
bool CMainWnd::handleHookMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == hook::kHookOnOffMessage) {
    setHook(hook::kModeSingleKey, wParam == 1);
    return true;
  }
  if (msg == WM_MENUCLICK) {
    const auto* cmd = reinterpret_cast<const MenuCmd*>(lParam);
    return cmd && handleMacroMenu(cmd->szName);
  }
  const auto message = hook::hookMessageForId(msg);
  const auto route = message ? hook::routeForMessage(*message) : std::nullopt;
  if (!route) return false;
  devices::CHalvionUSBDevice* device = devices_ ? devices_->selectedDevice() : nullptr;
  const auto type = static_cast<std::uint32_t>(wParam);
  switch (route->target) {
    case hook::HookTarget::KeyCapture:
      if (auto* panel = panels::CKeySetControlUI::panelOf(device); panel && lParam) {
        panel->captureKey(hook::KeyInput{type, *hook::keyboardRecordOf(lParam)});
      }
      break;
    case hook::HookTarget::RecordKey:
      if (auto* panel = panels::CMacroControlUI::panelOf(device); panel && lParam) {
        panel->recordKey(route->placement, hook::KeyInput{type, *hook::keyboardRecordOf(lParam)});
      }
      break;
    case hook::HookTarget::RecordMouse:
      if (auto* panel = panels::CMacroControlUI::panelOf(device); panel && lParam) {
        panel->recordMouse(route->placement, hook::MouseInput{type, *hook::mouseRecordOf(lParam)});
      }
      break;
    case hook::HookTarget::Consumed:
      break;
  }
  return true;
}

#else  // a build without the panels: nothing to record into

void CMainWnd::registerMacroPanels() { hook::registerHookMessages(); }
void CMainWnd::connectMacroPanels() {}
void CMainWnd::setHook(std::uint32_t, bool) {}
void CMainWnd::startMacroRecording(hook::RecordDelayMode, std::uint32_t) {}
bool CMainWnd::handleMacroClick(const QString&) { return false; }
bool CMainWnd::handleMacroMenu(const QString&) { return false; }
bool CMainWnd::handleHookMessage(UINT, WPARAM, LPARAM) { return false; }

#endif

}  // namespace kavro::app
