#include "widgets/save_failure_reporter.h"

#include <QApplication>

#include "platform/debug.h"
#include "platform/event.h"
#include "widgets/msg_wnd.h"

namespace kavro::widgets {

bool SaveBurstRule::failure(std::int64_t nowMs) {
  const bool startsBurst = !open_ && (!seen_ || nowMs - last_ >= quietMs_);
  seen_ = true;
  last_ = nowMs;
  if (startsBurst) open_ = true;
  return startsBurst;
}

void SaveBurstRule::closed(std::int64_t nowMs) {
  open_ = false;
  seen_ = true;
  last_ = nowMs;
}

CSaveFailureReporter::CSaveFailureReporter(QObject* parent)
    : QObject(parent),
      show_([](const QString& key) { CMsgWnd::ShowMessage(QApplication::activeWindow(), QString(), key); }),
      clock_([] { return static_cast<std::int64_t>(tickMs()); }) {}

const char* saveFailureMessageKey(profiles::SaveFailure what) {
  return what == profiles::SaveFailure::ProfileList ? kListNotSavedMessageKey : kSaveFailedMessageKey;
}

void CSaveFailureReporter::saveFailed(const std::string& path, profiles::SaveFailure what) {
  dbg::write("save failed: " + path + "\n");
  QMetaObject::invokeMethod(this, [this, what] { onFailure(what); }, Qt::QueuedConnection);
}

void CSaveFailureReporter::onFailure(profiles::SaveFailure what) {
  if (!rule_.failure(clock_())) return;
  show_(QString::fromLatin1(saveFailureMessageKey(what)));
  rule_.closed(clock_());
}

CSaveFailureReporter& saveFailureReporter() {
  // Never destroyed: devices may report while the program shuts down.
  static auto* reporter = new CSaveFailureReporter;
  return *reporter;
}

}  // namespace kavro::widgets
