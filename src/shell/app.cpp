#include "shell/app.h"

#include <aygshell.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "shell/application.h"
#include "shell/main_frame.h"
#include "shell/message_loop.h"
#include "shell/single_instance.h"
#include "views/view_mode.h"

namespace {

int Run(LPCWSTR commandLine, int showCommand) {
  auto loop = std::make_unique<MessageLoop>();
  app_module::AddMessageLoop(loop.get());
  Application app;
  auto frame = std::make_unique<MainFrame>(app, commandLine);
  WCHAR appName[260] = {};
  LoadStringW(app_module::Instance(), IDS_APP_NAME, appName, 260);
  int result = 0;
  if (HWND hwnd = frame->CreateFrameWindow(app_module::Instance(), appName)) {
    ShowWindow(hwnd, showCommand);
    result = loop->Run();
  }
  app_module::RemoveMessageLoop();
  frame.reset();
  return result;
}

}  // namespace

int ParloMain(HINSTANCE instance, LPCWSTR commandLine, int showCommand) {
  int check = CheckSingleInstance(instance, commandLine);
  if (check < 0 || check == 1) return check;
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  SHInitExtraControls();
  app_module::Init(instance);
  int result = Run(commandLine, showCommand);
  app_module::Term();
  CoUninitialize();
  return result;
}
