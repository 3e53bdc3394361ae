#include "widgets/cloud_share_list_item.h"

#include <QPainter>

#include "skin/render.h"

namespace kavro::widgets {

using namespace kavro::skin;

CCloudShareListItemUI::CCloudShareListItemUI(QWidget* parent) : CListContainerElementUI(parent) { contextMenu_ = true; }

void CCloudShareListItemUI::PaintBorder(QPainter& p) {
  CListContainerElementUI::PaintBorder(p);
  if (!isHot() || !owner_) return;
  const uint32_t color = owner_->GetListInfo()->hotBorderColor;
  if (!color) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(argbColor(color), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.restore();
}

}  // namespace kavro::widgets
