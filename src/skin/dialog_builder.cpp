#include "skin/dialog_builder.h"

#include <QFile>
#include <QXmlStreamReader>

#include "platform/debug.h"
#include "skin/controls.h"
#include "skin/paint_manager.h"
#include "skin/resource_manager.h"

namespace kavro::skin {
namespace {
constexpr int kMaxDepth = 64;
constexpr int kMaxIncludeDepth = 8;
}  // namespace

CControlFactory* CControlFactory::GetInstance() {
  static CControlFactory factory;
  return &factory;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
  const QString key = className.toLower();
  if (!creators_.contains(key)) order_.append(className);
  creators_[key] = std::move(creator);
}

bool CControlFactory::IsRegistered(const QString& className) const { return creators_.contains(className.toLower()); }

CControlUI* CControlFactory::CreateControl(const QString& className) const {
  auto it = creators_.constFind(className.toLower());
  return it != creators_.constEnd() && it.value() ? it.value()() : nullptr;
}

CControlUI* CDialogBuilder::CreateBuiltinControl(const QString& cls) {
  static const QHash<QString, std::function<CControlUI*()>> builtins = {
      {"control", [] { return new CControlUI; }},
      {"container", [] { return new CContainerUI; }},
      {"verticallayout", [] { return new CVerticalLayoutUI; }},
      {"horizontallayout", [] { return new CHorizontalLayoutUI; }},
      {"tablayout", [] { return new CTabLayoutUI; }},
      {"label", [] { return new CLabelUI; }},
      {"text", [] { return new CTextUI; }},
      {"button", [] { return new CButtonUI; }},
      {"option", [] { return new COptionUI; }},
      {"checkbox", [] { return new CCheckBoxUI; }},
      {"combo", [] { return new CComboUI; }},
      {"list", [] { return new CListUI; }},
      {"listlabelelement", [] { return new CListLabelElementUI; }},
      {"listcontainerelement", [] { return new CListContainerElementUI; }},
      {"edit", [] { return new CEditUI; }},
      {"richedit", [] { return new CRichEditUI; }},
      {"slider", [] { return new CSliderUI; }},
      {"progress", [] { return new CProgressUI; }},
  };
  auto it = builtins.constFind(cls.toLower());
  return it != builtins.constEnd() ? it.value()() : nullptr;
}

CControlUI* CDialogBuilder::createControl(const QString& className) const {
  if (CControlUI* c = CreateBuiltinControl(className)) return c;
  if (CControlUI* c = CControlFactory::GetInstance()->CreateControl(className)) return c;
  if (callback_) return callback_->CreateControl(className);
  return nullptr;
}

void CDialogBuilder::fail(const QString& message) {
  if (error_.isEmpty()) error_ = message;
}

CControlUI* CDialogBuilder::Create(const QString& xmlName, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
  error_.clear();
  callback_ = callback;
  manager_ = manager;
  const QString path = CResourceManager::GetInstance().FindFile(xmlName);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    fail(QStringLiteral("layout %1 not found").arg(xmlName));
    dbg::printf("skin: %s\n", qUtf8Printable(error_));
    return nullptr;
  }
  QXmlStreamReader xml(&file);
  return build(xml, xmlName, parent);
}

CControlUI* CDialogBuilder::CreateFromText(const QString& text, IDialogBuilderCallback* callback,
                                           CPaintManagerUI* manager, CControlUI* parent) {
  error_.clear();
  callback_ = callback;
  manager_ = manager;
  QXmlStreamReader xml(text);
  return build(xml, QStringLiteral("(text)"), parent);
}

CControlUI* CDialogBuilder::build(QXmlStreamReader& xml, const QString& source, CControlUI* parent) {
  auto* parentContainer = qobject_cast<CContainerUI*>(parent);
  // Parse into a holder so that a broken file leaves nothing behind.
  CContainerUI holder;
  CControlUI* root = nullptr;
  while (!xml.atEnd() && !xml.hasError()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QString tag = xml.name().toString();
    if (tag == "Window") {
      readWindowElement(xml);
      continue;  // its children follow as siblings in the reader
    }
    if (tag == "Font" || tag == "Default" || tag == "Style" || tag == "Image") {
      readGlobalElement(xml);
      continue;
    }
    if (root) {  // a second root: keep it as a sibling under the parent
      if (CControlUI* extra = parseControl(xml, &holder, 0)) Q_UNUSED(extra);
      continue;
    }
    root = parseControl(xml, &holder, 0);
    if (!root && error_.isEmpty()) fail(QStringLiteral("unknown root class %1").arg(tag));
    if (!root) break;
  }
  if (xml.hasError()) {
    fail(QStringLiteral("%1 line %2: %3").arg(source).arg(xml.lineNumber()).arg(xml.errorString()));
    root = nullptr;
  } else if (!root && error_.isEmpty()) {
    fail(QStringLiteral("%1 holds no control").arg(source));
  }
  if (!root) {
    dbg::printf("skin: %s\n", qUtf8Printable(error_));
    return nullptr;  // the holder deletes what was built
  }
  // Move the built controls from the holder to their real place.
  CControlUI* first = nullptr;
  while (holder.GetCount() > 0) {
    CControlUI* c = holder.GetItemAt(0);
    holder.Remove(c, true);
    if (!first) first = c;
    if (parentContainer) parentContainer->Add(c);
    else if (c != root) delete c;
  }
  return first;
}

void CDialogBuilder::readWindowElement(QXmlStreamReader& xml) {
  if (!manager_) return;
  for (const auto& a : xml.attributes()) manager_->SetWindowAttribute(a.name().toString(), a.value().toString());
}

void CDialogBuilder::readGlobalElement(QXmlStreamReader& xml) {
  const auto a = xml.attributes();
  const QString tag = xml.name().toString();
  auto& rm = CResourceManager::GetInstance();
  if (tag == "Font") {
    FontSpec f;
    for (const QString& fam : a.value("name").toString().split(',', Qt::SkipEmptyParts)) f.families << fam.trimmed();
    f.size = parseInt(a.value("size").toString(), 12);
    f.bold = parseBool(a.value("bold").toString());
    f.italic = parseBool(a.value("italic").toString());
    f.underline = parseBool(a.value("underline").toString());
    rm.AddFont(parseInt(a.value("id").toString(), -1), f, parseBool(a.value("default").toString()));
  } else if (tag == "Default") {
    if (manager_) manager_->AddDefaultAttributeList(a.value("name").toString(), a.value("value").toString());
  } else if (tag == "Style") {
    rm.AddStyle(a.value("name").toString(), a.value("value").toString());
  }
  xml.skipCurrentElement();
}

bool CDialogBuilder::includeFile(QXmlStreamReader& xml, CContainerUI* parent, int depth) {
  const QString source = xml.attributes().value("source").toString();
  const int count = qMax(1, parseInt(xml.attributes().value("count").toString(), 1));
  xml.skipCurrentElement();
  if (includeDepth_ >= kMaxIncludeDepth) {
    fail(QStringLiteral("include %1 nested too deeply").arg(source));
    return false;
  }
  for (int i = 0; i < count; ++i) {
    CDialogBuilder inner;
    inner.includeDepth_ = includeDepth_ + 1;
    if (!inner.Create(source, callback_, manager_, parent)) {
      fail(inner.GetLastError());
      return false;
    }
  }
  Q_UNUSED(depth);
  return true;
}

CControlUI* CDialogBuilder::parseControl(QXmlStreamReader& xml, CContainerUI* parent, int depth) {
  const QString cls = xml.name().toString();
  if (depth > kMaxDepth) {
    fail(QStringLiteral("layout nested deeper than %1").arg(kMaxDepth));
    xml.skipCurrentElement();
    return nullptr;
  }
  CControlUI* control = createControl(cls);
  if (!control) {
    dbg::printf("skin: unknown control class %s\n", qUtf8Printable(cls));
    xml.skipCurrentElement();
    return nullptr;
  }
  // Defaults: toolkit-wide, then the window's, then the element's own.
  auto& rm = CResourceManager::GetInstance();
  control->ApplyAttributeList(rm.GetDefaultAttributeList(cls));
  if (manager_) control->ApplyAttributeList(manager_->GetDefaultAttributeList(cls));
  // A named style comes first wherever it is written, so that the element's
  // own attributes refine it.
  const auto attrs = xml.attributes();
  if (attrs.hasAttribute("style")) control->SetAttribute("style", attrs.value("style").toString());
  for (const auto& a : attrs)
    if (a.name() != QLatin1String("style")) control->SetAttribute(a.name().toString(), a.value().toString());
  if (parent) parent->Add(control);
  auto* container = qobject_cast<CContainerUI*>(control);
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::EndElement) break;
    if (token != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("Include")) {
      if (container) includeFile(xml, container, depth + 1);
      else xml.skipCurrentElement();
      continue;
    }
    if (!container) {
      xml.skipCurrentElement();  // children of a plain control are ignored
      continue;
    }
    parseControl(xml, container, depth + 1);
  }
  return control;
}

}  // namespace kavro::skin
