#include "platform/automation/launcher.h"

#include <spawn.h>
#include <sys/stat.h>
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
#include "platform/device/instance/instance_server.h"
#include "platform/device/instance/peers.h"
#include "platform/device/instance/run_dir.h"
#include "platform/device/processes/module.h"
#include "platform/device/shell/system_clock_value.h"
#include "platform/display/display.h"
#include "platform/gdi/screen.h"
#include "platform/sip/panel.h"
#include "platform/sms/modem/modem_network.h"
#include "platform/ui/controls.h"
#include "platform/wm/loop.h"
#include "windows.h"

extern char** environ;

namespace platform::automation {
namespace {

namespace fs = std::filesystem;

// A new device gets the demo content parlo-device writes; without the tool it starts empty.
bool MakeDevice(const fs::path& dir) {
  std::error_code ec;
  if (::mkdir(dir.c_str(), 0700) != 0) return false;
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
  return true;
}

struct ScreenshotJob {
  std::string path;
  bool done = false;
  bool written = false;
};
ScreenshotJob g_screenshot;
mode_t g_userMask = 022;

// The first screen has settled once a window is up and nothing is left to do.
void ScreenshotPoller() {
  if (g_screenshot.done || !wm::IsIdle()) return;
  std::vector<HWND> windows = TopLevelWindows();
  bool shown = false;
  for (HWND w : windows) shown = shown || IsWindowVisible(w);
  if (!shown) return;
  g_screenshot.done = true;
  // The picture is the user's file, not the device's: it gets the user's own modes.
  unsigned privateMask = ::umask(g_userMask);
  g_screenshot.written = gdi::WriteScreenPng(g_screenshot.path);
  ::umask(privateMask);
  if (!g_screenshot.written) std::fprintf(stderr, "parlo: cannot write %s\n", g_screenshot.path.c_str());
  for (HWND w : windows) PostMessageW(w, WM_CLOSE, 0, 0);
}

// How long another Parlo on the device may take to answer before a launch gives up on it.
constexpr uint32_t kPeerAnswerMs = 3000;

// The program returns 1 after a normal end (its quit message's value) and after handing its
// request to the running instance, 0 when its window could not be made, and a negative
// HRESULT when its start-up check failed. Linux wants 0 for the good ends.
int ExitStatus(int programCode) {
  if (programCode == 1) return 0;
  if (programCode == 0) {
    std::fprintf(stderr, "parlo: the program could not make its window\n");
  } else {
    std::fprintf(stderr, "parlo: the program could not start (error 0x%08X)\n", static_cast<unsigned>(programCode));
  }
  return 1;
}

// The device's run folder must be ours, and no other Parlo on it may hang: a second copy
// would be started after the program's search for the running one gave up.
bool CheckOtherInstances(bool screenshot) {
  std::string why;
  if (!device::EnsureRunDir(&why)) {
    std::fprintf(stderr, "parlo: cannot use %s: %s\n", device::RunDir().c_str(), why.c_str());
    return false;
  }
  device::PeerCheck peers = device::CheckPeers(kPeerAnswerMs);
  if (!peers.silent.empty()) {
    std::fprintf(stderr,
                 "parlo: another Parlo on this device (process %s) is not answering; not starting a second one\n",
                 peers.silent.front().c_str());
    return false;
  }
  if (screenshot && peers.answering > 0) {
    std::fprintf(stderr, "parlo: another Parlo is running on this device; close it to take a screenshot\n");
    return false;
  }
  return true;
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
  // The folders above the device are the user's own and keep the user's modes.
  if (!fs::exists(dir, ec)) fs::create_directories(fs::absolute(dir, ec).lexically_normal().parent_path(), ec);
  g_userMask = device::UsePrivateFileModes();
  if (!fs::exists(dir, ec) && !MakeDevice(dir)) {
    std::fprintf(stderr, "parlo: cannot create the device folder %s\n", dir.c_str());
    return 2;
  }
  if (!fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "parlo: the device %s is not a folder\n", dir.c_str());
    return 2;
  }
  device::SetRoot(dir);
  if (!CheckOtherInstances(!o.screenshot.empty())) return 1;

  if (!o.virtualClock.empty()) {
    SYSTEMTIME start{};
    clock::ParseLocalTime(o.virtualClock.c_str(), &start);
    clock::UseVirtual(start);
  } else {
    clock::UseReal();
  }
  wm::BindUiThread();
  if (o.modem) {
    std::string why;
    std::unique_ptr<sms::Network> modem = sms::ConnectModem(&why);
    if (!modem) {
      std::fprintf(stderr, "parlo: no modem: %s\n", why.c_str());
      return 2;
    }
    sms::UseNetwork(std::move(modem));
  }
  ui::RegisterSystemClasses();  // the system's own controls and its input method, as at boot

  bool headless = o.headless || !o.screenshot.empty();
  std::string displayError;
  if (!display::OpenDisplay(headless, o.width, o.height, o.dpi, o.zoom, &displayError)) {
    if (headless) {
      std::fprintf(stderr, "parlo: cannot set up the screen: %s\n", displayError.c_str());
    } else {
      std::fprintf(stderr, "parlo: no display to show the phone on: %s; run with --headless, or --screenshot FILE\n",
                   displayError.c_str());
    }
    return 2;
  }

  display::SetModeKeyHook(sip::QueueModeToggle);
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
  if (!o.screenshot.empty()) {
    if (!g_screenshot.done) std::fprintf(stderr, "parlo: the program ended before its first screen; no screenshot\n");
    return g_screenshot.done && g_screenshot.written ? 0 : 1;
  }
  return ExitStatus(code);
}

}  // namespace platform::automation
