#include "platform/automation/launch_options.h"

#include <cstdio>
#include <cstdlib>

#include "platform/base/clock.h"

namespace platform::automation {
namespace {

constexpr int kMinSide = 64, kMaxSide = 4096, kMinDpi = 48, kMaxDpi = 960;

bool ParseScreen(const std::string& text, LaunchOptions* out, std::string* error) {
  int w = 0, h = 0, dpi = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%dx%d@%d%c", &w, &h, &dpi, &tail) != 3) {
    *error = "--screen wants WIDTHxHEIGHT@DPI such as 480x800@192, not \"" + text + "\"";
    return false;
  }
  if (w < kMinSide || h < kMinSide || w > kMaxSide || h > kMaxSide || dpi < kMinDpi || dpi > kMaxDpi) {
    *error = "--screen " + text + " is out of range: width and height go from " + std::to_string(kMinSide) + " to " +
             std::to_string(kMaxSide) + " pixels, DPI from " + std::to_string(kMinDpi) + " to " +
             std::to_string(kMaxDpi);
    return false;
  }
  out->width = w;
  out->height = h;
  out->dpi = dpi;
  return true;
}

bool ParseZoom(const std::string& text, int* zoom) {
  int z = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d%c", &z, &tail) != 1 || z < 1 || z > 8) return false;
  *zoom = z;
  return true;
}

}  // namespace

const char* LaunchUsage() {
  return "usage: parlo [--device DIR] [--network sim|modem] [--headless] [--automate]\n"
         "             [--virtual-clock \"YYYY-MM-DD HH:MM:SS\"] [--screen WxH@DPI] [--zoom N] [--screenshot FILE]\n"
         "             [PROGRAM COMMAND LINE ...]\n";
}

std::optional<LaunchOptions> ParseLaunchOptions(const std::vector<std::string>& args, std::string* error) {
  LaunchOptions o;
  size_t i = 0;
  auto value = [&](const std::string& name, std::string* out) -> bool {
    if (i + 1 >= args.size()) {
      *error = name + " needs a value";
      return false;
    }
    *out = args[++i];
    return true;
  };
  for (const std::string& a : args) {
    if (a.size() > kMaxArgument) {
      *error = "an argument is longer than " + std::to_string(kMaxArgument) + " bytes";
      return std::nullopt;
    }
  }
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    if (a == "--") {
      ++i;
      break;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--headless") {
      o.headless = true;
    } else if (a == "--automate") {
      o.automate = true;
    } else if (a == "--device") {
      if (!value(a, &o.device)) return std::nullopt;
      if (o.device.empty()) {
        *error = "--device needs a folder";
        return std::nullopt;
      }
    } else if (a == "--network") {
      if (!value(a, &v)) return std::nullopt;
      if (v != "sim" && v != "modem") {
        *error = "--network wants sim or modem, not \"" + v + "\"";
        return std::nullopt;
      }
      o.modem = v == "modem";
    } else if (a == "--virtual-clock") {
      if (!value(a, &o.virtualClock)) return std::nullopt;
      SYSTEMTIME st{};
      if (!clock::ParseLocalTime(o.virtualClock.c_str(), &st)) {
        *error = "--virtual-clock wants \"YYYY-MM-DD HH:MM:SS\", not \"" + o.virtualClock + "\"";
        return std::nullopt;
      }
    } else if (a == "--screen") {
      if (!value(a, &v)) return std::nullopt;
      if (!ParseScreen(v, &o, error)) return std::nullopt;
    } else if (a == "--zoom") {
      if (!value(a, &v)) return std::nullopt;
      if (!ParseZoom(v, &o.zoom)) {
        *error = "--zoom wants a whole number from 1 to 8, not \"" + v + "\"";
        return std::nullopt;
      }
    } else if (a == "--screenshot") {
      if (!value(a, &o.screenshot)) return std::nullopt;
      if (o.screenshot.empty()) {
        *error = "--screenshot needs a file name";
        return std::nullopt;
      }
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      *error = "unknown option " + a + " (the program's own options start with a single -)";
      return std::nullopt;
    } else {
      break;
    }
  }
  // The rest is the program's command line, its words joined with single spaces.
  for (bool first = true; i < args.size(); ++i, first = false) {
    if (!first) o.commandLine += ' ';
    o.commandLine += args[i];
  }
  if (o.commandLine.size() > kMaxArgument) {
    *error = "the program's command line is longer than " + std::to_string(kMaxArgument) + " bytes";
    return std::nullopt;
  }
  return o;
}

std::string ResolveDeviceDir(const LaunchOptions& options) {
  if (!options.device.empty()) return options.device;
  if (const char* env = std::getenv("PARLO_DEVICE"); env && *env) return env;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/parlo/device";
}

}  // namespace platform::automation
