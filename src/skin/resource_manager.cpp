#include "skin/resource_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/debug.h"
#include "skin/attr_parse.h"
#include "skin/paint_manager.h"

namespace kavro::skin {
namespace {

QString normalisePath(QString p) {
  p.replace('\\', '/');
  return p;
}

FontSpec fontFromAttributes(const QXmlStreamAttributes& a) {
  FontSpec f;
  for (const QString& fam : a.value("name").toString().split(',', Qt::SkipEmptyParts))
    f.families << fam.trimmed();
  f.size = parseInt(a.value("size").toString(), 12);
  f.bold = parseBool(a.value("bold").toString());
  f.italic = parseBool(a.value("italic").toString());
  f.underline = parseBool(a.value("underline").toString());
  return f;
}

}  // namespace

CResourceManager& CResourceManager::GetInstance() {
  static CResourceManager instance;
  return instance;
}

CResourceManager::CResourceManager() {
  defaultFont_.families = {"Metropolis", "DejaVu Sans", "Simplified_Chinese", "Droid Sans Fallback"};
  defaultFont_.size = 13;
}

void CResourceManager::SetResourcePath(const QString& folder) {
  resourcePath_ = normalisePath(folder);
  if (!resourcePath_.isEmpty() && !resourcePath_.endsWith('/')) resourcePath_ += '/';
}

bool CResourceManager::LoadResource(const QString& indexFile) {
  const QString path = FindFile(indexFile);
  if (path.isEmpty()) {
    dbg::printf("skin: resource index %s not found in %s\n", qUtf8Printable(indexFile),
                qUtf8Printable(resourcePath_));
    return false;
  }
  return parseIndex(path);
}

bool CResourceManager::parseIndex(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    dbg::printf("skin: cannot read %s\n", qUtf8Printable(path));
    return false;
  }
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    const auto tag = xml.name();
    if (tag == QLatin1String("Xml") || tag == QLatin1String("XML")) {
      xmlIndex_[a.value("name").toString()] = a.value("file").toString();
    } else if (tag == QLatin1String("Font")) {
      AddFont(parseInt(a.value("id").toString(), -1), fontFromAttributes(a), parseBool(a.value("default").toString()));
    } else if (tag == QLatin1String("Default")) {
      AddDefaultAttributeList(a.value("name").toString(), a.value("value").toString());
    } else if (tag == QLatin1String("Style")) {
      AddStyle(a.value("name").toString(), a.value("value").toString());
    } else if (tag == QLatin1String("Language")) {
      SetLanguage(a.value("name").toString());
      if (a.hasAttribute("file")) LoadLanguage(a.value("file").toString());
    }
  }
  if (xml.hasError()) {
    dbg::printf("skin: %s line %lld: %s\n", qUtf8Printable(path), static_cast<long long>(xml.lineNumber()),
                qUtf8Printable(xml.errorString()));
    return false;
  }
  return true;
}

void CResourceManager::Release() {
  xmlIndex_.clear();
  images_.clear();
  missingImages_.clear();
  fonts_.clear();
  defaults_.clear();
  styles_.clear();
  texts_.clear();
  query_ = nullptr;
}

QString CResourceManager::FindFile(const QString& nameOrPath) const {
  if (nameOrPath.isEmpty()) return {};
  QString rel = normalisePath(xmlIndex_.value(nameOrPath, nameOrPath));
  if (QFileInfo(rel).isAbsolute()) return QFileInfo::exists(rel) ? rel : QString();
  const QString full = resourcePath_ + rel;
  return QFileInfo::exists(full) ? full : QString();
}

const QImage* CResourceManager::GetImage(const QString& file) {
  auto it = images_.constFind(file);
  if (it != images_.constEnd()) return &it.value();
  if (missingImages_.contains(file)) return nullptr;
  QImage img;
  const QString path = FindFile(file);
  if (path.isEmpty() || !img.load(path)) {
    missingImages_.insert(file);
    dbg::printf("skin: image %s cannot be loaded\n", qUtf8Printable(file));
    return nullptr;
  }
  return &images_.insert(file, img.convertToFormat(QImage::Format_ARGB32_Premultiplied)).value();
}

void CResourceManager::AddFont(int id, const FontSpec& font, bool isDefault) {
  FontSpec f = font;
  if (f.families.isEmpty()) f.families = defaultFont_.families;
  else f.families << defaultFont_.families;  // fall back for missing glyphs
  if (id >= 0) fonts_[id] = f;
  if (isDefault) defaultFont_ = f;
}

void CResourceManager::SetDefaultFont(const QString& family, int size, bool bold) {
  QStringList fams = defaultFont_.families;
  fams.removeAll(family);
  fams.prepend(family);
  defaultFont_.families = fams;
  defaultFont_.size = size;
  defaultFont_.bold = bold;
}

FontSpec CResourceManager::GetFontSpec(int id) const { return fonts_.value(id, defaultFont_); }

QFont CResourceManager::GetFont(int id, double scale) const {
  const FontSpec s = GetFontSpec(id);
  QFont f;
  f.setFamilies(s.families);
  f.setPixelSize(qMax(1, qRound(s.size * scale)));
  f.setBold(s.bold);
  f.setItalic(s.italic);
  f.setUnderline(s.underline);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

void CResourceManager::AddDefaultAttributeList(const QString& controlClass, const QString& list) {
  defaults_[controlClass.toLower()] = list;
}

QString CResourceManager::GetDefaultAttributeList(const QString& controlClass) const {
  return defaults_.value(controlClass.toLower());
}

bool CResourceManager::LoadLanguage(const QString& file) {
  const QString path = FindFile(file);
  QFile f(path);
  if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
    dbg::printf("skin: language file %s not found\n", qUtf8Printable(file));
    return false;
  }
  QHash<QString, QString> texts;
  QXmlStreamReader xml(&f);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Text")) continue;
    const auto a = xml.attributes();
    texts[a.value("id").toString()] = a.value("value").toString();
  }
  if (xml.hasError()) {
    dbg::printf("skin: %s line %lld: %s\n", qUtf8Printable(path), static_cast<long long>(xml.lineNumber()),
                qUtf8Printable(xml.errorString()));
    return false;
  }
  texts_ = texts;
  return true;
}

QString CResourceManager::GetText(const QString& key, const QString& controlClass) const {
  auto it = texts_.constFind(key);
  if (it != texts_.constEnd()) return it.value();
  if (query_) return query_->QueryControlText(key, controlClass);
  return {};
}

QString CResourceManager::ResolveText(const QString& text, const QString& controlClass) const {
  if (text.isEmpty()) return text;
  auto it = texts_.constFind(text);
  if (it != texts_.constEnd()) return it.value();
  if (query_) {
    const QString q = query_->QueryControlText(text, controlClass);
    if (!q.isEmpty()) return q;
  }
  return text;
}

void CResourceManager::ReloadText() { CPaintManagerUI::ReloadAllText(); }

}  // namespace kavro::skin
