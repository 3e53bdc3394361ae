#pragma once
// The summary of a command sequence (begin, a write, end ...): success while
// every command succeeded, else the result of the first command that failed.
// Every command of a sequence is still sent; only the summary is kept here.
#include "transport/command_set.h"

namespace kavro::transport {

class SequenceResult {
 public:
  // Notes one command's result and passes it on unchanged.
  int note(int commandResult) {
    if (first_ == kCmdOk && commandResult != kCmdOk) first_ = commandResult;
    return commandResult;
  }
  int value() const { return first_; }

 private:
  int first_ = kCmdOk;
};

// Results that mean the device did not answer, or answered that it could not
// carry the command out: no answer (0), a failed write (-1), status 0xFF
// (-102) and status 0xFE (-103). A refused argument (-201) sends nothing and
// says nothing about the device.
constexpr bool isNoAnswerResult(int result) {
  return result == kResultNoAnswer || result == kResultWriteFailed || result == kCmdStatusError ||
         result == kCmdStatusBusy;
}

}  // namespace kavro::transport
