#include "wm_fixture.h"

namespace wmtest {

const char16_t kRecClass[] = u"WmTestRec";
const char16_t kDblClass[] = u"WmTestDbl";

namespace {
std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> h;
  return h;
}
std::map<std::u16string, Handler>& ClassHandlers() {
  static std::map<std::u16string, Handler> h;
  return h;
}

std::map<HWND, std::string>& Names() {
  static std::map<HWND, std::string> n;
  return n;
}

void Remember(HWND h, const char16_t* name) {
  std::string s;
  for (const char16_t* p = name; p && *p; ++p) s += static_cast<char>(*p);
  if (h) Names()[h] = s;
}

const char* Name(UINT m) {
  switch (m) {
    case WM_CREATE: return "CREATE";
    case WM_DESTROY: return "DESTROY";
    case WM_NCCREATE: return "NCCREATE";
    case WM_NCDESTROY: return "NCDESTROY";
    case WM_MOVE: return "MOVE";
    case WM_SIZE: return "SIZE";
    case WM_ACTIVATE: return "ACTIVATE";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_SHOWWINDOW: return "SHOWWINDOW";
    case WM_PAINT: return "PAINT";
    case WM_ERASEBKGND: return "ERASE";
    case WM_TIMER: return "TIMER";
    case WM_CAPTURECHANGED: return "CAPTURECHANGED";
    case WM_LBUTTONDOWN: return "LDOWN";
    case WM_LBUTTONUP: return "LUP";
    case WM_LBUTTONDBLCLK: return "LDBL";
    case WM_MOUSEMOVE: return "MOVE_M";
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_CHAR: return "CHAR";
    case WM_ENABLE: return "ENABLE";
    case WM_CANCELMODE: return "CANCELMODE";
  }
  return m >= WM_USER ? "USER" : "?";
}
}  // namespace

std::vector<Entry>& Log() {
  static std::vector<Entry> log;
  return log;
}

std::vector<Entry> Only(UINT message, HWND hwnd) {
  std::vector<Entry> out;
  for (const Entry& e : Log())
    if (e.message == message && (!hwnd || e.hwnd == hwnd)) out.push_back(e);
  return out;
}

std::string Trace(std::initializer_list<UINT> messages) {
  std::string out;
  for (const Entry& e : Log()) {
    bool wanted = false;
    for (UINT m : messages) wanted |= m == e.message;
    if (!wanted) continue;
    std::string name = Names()[e.hwnd];
    if (!out.empty()) out += ' ';
    out += std::string(Name(e.message)) + "@" + (name.empty() ? "?" : name);
  }
  return out;
}

void OnMessage(HWND hwnd, Handler handler) { Handlers()[hwnd] = std::move(handler); }
void OnClassMessage(const std::u16string& className, Handler handler) {
  ClassHandlers()[className] = std::move(handler);
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  LRESULT result = 0;
  auto it = Handlers().find(hwnd);
  if (it != Handlers().end() && it->second && it->second(hwnd, message, wParam, lParam, &result)) return result;
  WCHAR cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  auto ct = ClassHandlers().find(cls);
  if (ct != ClassHandlers().end() && ct->second(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void WmTest::SetUp() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = kRecClass;
    wc.cbWndExtra = 8;
    ASSERT_NE(RegisterClassW(&wc), 0);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = kDblClass;
    ASSERT_NE(RegisterClassW(&wc), 0);
    registered = true;
  }
  Log().clear();
}

void WmTest::TearDown() {
  for (HWND h; (h = GetWindow(GetDesktopWindow(), GW_CHILD)) != nullptr;) ASSERT_TRUE(DestroyWindow(h));
  platform::wm::SetAppForeground(true);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  Handlers().clear();
  ClassHandlers().clear();
  Names().clear();
  Log().clear();
}

HWND WmTest::Top(const char16_t* name, DWORD style, RECT r) {
  HWND h = CreateWindowExW(0, kRecClass, name, style, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                           nullptr, nullptr, nullptr);
  Remember(h, name);
  return h;
}

HWND WmTest::Child(HWND parent, const char16_t* name, RECT r, int id, DWORD style) {
  HWND h = CreateWindowExW(0, kRecClass, name, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  Remember(h, name);
  return h;
}

}  // namespace wmtest
