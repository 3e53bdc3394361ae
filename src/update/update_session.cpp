#include "update/update_session.h"

#include "platform/debug.h"
#include "profiles/profile_paths.h"
#include "update/update_time.h"

namespace kavro::update {

namespace {

ClientSettings withCancel(ClientSettings settings, Event* stop) {
  settings.cancel = stop;
  return settings;
}

UpdateConfig completed(UpdateConfig c) {
  if (c.updateFolder.empty()) c.updateFolder = defaultUpdateFolder();
  if (c.settingsFolder.empty()) c.settingsFolder = updateSettingsFolder();
  if (!c.today) c.today = todayText;
  if (!c.launcher) {
    c.launcher = [launch = c.launch](const std::string& file, int deviceId, Event* stop) {
      return launchPackage(file, deviceId, stop, launch);
    };
  }
  return c;
}

UpdateRow initialRow(const UpdateItem& item) {
  UpdateRow r;
  r.rowName = rowName(item);
  r.displayName = item.displayName;
  r.currentVersionText = currentVersionText(item);
  r.state = kRowUpToDate;
  return r;
}

bool offers(int state) { return state != kRowUpToDate && state != kRowUnavailable; }

// The row as the window shows it: the new version only while one is offered.
UpdateRow shown(UpdateRow r) {
  r.tickable = rowCanTick(r.state);
  if (!offers(r.state)) r.newVersionText.clear();
  return r;
}

}  // namespace

UpdateSession::UpdateSession(std::vector<UpdateItem> items, UpdateConfig config, UpdateCallbacks callbacks)
    : items_(std::move(items)),
      config_(completed(std::move(config))),
      callbacks_(std::move(callbacks)),
      client_(withCancel(config_.client, &stop_)) {}

UpdateSession::~UpdateSession() { stop(); }

void UpdateSession::start() {
  if (!threads_.empty()) return;
  const std::string date = openLastCheckDate(config_.settingsFolder, config_.today());
  {
    std::lock_guard lock(mutex_);
    lastCheckDate_ = date;
  }
  threads_.emplace_back([this] { runCheck(); });
  threads_.emplace_back([this] { runDownloads(); });
  threads_.emplace_back([this] { runStarts(); });
}

void UpdateSession::stop() {
  stop_.set();
  for (auto& t : threads_) {
    if (t.joinable()) t.join();
  }
  threads_.clear();
}

bool UpdateSession::setTicked(int row, bool ticked) {
  std::lock_guard lock(mutex_);
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !rowCanTick(rows_[row].state)) return false;
  rows_[row].ticked = ticked;
  return true;
}

void UpdateSession::confirmUpdate() {
  std::vector<int> changed;
  {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < rows_.size(); ++i) {
      UpdateRow& r = rows_[i];
      if (!r.ticked || (r.state != kRowNewVersion && r.state != kRowNewVersion2)) continue;
      r.state = kRowWaiting;
      changed.push_back(static_cast<int>(i));
    }
  }
  for (int i : changed) emitRow(i);
  emitButton(true, false);
  downloadRequest_.set();
}

std::vector<UpdateRow> UpdateSession::rows() const {
  std::lock_guard lock(mutex_);
  std::vector<UpdateRow> out;
  for (const auto& r : rows_) out.push_back(shown(r));
  return out;
}

int UpdateSession::status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::string UpdateSession::lastCheckDate() const {
  std::lock_guard lock(mutex_);
  return lastCheckDate_;
}

// ---- reports ----

void UpdateSession::setStatus(int status) {
  std::lock_guard emit(emitMutex_);
  std::string date;
  {
    std::lock_guard lock(mutex_);
    status_ = status;
    date = lastCheckDate_;
  }
  if (callbacks_.status) callbacks_.status(status, date);
}

void UpdateSession::emitRow(int i) {
  std::lock_guard emit(emitMutex_);
  UpdateRow row;
  {
    std::lock_guard lock(mutex_);
    row = shown(rows_[static_cast<size_t>(i)]);
  }
  if (callbacks_.row) callbacks_.row(i, row);
}

void UpdateSession::emitButton(bool shown, bool enabled) {
  std::lock_guard emit(emitMutex_);
  if (callbacks_.updateButton) callbacks_.updateButton(shown, enabled);
}

std::vector<int> UpdateSession::states() const {
  std::lock_guard lock(mutex_);
  std::vector<int> out;
  for (const auto& r : rows_) out.push_back(r.state);
  return out;
}

// ---- check ----

void UpdateSession::runCheck() {
  setStatus(kStatusChecking);
  {
    std::lock_guard lock(mutex_);
    for (const auto& item : items_) rows_.push_back(initialRow(item));
  }
  for (size_t i = 0; i < items_.size(); ++i) emitRow(static_cast<int>(i));
  checkAll();
}

void UpdateSession::checkAll() {
  const bool https = isHttpsUrl(config_.serviceBase);
  const std::string url = queryUrl(config_.serviceBase);
  int failures = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (stop_.isSet()) return;
    const std::string answer = client_.post(url, queryBody(items_[i]), kAnswerCapacity);
    UpdateInfo info = evaluateAnswer(items_[i], answer, config_.updateFolder, https);
    if (!info.answered) {
      ++failures;
      dbg::printf("update: no usable answer for %s: %s\n", items_[i].name.c_str(), info.problem.c_str());
    }
    {
      std::lock_guard lock(mutex_);
      UpdateRow& r = rows_[i];
      r.state = info.state;
      r.newVersionText = info.newVersionText;
      r.ticked = offers(info.state);
      r.failureKey = answerFailureTextKey(info);
      r.info = std::move(info);
    }
    emitRow(static_cast<int>(i));
  }
  if (stop_.isSet()) return;
  if (failures < static_cast<int>(items_.size())) {
    const std::string today = config_.today();
    if (!writeLastCheckDate(config_.settingsFolder, today)) dbg::write("update: cannot store the check date\n");
    std::lock_guard lock(mutex_);
    lastCheckDate_ = today;
  }
  const int status = statusAfterCheck(states(), failures);
  if (status == kStatusHaveUpdate) emitButton(true, true);
  setStatus(status);
}

// ---- download ----

void UpdateSession::runDownloads() {
  while (waitAny({stop_, downloadRequest_}, -1) == 1) downloadPass();
}

void UpdateSession::downloadPass() {
  if (!profiles::ensureFolder(config_.updateFolder)) {
    dbg::printf("update: cannot create %s\n", config_.updateFolder.c_str());
  }
  for (size_t i = 0; i < items_.size() && !stop_.isSet(); ++i) downloadRow(static_cast<int>(i));
  {
    std::lock_guard emit(emitMutex_);
    if (callbacks_.downloadPassDone) callbacks_.downloadPassDone();
  }
  finishPass();
}

void UpdateSession::downloadRow(int i) {
  UpdateInfo info;
  {
    std::lock_guard lock(mutex_);
    if (i >= static_cast<int>(rows_.size())) return;
    UpdateRow& r = rows_[static_cast<size_t>(i)];
    if (!r.ticked || (r.state != kRowWaiting && r.state != kRowFailed)) return;
    r.state = kRowDownloading;
    r.progress = 0;
    r.failureKey.clear();
    info = r.info;
  }
  emitRow(i);
  setStatus(kStatusUpdating);
  auto progress = [this](uint64_t total, uint64_t soFar, int row) {
    bool changed = false;
    {
      std::lock_guard lock(mutex_);
      UpdateRow& r = rows_[static_cast<size_t>(row)];
      const int percent = progressPercent(soFar, total);
      const int state = stateAfterProgress(r.state, total, soFar);
      changed = percent != r.progress || state != r.state;
      r.progress = percent;
      r.state = state;
    }
    if (changed) emitRow(row);  // at most about a hundred reports per package
  };
  const DownloadStatus st = client_.download(info.path, info.packageFile, progress, i, {info.sha256});
  if (st == DownloadStatus::Ok) {
    startRequest_.set();
    return;
  }
  dbg::printf("update: download of %s failed: %s\n", info.name.c_str(), downloadStatusName(st));
  const char* key = downloadFailureTextKey(st);
  if (!*key) return;
  {
    std::lock_guard lock(mutex_);
    UpdateRow& r = rows_[static_cast<size_t>(i)];
    r.state = kRowFailed;  // whatever the last progress report said, nothing is started
    r.failureKey = key;
  }
  emitRow(i);
}

// ---- start ----

void UpdateSession::runStarts() {
  while (waitAny({stop_, startRequest_}, -1) == 1) startPass();
}

// The next ticked row whose package is downloaded; -1 when none, or when a
// package is still being started.
int UpdateSession::pickStartRow() {
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (!rows_[i].ticked) continue;
    if (rows_[i].state == kRowUpdating) return -1;
    if (rows_[i].state == kRowDownloaded) {
      rows_[i].state = kRowUpdating;
      return static_cast<int>(i);
    }
  }
  return -1;
}

void UpdateSession::startPass() {
  for (int i; !stop_.isSet() && (i = pickStartRow()) >= 0;) {
    emitRow(i);
    setStatus(kStatusUpdating);
    UpdateInfo info;
    {
      std::lock_guard lock(mutex_);
      info = rows_[static_cast<size_t>(i)].info;
    }
    const LaunchOutcome out = config_.launcher(info.packageFile, info.deviceId, &stop_);
    if (out.kind == LaunchOutcome::Kind::StillRunning) return;
    {
      std::lock_guard lock(mutex_);
      UpdateRow& r = rows_[static_cast<size_t>(i)];
      r.state = out.ok() ? kRowUpToDate : kRowFailed;
      r.failureKey = out.ok() ? "" : kStartFailureTextKey;
    }
    emitRow(i);
    if (!out.ok()) {
      std::lock_guard emit(emitMutex_);
      if (callbacks_.startFailed) callbacks_.startFailed(i, out.detail);
    }
  }
  finishPass();
}

// After a download or start pass: the window status and the update button
// follow what the rows still offer.
void UpdateSession::finishPass() {
  if (stop_.isSet()) return;
  // Worked out and reported under one lock, so the last report is always the
  // latest state even when both workers finish a pass at once.
  std::lock_guard emit(emitMutex_);
  const std::vector<int> s = states();
  const int status = statusAfterUpdate(s);
  bool retry = false;
  for (int st : s) retry = retry || rowCanTick(st);
  std::string date;
  {
    std::lock_guard lock(mutex_);
    status_ = status;
    date = lastCheckDate_;
  }
  if (callbacks_.updateButton) callbacks_.updateButton(retry, retry && status != kStatusUpdating);
  if (callbacks_.status) callbacks_.status(status, date);
}

}  // namespace kavro::update
