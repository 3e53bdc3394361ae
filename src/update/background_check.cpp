#include "update/background_check.h"

#include "platform/debug.h"
#include "update/update_rules.h"

namespace kavro::update {

PassResult checkForUpdates(HttpClient& client, const std::string& serviceBase, const std::vector<UpdateItem>& items,
                           Event* stop) {
  const std::string url = queryUrl(serviceBase);
  const bool https = isHttpsUrl(serviceBase);
  for (const auto& item : items) {
    if (stop != nullptr && stop->isSet()) return PassResult::Stopped;
    if (!item.hasInstalledVersion()) continue;
    const std::string answer = client.post(url, queryBody(item), kAnswerCapacity);
    if (answer == kNoLinkServer) return PassResult::NoLink;
    if (evaluateAnswer(item, answer, std::string(), https).state != kRowUpToDate) return PassResult::UpdateFound;
  }
  return PassResult::NoUpdate;
}

BackgroundCheck::BackgroundCheck(std::string serviceBase, ClientSettings client,
                                 std::function<void(bool found)> onResult)
    : serviceBase_(std::move(serviceBase)),
      client_([&] {
        client.cancel = &stop_;
        return client;
      }()),
      onResult_(std::move(onResult)) {}

BackgroundCheck::~BackgroundCheck() { stop(); }

void BackgroundCheck::setItems(std::vector<UpdateItem> items) {
  std::lock_guard lock(mutex_);
  items_ = std::move(items);
}

void BackgroundCheck::start() {
  if (thread_.joinable()) return;
  recheck_.set();
  thread_ = std::thread([this] { run(); });
}

void BackgroundCheck::recheck() { recheck_.set(); }

void BackgroundCheck::stop() {
  stop_.set();
  if (thread_.joinable()) thread_.join();
}

void BackgroundCheck::run() {
  while (waitAny({stop_, recheck_}, -1) == 1) {
    std::vector<UpdateItem> items;
    {
      std::lock_guard lock(mutex_);
      items = items_;
    }
    const PassResult r = checkForUpdates(client_, serviceBase_, items, &stop_);
    if (r == PassResult::Stopped || stop_.isSet()) break;
    if (onResult_) onResult_(r == PassResult::UpdateFound);
  }
  dbg::write("获取更新线程退出");
}

}  // namespace kavro::update
