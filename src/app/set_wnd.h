#pragma once
// CSetWnd: the settings window. It offers the language choice and the update
// page: the program and each attached device with installed and newest
// version, downloads with progress and the start of the packages. The
// network work runs on the update session's threads; the window only shows
// what they report and never waits for them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/language.h"
#include "skin/window.h"
#include "update/update_session.h"

namespace kavro::skin {
class CCheckBoxUI;
}

namespace kavro::app {

class CUpdateInfoListItemUI;

// Messages between the settings window and the main window.
inline constexpr skin::UINT WM_LANGUAGE_CHANGED = 3089;  // wParam: language index
inline constexpr skin::UINT WM_UPDATE_DOWNLOADED = 3092;
inline constexpr skin::UINT WM_OPEN_SETTINGS_CENTRED = 3093;
inline constexpr skin::UINT WM_UPDATE_MARK_CLEAR = 3094;

inline constexpr int kSetWndWidth = 610;
inline constexpr int kSetWndHeight = 500;
// Where "setbtn" places the window: its right edge this far left of the main
// window's right edge, its top this far below the main window's top.
inline constexpr int kSetWndRightInset = 30;
inline constexpr int kSetWndTopOffset = 60;
// Timer of the busy ring while the window checks or updates.
inline constexpr int kTimerBusyRing = 1;
inline constexpr int kBusyRingStepMs = 40;
inline constexpr int kBusyRingStep = 4;

class CSetWnd : public skin::CWindowWnd {
  Q_OBJECT
 public:
  struct Options {
    std::vector<update::UpdateItem> items;
    update::UpdateConfig config;
    std::vector<LanguageEntry> languages;
    int languageIndex = 0;
    int scaling = 96;
    std::string versionText;  // the program's version, shown on the page
  };
  explicit CSetWnd(Options options);
  ~CSetWnd() override;
  QString GetWindowClassName() const override { return QStringLiteral("SetWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("setwnd.xml"); }
  skin::CControlUI* CreateControl(const QString& className) override;

  // The window that gets 3089 and 3094 (the main window); without one the
  // window applies a language choice itself.
  void setOwnerWindow(skin::CWindowWnd* owner) { owner_ = owner; }
  // Shows a message (a language key); default: the message dialog.
  void setMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }

  int languageIndex() const { return languageIndex_; }
  int windowStatus() const { return status_; }
  update::UpdateSession* session() const { return session_.get(); }
  CUpdateInfoListItemUI* rowControl(int row) const;
  int rowCount() const { return static_cast<int>(rowControls_.size()); }
  // The user's language choice from the list (as "Language_combox_info" does).
  void chooseLanguage(int index);
  void chooseCaptureSource(skin::CCheckBoxUI* check);
  // The update page's buttons, as their clicks do.
  void openConfirmation();
  void confirmUpdate();
  // The notice line above the page: shown when the window opens because an
  // update was found; "set_in_update_wnd_btn" hides it again.
  void showUpdateNotice();
  // Stops the workers and closes ("closebtn", "laterbtn").
  void closeWindow();

 protected:
  void InitWindow() override;
  void Notify(skin::TNotifyUI& msg) override;
  void OnClick(skin::TNotifyUI& msg) override;
  skin::LRESULT HandleCustomMessage(skin::UINT msg, skin::WPARAM wParam, skin::LPARAM lParam, bool& handled) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  // set_wnd.cpp
  void fillLanguageList();
  void retext();
  void tickChanged(skin::CControlUI* sender);
  void showMessage(const QString& key);
  // set_wnd_update.cpp
  void startSession();
  update::UpdateCallbacks sessionCallbacks();
  void showRow(int row, const update::UpdateRow& shown);
  void showStatus(int status, const std::string& lastDate);
  void showUpdateButton(bool shown, bool enabled);
  void startFailed(int row);
  void stepBusyRing();

  Options options_;
  std::unique_ptr<update::UpdateSession> session_;
  std::vector<CUpdateInfoListItemUI*> rowControls_;
  QPointer<skin::CWindowWnd> owner_;
  std::function<void(const QString&)> message_;
  int languageIndex_ = 0;
  int status_ = update::kStatusChecking;
  std::string lastDate_;
  bool sessionStopped_ = false;
};

}  // namespace kavro::app
