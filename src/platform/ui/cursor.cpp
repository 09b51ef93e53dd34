// The system's shared cursors and the current one. Only the choice is kept (automation
// reports "arrow" or "wait"); the screen has no pointer to draw for a finger.
#include <map>
#include <mutex>

#include "platform/ui/ui_objects.h"
#include "platform/ui/ui_state.h"

namespace platform::ui {
namespace {

struct CursorState {
  std::mutex mutex;
  std::map<WORD, HCURSOR> system;
  HCURSOR current = nullptr;
  bool started = false;
};

CursorState& State() {
  static CursorState state;
  return state;
}

bool IsSystemCursorId(WORD id) {
  switch (id) {
    case 32512: case 32513: case 32514: case 32515: case 32516: case 32649: case 32650:
      return true;
    default:
      return false;
  }
}

HCURSOR SystemCursorLocked(CursorState& s, WORD id) {
  auto it = s.system.find(id);
  if (it != s.system.end()) return it->second;
  auto icon = std::make_shared<Icon>();
  icon->systemCursor = id;
  icon->shared = true;
  HCURSOR h = AddIcon(std::move(icon));
  s.system[id] = h;
  return h;
}

void StartLocked(CursorState& s) {
  if (s.started) return;
  s.started = true;
  s.current = SystemCursorLocked(s, 32512);
}

}  // namespace

bool CursorIsWait() {
  CursorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  Icon* icon = FindIcon(s.current);
  return icon && icon->systemCursor == 32514;
}

}  // namespace platform::ui

using namespace platform::ui;

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  WORD id = 0;
  if (instance || !ResourceOrdinal(name, &id) || !IsSystemCursorId(id)) {
    // The program carries no cursor resources of its own.
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  CursorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  return SystemCursorLocked(s, id);
}

HCURSOR SetCursor(HCURSOR cursor) {
  CursorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  if (cursor && !FindIcon(cursor)) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return nullptr;
  }
  HCURSOR previous = s.current;
  s.current = cursor;
  return previous;
}

HCURSOR GetCursor() {
  CursorState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  StartLocked(s);
  return s.current;
}
