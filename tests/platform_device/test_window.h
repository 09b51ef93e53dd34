// A top-level window that records what it gets, for the device tests that need windows.
#pragma once
#include <map>
#include <vector>

#include "windows.h"

namespace devtest {

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class TestWindow {
 public:
  // `className` distinguishes frames of different tests; messages at or above WM_USER and
  // WM_COPYDATA are recorded and answered with `answer`.
  explicit TestWindow(const char16_t* className, LRESULT answer = 0) : answer_(answer) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // already registered by an earlier test: fine
    hwnd_ = CreateWindowExW(0, className, u"Parlo", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
    Windows()[hwnd_] = this;
  }
  ~TestWindow() {
    Windows().erase(hwnd_);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND hwnd() const { return hwnd_; }
  std::vector<Received> Only(UINT message) const {
    std::vector<Received> out;
    for (auto& r : received_)
      if (r.message == message) out.push_back(r);
    return out;
  }
  const std::vector<Received>& all() const { return received_; }

 private:
  static std::map<HWND, TestWindow*>& Windows() {
    static std::map<HWND, TestWindow*> w;
    return w;
  }
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = Windows().find(hwnd);
    if (it == Windows().end() || (message < WM_USER && message != WM_COPYDATA))
      return DefWindowProcW(hwnd, message, wParam, lParam);
    it->second->received_.push_back({message, wParam, lParam});
    return it->second->answer_;
  }

  HWND hwnd_ = nullptr;
  LRESULT answer_;
  std::vector<Received> received_;
};

}  // namespace devtest
