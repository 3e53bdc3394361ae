#include "panels/device_profile_prompts.h"

#include <QDir>
#include <QHash>
#include <QFileInfo>

#include "skin/resource_manager.h"
#include "widgets/file_dialog.h"
#include "widgets/msg_wnd.h"

namespace kavro::panels {

namespace {

QString title(const char* key) { return skin::CResourceManager::GetInstance().ResolveText(QLatin1String(key)); }

// The folder the last dialog of each kind (by suffix) used, for the next
// dialog of this run.
QString& lastFolder(const QString& suffix) {
  static QHash<QString, QString> folders;
  return folders[suffix];
}

}  // namespace

QString dialogStartFolder(const QString& lastUsed, const QString& home) {
  if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir()) return lastUsed;
  return home;
}

QString safeFileName(const QString& name, const QString& fallback, const QString& suffix) {
  QString file = name.trimmed();
  // Characters that cannot stand in a file name, or that would make it hidden
  // or a path, become '_'.
  for (QChar& c : file) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  }
  while (file.startsWith(QLatin1Char('.'))) file.remove(0, 1);
  if (file.isEmpty()) file = fallback;
  return file + QLatin1Char('.') + suffix;
}

QString profileFileName(const QString& profileName) {
  return safeFileName(profileName, QStringLiteral("profile"), QStringLiteral("json"));
}

QString DialogFilePrompts::run(const char* titleKey, bool save, const QString& start) {
  const QString chosen = widgets::runFileDialog(owner_, title(titleKey), save, start, kind_.filter, kind_.suffix);
  if (!chosen.isEmpty()) lastFolder(kind_.suffix) = QFileInfo(chosen).absolutePath();
  return chosen;
}

QString DialogFilePrompts::askImportPath() {
  return run(kind_.importTitleKey, false, dialogStartFolder(lastFolder(kind_.suffix), QDir::homePath()));
}

QString DialogFilePrompts::askExportPath(const QString& name) {
  const QString folder = dialogStartFolder(lastFolder(kind_.suffix), QDir::homePath());
  return run(kind_.exportTitleKey, true, QDir(folder).filePath(safeFileName(name, kind_.fallbackName, kind_.suffix)));
}

void DialogFilePrompts::showNotice(const QString& text) {
  widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text);
}

bool DialogFilePrompts::askConfirmation(const QString& text) {
  return widgets::CMsgWnd::ShowMessage(owner_ ? owner_->window() : nullptr, QString(), text, 96,
                                       skin::DT_CENTER | skin::DT_VCENTER | skin::DT_WORDBREAK,
                                       widgets::CMsgWnd::kConfirmCancel) == 1;
}

DialogProfilePrompts::DialogProfilePrompts(QWidget* owner)
    : DialogFilePrompts({QStringLiteral("Profile Files(*.json)"), QStringLiteral("json"), "profile_import_title",
                         "profile_export_title", QStringLiteral("profile")},
                        owner) {}

QString countMessageText(const QString& key, int count) {
  QString text = skin::CResourceManager::GetInstance().ResolveText(key);
  const int at = text.indexOf(QLatin1String("%d"));
  if (at >= 0) text.replace(at, 2, QString::number(count));
  return text;
}

QString nameMessageText(const QString& key, const QString& name) {
  QString text = skin::CResourceManager::GetInstance().ResolveText(key);
  const int at = text.indexOf(QLatin1String("%1"));
  if (at >= 0) text.replace(at, 2, name);
  return text;
}

}  // namespace kavro::panels
