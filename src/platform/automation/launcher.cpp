#include "platform/automation/launcher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/automation/command_loop.h"
#include "platform/automation/commands.h"
#include "platform/automation/launch_options.h"
#include "platform/base/clock.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/device/instance_server.h"
#include "platform/device/module.h"
#include "platform/device/system_clock_value.h"
#include "platform/display/display.h"
#include "platform/gdi/screen.h"
#include "platform/wm/loop.h"
#include "windows.h"

extern char** environ;

namespace platform::automation {
namespace {

namespace fs = std::filesystem;

// A new device gets the demo content parlo-device writes; without the tool it starts empty.
bool MakeDevice(const fs::path& dir) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  fs::path tool = self.parent_path() / "parlo-device";
  if (!ec && fs::exists(tool, ec)) {
    std::string toolPath = tool.string(), dirPath = dir.string();
    std::vector<char*> argv = {toolPath.data(), const_cast<char*>("--device"), dirPath.data(),
                               const_cast<char*>("init"), const_cast<char*>("--demo"), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, toolPath.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      if (waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    }
  }
  fs::create_directories(dir, ec);
  return !ec;
}

struct ScreenshotJob {
  std::string path;
  bool done = false;
  bool written = false;
};
ScreenshotJob g_screenshot;

// The first screen has settled once a window is up and nothing is left to do.
void ScreenshotPoller() {
  if (g_screenshot.done || !wm::IsIdle()) return;
  std::vector<HWND> windows = TopLevelWindows();
  bool shown = false;
  for (HWND w : windows) shown = shown || IsWindowVisible(w);
  if (!shown) return;
  g_screenshot.done = true;
  g_screenshot.written = gdi::WriteScreenPng(g_screenshot.path);
  if (!g_screenshot.written) std::fprintf(stderr, "parlo: cannot write %s\n", g_screenshot.path.c_str());
  for (HWND w : windows) PostMessageW(w, WM_CLOSE, 0, 0);
}

}  // namespace

int RunProgram(int argc, char** argv, ProgramEntry entry) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  std::optional<LaunchOptions> parsed = ParseLaunchOptions(args, &error);
  if (!parsed) {
    std::fprintf(stderr, "parlo: %s\n%s", error.c_str(), LaunchUsage());
    return 2;
  }
  const LaunchOptions& o = *parsed;
  if (o.help) {
    std::fputs(LaunchUsage(), stdout);
    return 0;
  }

  fs::path dir = ResolveDeviceDir(o);
  std::error_code ec;
  if (!fs::exists(dir, ec) && !MakeDevice(dir)) {
    std::fprintf(stderr, "parlo: cannot create the device folder %s\n", dir.c_str());
    return 2;
  }
  if (!fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "parlo: the device %s is not a folder\n", dir.c_str());
    return 2;
  }
  device::SetRoot(dir);

  if (!o.virtualClock.empty()) {
    SYSTEMTIME start{};
    clock::ParseLocalTime(o.virtualClock.c_str(), &start);
    clock::UseVirtual(start);
  } else {
    clock::UseReal();
  }
  wm::BindUiThread();

  bool headless = o.headless || !o.screenshot.empty();
  std::string displayError;
  if (!display::OpenDisplay(headless, o.width, o.height, o.dpi, o.zoom, &displayError)) {
    if (headless) {
      std::fprintf(stderr, "parlo: cannot set up the screen: %s\n", displayError.c_str());
    } else {
      std::fprintf(stderr,
                   "parlo: no display to show the phone on (%s); run with --headless, or --screenshot FILE\n",
                   displayError.c_str());
    }
    return 2;
  }

  device::StartInstanceServer();
  // Before the program's own pollers: a new minute is written before its watchers are told.
  device::StartSystemClockValue();
  if (o.automate) StartCommandLoop(stdin, stdout);
  if (!o.screenshot.empty()) {
    g_screenshot.path = o.screenshot;
    wm::AddIdlePoller(ScreenshotPoller);
  }

  std::u16string commandLine = Utf8ToUtf16(o.commandLine);
  int code = entry(device::ProgramInstance(), commandLine.c_str(), SW_SHOW);

  device::StopInstanceServer();
  if (o.automate) AnswerQuit(code);
  if (!o.screenshot.empty() && g_screenshot.done) return g_screenshot.written ? 0 : 1;
  return code;
}

}  // namespace platform::automation
