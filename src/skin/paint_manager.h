#pragma once
// CPaintManagerUI: what a window knows about its control tree — the root,
// name look-up, notification delivery to the window, the scaling (DPI) and
// the window attributes of its layout (caption area, size box, sizes).
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "skin/attr_parse.h"
#include "skin/skin_types.h"

namespace kavro::skin {

class CControlUI;

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

class CPaintManagerUI {
 public:
  explicit CPaintManagerUI(QWidget* paintWindow = nullptr);
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  void Init(QWidget* paintWindow) { paintWindow_ = paintWindow; }
  QWidget* GetPaintWindow() const { return paintWindow_; }

  // Makes root the window's control tree (the previous tree is deleted).
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return root_; }
  // Gives a detached subtree this manager (and calls DoInit once per control).
  void InitControls(CControlUI* control, CControlUI* parent = nullptr);

  // First control of that name in the tree, or nullptr.
  CControlUI* FindControl(const QString& name) const;
  // First control of that name under parent (parent itself excluded), or nullptr.
  CControlUI* FindSubControlByName(CControlUI* parent, const QString& name) const;
  // Every control of the tree whose class is controlClass.
  QList<CControlUI*> FindControlsByClass(const QString& controlClass) const;

  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  // Delivers a notification now, or from the event loop when async is set
  // (a sender deleted in between is skipped).
  void SendNotify(CControlUI* sender, const QString& type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);
  void SendNotify(TNotifyUI& msg, bool async = false);

  // Scaling: 96 is 100 %.
  int GetDPI() const { return dpi_; }
  double GetScale() const { return dpi_ / 96.0; }
  void SetDPI(int dpi);
  static void SetAllDPI(int dpi);
  static bool IsValidDPI(int dpi);
  static QList<CPaintManagerUI*> GetPaintManagers();
  static void ReloadAllText();

  // Window attributes from the layout's <Window> element (unscaled).
  void SetWindowAttribute(const QString& name, const QString& value);
  Rect4 GetCaptionRect() const { return caption_; }
  Rect4 GetSizeBox() const { return sizeBox_; }
  int GetRoundCorner() const { return roundCorner_; }
  QSize GetInitSize() const { return initSize_; }
  QSize GetMinInfo() const { return minInfo_; }
  QSize GetMaxInfo() const { return maxInfo_; }
  void SetInitSize(int w, int h) { initSize_ = QSize(w, h); }

  // Window-level default attribute lists, then the resource manager's.
  void AddDefaultAttributeList(const QString& controlClass, const QString& list);
  QString GetDefaultAttributeList(const QString& controlClass) const;

  void ControlDestroyed(CControlUI* control);

 private:
  QWidget* paintWindow_ = nullptr;
  CControlUI* root_ = nullptr;
  QList<INotifyUI*> notifiers_;
  int dpi_ = 96;
  Rect4 caption_, sizeBox_;
  int roundCorner_ = 0;
  QSize initSize_, minInfo_, maxInfo_;
  QHash<QString, QString> defaults_;
};

}  // namespace kavro::skin
