#include "test_window.h"

#include <map>

namespace devtest {
namespace {
std::map<HWND, TestWindow*>& Windows() {
  static std::map<HWND, TestWindow*> w;
  return w;
}
TestWindow* g_creating = nullptr;
}  // namespace

TestWindow::TestWindow(const char16_t* className, LRESULT answer) : answer_(answer) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = className;
  RegisterClassW(&wc);  // already registered by an earlier test: fine
  g_creating = this;
  hwnd_ = CreateWindowExW(0, className, u"Parlo", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
  g_creating = nullptr;
  Windows()[hwnd_] = this;
}

TestWindow::~TestWindow() {
  Windows().erase(hwnd_);
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

std::vector<Received> TestWindow::Only(UINT message) const {
  std::vector<Received> out;
  for (auto& r : received_)
    if (r.message == message) out.push_back(r);
  return out;
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = Windows().find(hwnd);
  TestWindow* self = it != Windows().end() ? it->second : nullptr;
  if (!self || (message < WM_USER && message != WM_COPYDATA)) return DefWindowProcW(hwnd, message, wParam, lParam);
  Received r;
  r.message = message;
  r.wParam = wParam;
  r.lParam = lParam;
  if (message == WM_COPYDATA) {
    auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    r.copyDwData = cds->dwData;
    r.copyBytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    r.copyPointer = cds->lpData;
  }
  self->received_.push_back(r);
  return self->answer_;
}

}  // namespace devtest
