#pragma once
// COptionUI: a button with a selected state. Options that share a "group"
// within one window are exclusive; without a group a click toggles.
// CCheckBoxUI: an option without group, drawn as a check box by default.
#include "skin/button.h"

namespace kavro::skin {

class COptionUI : public CButtonUI {
  Q_OBJECT
 public:
  explicit COptionUI(QWidget* parent = nullptr) : CButtonUI(parent) {}
  QString GetClass() const override { return QStringLiteral("Option"); }

  bool IsSelected() const { return selected_; }
  // Changes the selected state; with triggerEvent a change sends
  // "selectchanged". Selecting deselects the other options of the group.
  virtual void Selected(bool selected, bool triggerEvent = true);
  QString GetGroup() const { return group_; }
  void SetGroup(const QString& group);
  bool Activate() override;

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void PaintStatusImage(QPainter& p) override;

 protected:
  QString currentStatusImage() const override;
  uint32_t currentBkColor() const override;
  uint32_t currentTextColor() const override;

  bool selected_ = false;
  QString group_;
  QString selectedImage_, selectedHotImage_, selectedForeImage_, selectedDisabledImage_;
  uint32_t selectedBkColor_ = 0, selectedHotBkColor_ = 0, selectedTextColor_ = 0, selectedBorderColor_ = 0;
};

class CCheckBoxUI : public COptionUI {
  Q_OBJECT
 public:
  explicit CCheckBoxUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("CheckBox"); }
  bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
  void SetAttribute(const QString& name, const QString& value) override;
  void PaintStatusImage(QPainter& p) override;
  void PaintText(QPainter& p) override;

 private:
  bool drawBox() const { return normalImage_.isEmpty() && selectedImage_.isEmpty(); }
  uint32_t checkColor_ = 0xFF2F8CFF;
};

}  // namespace kavro::skin
