#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include "app/app_messages.h"
#include "platform/debug.h"

namespace kavro::app {

namespace {
QString lockPath(const QString& name) {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  return QDir(dir).filePath(name + ".lock");
}
}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
}

SingleInstance::~SingleInstance() {
  server_.close();
  if (lock_) lock_->unlock();
}

bool SingleInstance::acquire() {
  lock_ = std::make_unique<QLockFile>(lockPath(name_));
  lock_->setStaleLockTime(0);  // a lock of a copy that died is taken over
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  // We hold the lock, so any server socket left behind belongs to a dead copy.
  QLocalServer::removeServer(name_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(name_))
    dbg::printf("single instance: cannot listen on %s: %s\n", qUtf8Printable(name_),
                qUtf8Printable(server_.errorString()));
  return true;
}

bool SingleInstance::notifyRunning(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(QByteArray(kInstanceMessageName) + " 0 1\n");
  const bool ok = socket.waitForBytesWritten(timeoutMs);
  socket.disconnectFromServer();
  return ok;
}

void SingleInstance::onConnection() {
  while (QLocalSocket* s = server_.nextPendingConnection()) {
    auto drain = [this, s] {
      while (s->canReadLine()) {
        const QList<QByteArray> parts = s->readLine(256).trimmed().split(' ');
        if (parts.size() != 3 || parts[0] != kInstanceMessageName) continue;
        emit activationRequested(parts[1].toULongLong(), parts[2].toLongLong());
      }
    };
    connect(s, &QLocalSocket::readyRead, this, drain);
    connect(s, &QLocalSocket::disconnected, this, [s, drain] {
      drain();
      s->deleteLater();
    });
    drain();
  }
}

}  // namespace kavro::app
