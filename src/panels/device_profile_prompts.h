#pragma once
// What the profile panel asks of the user: file names for import and export,
// and notices. Behind an interface so that tests answer without modal
// dialogs.
#include <QPointer>
#include <QString>
#include <QWidget>

namespace kavro::panels {

class IProfilePrompts {
 public:
  virtual ~IProfilePrompts() = default;
  // A profile file to import; empty when the user cancelled.
  virtual QString askImportPath() = 0;
  // Where to export the selected profile, suggesting a file named after it;
  // empty when the user cancelled.
  virtual QString askExportPath(const QString& profileName) = 0;
  // A notice with one confirm button; text is a language key or plain text.
  virtual void showNotice(const QString& text) = 0;
  // A question with confirm and cancel; true only when the user confirmed.
  virtual bool askConfirmation(const QString& text) = 0;
};

// File dialogs ("Profile Files(*.json)") in the skin's dark look, opening in
// the folder used last in this run or else the user's home; the message
// dialog for notices and questions.
class DialogProfilePrompts : public IProfilePrompts {
 public:
  explicit DialogProfilePrompts(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  QString askImportPath() override;
  QString askExportPath(const QString& profileName) override;
  void showNotice(const QString& text) override;
  bool askConfirmation(const QString& text) override;

 private:
  QPointer<QWidget> owner_;
};

// Where a file dialog opens: the folder used last while it still exists,
// else home.
QString dialogStartFolder(const QString& lastUsed, const QString& home);
// The suggested export file name for a profile: its name (characters that
// cannot stand in a file name replaced, no leading dots) + ".json".
QString profileFileName(const QString& profileName);

// The text of a language key whose text holds one "%d", with count filled in.
// Only "%d" is replaced, so a language text with other '%' signs is shown
// as written.
QString countMessageText(const QString& key, int count);
// The text of a language key whose text holds "%1", with the profile's name
// filled in (the name is taken as plain text).
QString nameMessageText(const QString& key, const QString& name);

}  // namespace kavro::panels
