// Failed saves reach the user once per burst: the pure burst rule, and the
// reporter that shows the message later from the event loop.
#include "widgets/save_failure_reporter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <thread>

#include "skin/qt_app.h"

using namespace kavro;
using namespace kavro::widgets;

TEST(SaveBurstRule, OnlyTheFirstFailureOfABurstIsShown) {
  SaveBurstRule rule(1000);
  EXPECT_TRUE(rule.failure(0));
  rule.closed(50);
  // A slider drag: failures every 30 ms, for longer than the quiet time.
  for (int t = 80; t < 5000; t += 30) EXPECT_FALSE(rule.failure(t)) << t;
  // A pause longer than the quiet time starts a new burst.
  EXPECT_TRUE(rule.failure(6100));
  rule.closed(20000);  // the user read the message for a while
  EXPECT_FALSE(rule.failure(20500));
  EXPECT_TRUE(rule.failure(21500));
}

TEST(SaveBurstRule, NoSecondMessageWhileOneIsOpen) {
  SaveBurstRule rule(1000);
  EXPECT_TRUE(rule.failure(0));
  EXPECT_FALSE(rule.failure(5000));  // still open: no second dialog over it
  rule.closed(5000);
  EXPECT_TRUE(rule.failure(7000));
}

TEST(SaveFailureReporter, ShowsOneMessagePerBurstLaterAndFromAnyThread) {
  test::qtApp();
  CSaveFailureReporter reporter;
  std::int64_t now = 0;
  std::vector<QString> shown;
  reporter.setClock([&] { return now; });
  reporter.setShowFunction([&](const QString& key) {
    shown.push_back(key);
    // More failures while the message is open are part of its burst.
    reporter.saveFailed("again", profiles::SaveFailure::Changes);
    QCoreApplication::processEvents();
  });
  for (int i = 0; i < 20; ++i) reporter.saveFailed("/p/a.Json", profiles::SaveFailure::Changes);
  EXPECT_TRUE(shown.empty());  // never inside the save that failed
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, (std::vector<QString>{kSaveFailedMessageKey}));

  now += kSaveBurstQuietMs;
  std::thread worker([&] { reporter.saveFailed("/p/ProfileList.ini", profiles::SaveFailure::ProfileList); });
  worker.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, (std::vector<QString>{kSaveFailedMessageKey, kListNotSavedMessageKey}));
}
