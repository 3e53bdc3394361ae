#include "widgets/combo_edit_container_element.h"

#include <QMouseEvent>

#include "skin/dialog_builder.h"
#include "skin/edit.h"
#include "skin/paint_manager.h"

namespace kavro::widgets {

using namespace kavro::skin;

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : CListContainerElementUI(parent) {
  contextMenu_ = true;
}

void CComboEditContainerElementUI::SetAttribute(const QString& name, const QString& value) {
  // Row images are accepted for older layouts and have no effect.
  if (name == "normalimage" || name == "hotimage" || name == "selectedimage") {
    attrs_[name] = value;
    return;
  }
  CListContainerElementUI::SetAttribute(name, value);
}

void CComboEditContainerElementUI::DoInit() {
  CDialogBuilder builder;
  if (!builder.Create(kItemXml, nullptr, GetManager(), this)) return;
  text1_ = FindControlByName("text1");
  text2_ = FindControlByName("text2");
  delay_ = qobject_cast<CEditUI*>(FindControlByName("delay_edit"));
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled() && (e->modifiers() & Qt::ControlModifier) && owner_) {
    e->accept();
    if (IsSelected()) owner_->UnSelectItem(GetIndex());
    else owner_->SelectMultiItem(GetIndex());
    return;
  }
  CListContainerElementUI::mousePressEvent(e);
}

}  // namespace kavro::widgets
