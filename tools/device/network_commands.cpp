// calls, launches: what left the phone, as JSON lines, oldest first.
#include <cstdio>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/base/device_root.h"
#include "commands.h"

namespace parlo_device {
namespace {

// Prints each record of a JSON-lines file; a damaged line is reported and skipped, the rest
// still printed.
void PrintJsonLines(const char* fileName) {
  std::ifstream in(platform::device::NetworkDir() / fileName);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    nlohmann::ordered_json record = nlohmann::ordered_json::parse(line, nullptr, false);
    if (record.is_discarded() || !record.is_object()) {
      std::fprintf(stderr, "parlo-device: %s line %d is not a JSON object; skipped\n", fileName, number);
      continue;
    }
    std::puts(record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
  }
}

}  // namespace

void AddNetworkCommands(CLI::App& app) {
  app.add_subcommand("calls", "the calls placed on the phone")->callback([] { PrintJsonLines("calls.jsonl"); });
  app.add_subcommand("launches", "the programs started by Parlo")->callback([] {
    PrintJsonLines("launches.jsonl");
  });
}

}  // namespace parlo_device
