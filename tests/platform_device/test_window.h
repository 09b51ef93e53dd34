// A top-level window that records what it gets, for the device tests that need windows.
#pragma once
#include <string>
#include <vector>

#include "windows.h"

namespace devtest {

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  ULONG_PTR copyDwData = 0;   // WM_COPYDATA: the record's fields and a copy of its bytes
  std::string copyBytes;
  const void* copyPointer = nullptr;
};

class TestWindow {
 public:
  // `className` distinguishes frames of different tests; messages at or above WM_USER and
  // WM_COPYDATA are recorded and answered with `answer`.
  explicit TestWindow(const char16_t* className, LRESULT answer = 0);
  ~TestWindow();
  HWND hwnd() const { return hwnd_; }
  std::vector<Received> Only(UINT message) const;
  const std::vector<Received>& all() const { return received_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  LRESULT answer_;
  std::vector<Received> received_;
};

}  // namespace devtest
