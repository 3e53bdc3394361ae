#pragma once
// CComboUI: a drop-down choice. Its items are list elements (usually
// CListLabelElementUI) added like children; they are shown in a pop-up list
// and the chosen one's text in the box. Choosing sends "itemselect" with
// wParam = new index and lParam = old index.
#include <vector>

#include "skin/list.h"

namespace kavro::skin {

class ComboPopup;

class CComboUI : public CContainerUI, public IListOwnerUI {
  Q_OBJECT
 public:
  explicit CComboUI(QWidget* parent = nullptr);
  ~CComboUI() override;
  QString GetClass() const override { return QStringLiteral("Combo"); }

  TListInfoUI* GetListInfo() override { return &info_; }
  int GetCurSel() const override { return curSel_; }
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  bool UnSelectItem(int index) override;
  int ItemIndex(CControlUI* item) const override { return items_.indexOf(item); }
  // Text of the chosen item (empty without one).
  QString GetText() const override;

  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  // Opens or closes the pop-up list.
  void ShowDropDown(bool show = true);
  bool IsDropDownShown() const;
  ComboPopup* GetDropDown() const { return popup_; }

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void PaintText(QPainter& p) override;
  void PaintStatusImage(QPainter& p) override;

 protected:
  void SetPosChildren() override {}
  void mousePressEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  friend class ComboPopup;
  IListItemUI* itemAt(int index) const { return asListItem(GetItemAt(index)); }
  // Indices of the items that are offered (visible), in order.
  std::vector<int> shownItems() const;
  int nextShownItem(int from, int step) const;

  TListInfoUI info_;
  int curSel_ = -1;
  int dropHeight_ = 200;
  uint32_t textColor_ = 0xFFE6E8EE, hotBkColor_ = 0;
  int font_ = -1;
  Rect4 textPadding_{10, 0, 28, 0};
  QString normalImage_, hotImage_, pushedImage_, disabledImage_;
  ComboPopup* popup_ = nullptr;
};

// The pop-up list of a combo: draws the items itself, one row each.
class ComboPopup : public QWidget {
  Q_OBJECT
 public:
  explicit ComboPopup(CComboUI* owner);
  void open();
  // The item under a point, or -1.
  int RowAt(const QPoint& pt) const;
  // The rectangle of the row-th shown item.
  QRect RowRect(int row) const;
  int RowHeight() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  int rowOf(int item) const;
  friend class CComboUI;

  CComboUI* owner_;
  std::vector<int> rows_;  // the shown items, one row each
  int hot_ = -1;           // an item index
  bool openingPress_ = false;  // opened by a press whose release is still to come
  int scroll_ = 0;
};

}  // namespace kavro::skin
