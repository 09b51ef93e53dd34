// Starting build/bin/parlo and parlo-device from end-to-end tests and talking to them.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace e2e {

std::filesystem::path BinDir();

struct Finished {
  int exitCode = -1;  // -1 when it did not end normally
  std::string out, err;
};

// Runs a binary of BinDir() to its end, with `input` on its stdin.
Finished Run(const std::string& binary, const std::vector<std::string>& args, const std::string& input = "",
             const std::vector<std::string>& unsetEnv = {});

// parlo --device DIR --headless --automate --virtual-clock START [args...], driven line by line.
class Parlo {
 public:
  Parlo(const std::filesystem::path& device, const std::vector<std::string>& args = {},
        const char* start = "2024-03-05 14:07:09");
  ~Parlo();
  Parlo(const Parlo&) = delete;
  Parlo& operator=(const Parlo&) = delete;

  // Sends one command and returns its one-line answer; throws when none comes.
  nlohmann::json Send(const std::string& line);
  // Closes stdin and waits for the exit code.
  int Wait();

 private:
  std::string ReadLine();

  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffered_;
};

}  // namespace e2e
