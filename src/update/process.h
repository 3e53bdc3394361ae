#pragma once
// Starting helper programs without a shell: the desktop's settings reader,
// the desktop's opener and downloaded firmware packages.
#include <string>
#include <vector>

namespace kavro {
class Event;
}

namespace kavro::update {

// How a started program ended.
struct ProcessResult {
  enum class Kind {
    Exited,     // ran and exited; code holds its exit status
    Signalled,  // killed by a signal; code holds the signal number
    NotStarted, // could not be started; code holds the errno
    Running,    // still running when the caller was told to stop waiting
    TimedOut,   // still running at the time limit (and was then killed)
  };
  Kind kind = Kind::NotStarted;
  int code = 0;
  bool succeeded() const { return kind == Kind::Exited && code == 0; }
};

// Runs argv (argv[0] looked up in PATH when it has no '/'), with standard
// input from /dev/null, and collects at most maxOutput bytes of its standard
// output; standard error is dropped. A program still running after timeoutMs
// is killed.
ProcessResult runCapture(const std::vector<std::string>& argv, std::string* output, int timeoutMs,
                         size_t maxOutput = 64 * 1024);

// Starts argv and waits for it to end. When stop becomes set first, the wait
// ends with Kind::Running and the program is left to finish on its own (a
// firmware writer must never be interrupted). Standard input is /dev/null.
ProcessResult runAndWait(const std::vector<std::string>& argv, Event* stop);

}  // namespace kavro::update
