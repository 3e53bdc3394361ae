#pragma once
// CContainerUI: a control that holds child controls and lays them out by the
// box rules of layout_engine.h; with "vscrollbar" it scrolls its content.
#include <QList>

#include "skin/control.h"
#include "skin/layout_engine.h"

class QScrollBar;

namespace kavro::skin {

extern const char* const kScrollBarStyle;

class CContainerUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CContainerUI(QWidget* parent = nullptr);
  ~CContainerUI() override;
  QString GetClass() const override { return QStringLiteral("Container"); }

  // Children. Add and AddAt take ownership; Remove deletes the child unless
  // doNotDestroy is set, in which case the caller takes it back.
  virtual bool Add(CControlUI* control);
  virtual bool AddAt(CControlUI* control, int index);
  virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
  virtual bool RemoveAt(int index, bool doNotDestroy = false);
  virtual void RemoveAll();
  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(CControlUI* control) const { return items_.indexOf(control); }
  bool SetItemIndex(CControlUI* control, int newIndex);
  int GetCount() const { return static_cast<int>(items_.size()); }

  // Layout settings, in unscaled units.
  Rect4 GetInset() const { return inset_; }
  void SetInset(const Rect4& inset) { inset_ = inset; NeedUpdate(); }
  int GetChildPadding() const { return childPadding_; }
  void SetChildPadding(int padding) { childPadding_ = padding; NeedUpdate(); }

  void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
  CControlUI* FindControlByName(const QString& name) override;
  void ForEach(const std::function<void(CControlUI*)>& fn) override;
  void ReloadText() override;
  void OnScaleChanged() override;
  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;

  // Lays the children out again now.
  void NeedUpdate() override;
  // Scrolling (vscrollbar="true").
  int GetScrollPos() const;
  void SetScrollPos(int pos);
  int GetScrollRange() const;

 protected:
  virtual BoxKind LayoutKind() const { return BoxKind::Stack; }
  virtual void SetPosChildren();
  void resizeEvent(QResizeEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  // Hook for subclasses that need to know when children change.
  virtual void OnItemsChanged() {}
  QList<CControlUI*> items_;

 private:
  LayoutItem layoutItemFor(CControlUI* c) const;
  void attachChild(CControlUI* control);

  Rect4 inset_;
  int childPadding_ = 0;
  BoxAlign mainAlign_ = BoxAlign::Start;
  BoxAlign crossAlign_ = BoxAlign::Start;
  bool vscrollEnabled_ = false;
  bool inLayout_ = false;
  QScrollBar* vscroll_ = nullptr;
};

class CVerticalLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  using CContainerUI::CContainerUI;
  QString GetClass() const override { return QStringLiteral("VerticalLayout"); }

 protected:
  BoxKind LayoutKind() const override { return BoxKind::Vertical; }
};

class CHorizontalLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  using CContainerUI::CContainerUI;
  QString GetClass() const override { return QStringLiteral("HorizontalLayout"); }

 protected:
  BoxKind LayoutKind() const override { return BoxKind::Horizontal; }
};

// Shows one child at a time.
class CTabLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  using CContainerUI::CContainerUI;
  QString GetClass() const override { return QStringLiteral("TabLayout"); }
  int GetCurSel() const { return curSel_; }
  bool SelectItem(int index);
  bool SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;

 private:
  int curSel_ = -1;
  int wantSel_ = -1;  // "selectedid" given before the children exist
};

}  // namespace kavro::skin
