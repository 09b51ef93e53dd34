// A recording window class and a fixture that leaves no window, timer or message behind.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace wmtest {

struct Entry {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message a recording window gets, in order.
std::vector<Entry>& Log();
// Only the entries for `message` (any window when hwnd is null).
std::vector<Entry> Only(UINT message, HWND hwnd = nullptr);
// Messages of interest as "name@window" strings, window given by its text.
std::string Trace(std::initializer_list<UINT> messages);

// A window may answer a message itself instead of the default procedure.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
void OnMessage(HWND hwnd, Handler handler);
// Handlers for windows still being created (WM_NCCREATE, WM_CREATE) are found by class.
void OnClassMessage(const std::u16string& className, Handler handler);

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class WmTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A top-level window of the recording class, full screen unless given a size.
  HWND Top(const char16_t* name, DWORD style = WS_VISIBLE, RECT r = {0, 0, 480, 800});
  HWND Child(HWND parent, const char16_t* name, RECT r, int id = 0,
             DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);

  parlo_test::TempDevice device_;
};

extern const char16_t kRecClass[];
extern const char16_t kDblClass[];

}  // namespace wmtest
