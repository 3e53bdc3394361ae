#pragma once
// CMainWnd: the program's only top-level window. It hosts one tab and page
// per device kind (built and kept by CDeviceManager), routes the skin's
// notifications to the selected device's panels, keeps the tray icon, owns
// the lighting-control switch and the lighting synchronisation, follows
// power, screen and DPI changes, applies the desktop input settings the
// pages choose, and tells the keyboard goodbye when it is destroyed.
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "skin/window.h"

class QSystemTrayIcon;
class QScreen;

namespace kavro::skin {
class CMenuWnd;
}
namespace kavro::input {
class InputSettingsBackend;
class InputSettingsQueue;
}  // namespace kavro::input
namespace kavro::hook {
class InputHook;
enum class RecordDelayMode : std::uint8_t;
}  // namespace kavro::hook
namespace kavro::devices {
class CDeviceManager;
class CHalvionUSBDevice;
class CDeviceOptionUI;
class CHalvionHS6533Device;
}  // namespace kavro::devices

namespace kavro::update {
struct UpdateItem;
}  // namespace kavro::update

namespace kavro::app {

class InterProgramBus;
class CSetWnd;
class CSkinFrame;
struct LanguageEntry;

// Window messages of the main window besides the registered ones.
inline constexpr skin::UINT WM_POWERBROADCAST = 0x0218;
inline constexpr skin::WPARAM PBT_APMSUSPEND = 4;
inline constexpr skin::WPARAM PBT_APMRESUMEAUTOMATIC = 18;
inline constexpr skin::UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr skin::UINT WM_TRAYNOTIFY = 1025;
inline constexpr skin::LPARAM WM_LBUTTONUP = 0x0202;
inline constexpr skin::LPARAM WM_RBUTTONUP = 0x0205;
inline constexpr skin::UINT WM_SHOWPROGRESS = 3072;
inline constexpr skin::UINT WM_INTERFACE_ARRIVED = 3090;
inline constexpr skin::UINT WM_INTERFACE_GONE = 3091;

// Timers of the main window.
inline constexpr int kTimerFitScreen = 1011;
inline constexpr int kFitScreenDelayMs = 100;
inline constexpr int kTimerTrayMenu = 1032;
inline constexpr int kTrayMenuDelayMs = 10;

// The menu of the title bar ("mainmenubtn"): its "exit" ends the program
// also where the desktop has no tray.
inline constexpr char kTitleMenuButton[] = "mainmenubtn";
inline constexpr char kTitleMenuFile[] = "title_menu.xml";

// The first show waits until the devices found at start have their pages
// filled, at most this long.
inline constexpr int kFirstShowMaxWaitMs = 1500;
inline constexpr int kFirstShowPollMs = 20;

inline constexpr int kMainWidth = 1350;
inline constexpr int kMainHeight = 810;

// Status texts of "control_light_status".
inline constexpr const char* kLightControlOnText = "控制灯光";
inline constexpr const char* kLightControlOffText = "不控制灯光";

class CMainWnd : public skin::CWindowWnd {
  Q_OBJECT
 public:
  enum class TrayMode { Auto, Force, None };

  CMainWnd();
  ~CMainWnd() override;
  QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }

  // ---- set-up before Create ------------------------------------------------------
  // Announcements go out on this bus (none: announcements are dropped).
  void setInterProgramBus(InterProgramBus* bus) { bus_ = bus; }
  // The desktop input settings backend (default: the desktop's own).
  void setInputSettings(std::shared_ptr<input::InputSettingsBackend> backend);
  // Auto asks the desktop whether a tray exists; tests force either answer.
  void setTrayMode(TrayMode mode) { trayMode_ = mode; }
  // Asks the user a question (a language key) with confirm and cancel; true
  // when confirmed. Default: the message dialog.
  void setConfirmation(std::function<bool(const QString&)> ask) { confirm_ = std::move(ask); }
  // Where the window's own notices (language keys) go; a message box by default.
  void setNotice(std::function<void(const QString&)> show) { notice_ = std::move(show); }
  // The settings window and the update check (main_wnd_settings.cpp, main_wnd_update.cpp).
  struct SettingsOptions;
  SettingsOptions& settingsOptions();
  CSetWnd* settingsWindow() const;
  CSkinFrame* skinFrame() const;
  bool hasUpdateMark() const;
  int languageIndex() const;

  // ---- builder callback and notifications ----------------------------------------
  skin::CControlUI* CreateControl(const QString& className) override;
  void Notify(skin::TNotifyUI& msg) override;

  // ---- state ------------------------------------------------------------------------
  devices::CDeviceManager* deviceManager() const { return devices_.get(); }
  bool lightControl() const { return lightControl_; }
  bool isAwake() const { return awake_; }
  bool hasTray() const { return tray_ != nullptr; }
  skin::CMenuWnd* titleMenu() const { return titleMenu_.get(); }
  bool pointerInside() const { return pointerInside_; }
  input::InputSettingsQueue* inputSettings() const { return inputQueue_.get(); }

  // ---- operations ---------------------------------------------------------------------
  // The "control_light_status" switch: flips lightControl, announces and applies it.
  void toggleLightControl();
  // Sets lightControl with its status text, then applies it (no announcement).
  void setLightControl(bool on);
  // Copies the selected device's lighting to every open device ("deng_same_mode").
  void synchroniseLighting();
  // 1350 x 810 (at most the screen's free area), centred, visibility kept.
  void fitToScreen();
  // The working size in toolkit pixels: 1350 x 810, at most the screen's free area.
  QSize workingSize() const;
  // Shows the hidden window, or hides the shown one (tray left click).
  void toggleFromTray();
  // Brings the window to the front (instance message, device arrival).
  void bringToFront(skin::WPARAM wParam, skin::LPARAM lParam);
  // Ends the program: the exit sequence, then the window closes and the loop ends.
  void exitProgram();
  // Runs once: debug line, threads stopped, exit notice and lighting block to the keyboard.
  void runExitSequence();

  // Hides the window to the tray (minimises it where there is no tray).
  void hideOrMinimise();
  // False while the first show waits for the pages of the devices found at
  // start (a show asked for meanwhile happens when they are ready).
  bool firstShowReleased() const { return firstShowReleased_; }
  void setVisible(bool visible) override;

 protected:
  skin::LRESULT HandleCustomMessage(skin::UINT msg, skin::WPARAM wParam, skin::LPARAM lParam, bool& handled) override;
  // Builds the pages and takes the working size before the window is first
  // shown, so that its first frame is the finished window.
  void InitWindow() override;
  void OnClick(skin::TNotifyUI& msg) override;
  void changeEvent(QEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private slots:
  void onPrepareForSleep(bool start);

 private:
  // main_wnd.cpp
  void onWindowInit();
  void loadLanguage();
  void routeToPanels(skin::TNotifyUI& msg);
  bool handleTabNotify(skin::TNotifyUI& msg);
  skin::CControlUI* buildXmlControl(const QString& file);
  bool handleTimer(int id);
  // main_wnd_lighting.cpp
  void applyLightControl();
  void setStreaming(bool on);
  void updateRepaintFlags();
  void onSuspend();
  void onResume();
  void connectPanels();
  void onSynchroCheck(devices::CDeviceOptionUI* tab);
  // main_wnd_tray.cpp
  void createTray();
  void showTrayMenu();
  void showTitleMenu();
  void updateNoDeviceArea();
  void watchScreens();
  void watchScreen(QScreen* screen);
  void watchPower();
  void onDisplayChanged();
  void onDpiChanged();
  // main_wnd_settings.cpp
  void applyStartSettings();
  void applyLanguageIndex(int index);
  void openSettingsWindow(bool centred);
  void closeSettingsWindow();
  void openSkinFrame();
  bool handleSettingsMessage(skin::UINT msg, skin::WPARAM wParam, skin::LPARAM lParam);
  // main_wnd_update.cpp
  void startUpdateCheck();
  void stopUpdateCheck();
  void refreshUpdateItems();
  void showUpdateMark(bool found);
  std::vector<update::UpdateItem> collectUpdateItems() const;
  // main_wnd_input.cpp
  bool handleInputSetting(skin::TNotifyUI& msg);
  // main_wnd_mouse.cpp
  bool handleMouseSettings(skin::TNotifyUI& msg);
  // main_wnd_keyboard.cpp
  bool handleKeyboardSettings(skin::TNotifyUI& msg);
  bool handleKeyboardClick(const QString& name);
  void restoreKeyboardDefaults();
  bool confirm(const QString& textKey);
  void applyKeyboardRepeat(devices::CHalvionUSBDevice* device, int rate, int delayIndex);
  // main_wnd_headset.cpp
  bool handleHeadsetNotify(skin::TNotifyUI& msg);
  void saveHeadsetPreset(devices::CHalvionHS6533Device* headset);
  // main_wnd_macro.cpp
  void registerMacroPanels();
  void connectMacroPanels();
  void setHook(std::uint32_t mode, bool enable);
  void startMacroRecording(hook::RecordDelayMode delayMode, std::uint32_t hookMode);
  bool handleMacroClick(const QString& name);
  bool handleMacroMenu(const QString& item);
  bool handleHookMessage(skin::UINT msg, skin::WPARAM wParam, skin::LPARAM lParam);
  std::unique_ptr<hook::InputHook> hook_;

  InterProgramBus* bus_ = nullptr;
  std::unique_ptr<devices::CDeviceManager> devices_;
  std::shared_ptr<input::InputSettingsBackend> inputBackend_;
  std::unique_ptr<input::InputSettingsQueue> inputQueue_;
  QSystemTrayIcon* tray_ = nullptr;
  std::unique_ptr<skin::CMenuWnd> trayMenu_, titleMenu_;
  std::function<bool(const QString&)> confirm_;
  std::function<void(const QString&)> notice_;
  void showNotice(const QString& key);
  std::unique_ptr<SettingsOptions> settingsOptions_;
  TrayMode trayMode_ = TrayMode::Auto;
  bool lightControl_ = true;
  bool awake_ = true;
  bool windowActive_ = false;
  bool pointerInside_ = false;
  bool exitDone_ = false;
  bool initDone_ = false;
  // The first show (see setVisible).
  void checkFirstShow();
  bool pagesReady() const;
  bool firstScanSeen_ = false;
  bool firstShowReleased_ = false;
  bool showWanted_ = false;
  qint64 firstShowStartMs_ = 0;
  bool exiting_ = false;
  // Title buttons, looked up once at initialisation.
  QPointer<skin::CControlUI> closeBtn_, maxBtn_, restoreBtn_, minBtn_, skinBtn_, gameModeBtn_, cloudBtn_,
      smartEyesBtn_, setBtn_;
};

}  // namespace kavro::app
