#pragma once
// CUpdateInfoListItemUI: one row of the update list: tick box with the item's
// name, installed and new version, and the row's status as text, progress
// bar or done mark. A frame follows the pointer over an enabled row.
#include "skin/list.h"
#include "update/update_session.h"

namespace kavro::skin {
class CCheckBoxUI;
class CProgressUI;
}  // namespace kavro::skin

namespace kavro::app {

inline constexpr char kUpdateRowXml[] = "XML\\CustomControlXML\\device_Update_list_item.xml";

// What a row shows for a state: the status text key (a failure's reason
// over the state's own text), and which parts are visible.
struct UpdateRowLook {
  QString statusKey;
  bool progressShown = false;
  bool doneShown = false;
  bool tickEnabled = false;
};
UpdateRowLook updateRowLook(const update::UpdateRow& row);

class CUpdateInfoListItemUI : public skin::CListContainerElementUI {
  Q_OBJECT
 public:
  explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("UpdateInfoListItem"); }

  // Shows row (kept until the content is built when the row is not yet in a window).
  void showRow(const update::UpdateRow& row);
  const update::UpdateRow& row() const { return row_; }
  skin::CCheckBoxUI* tickBox() const { return tick_; }

  void PaintBorder(QPainter& p) override;

 protected:
  void DoInit() override;

 private:
  void apply();

  update::UpdateRow row_;
  bool built_ = false;
  skin::CCheckBoxUI* tick_ = nullptr;
  skin::CControlUI *oldRev_ = nullptr, *newRev_ = nullptr, *statusText_ = nullptr, *progressArea_ = nullptr,
                   *doneMark_ = nullptr;
  skin::CProgressUI* progress_ = nullptr;
};

}  // namespace kavro::app
