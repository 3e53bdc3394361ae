#pragma once
// CCloudShareListItemUI: a list row that draws a 1-pixel frame in the list's
// hot border colour while the pointer is over it; activation sends
// "itemactivate" and a context menu "menu".
#include "skin/list.h"

namespace kavro::widgets {

class CCloudShareListItemUI : public skin::CListContainerElementUI {
  Q_OBJECT
 public:
  explicit CCloudShareListItemUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("CloudShareListItemUI"); }
  void PaintBorder(QPainter& p) override;
};

}  // namespace kavro::widgets
