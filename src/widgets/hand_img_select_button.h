#pragma once
// CHandImgSelectButtonUI: a selectable image button with a configurable
// cursor ("cursor" = arrow, ibeam, wait, cross, uparrow, size, icon,
// sizenwse, sizenesw, sizewe, sizens, sizeall, hand). Its picture is a
// sub-rectangle of an image file. Entering and leaving send "msenter" and
// "msleave".
#include "skin/option.h"

namespace kavro::widgets {

class CHandImgSelectButtonUI : public skin::COptionUI {
  Q_OBJECT
 public:
  explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("HandImgSelectButton"); }

  // Builds the image string "file='…' source='l,t,r,b'" for the normal,
  // hot and selected pictures.
  static QString SubImage(const QString& file, const QRect& source);
  void SetHandImages(const QString& file, const QRect& normal, const QRect& hot, const QRect& selected);
  QString GetCursorName() const { return cursorName_; }

  void SetAttribute(const QString& name, const QString& value) override;

 protected:
  void OnMouseEnter() override { SendNotify("msenter"); }
  void OnMouseLeave() override { SendNotify("msleave"); }

 private:
  QString cursorName_ = QStringLiteral("arrow");
};

}  // namespace kavro::widgets
