#include "widgets/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "widgets/dark_look.h"

namespace kavro::widgets {

QString runFileDialog(QWidget* owner, const QString& caption, bool save, const QString& start, const QString& filter,
                      const QString& suffix) {
  QFileDialog dialog(owner, caption, QString(), filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setDefaultSuffix(suffix);
  const QFileInfo info(start);
  dialog.setDirectory(info.isDir() ? start : info.absolutePath());
  if (!info.isDir()) dialog.selectFile(info.fileName());
  applyDarkLook(&dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace kavro::widgets
