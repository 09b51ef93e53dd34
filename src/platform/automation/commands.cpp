#include "platform/automation/commands.h"


#include "platform/automation/state_json.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "platform/gdi/screen.h"
#include "platform/sip/panel.h"
#include "platform/sip/typing.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"

namespace platform::automation {
namespace {

using nlohmann::json;

json Ok() { return json{{"ok", true}}; }
json Error(const std::string& text) { return json{{"error", text}}; }

// Coordinates: the screen, with room for a finger dragged past its edge.
bool ParsePoint(const std::vector<std::string>& w, size_t at, int* x, int* y) {
  long a, b;
  if (w.size() < at + 2 || !ParseDecimal(w[at], -10000, 10000, &a) || !ParseDecimal(w[at + 1], -10000, 10000, &b)) {
    return false;
  }
  *x = static_cast<int>(a);
  *y = static_cast<int>(b);
  return true;
}

json Tap(POINT p) {
  wm::InjectMouse(WM_LBUTTONDOWN, p.x, p.y);
  if (!wm::PumpUntilIdle()) return Ok();
  wm::InjectMouse(WM_LBUTTONUP, p.x, p.y);
  return Ok();
}

json PressKey(UINT vk) {
  wm::InjectKey(vk, true);
  if (!wm::PumpUntilIdle()) return Ok();
  wm::InjectKey(vk, false);
  return Ok();
}

json Mouse(const std::vector<std::string>& w) {
  int x, y;
  if (w.size() != 3 || !ParsePoint(w, 1, &x, &y)) return Error(w[0] + " wants X Y");
  if (w[0] == "down") {
    wm::InjectMouse(WM_LBUTTONDOWN, x, y);
  } else if (w[0] == "move") {
    wm::InjectMouse(WM_MOUSEMOVE, x, y);
  } else if (w[0] == "up") {
    wm::InjectMouse(WM_LBUTTONUP, x, y);
  } else {
    return Tap(POINT{x, y});
  }
  return Ok();
}

json Drag(const std::vector<std::string>& w) {
  int x1, y1, x2, y2;
  long ms = 0, steps = 10;
  if ((w.size() != 6 && w.size() != 7) || !ParsePoint(w, 1, &x1, &y1) || !ParsePoint(w, 3, &x2, &y2) ||
      !ParseDecimal(w[5], 0, 600000, &ms) || (w.size() == 7 && !ParseDecimal(w[6], 1, 1000, &steps))) {
    return Error("drag wants X1 Y1 X2 Y2 MS [STEPS]");
  }
  if (ms > 0 && !clock::IsVirtual()) return Error("drag with a duration needs --virtual-clock");
  wm::InjectMouse(WM_LBUTTONDOWN, x1, y1);
  long elapsed = 0;
  for (long i = 1; i <= steps; ++i) {
    if (!wm::PumpUntilIdle()) return Ok();
    // Time passes between the finger's positions, as it would under a real finger.
    long due = ms * i / steps;
    if (due > elapsed) wm::AdvanceClock(static_cast<uint32_t>(due - elapsed));
    elapsed = due;
    int x = static_cast<int>(x1 + (static_cast<long>(x2) - x1) * i / steps);
    int y = static_cast<int>(y1 + (static_cast<long>(y2) - y1) * i / steps);
    wm::InjectMouse(WM_MOUSEMOVE, x, y);
  }
  if (!wm::PumpUntilIdle()) return Ok();
  wm::InjectMouse(WM_LBUTTONUP, x2, y2);
  return Ok();
}

json Key(const std::vector<std::string>& w) {
  if (w.size() < 2 || w.size() > 3) return Error("key wants NAME [down|up]");
  UINT vk = KeyCodeForName(w[1]);
  if (!vk) return Error("unknown key " + ShortEcho(w[1]));
  if (w.size() == 3 && w[2] != "down" && w[2] != "up") return Error("key wants NAME [down|up]");
  if (vk == VK_HANGUL) {
    // The Hangul / Latin key, as on the desktop keyboard: it switches the input mode.
    if (w.size() == 2 || w[2] == "down") sip::QueueModeToggle();
    return Ok();
  }
  if (w.size() == 3) {
    wm::InjectKey(vk, w[2] == "down");
    return Ok();
  }
  return PressKey(vk);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Answers are given the way a finger gives them (a tap on the button, beside a menu), so the
// input state afterwards is the same as after the user's own answer.
json TapOn(HWND window, const RECT& button, const std::string& name) {
  POINT p = Centre(button);
  if (WindowFromPoint(p) != window) return Error("the " + name + " button is covered");
  return Tap(p);
}

json AnswerMenu(const std::vector<ui::MenuItemInfo>& items, int id) {
  if (id != IDCANCEL) return Error("a menu is open: tap an item or answer cancel");
  RECT menu{};
  for (const ui::MenuItemInfo& item : items) UnionRect(&menu, &menu, &item.rect);
  InflateRect(&menu, 8, 8);
  // A tap anywhere off the menu closes it.
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}}) {
    if (!PtInRect(&menu, corner)) return Tap(corner);
  }
  return Error("the menu covers the whole screen");
}

json AnswerDialog(const ui::DialogInfo& dialog, int id) {
  if (id == IDOK && dialog.okButton) return TapOn(dialog.hwnd, *dialog.okButton, "dialog's ok");
  // Nothing to tap: the command the dialog's own keys would give (no finger involved either).
  PostMessageW(dialog.hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return Ok();
}

json Answer(const std::vector<std::string>& w) {
  static const std::pair<const char*, int> kIds[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
  int id = 0;
  for (auto& [name, value] : kIds) {
    if (w.size() == 2 && w[1] == name) id = value;
  }
  if (!id) return Error("answer wants ok, cancel, yes or no");
  if (auto box = ui::CurrentMessageBox()) {
    for (size_t i = 0; i < box->buttonIds.size() && i < box->buttonRects.size(); ++i)
      if (box->buttonIds[i] == id) return TapOn(box->hwnd, box->buttonRects[i], "message box's " + w[1]);
    return Error("the message box has no " + w[1] + " button");
  }
  if (auto menu = ui::CurrentMenu()) return AnswerMenu(*menu, id);
  if (auto dialog = ui::CurrentDialog()) return AnswerDialog(*dialog, id);
  return Error("nothing is waiting for an answer");
}

// Another program comes to the front (or the user comes back): the frame hears WM_ACTIVATE.
json Activation(bool active) {
  if (TopLevelWindows().empty()) return Error("the program has no window");
  wm::SetAppForeground(active);
  return Ok();
}

}  // namespace

std::vector<std::string> SplitCommand(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  auto skip = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
  };
  skip();
  while (i < line.size()) {
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    words.push_back(line.substr(start, i - start));
    skip();
    const std::string& first = words.front();
    if (words.size() == 1 && i < line.size() && (first == "type" || first == "compose" || first == "screenshot")) {
      std::string rest = line.substr(i);
      while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' ')) rest.pop_back();
      words.push_back(rest);
      break;
    }
  }
  return words;
}

CommandResult RunCommand(const std::string& line) {
  std::vector<std::string> w = SplitCommand(line);
  if (w.empty()) return {Error("empty command")};
  const std::string& c = w[0];
  if (c == "down" || c == "move" || c == "up" || c == "tap") return {Mouse(w)};
  if (c == "drag") return {Drag(w)};
  if (c == "key") return {Key(w)};
  if (c == "type" || c == "compose") {
    if (w.size() != 2) return {Error(c + " wants TEXT")};
    if (!sip::TypeText(Utf8ToUtf16(w[1]), c == "compose")) return {Error(c + ": nothing has the focus")};
    return {Ok()};
  }
  if (c == "advance") {
    long ms;
    if (w.size() != 2 || !ParseDecimal(w[1], 0, 86400000, &ms)) return {Error("advance wants MS (0 to 86400000)")};
    if (!clock::IsVirtual()) return {Error("advance needs --virtual-clock")};
    wm::AdvanceClock(static_cast<uint32_t>(ms));
    return {Ok()};
  }
  if (c == "idle") {
    if (w.size() != 1) return {Error("idle takes no arguments")};
    wm::PumpUntilIdle();
    return {Ok()};
  }
  if (c == "deactivate" || c == "activate") {
    if (w.size() != 1) return {Error(c + " takes no arguments")};
    return {Activation(c == "activate")};
  }
  if (c == "screen") {
    if (w.size() != 1) return {Error("screen takes no arguments")};
    return {ScreenReport()};
  }
  if (c == "state") {
    if (w.size() != 1) return {Error("state takes no arguments")};
    return {CollectState()};
  }
  if (c == "answer") return {Answer(w)};
  if (c == "screenshot") {
    if (w.size() != 2) return {Error("screenshot wants FILE")};
    if (!gdi::WriteScreenPng(w[1])) return {Error("cannot write " + ShortEcho(w[1]))};
    return {Ok()};
  }
  if (c == "quit") {
    if (w.size() != 1) return {Error("quit takes no arguments")};
    std::vector<HWND> windows = TopLevelWindows();
    if (windows.empty()) return {Error("the program has no window")};
    // The normal way: the frame is closed as the user would close it.
    for (HWND window : windows) PostMessageW(window, WM_CLOSE, 0, 0);
    return {json(), true};
  }
  return {Error("unknown command " + ShortEcho(c))};
}

std::string ShortEcho(const std::string& text) {
  constexpr size_t kShown = 40;
  size_t cut = text.size();
  if (cut > kShown) {
    cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // whole characters
  }
  std::string echo = "\"";
  echo.append(text, 0, cut);
  if (cut < text.size()) echo += "...";
  echo += '"';
  return echo;
}

}  // namespace platform::automation
