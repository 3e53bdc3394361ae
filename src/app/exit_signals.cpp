#include "app/exit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>

#include "platform/debug.h"

namespace kavro::app {

namespace {
constexpr int kReadEnd = 0;
constexpr int kWriteEnd = 1;

// The pipe's write end, for the handler (which may use nothing else).
std::atomic<int> g_writeEnd{-1};

void onExitSignal(int signalNumber) {
  const int saved = errno;
  const int fd = g_writeEnd.load();
  const unsigned char number = static_cast<unsigned char>(signalNumber);
  // A full pipe already holds a request to end; nothing is lost.
  if (fd >= 0) (void)!::write(fd, &number, 1);
  errno = saved;
}
}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
  if (g_writeEnd.load() >= 0 || ::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    dbg::write("exit signals: no handlers installed\n");
    return;
  }
  g_writeEnd.store(pipe_[kWriteEnd]);
  notifier_ = new QSocketNotifier(pipe_[kReadEnd], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { onReadable(); });
  struct sigaction action {};
  action.sa_handler = onExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kExitSignals.size(); ++i) sigaction(kExitSignals[i], &action, &previous_[i]);
  installed_ = true;
}

ExitSignals::~ExitSignals() {
  if (!installed_) return;
  for (size_t i = 0; i < kExitSignals.size(); ++i) sigaction(kExitSignals[i], &previous_[i], nullptr);
  g_writeEnd.store(-1);
  delete notifier_;
  ::close(pipe_[kReadEnd]);
  ::close(pipe_[kWriteEnd]);
}

void ExitSignals::onReadable() {
  unsigned char number = 0;
  int last = 0;
  while (::read(pipe_[kReadEnd], &number, 1) == 1) last = number;
  if (last == 0) return;
  dbg::printf("signal %d: the program ends\n", last);
  emit exitRequested(last);
}

}  // namespace kavro::app
