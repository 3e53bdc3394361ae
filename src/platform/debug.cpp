#include "platform/debug.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace kavro::dbg {
namespace {
std::atomic<bool> g_enabled{false};
std::atomic<bool> g_hasCapture{false};
std::mutex g_mutex;
Sink g_capture;
// Taken when the library is loaded, before main runs.
const std::chrono::steady_clock::time_point g_loaded = std::chrono::steady_clock::now();
}  // namespace

double sinceStartMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - g_loaded).count();
}

void stage(const char* name) {
  if (!enabled()) return;
  printf("start-up %.1f ms: %s\n", sinceStartMs(), name);
}

void setEnabled(bool on) { g_enabled.store(on, std::memory_order_relaxed); }
bool enabled() { return g_enabled.load(std::memory_order_relaxed) || g_hasCapture.load(std::memory_order_relaxed); }

void initFromEnvironment() {
  const char* v = std::getenv("KAVRO_DEBUG");
  setEnabled(v != nullptr && std::strcmp(v, "1") == 0);
}

void write(const std::string& text) {
  if (!enabled()) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_enabled.load(std::memory_order_relaxed)) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  }
  if (g_capture) g_capture(text);
}

std::string vformat(const char* fmt, va_list ap) {
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, ap);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::string s = vformat(fmt, ap);
  va_end(ap);
  return s;
}

void printf(const char* fmt, ...) {
  if (!enabled()) return;
  va_list ap;
  va_start(ap, fmt);
  std::string s = vformat(fmt, ap);
  va_end(ap);
  write(s);
}

void setCapture(Sink sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_capture = std::move(sink);
  g_hasCapture.store(static_cast<bool>(g_capture), std::memory_order_relaxed);
}

}  // namespace kavro::dbg
