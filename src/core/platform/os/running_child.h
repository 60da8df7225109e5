#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "core/platform/os/process.h"

namespace xkm {

// The last kCapturedTailBytes of one output stream of a child. Trimmed in
// steps, not on every read: the front goes only when twice the limit has
// gathered, so that a chatty tool costs neither memory nor a copy per read.
class OutputTail {
 public:
  void append(const char* bytes, size_t count) {
    text_.append(bytes, count);
    if (text_.size() > 2 * kCapturedTailBytes) text_.erase(0, text_.size() - kCapturedTailBytes);
  }
  std::string text() const {
    return text_.size() <= kCapturedTailBytes ? text_
                                              : text_.substr(text_.size() - kCapturedTailBytes);
  }

 private:
  std::string text_;
};

// A wait on a child without a time limit.
inline constexpr std::chrono::milliseconds kUntilEnded{-1};

// One child as the system holds it: started, waited for a while, asked to
// end, and what it left taken. The wait around it is the same on every
// system (process.cpp); each system's file holds only this.
class RunningChild {
 public:
  // A child still running is ended and reaped first: none runs on unattended.
  virtual ~RunningChild() = default;

  // False when it could not be started, with the system's reason in `error`
  // (empty when there was no program to start).
  virtual bool start(const std::string& commandLine, const std::string& folder,
                     std::string& error) = 0;
  // Waits up to `time` (kUntilEnded: no limit; never so with captured
  // output), keeping the output it writes meanwhile; true once it has ended.
  virtual bool waitUpTo(std::chrono::milliseconds time) = 0;
  // Each request is carried out once.
  virtual void ask(ChildAction action) = 0;
  // After the end: how it ended and the last bytes of its output.
  virtual void finish(ProcessOutcome& outcome) = 0;
};

// This system's child, not yet started.
std::unique_ptr<RunningChild> MakeChild(ChildOutput output, ExitNotice notice);

}  // namespace xkm
