// parlo-device: the phone's side, for users and tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/device_root.h"
#include "platform/sms/modem/modem_network.h"
#include "commands.h"

namespace {

constexpr size_t kMaxArgument = 4096;

std::string DefaultDevice() {
  if (const char* env = std::getenv("PARLO_DEVICE"); env && *env) return env;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/parlo/device";
}

// The commands `app` offers to users, by name.
std::string CommandNames(CLI::App* app) {
  std::string names;
  for (CLI::App* sub : app->get_subcommands([](CLI::App* s) { return !s->get_group().empty(); }))
    names += (names.empty() ? "" : ", ") + sub->get_name();
  return names;
}

// CLI11 reports a word it did not understand where a command belongs as "a subcommand is
// required"; say which word it was and what would have been understood there.
std::string Explain(CLI::App& app, const CLI::ParseError& e) {
  CLI::App* deepest = &app;
  std::vector<std::string> unread = app.remaining();
  for (;;) {
    std::vector<CLI::App*> parsed = deepest->get_subcommands();
    if (parsed.empty()) break;
    deepest = parsed.front();
    for (const std::string& word : deepest->remaining()) unread.push_back(word);
  }
  std::string where = deepest == &app ? "" : deepest->get_name() + ": ";
  bool wantsCommand = deepest->get_require_subcommand_min() > 0;
  if (wantsCommand && !unread.empty())
    return where + "\"" + unread.front().substr(0, 40) + "\" is not a command; the commands are " + CommandNames(deepest);
  if (wantsCommand) return where + "a command is needed: " + CommandNames(deepest);
  return where + e.what();
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
  std::string device, network = "sim";
  app.add_option("--device", device, "device folder (default $PARLO_DEVICE, else ~/.local/share/parlo/device)");
  app.add_option("--network", network, "sim (the simulated network, default) or modem (ModemManager's)")
      ->check(CLI::IsMember({"sim", "modem"}));
  app.require_subcommand(1);
  // Runs after the options are read and before any command.
  app.parse_complete_callback([&device, &network] {
    if (device.empty()) device = DefaultDevice();
    // Every command reads or writes inside the device: one that is a file is refused up front,
    // not taken for an empty phone.
    std::error_code ec;
    if (std::filesystem::exists(device, ec) && !std::filesystem::is_directory(device, ec))
      throw UsageError{"the device " + device + " is not a folder"};
    platform::device::SetRoot(device);
    if (network == "modem") {
      std::string why;
      std::unique_ptr<platform::sms::Network> modem = platform::sms::ConnectModem(&why);
      if (!modem) throw UsageError{"no modem: " + why};
      platform::sms::UseNetwork(std::move(modem));
      SetUsesModem();
    }
  });
  AddInitCommands(app);
  AddRegistryCommands(app);
  AddMessageCommands(app);
  AddContactCommands(app);
  AddNetworkCommands(app);
  AddSmsCommands(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "parlo-device: %s\n", Explain(app, e).c_str());
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
