// Starting build/bin/parlo and parlo-device from end-to-end tests and talking to them line by line.
// A traced program runs under ptrace so that it can be killed with SIGKILL as it enters its Nth
// write-like system call (write, rename, unlink, truncate, sync and their kin): every state
// between two of its writes is reachable, and the same N reaches the same state again.
#pragma once
#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace e2e {

std::filesystem::path BinDir();

struct Options {
  bool traced = false;
  long killAt = 0;       // as for KillAtWrite, counted from its start
  bool pipeErr = false;  // else stderr is the test's
  std::vector<std::string> unsetEnv;
};
inline Options Traced(long killAt = 0) { return Options{true, killAt, false, {}}; }

class Program {
 public:
  // A binary of BinDir() with stdin and stdout piped.
  Program(const std::string& binary, const std::vector<std::string>& args, const Options& options = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Traced only: from now on, SIGKILL at the entry of its `n`th write-like call (that call never
  // happens); 0: never.
  void KillAtWrite(long n);
  // Writes to its stdin; false once it no longer reads.
  bool Write(const std::string& text);
  // Sends one line and returns the next line of output, or nothing once the output has ended.
  std::optional<std::string> Ask(const std::string& line);
  // Closes its stdin and waits for the end; the output not read yet is returned. The destructor
  // does the same, and kills it if it gives no answer.
  void Finish(std::string* out = nullptr, std::string* err = nullptr);
  // Kills it now, wherever it is.
  void Kill();

  bool killed() const { return killed_; }     // by KillAtWrite, once Finish or Kill returned
  int exitCode() const { return exitCode_; }  // -1 unless it ended by itself
  long writes() const { return writes_; }     // write-like calls since the last arming

 private:
  std::optional<std::string> ReadLine();
  void Trace();

  std::thread reaper_;
  std::atomic<pid_t> pid_{0};
  std::atomic<long> killAt_{0}, writes_{0};
  std::atomic<bool> killed_{false}, ended_{false};
  int exitCode_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string buffered_;
};

struct Finished {
  int exitCode = -1;  // -1 when it did not end normally
  std::string out, err;
};

// Runs a binary of BinDir() to its end, with `input` on its stdin.
Finished Run(const std::string& binary, const std::vector<std::string>& args, const std::string& input = "",
             const std::vector<std::string>& unsetEnv = {});

// parlo --device DIR --headless --automate --virtual-clock START [args...], driven line by line.
class Parlo : public Program {
 public:
  Parlo(const std::filesystem::path& device, const std::vector<std::string>& args = {},
        const char* start = "2024-03-05 14:07:09");
  // Sends one command and returns its one-line answer; throws when none comes.
  nlohmann::json Send(const std::string& line);
  // Closes stdin and waits for the exit code.
  int Wait();
};

}  // namespace e2e
