#pragma once
// The skin's resources: the resource folder with its "res.xml" index, images,
// fonts, default attribute lists, named styles and the language texts.
#include <QFont>
#include <QHash>
#include <QImage>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace kavro::skin {

// Asked for a text that the language file does not hold.
class IQueryControlText {
 public:
  virtual ~IQueryControlText() = default;
  virtual QString QueryControlText(const QString& key, const QString& controlClass) = 0;
};

struct FontSpec {
  QStringList families;
  int size = 12;  // pixels at 96 DPI
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

class CResourceManager {
 public:
  static CResourceManager& GetInstance();

  // Folder that skin XML and images are relative to ("…/skin/").
  void SetResourcePath(const QString& folder);
  QString GetResourcePath() const { return resourcePath_; }
  // Reads the index file (e.g. "res.xml") from the resource folder: named
  // XML files, fonts, default attribute lists and styles. False when the file
  // is missing or broken (the reason goes to the debug output).
  bool LoadResource(const QString& indexFile);
  // Drops everything loaded; the resource folder stays.
  void Release();

  // Absolute path for a resource name from the index or a relative path
  // (backslashes are accepted). Empty when nothing exists there.
  QString FindFile(const QString& nameOrPath) const;
  void AddXmlResource(const QString& name, const QString& file) { xmlIndex_[name] = file; }

  // Images, loaded once; nullptr when the file cannot be read.
  const QImage* GetImage(const QString& file);

  // Fonts by index; index -1 or an unknown index gives the default font.
  void AddFont(int id, const FontSpec& font, bool isDefault);
  void SetDefaultFont(const QString& family, int size, bool bold = false);
  FontSpec GetFontSpec(int id) const;
  QFont GetFont(int id, double scale) const;

  // Attribute lists applied before a control's own attributes, by class name.
  void AddDefaultAttributeList(const QString& controlClass, const QString& list);
  QString GetDefaultAttributeList(const QString& controlClass) const;
  void AddStyle(const QString& name, const QString& list) { styles_[name] = list; }
  QString GetStyle(const QString& name) const { return styles_.value(name); }

  // Language texts. A control text that names a key shows the key's text.
  void SetLanguage(const QString& name) { language_ = name; }
  QString GetLanguage() const { return language_; }
  // Reads a language file: <Language><Text id="key" value="text"/>…</Language>.
  // The previous texts are replaced only when the file could be read.
  bool LoadLanguage(const QString& file);
  void AddText(const QString& key, const QString& text) { texts_[key] = text; }
  void ResetText() { texts_.clear(); }
  QString GetText(const QString& key, const QString& controlClass = QString()) const;
  bool HasText(const QString& key) const { return texts_.contains(key); }
  // The text to show for a control text: the language text when it names a
  // key, otherwise the text itself.
  QString ResolveText(const QString& text, const QString& controlClass = QString()) const;
  // Applies the current texts to every open window.
  void ReloadText();
  void SetTextQueryInterface(IQueryControlText* query) { query_ = query; }

 private:
  CResourceManager();
  bool parseIndex(const QString& path);

  QString resourcePath_;
  QHash<QString, QString> xmlIndex_;
  QHash<QString, QImage> images_;
  QSet<QString> missingImages_;
  QMap<int, FontSpec> fonts_;
  FontSpec defaultFont_;
  QHash<QString, QString> defaults_;
  QHash<QString, QString> styles_;
  QHash<QString, QString> texts_;
  QString language_;
  IQueryControlText* query_ = nullptr;
};

}  // namespace kavro::skin
