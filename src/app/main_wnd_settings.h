#pragma once
// The main window's part of the settings: the language list and choice, the
// settings window and the skin frame, and the background update check.
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "app/language.h"
#include "app/main_wnd.h"
#include "app/set_wnd.h"
#include "app/skin_frame.h"
#include "update/background_check.h"
#include "update/update_session.h"

namespace kavro::app {

struct CMainWnd::SettingsOptions {
  // Set-up (tests change these before Create).
  QString languageConfig;          // empty: languageConfigPath()
  update::UpdateConfig updateConfig;  // what the settings window's workers use
  bool settingsModal = true;       // "setbtn" runs the window modally
  bool backgroundCheck = true;     // the update thread runs
  std::function<void(const QString&)> settingsMessage;  // the settings window's messages (default: dialog)

  // State.
  std::vector<LanguageEntry> languages;
  int languageIndex = 0;
  QPointer<CSetWnd> settingsWnd;
  QPointer<CSkinFrame> skinFrame;
  bool updateMark = false;
  std::unique_ptr<update::BackgroundCheck> check;
};

}  // namespace kavro::app
