// outbox, calls, launches: what left the phone, as JSON lines, oldest first.
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/base/device_root.h"
#include "platform/device/network_log.h"
#include "platform/sms/simulated_network.h"
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

// The stand-in composer calls back here to say how it was started.
void RecordLaunch(const std::string& path, const std::string& commandLine, const std::vector<std::string>& args) {
  platform::device::NetworkRecord launch;
  launch.Add("path", path)
      .Add("command_line", commandLine)
      .Add("args", args)
      .Add("time", platform::device::LocalTimeText());
  if (!launch.AppendTo("launches.jsonl")) throw UsageError{"cannot write launches.jsonl"};
}

// One word for sh, whatever it holds: inside single quotes only a quote itself needs care.
std::string ShellWord(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

void InstallComposerStandIn() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw UsageError{"cannot find parlo-device itself for the composer stand-in: " + ec.message()};
  std::filesystem::path dir = platform::device::Root() / "windows";
  std::filesystem::create_directories(dir, ec);
  std::filesystem::path script = dir / "MMSC.exe";
  std::ofstream out(script, std::ios::trunc);
  if (!out) throw UsageError{"cannot write " + script.string()};
  // The phone's multimedia composer is not here; this stand-in only records how it was started.
  out << "#!/bin/sh\nexec " << ShellWord(self.string()) << " --device \"$PARLO_DEVICE\" record-launch -- \"$PARLO_PHONE_PATH\" "
      << "\"$PARLO_COMMAND_LINE\" \"$@\"\n";
  out.close();
  std::filesystem::permissions(script, std::filesystem::perms::owner_all, ec);
  if (!out || ec) throw UsageError{"cannot write " + script.string()};
}

void AddNetworkCommands(CLI::App& app) {
  auto launch = std::make_shared<std::vector<std::string>>();
  CLI::App* record = app.add_subcommand("record-launch", "used by the stand-in composer: record its start");
  record->group("");  // not for users
  record->add_option("words", *launch, "phone path, command line, then the arguments")->expected(2, -1);
  record->callback([launch] {
    std::vector<std::string> args(launch->begin() + 2, launch->end());
    RecordLaunch((*launch)[0], (*launch)[1], args);
  });
  app.add_subcommand("outbox", "the short messages handed to the network")->callback([] {
    RequireSimulatedNetwork("outbox");
    PrintJsonLines(platform::sms::kOutboxFile);
  });
  app.add_subcommand("calls", "the calls placed on the phone")->callback([] { PrintJsonLines("calls.jsonl"); });
  app.add_subcommand("launches", "the programs started by Parlo")->callback([] {
    PrintJsonLines("launches.jsonl");
  });
}

}  // namespace parlo_device
