#pragma once
// CControlFactory (class names -> creators) and CDialogBuilder (layout XML
// -> control tree).
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QXmlStreamReader;

namespace kavro::skin {

class CControlUI;
class CContainerUI;
class CPaintManagerUI;

// Asked for class names that neither the toolkit nor the factory knows.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  virtual CControlUI* CreateControl(const QString& className) = 0;
};

class CControlFactory {
 public:
  using Creator = std::function<CControlUI*()>;
  static CControlFactory* GetInstance();
  // Registers (or replaces) a creator for a class name; names are compared
  // without case.
  void RegistControl(const QString& className, Creator creator);
  bool IsRegistered(const QString& className) const;
  CControlUI* CreateControl(const QString& className) const;
  QStringList RegisteredNames() const { return order_; }

 private:
  QHash<QString, Creator> creators_;
  QStringList order_;
};

class CDialogBuilder {
 public:
  // Builds a control tree from a layout (resource name or path under the
  // skin folder). With a parent container the root is added to it. Returns
  // nullptr, with the reason in GetLastError() and the debug output, when
  // the file is missing or broken; nothing is left behind then.
  CControlUI* Create(const QString& xml, IDialogBuilderCallback* callback = nullptr,
                     CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
  // Same from layout text in memory.
  CControlUI* CreateFromText(const QString& text, IDialogBuilderCallback* callback = nullptr,
                             CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
  QString GetLastError() const { return error_; }

  // The toolkit's own control for a class name, or nullptr.
  static CControlUI* CreateBuiltinControl(const QString& className);

 private:
  CControlUI* build(QXmlStreamReader& xml, const QString& source, CControlUI* parent);
  CControlUI* parseControl(QXmlStreamReader& xml, CContainerUI* parent, int depth);
  CControlUI* createControl(const QString& className) const;
  void readWindowElement(QXmlStreamReader& xml);
  void readGlobalElement(QXmlStreamReader& xml);
  bool includeFile(QXmlStreamReader& xml, CContainerUI* parent, int depth);
  void fail(const QString& message);

  IDialogBuilderCallback* callback_ = nullptr;
  CPaintManagerUI* manager_ = nullptr;
  QString error_;
  int includeDepth_ = 0;
};

}  // namespace kavro::skin
