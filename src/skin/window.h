#pragma once
// CWindowWnd: a frameless skinned top-level window built from a layout file.
// It owns its control tree through its paint manager, delivers the tree's
// notifications to Notify, runs window timers, handles numbered private
// messages posted or sent from any thread, and can run modally.
#include <QHash>
#include <QPointer>
#include <QWidget>

#include "skin/dialog_builder.h"
#include "skin/paint_manager.h"

class QEventLoop;

namespace kavro::skin {

class CControlUI;

// Window kinds for Create.
enum WindowStyle : uint32_t {
  UI_WNDSTYLE_FRAME = 0x1,   // main window: taskbar entry
  UI_WNDSTYLE_DIALOG = 0x2,  // dialog owned by its parent
  UI_WNDSTYLE_TOOL = 0x4,    // pop-up tool window without taskbar entry
};

class CWindowWnd : public QWidget, public INotifyUI, public IDialogBuilderCallback {
  Q_OBJECT
 public:
  CWindowWnd();
  ~CWindowWnd() override;

  virtual QString GetWindowClassName() const = 0;
  // Layout resource name (from the resource index) or path under the skin folder.
  virtual QString GetSkinFile() const = 0;

  // Builds the layout and prepares the window (not shown yet). Sizes are in
  // unscaled units; 0 takes the layout's "size". False when the layout could
  // not be built (the window then has no controls).
  bool Create(QWidget* parent, const QString& caption, uint32_t style = UI_WNDSTYLE_FRAME, int x = 0, int y = 0,
              int cx = 0, int cy = 0);
  QWidget* GetHWND() { return this; }
  CPaintManagerUI& GetPaintManager() { return pm_; }
  CControlUI* FindControl(const QString& name) const { return pm_.FindControl(name); }
  CControlUI* FindSubControlByName(CControlUI* parent, const QString& name) const {
    return pm_.FindSubControlByName(parent, name);
  }
  template <class T>
  T* Find(const QString& name) const { return qobject_cast<T*>(FindControl(name)); }

  void ShowWindow(bool show = true, bool takeFocus = true);
  // Centres on the parent window, or on the screen without one.
  void CenterWindow();
  // Size of the client area in unscaled units.
  void ResizeClient(int cx, int cy);
  // Ends the window with a close code (returned by ShowModal).
  void Close(int code = 0);
  // Shows the window application-modal and runs until Close; returns the code.
  int ShowModal();
  bool IsModalRunning() const { return modalLoop_ != nullptr; }

  // Window timers: HandleMessage(WM_TIMER, id, 0) on the window thread.
  bool SetTimer(int id, int elapseMs);
  void KillTimer(int id);

  // Numbered private messages. Post returns at once; Send returns the
  // handler's result and, from another thread, blocks until it has run.
  void PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Notification handler; the default handles the title buttons on "click".
  void Notify(TNotifyUI& msg) override;
  // Builder callback for class names the toolkit does not know.
  CControlUI* CreateControl(const QString& className) override;

 protected:
  virtual void InitWindow() {}
  virtual void OnClick(TNotifyUI& msg);
  // Dispatches a message: HandleCustomMessage first, then the defaults
  // (WM_SYSCOMMAND minimise, maximise, restore, close).
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
  // Runs after the window was closed; dialogs that own themselves delete here.
  virtual void OnFinalMessage() {}

  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

  CPaintManagerUI pm_;

 private:
  bool inCaption(const QPoint& pos) const;
  Qt::Edges sizeEdges(const QPoint& pos) const;
  void updateZoomButtons();

  bool initSent_ = false;
  int closeCode_ = 0;
  bool closing_ = false;
  QEventLoop* modalLoop_ = nullptr;
  QPoint dragOffset_;
  bool manualDrag_ = false;
  QHash<int, int> timers_;
};

// Registered message numbers: the same name always gives the same number
// (from 0xC000 up), like the system's registered window messages.
UINT RegisterWindowMessage(const QString& name);

}  // namespace kavro::skin
