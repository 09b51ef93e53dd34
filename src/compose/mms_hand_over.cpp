#include "compose/mms_hand_over.h"

#include "views/view_mode.h"

namespace compose {
namespace {

// The text field is read up to this many characters; the composer's command line keeps 511.
constexpr int kHandOverChars = 1024;

struct HandOver {
  HWND view;
  HWND textField;
  MmsLaunch launch;
};

DWORD WINAPI HandOverThread(LPVOID parameter) {
  const HandOver handOver = *static_cast<HandOver*>(parameter);
  delete static_cast<HandOver*>(parameter);
  // Both calls run on the view's thread, which owns the windows.
  WCHAR text[kHandOverChars + 1] = {};
  SendMessageW(handOver.textField, WM_GETTEXT, kHandOverChars + 1, reinterpret_cast<LPARAM>(text));
  if (!handOver.launch(u"5", text, nullptr)) return 1;
  SendMessageW(handOver.view, WM_COMMAND, ID_COMPOSE_CLOSE, 0);
  return 0;
}

}  // namespace

bool StartMmsHandOver(HWND view, HWND textField, MmsLaunch launch) {
  auto* handOver = new HandOver{view, textField, launch};
  HANDLE thread = CreateThread(nullptr, 0, &HandOverThread, handOver, 0, nullptr);
  if (!thread) {
    delete handOver;
    return false;
  }
  CloseHandle(thread);
  return true;
}

}  // namespace compose
