#pragma once
// CHandImgButtonUI: an image button with a delete mark in its lower right
// corner. Releasing inside the delete zone sends "click_handdelete" (only
// once the owner has enabled deleting); elsewhere it is a normal click.
// Entering and leaving send "msenter" and "msleave".
#include "skin/button.h"

namespace kavro::widgets {

class CHandImgButtonUI : public skin::CButtonUI {
  Q_OBJECT
 public:
  explicit CHandImgButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("HandImgButton"); }

  void SetDeleteEnabled(bool on) { deleteEnabled_ = on; update(); }
  bool IsDeleteEnabled() const { return deleteEnabled_; }
  QRect GetDeleteRect() const;
  bool IsDeleteHot() const { return deleteHot_; }

  void SetAttribute(const QString& name, const QString& value) override;
  void PaintStatusImage(QPainter& p) override;

 protected:
  void OnMouseEnter() override;
  void OnMouseLeave() override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void paintDeleteMark(QPainter& p);

  QString handImage_, deleteNormalImage_, deleteHotImage_;
  bool deleteEnabled_ = false;
  bool deleteHot_ = false;
};

}  // namespace kavro::widgets
