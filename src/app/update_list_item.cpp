#include "app/update_list_item.h"

#include <QPainter>

#include "skin/controls.h"
#include "skin/dialog_builder.h"
#include "skin/render.h"

namespace kavro::app {

using namespace kavro::skin;

UpdateRowLook updateRowLook(const update::UpdateRow& row) {
  UpdateRowLook look;
  look.statusKey = QString::fromUtf8(row.failureKey.empty() ? row.stateTextKey() : row.failureKey.c_str());
  look.progressShown = update::rowShowsProgress(row.state);
  look.doneShown = update::rowShowsDoneMark(row.state);
  look.tickEnabled = row.tickable;
  return look;
}

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : CListContainerElementUI(parent) {
  SetFixedHeight(update::kRowHeight);
}

void CUpdateInfoListItemUI::DoInit() {
  if (built_) return;
  CDialogBuilder builder;
  if (!builder.Create(QString::fromLatin1(kUpdateRowXml), nullptr, GetManager(), this)) return;
  built_ = true;
  tick_ = qobject_cast<CCheckBoxUI*>(FindControlByName("check_name_select"));
  oldRev_ = FindControlByName("OldRev");
  newRev_ = FindControlByName("updateRev");
  statusText_ = FindControlByName("update_status_text");
  progressArea_ = FindControlByName("update_status_ing");
  progress_ = qobject_cast<CProgressUI*>(FindControlByName("update_progress_value"));
  doneMark_ = FindControlByName("update_status_ok");
  apply();
}

void CUpdateInfoListItemUI::showRow(const update::UpdateRow& row) {
  row_ = row;
  apply();
}

void CUpdateInfoListItemUI::apply() {
  SetFixedHeight(row_.height > 0 ? row_.height : update::kRowHeight);
  if (!built_) return;
  const UpdateRowLook look = updateRowLook(row_);
  if (tick_) {
    // The program's own row is named in the window's language.
    const bool app = row_.rowName == update::kAppRowName;
    tick_->SetText(app ? QStringLiteral("update_app_name")
                       : QString::fromStdString(row_.displayName.empty() ? row_.rowName : row_.displayName));
    tick_->Selected(row_.ticked, false);
    tick_->SetEnabled(look.tickEnabled);
  }
  if (oldRev_) oldRev_->SetText(QString::fromStdString(row_.currentVersionText));
  if (newRev_) newRev_->SetText(QString::fromStdString(row_.newVersionText));
  if (statusText_) {
    statusText_->SetText(look.statusKey);
    statusText_->SetVisible(!look.progressShown);
  }
  if (progressArea_) progressArea_->SetVisible(look.progressShown);
  if (progress_) progress_->SetValue(row_.progress);
  if (doneMark_) doneMark_->SetVisible(look.doneShown);
}

void CUpdateInfoListItemUI::PaintBorder(QPainter& p) {
  CListContainerElementUI::PaintBorder(p);
  if (!isHot() || !IsEnabled() || !owner_) return;
  const uint32_t color = owner_->GetListInfo()->hotBorderColor;
  if (!color) return;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(argbColor(color), 1));
  p.setBrush(Qt::NoBrush);
  const qreal r = BorderRadius();
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), r / 2, r / 2);
  p.restore();
}

}  // namespace kavro::app
