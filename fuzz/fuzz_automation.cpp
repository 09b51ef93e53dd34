// Commands on automation's input, one a line, as the command loop takes them: lines longer
// than the loop keeps are refused, blank lines skipped, a `quit` ends the session. A focused
// multi-line EDIT stands in for the program, so typing and keys reach a control.
// `screenshot` is left out: it writes the file its argument names; so are advances of a million milliseconds or more.
#include <cstdlib>
#include <string>

#include "platform/automation/commands.h"
#include "platform/base/clock.h"
#include "platform/display/display.h"
#include "platform/ui/controls.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace {

constexpr size_t kMaxLine = 64 * 1024;

void StartOnce() {
  static bool started = [] {
    SYSTEMTIME start{};
    platform::clock::ParseLocalTime("2024-05-01 09:00:00", &start);
    platform::clock::UseVirtual(start);
    platform::wm::BindUiThread();
    platform::ui::RegisterSystemClasses();
    std::string error;
    if (!platform::display::OpenDisplay(true, 480, 800, 192, 1, &error)) std::abort();
    return true;
  }();
  (void)started;
}

HWND edit = nullptr;

// The program closes its windows before it ends; so does the stand-in, or its state would count
// as leaked at exit.
void CloseEdit() {
  if (edit && IsWindow(edit)) DestroyWindow(edit);
}

HWND FreshEdit() {
  if (!edit || !IsWindow(edit))
    edit = CreateWindowExW(0, u"EDIT", u"", WS_VISIBLE | ES_MULTILINE, 0, 0, 480, 400, nullptr, nullptr, nullptr,
                           nullptr);
  if (!edit) std::abort();
  // Registered after the window system's own state exists, so it runs before that goes.
  static bool closeAtExit = std::atexit(CloseEdit) == 0;
  (void)closeAtExit;
  SetWindowTextW(edit, u"");
  SetFocus(edit);
  return edit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartOnce();
  FreshEdit();
  std::string input(reinterpret_cast<const char*>(data), size);
  for (size_t start = 0; start < input.size();) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(start, end - start);
    start = end + 1;
    if (line.size() > kMaxLine || line.find_first_not_of(" \t\r") == std::string::npos) continue;
    auto words = platform::automation::SplitCommand(line);
    if (!words.empty() && words[0] == "screenshot") continue;
    // A long `advance` replays every caret blink of the time it covers (a day is some 170,000
    // repaints): slow in proportion, not stuck, so the target keeps to under seventeen minutes at a time.
    if (words.size() == 2 && words[0] == "advance" && words[1].size() > 6) continue;
    platform::automation::CommandResult result = platform::automation::RunCommand(line);
    platform::wm::PumpUntilIdle();
    if (result.quit) break;
    // Answers go out as one JSON line, whatever bytes the command carried.
    std::string answer = result.answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (answer.empty() || answer.find('\n') != std::string::npos) std::abort();
  }
  return 0;
}
