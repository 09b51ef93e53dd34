// A binary of BinDir() run under ptrace so that it can be killed with SIGKILL as it enters its
// Nth write-like system call (write, rename, unlink, truncate, sync and their kin): every state
// between two of its writes is reachable, and the same N reaches the same state again.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class TracedProgram {
 public:
  // Starts it with stdin and stdout piped (stderr is the test's). `killAt` as for KillAtWrite,
  // counted from its start.
  TracedProgram(const std::string& binary, const std::vector<std::string>& args, long killAt = 0);
  ~TracedProgram();
  TracedProgram(const TracedProgram&) = delete;
  TracedProgram& operator=(const TracedProgram&) = delete;

  // From now on, SIGKILL at the entry of its `n`th write-like call (that call never happens);
  // 0: never.
  void KillAtWrite(long n);
  // Sends one line and returns the next line of output, or nothing once the output has ended.
  std::optional<std::string> Ask(const std::string& line);
  std::optional<std::string> ReadLine();
  // Closes its stdin and waits for the end; the output not read yet is returned in `rest`.
  void Finish(std::string* rest = nullptr);
  // Kills it now, wherever it is.
  void Kill();

  bool killed() const { return killed_; }     // by KillAtWrite, once Finish or Kill returned
  int exitCode() const { return exitCode_; }  // -1 unless it ended by itself
  long writes() const { return writes_; }     // write-like calls since the last arming

 private:
  void Trace();

  std::thread tracer_;
  std::atomic<pid_t> pid_{0};
  std::atomic<long> killAt_{0}, writes_{0};
  std::atomic<bool> killed_{false}, ended_{false};
  int exitCode_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffered_;
};

}  // namespace e2e
