#include "widgets/hand_img_select_button.h"

namespace kavro::widgets {

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : COptionUI(parent) {}

QString CHandImgSelectButtonUI::SubImage(const QString& file, const QRect& source) {
  return QString::asprintf("file='%s' ", qUtf8Printable(file)) +
         QString::asprintf("source='%d,%d,%d,%d'", source.left(), source.top(), source.left() + source.width(),
                           source.top() + source.height());
}

void CHandImgSelectButtonUI::SetHandImages(const QString& file, const QRect& normal, const QRect& hot,
                                           const QRect& selected) {
  SetAttribute("normalimage", SubImage(file, normal));
  SetAttribute("hotimage", SubImage(file, hot));
  SetAttribute("selectedimage", SubImage(file, selected));
}

void CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "cursor") {
    bool ok = false;
    CursorShapeFromName(value, &ok);
    if (ok) cursorName_ = value.trimmed().toLower();
  }
  COptionUI::SetAttribute(name, value);
}

}  // namespace kavro::widgets
