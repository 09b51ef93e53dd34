// Handing the compose view's text over to the phone's multimedia composer: a worker thread
// reads the text field, starts the composer with "5" and the text, and then tells the view
// to close.
#pragma once
#include <windows.h>

namespace compose {

// What starts the composer: the launcher of the views (tests put their own in its place).
using MmsLaunch = bool (*)(const WCHAR* first, const WCHAR* second, HANDLE* process);

// Starts the worker for `view`, whose text field is `textField`; false when no thread could
// be made. The view gets WM_COMMAND ID_COMPOSE_CLOSE (argument 0) once the composer runs; when
// it cannot be started the view stays, with the text the user would otherwise lose.
bool StartMmsHandOver(HWND view, HWND textField, MmsLaunch launch);

}  // namespace compose
