// What automation and tests see of the system UI the program is waiting on, and how they
// answer it. Answers arrive from inside the modal loop (automation is an idle poller there),
// so answering only ends that loop with the given result.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "windows.h"

namespace platform::ui {

struct MessageBoxInfo {
  std::u16string caption, text;
  std::vector<std::u16string> buttons;
  std::vector<int> buttonIds;     // IDOK, IDCANCEL, IDYES, IDNO, in button order
  std::vector<RECT> buttonRects;  // screen coordinates, where the buttons are (or would be) drawn
  UINT type = 0;                  // the MB_* flags it was shown with
  HWND hwnd = nullptr;            // its window, once shown
};

// The innermost message box on screen, if any.
std::optional<MessageBoxInfo> CurrentMessageBox();
// Ends the innermost box with `id`; false when no box is up or it has no such button.
bool AnswerMessageBox(int id);

// Unit tests without anybody to answer: called as soon as a box would be shown; a result that
// names one of its buttons is returned at once (no window, no loop), anything else shows it.
void SetMessageBoxAutoAnswer(std::function<int(const MessageBoxInfo&)> answer);
// Every box shown (or auto-answered) since the last clear, oldest first.
std::vector<MessageBoxInfo> MessageBoxLog();
void ClearMessageBoxLog();

struct MenuItemInfo {
  std::u16string text;
  UINT id = 0;
  bool checked = false;
  bool separator = false;
  bool grayed = false;
  bool popup = false;
  RECT rect{};  // screen coordinates
};

// The items of the pop-up menu being tracked, if any.
std::optional<std::vector<MenuItemInfo>> CurrentMenu();
// Chooses an enabled command item of the tracked menu; false when there is none such.
bool ChooseMenuItem(UINT id);
bool CancelMenu();

bool CursorIsWait();

struct DialogInfo {
  HWND hwnd = nullptr;
  std::u16string caption;
  std::optional<RECT> okButton;  // the caption's OK button (screen coordinates), if it has one
};
// The innermost modal dialog running, if any.
std::optional<DialogInfo> CurrentDialog();

}  // namespace platform::ui
