#pragma once
// SIGTERM (sent at log-out and shutdown), SIGINT and SIGHUP end the program
// through its normal exit sequence instead of killing it on the spot. The
// signal handler only writes the signal's number into a pipe; the window
// thread reads the pipe and reports exitRequested, where the exit sequence
// can run like any other.
#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace kavro::app {

inline constexpr std::array<int, 3> kExitSignals = {SIGTERM, SIGINT, SIGHUP};

class ExitSignals : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; one object at a time.
  explicit ExitSignals(QObject* parent = nullptr);
  // Puts the handlers back that were there before.
  ~ExitSignals() override;
  bool installed() const { return installed_; }

 signals:
  void exitRequested(int signalNumber);

 private:
  void onReadable();

  std::array<int, 2> pipe_ = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  std::array<struct sigaction, kExitSignals.size()> previous_{};
  bool installed_ = false;
};

}  // namespace kavro::app
