#pragma once
// What the profile, macro and key panels ask of the user: file names for
// import and export, and notices. Behind an interface so that tests answer
// without modal dialogs.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <utility>

namespace kavro::panels {

class IFilePrompts {
 public:
  virtual ~IFilePrompts() = default;
  // A file to import; empty when the user cancelled.
  virtual QString askImportPath() = 0;
  // Where to export the item named name, suggesting a file named after it;
  // empty when the user cancelled.
  virtual QString askExportPath(const QString& name) = 0;
  // A notice with one confirm button; text is a language key or plain text.
  virtual void showNotice(const QString& text) = 0;
  // A question with confirm and cancel; true only when the user confirmed.
  virtual bool askConfirmation(const QString& text) = 0;
};
using IProfilePrompts = IFilePrompts;

// What a panel imports and exports.
struct FileKind {
  QString filter;               // "Profile Files(*.json)"
  QString suffix;               // "json"
  const char* importTitleKey;   // language key of the import dialog's title
  const char* exportTitleKey;
  QString fallbackName;         // the suggested name when an item's name gives none
};

// File dialogs in the skin's dark look, opening in the folder a dialog of
// the same kind used last in this run or else the user's home; the message
// dialog for notices and questions.
class DialogFilePrompts : public IFilePrompts {
 public:
  explicit DialogFilePrompts(FileKind kind, QWidget* owner = nullptr) : kind_(std::move(kind)), owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  QString askImportPath() override;
  QString askExportPath(const QString& name) override;
  void showNotice(const QString& text) override;
  bool askConfirmation(const QString& text) override;

 private:
  QString run(const char* titleKey, bool save, const QString& start);
  FileKind kind_;
  QPointer<QWidget> owner_;
};

// Profile files ("Profile Files(*.json)").
class DialogProfilePrompts : public DialogFilePrompts {
 public:
  explicit DialogProfilePrompts(QWidget* owner = nullptr);
};

// Where a file dialog opens: the folder used last while it still exists,
// else home.
QString dialogStartFolder(const QString& lastUsed, const QString& home);
// A suggested file name: name with the characters that cannot stand in a
// file name replaced and no leading dots (fallback when nothing is left),
// + "." + suffix.
QString safeFileName(const QString& name, const QString& fallback, const QString& suffix);
// The suggested export file name for a profile.
QString profileFileName(const QString& profileName);

// The text of a language key whose text holds one "%d", with count filled in.
// Only "%d" is replaced, so a language text with other '%' signs is shown
// as written.
QString countMessageText(const QString& key, int count);
// The text of a language key whose text holds "%1", with the profile's name
// filled in (the name is taken as plain text).
QString nameMessageText(const QString& key, const QString& name);

}  // namespace kavro::panels
