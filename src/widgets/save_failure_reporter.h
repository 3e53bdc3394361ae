#pragma once
// Tells the user that changes could not be saved: one message in the message
// dialog per burst of failed saves, not one per keystroke or slider step.
// The unsaved state stays in memory with its owner, so a later save that
// succeeds writes it.
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

#include "profiles/save_failure.h"

namespace kavro::widgets {

// Failures closer together than this belong to one burst.
inline constexpr std::int64_t kSaveBurstQuietMs = 10000;
// Language keys of the messages.
inline constexpr char kSaveFailedMessageKey[] = "message_save_failed";
inline constexpr char kListNotSavedMessageKey[] = "message_list_not_saved";

// The message for what could not be saved.
const char* saveFailureMessageKey(profiles::SaveFailure what);

// Which failures are shown: the first of each burst. A burst goes on while
// failures follow each other, or the closing of its message, within the
// quiet time; while the message is open no second one is shown.
class SaveBurstRule {
 public:
  explicit SaveBurstRule(std::int64_t quietMs = kSaveBurstQuietMs) : quietMs_(quietMs) {}
  // A failure at nowMs (a monotonic clock); true when it is to be shown.
  bool failure(std::int64_t nowMs);
  // The message was closed at nowMs.
  void closed(std::int64_t nowMs);

 private:
  std::int64_t quietMs_;
  std::int64_t last_ = 0;
  bool seen_ = false;
  bool open_ = false;
};

class CSaveFailureReporter : public QObject, public profiles::ISaveFailureSink {
  Q_OBJECT
 public:
  using ShowFunction = std::function<void(const QString& messageKey)>;
  using Clock = std::function<std::int64_t()>;

  explicit CSaveFailureReporter(QObject* parent = nullptr);

  // From any thread. The message is shown later from the reporter's thread's
  // event loop, never inside the save that failed.
  void saveFailed(const std::string& path, profiles::SaveFailure what) override;

  // Tests replace the message dialog and the clock.
  void setShowFunction(ShowFunction show) { show_ = std::move(show); }
  void setClock(Clock clock) { clock_ = std::move(clock); }

 private:
  void onFailure(profiles::SaveFailure what);

  SaveBurstRule rule_;
  ShowFunction show_;
  Clock clock_;
};

// The program's reporter, made on first use in the thread that uses it
// first (the window thread).
CSaveFailureReporter& saveFailureReporter();

}  // namespace kavro::widgets
