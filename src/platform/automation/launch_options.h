// The simulator's options in front of the program's own command line:
// parlo [--device DIR] [--network sim|modem] [--headless] [--automate]
//       [--virtual-clock "YYYY-MM-DD HH:MM:SS"] [--screen WxH@DPI] [--zoom N] [--screenshot FILE]
//       [PROGRAM COMMAND LINE ...]
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace platform::automation {

struct LaunchOptions {
  std::string device;  // empty: $PARLO_DEVICE, else ~/.local/share/parlo/device
  bool modem = false;  // --network modem: ModemManager's modem instead of the simulated network
  bool headless = false;
  bool automate = false;
  std::string virtualClock;  // empty: the machine's clock
  int width = 480, height = 800, dpi = 192;
  int zoom = 1;
  std::string screenshot;
  std::string commandLine;  // the program's words joined with single spaces
  bool help = false;
};

// Longest argument accepted; the program's own command line is cut at 259 characters anyway,
// so anything near this is a mistake, not a request.
constexpr size_t kMaxArgument = 4096;

// On error returns nothing and puts one plain sentence in *error.
std::optional<LaunchOptions> ParseLaunchOptions(const std::vector<std::string>& args, std::string* error);

// The device root the options name.
std::string ResolveDeviceDir(const LaunchOptions& options);

const char* LaunchUsage();

}  // namespace platform::automation
