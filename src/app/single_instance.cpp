#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

#include <unistd.h>

#include "app/app_messages.h"
#include "platform/debug.h"

namespace kavro::app {

namespace {
constexpr char kRuntimeVariable[] = "XDG_RUNTIME_DIR";
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                               QFileDevice::WriteUser | QFileDevice::ExeUser;

// A folder in the temporary folder that belongs to this user alone: one that
// somebody else made is not used, and ours is closed to everybody else.
QString privateTempFolder() {
  const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("kavro-runtime-%1").arg(::getuid()));
  QDir().mkpath(path);
  const QFileInfo info(path);
  if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid()) return QString();
  if (info.permissions() != kOwnerOnly && !QFile::setPermissions(path, kOwnerOnly)) return QString();
  return path;
}
}  // namespace

QString userRuntimeFolder() {
  const QString runtime = qEnvironmentVariable(kRuntimeVariable);
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
  return privateTempFolder();
}

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent) : QObject(parent) {
  QString dir = folder.isEmpty() ? userRuntimeFolder() : folder;
  if (dir.isEmpty()) {
    dbg::write("single instance: no runtime folder of this user; the temporary folder is used\n");
    dir = QDir::tempPath();
  }
  socketPath_ = QDir(dir).filePath(name);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
}

SingleInstance::~SingleInstance() {
  server_.close();
  if (lock_) lock_->unlock();
}

bool SingleInstance::acquire() {
  lock_ = std::make_unique<QLockFile>(lockPath());
  lock_->setStaleLockTime(0);  // a lock of a copy that died is taken over
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  // We hold the lock, so any server socket left behind belongs to a dead copy.
  QLocalServer::removeServer(socketPath_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(socketPath_))
    dbg::printf("single instance: cannot listen on %s: %s\n", qUtf8Printable(socketPath_),
                qUtf8Printable(server_.errorString()));
  return true;
}

bool SingleInstance::notifyRunning(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
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
