#include <cstdio>

#include "platform/automation/commands.h"
#include "platform/automation/state_json.h"
#include "platform/base/text.h"
#include "platform/gdi/screen.h"
#include "platform/sip/input_mode.h"
#include "platform/sip/panel.h"
#include "platform/ui/ui_state.h"

namespace platform::automation {
namespace {

using nlohmann::json;

json Rect(const RECT& r) { return json::array({r.left, r.top, r.right, r.bottom}); }

std::string ClassOf(HWND hwnd) {
  WCHAR name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return Utf16ToUtf8(name);
}

std::string TextOf(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  int n = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return Utf16ToUtf8(text);
}

std::string Colour(COLORREF c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return buf;
}

constexpr UINT kGetSelection = 0x00B0;  // EM_GETSEL

bool IsEdit(HWND hwnd) {
  WCHAR name[8] = {};
  GetClassNameW(hwnd, name, 8);
  return lstrcmpiW(name, u"EDIT") == 0;
}

json SipKeys() {
  json keys = json::array();
  for (const sip::PanelKey& k : sip::PanelKeys())
    keys.push_back({{"key", k.name}, {"label", Utf16ToUtf8(k.label)}, {"rect", Rect(k.rect)}});
  return keys;
}

void AddWindows(HWND hwnd, HWND focus, json& out) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  json window = {{"class", ClassOf(hwnd)},
                 {"id", GetDlgCtrlID(hwnd)},
                 {"text", TextOf(hwnd)},
                 {"rect", Rect(r)},
                 {"visible", IsWindowVisible(hwnd) != 0},
                 {"enabled", IsWindowEnabled(hwnd) != 0},
                 {"focus", hwnd == focus}};
  if (IsEdit(hwnd)) {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd, kGetSelection, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    window["composition"] = Utf16ToUtf8(sip::CompositionOf(hwnd));
    window["selection"] = json::array({start, end});
  }
  out.push_back(std::move(window));
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    AddWindows(child, focus, out);
  }
}

// The visible child of a visible top-level window that covers all of its client area.
json FullScreenView(const std::vector<HWND>& tops) {
  for (HWND top : tops) {
    if (!IsWindowVisible(top)) continue;
    RECT client{};
    GetClientRect(top, &client);
    for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT r{};
      GetWindowRect(child, &r);
      POINT origin{0, 0};
      ClientToScreen(top, &origin);
      if (r.left <= origin.x && r.top <= origin.y && r.right >= origin.x + client.right &&
          r.bottom >= origin.y + client.bottom) {
        return ClassOf(child);
      }
    }
  }
  return nullptr;
}

}  // namespace

// The input panel is the system's, not one of the program's windows.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> out;
  for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w != sip::PanelWindow()) out.push_back(w);
  return out;
}

json ScreenReport() {
  std::vector<HWND> tops = TopLevelWindows();
  json report = json::object();
  report["view"] = FullScreenView(tops);
  json windows = json::array();
  HWND focus = GetFocus();
  for (HWND top : tops) AddWindows(top, focus, windows);
  report["windows"] = std::move(windows);

  json texts = json::array();
  for (const gdi::TextRun& run : gdi::ScreenTextRuns()) {
    texts.push_back({{"text", Utf16ToUtf8(run.text)}, {"rect", Rect(run.rect)}, {"color", Colour(run.color)}});
  }
  report["texts"] = std::move(texts);

  if (auto box = ui::CurrentMessageBox()) {
    json buttons = json::array();
    for (const auto& b : box->buttons) buttons.push_back(Utf16ToUtf8(b));
    report["msgbox"] = {{"caption", Utf16ToUtf8(box->caption)}, {"text", Utf16ToUtf8(box->text)}, {"buttons", buttons}};
  } else {
    report["msgbox"] = nullptr;
  }
  if (auto menu = ui::CurrentMenu()) {
    json items = json::array();
    for (const auto& item : *menu) {
      if (item.separator) continue;
      items.push_back({{"text", Utf16ToUtf8(item.text)}, {"id", item.id}, {"checked", item.checked}, {"rect", Rect(item.rect)}});
    }
    report["menu"] = std::move(items);
  } else {
    report["menu"] = nullptr;
  }
  report["cursor"] = ui::CursorIsWait() ? "wait" : "arrow";
  report["sip"] = sip::PanelShown();
  if (sip::PanelShown()) report["sip_keys"] = SipKeys();
  HWND fg = GetForegroundWindow();
  report["foreground"] = fg != nullptr && IsWindow(fg) && IsWindowVisible(fg);
  CollectScreen(report);
  return report;
}

}  // namespace platform::automation
