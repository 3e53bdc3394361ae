#pragma once
// Lists: CListUI (a scrolling vertical list of elements with selection) and
// its elements CListLabelElementUI (a text row) and CListContainerElementUI
// (a row holding other controls). The same elements serve as combo items.
#include "skin/container.h"
#include "skin/label.h"

namespace kavro::skin {

// Look of the elements, kept by the list (or combo) that owns them.
struct TListInfoUI {
  int font = -1;
  UINT textStyle = DT_VCENTER | DT_SINGLELINE | DT_LEFT;
  Rect4 textPadding{10, 0, 10, 0};
  uint32_t textColor = 0xFFD5D9E2, bkColor = 0;
  uint32_t selectedTextColor = 0xFFFFFFFF, selectedBkColor = 0xFF2F8CFF;
  uint32_t hotTextColor = 0xFFFFFFFF, hotBkColor = 0xFF262B35;
  uint32_t disabledTextColor = 0xFF6B7180, lineColor = 0;
  uint32_t hotBorderColor = 0xFF2F8CFF;
  int itemHeight = 28;
  // Applies an "item…" attribute; false when the name is not one of them.
  bool setAttribute(const QString& name, const QString& value);
};

class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  virtual TListInfoUI* GetListInfo() = 0;
  virtual int GetCurSel() const = 0;
  // Selects one item (others are deselected); sends "itemselect" with
  // wParam = new index and lParam = old index when triggerEvent is set.
  virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
  virtual bool IsMultiSelect() const { return false; }
  // Adds (or, when selected, removes) one item to a multiple selection.
  virtual bool SelectMultiItem(int index, bool takeFocus = false) { return SelectItem(index, takeFocus); }
  virtual bool UnSelectItem(int index) = 0;
  virtual int ItemIndex(CControlUI* item) const = 0;
};

class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  IListOwnerUI* GetOwner() const { return owner_; }
  void SetOwner(IListOwnerUI* owner) { owner_ = owner; }
  int GetIndex() const;
  bool IsSelected() const { return selected_; }
  // Changes the look only; the owner keeps the selection.
  virtual void SetSelectedState(bool selected) { selected_ = selected; }
  // Asks the owner to select this item.
  bool Select(bool select = true, bool triggerEvent = true);
  virtual CControlUI* AsControl() = 0;

 protected:
  IListOwnerUI* owner_ = nullptr;
  bool selected_ = false;
};

// Shared mouse and key handling of list elements.
class ListItemInput {
 public:
  static void press(IListItemUI* item, Qt::KeyboardModifiers mods);
  static void release(IListItemUI* item);
  static void doubleClick(IListItemUI* item);
  static bool key(IListItemUI* item, int key);
};

class CListElementUI : public CControlUI, public IListItemUI {
  Q_OBJECT
 public:
  explicit CListElementUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ListElement"); }
  CControlUI* AsControl() override { return this; }
  void SetSelectedState(bool selected) override;
  bool Activate() override;
  void PaintBkColor(QPainter& p) override;
  void SetAttribute(const QString& name, const QString& value) override;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

class CListLabelElementUI : public CListElementUI {
  Q_OBJECT
 public:
  explicit CListLabelElementUI(QWidget* parent = nullptr) : CListElementUI(parent) {}
  QString GetClass() const override { return QStringLiteral("ListLabelElement"); }
  void PaintText(QPainter& p) override;
};

class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
  Q_OBJECT
 public:
  explicit CListContainerElementUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ListContainerElement"); }
  CControlUI* AsControl() override { return this; }
  void SetSelectedState(bool selected) override;
  bool Activate() override;
  void PaintBkColor(QPainter& p) override;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
  Q_OBJECT
 public:
  explicit CListUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("List"); }

  TListInfoUI* GetListInfo() override { return &info_; }
  int GetCurSel() const override { return curSel_; }
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  bool IsMultiSelect() const override { return multiSelect_; }
  void SetMultiSelect(bool on) { multiSelect_ = on; }
  bool SelectMultiItem(int index, bool takeFocus = false) override;
  bool UnSelectItem(int index) override;
  void SelectAllItems(bool select);
  QList<int> GetSelectedItems() const;
  int ItemIndex(CControlUI* item) const override { return items_.indexOf(item); }
  // Scrolls so that the item is inside the view.
  void EnsureVisible(int index);

  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  IListItemUI* itemAt(int index) const;

  TListInfoUI info_;
  int curSel_ = -1;
  bool multiSelect_ = false;
};

IListItemUI* asListItem(CControlUI* control);

}  // namespace kavro::skin
