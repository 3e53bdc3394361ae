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
  // Where to export the selected profile; empty when the user cancelled.
  virtual QString askExportPath() = 0;
  // A notice with one confirm button; text is a language key or plain text.
  virtual void showNotice(const QString& text) = 0;
};

// The system file dialogs ("Profile Files(*.json)") and the message dialog.
class DialogProfilePrompts : public IProfilePrompts {
 public:
  explicit DialogProfilePrompts(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  QString askImportPath() override;
  QString askExportPath() override;
  void showNotice(const QString& text) override;

 private:
  QPointer<QWidget> owner_;
};

// The text of a language key whose text holds one "%d", with count filled in.
// Only "%d" is replaced, so a language text with other '%' signs is shown
// as written.
QString countMessageText(const QString& key, int count);

}  // namespace kavro::panels
