#pragma once
// CComboEditContainerElementUI: one step row of the macro editor. Its content
// comes from "XML\\CustomControlXML\\ComboEditElementItem.xml" with the
// children "text1", "text2" and "delay_edit". Ctrl+press toggles its
// selection; a context menu sends "menu".
#include "skin/list.h"

namespace kavro::skin {
class CLabelUI;
class CEditUI;
}  // namespace kavro::skin

namespace kavro::widgets {

class CComboEditContainerElementUI : public skin::CListContainerElementUI {
  Q_OBJECT
 public:
  static constexpr const char* kItemXml = "XML\\CustomControlXML\\ComboEditElementItem.xml";

  explicit CComboEditContainerElementUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ComboEditContainerElement"); }

  skin::CControlUI* GetText1() const { return text1_; }
  skin::CControlUI* GetText2() const { return text2_; }
  skin::CEditUI* GetDelayEdit() const { return delay_; }

  void SetAttribute(const QString& name, const QString& value) override;

 protected:
  void DoInit() override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  skin::CControlUI* text1_ = nullptr;
  skin::CControlUI* text2_ = nullptr;
  skin::CEditUI* delay_ = nullptr;
};

}  // namespace kavro::widgets
