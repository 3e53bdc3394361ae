#pragma once
// One running copy per user session. The first copy holds a lock file and a
// local server named after the instance mutex ("NIMBA_VEXOR"); a second copy
// finds the lock taken, sends the instance message to the server and ends.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace kavro::app {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(const QString& name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first copy (it then listens for later copies).
  bool acquire();
  // Second copy: tells the running copy to come forward (wParam 0, lParam 1).
  // False when the running copy could not be reached.
  bool notifyRunning(int timeoutMs = 1000);
  QString serverName() const { return name_; }

 signals:
  // The instance message arrived from another copy.
  void activationRequested(qulonglong wParam, qlonglong lParam);

 private:
  void onConnection();

  QString name_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace kavro::app
