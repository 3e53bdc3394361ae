#pragma once
// One private session bus for a whole test program, in place before
// anything touches the session bus; and the program's commands run while the
// test's event loop keeps serving the bus.
#include <gtest/gtest.h>
#include <json/json.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <signal.h>

#include <sstream>

#include "skin/qt_app.h"

namespace kavro::test {

class PrivateBus : public ::testing::Environment {
 public:
  void SetUp() override {
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--fork", "--print-address=1", "--print-pid=1"});
    ASSERT_TRUE(daemon.waitForFinished(10000));
    const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    address = lines[0].trimmed();
    pid = lines[1].trimmed().toInt();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
  }
  void TearDown() override {
    if (pid > 0) ::kill(pid, SIGTERM);
  }
  static inline QString address;
  static inline int pid = 0;
};

inline constexpr int kCommandLimitMs = 60000;

struct CommandRun {
  int exitCode = -1;
  QString out, err;
};

// Runs kavro-config while this thread's loop keeps serving the bus.
inline CommandRun runCommand(const QStringList& args, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KAVRO_CONFIG_EXE), args);
  CommandRun r;
  if (!p.waitForStarted(10000)) return r;
  waitFor([&] { return p.state() == QProcess::NotRunning; }, kCommandLimitMs);
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

inline Json::Value parseJson(const QString& text) {
  Json::Value v;
  Json::CharReaderBuilder b;
  std::string errors;
  std::istringstream in(text.toStdString());
  EXPECT_TRUE(Json::parseFromStream(b, in, &v, &errors)) << errors;
  return v;
}

}  // namespace kavro::test
