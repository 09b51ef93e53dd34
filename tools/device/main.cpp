// parlo-device: the phone's side, for users and tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/base/device_root.h"
#include "commands.h"

namespace {

constexpr size_t kMaxArgument = 4096;

std::string DefaultDevice() {
  if (const char* env = std::getenv("PARLO_DEVICE"); env && *env) return env;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/parlo/device";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace parlo_device;
  platform::device::UsePrivateFileModes();
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]).size() > kMaxArgument) {
      std::fprintf(stderr, "parlo-device: argument %d is longer than %zu bytes\n", i, kMaxArgument);
      return 2;
    }
  }
  CLI::App app{"parlo-device: the phone's side of the Parlo simulator", "parlo-device"};
  std::string device;
  app.add_option("--device", device, "device folder (default $PARLO_DEVICE, else ~/.local/share/parlo/device)");
  app.require_subcommand(1);
  // Runs after the options are read and before any command.
  app.parse_complete_callback([&device] {
    if (device.empty()) device = DefaultDevice();
    platform::device::SetRoot(device);
  });
  AddInitCommands(app);
  AddRegistryCommands(app);
  AddMessageCommands(app);
  AddContactCommands(app);
  AddNetworkCommands(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "parlo-device: %s\n", e.what());
    return 2;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "parlo-device: %s\n", e.message.c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "parlo-device: %s\n", e.what());
    return 2;
  }
  return 0;
}
