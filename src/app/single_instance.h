#pragma once
// One running copy per user session. The first copy holds a lock file and
// listens on a local socket, both named after the instance mutex
// ("NIMBA_VEXOR") and kept together in the user's runtime folder
// ($XDG_RUNTIME_DIR, else a folder of this user's own), so copies of other
// users or other sessions never meet. A second copy finds the lock taken,
// sends the instance message to the socket and ends.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace kavro::app {

// $XDG_RUNTIME_DIR when it names a folder; otherwise a folder only this user
// may enter (created when missing). Empty when neither can be had.
QString userRuntimeFolder();

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // folder: where the lock and the socket live; empty: userRuntimeFolder().
  explicit SingleInstance(const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first copy (it then listens for later copies).
  bool acquire();
  // Second copy: tells the running copy to come forward (wParam 0, lParam 1).
  // False when the running copy could not be reached.
  bool notifyRunning(int timeoutMs = 1000);
  // The socket's path ("<folder>/<name>") and the lock's ("<folder>/<name>.lock").
  QString serverName() const { return socketPath_; }
  QString lockPath() const { return socketPath_ + QStringLiteral(".lock"); }

 signals:
  // The instance message arrived from another copy.
  void activationRequested(qulonglong wParam, qlonglong lParam);

 private:
  void onConnection();

  QString socketPath_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace kavro::app
