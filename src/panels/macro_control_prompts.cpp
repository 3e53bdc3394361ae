// The macro panel's file dialogs and messages.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "panels/device_profile_prompts.h"
#include "panels/macro_control.h"
#include "skin/resource_manager.h"
#include "widgets/file_dialog.h"
#include "widgets/msg_wnd.h"

namespace kavro::panels {

namespace {

const QString kFilter = QStringLiteral("Macro Files(*.mac)");
const QString kSuffix = QStringLiteral("mac");

QString& lastFolder() {
  static QString folder;
  return folder;
}

QString title(const char* key) { return skin::CResourceManager::GetInstance().ResolveText(QLatin1String(key)); }

// Remembers the folder of a chosen file for the next dialog of this run.
QString runMacroDialog(QWidget* owner, const QString& caption, QFileDialog::AcceptMode mode, const QString& start) {
  const QString chosen =
      widgets::runFileDialog(owner, caption, mode == QFileDialog::AcceptSave, start, kFilter, kSuffix);
  if (!chosen.isEmpty()) lastFolder() = QFileInfo(chosen).absolutePath();
  return chosen;
}

}  // namespace

QString DialogMacroPrompts::askImportPath() {
  return runMacroDialog(owner_, title("macro_import_title"), QFileDialog::AcceptOpen,
                        dialogStartFolder(lastFolder(), QDir::homePath()));
}

QString DialogMacroPrompts::askExportPath(const QString& name) {
  // A name is a file name already (no spaces); a path separator would not be.
  QString file = name;
  file.replace(QLatin1Char('/'), QLatin1Char('_'));
  while (file.startsWith(QLatin1Char('.'))) file.remove(0, 1);
  if (file.isEmpty()) file = QStringLiteral("macro");
  const QString folder = dialogStartFolder(lastFolder(), QDir::homePath());
  return runMacroDialog(owner_, title("macro_export_title"), QFileDialog::AcceptSave,
                        QDir(folder).filePath(file + QLatin1Char('.') + kSuffix));
}

void DialogMacroPrompts::showNotice(const QString& text) {
  widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text);
}

bool DialogMacroPrompts::askConfirmation(const QString& text) {
  return widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text, 96,
                                       skin::DT_CENTER | skin::DT_VCENTER | skin::DT_WORDBREAK,
                                       widgets::CMsgWnd::kConfirmCancel) == 1;
}

}  // namespace kavro::panels
