#pragma once
// The main window's update thread: it asks the service once at start and
// again whenever a re-check is requested, and reports whether any item has a
// newer version (the settings button then carries its mark).
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "update/http_client.h"
#include "update/update_items.h"

namespace kavro::update {

// What one pass found.
enum class PassResult { NoUpdate, UpdateFound, NoLink, Stopped };

// One pass: every item with an installed version is asked about in turn; no
// connection ends the pass, and so does the first answer offering an update.
PassResult checkForUpdates(HttpClient& client, const std::string& serviceBase, const std::vector<UpdateItem>& items,
                           Event* stop = nullptr);

class BackgroundCheck {
 public:
  // onResult(found) is called on the worker thread after each pass that was
  // not stopped: true when an update exists, false otherwise (the mark is
  // then cleared). It must not wait for the window thread.
  BackgroundCheck(std::string serviceBase, ClientSettings client, std::function<void(bool found)> onResult);
  ~BackgroundCheck();
  BackgroundCheck(const BackgroundCheck&) = delete;
  BackgroundCheck& operator=(const BackgroundCheck&) = delete;

  // The items the next pass asks about (the program and the attached devices).
  void setItems(std::vector<UpdateItem> items);
  // Starts the thread; its first pass runs at once.
  void start();
  // Requests another pass.
  void recheck();
  // Stops the thread and waits for it (a transfer stops within about a second).
  void stop();

 private:
  void run();

  std::string serviceBase_;
  Event stop_{Event::Reset::Manual};
  Event recheck_{Event::Reset::Auto};
  HttpClient client_;
  std::function<void(bool)> onResult_;
  std::mutex mutex_;
  std::vector<UpdateItem> items_;
  std::thread thread_;
};

}  // namespace kavro::update
