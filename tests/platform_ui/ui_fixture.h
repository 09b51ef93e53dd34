// A screen, an owner window that records what it is sent, and a script of steps run from the
// idle poller, so a test can answer system UI from inside its modal loop.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/gdi/screen.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "windows.h"

namespace uitest {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A step runs each time the loop goes idle until it returns true; then the next one runs.
using Step = std::function<bool()>;

class UiTest : public ::testing::Test {
 public:
  static void Tap(int x, int y);
  static void TapCentre(const RECT& r);
  // A key pressed and released on the hardware keyboard, each step handled before the next.
  static void PressKey(UINT vk);
  // A key pressed and released without waiting: for a step, inside a modal loop.
  static void Stroke(UINT vk);
  // Keys by their letters: a-z, A-Z with shift, '<' backspace, ' ' space, '\r' enter.
  static void TypeKeys(const std::string& keys);

 protected:
  void SetUp() override;
  void TearDown() override;

  // A system control (EDIT, BUTTON) on the owner, with `id` and its client-area rectangle.
  HWND Control(LPCWSTR cls, DWORD style, int id, RECT r, LPCWSTR text = u"");
  // What the owner received of `message`, in order.
  std::vector<Received> Got(UINT message) const;
  void ClearLog();
  // Lets the owner answer a message itself (returns true when it did).
  void OnOwner(std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler);

  void Then(Step step);
  bool ScriptDone() const;

  parlo_test::TempDevice device_;
  // A full-screen top-level window of the recording class, active and focused.
  HWND owner_ = nullptr;
};

// A window's text.
std::u16string TextOf(HWND h);
// Whether a text on the screen now holds `text`.
bool OnScreen(const std::u16string& text);

}  // namespace uitest
