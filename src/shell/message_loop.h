// The program's one message loop, with message filters and idle handlers, and the table that
// lets a window find the loop of its thread.
#pragma once
#include <windows.h>

#include <vector>

class MessageFilter {
 public:
  virtual ~MessageFilter() = default;
  // True when the message was taken and must not be dispatched.
  virtual bool PreTranslateMessage(MSG* msg) = 0;
};

class IdleHandler {
 public:
  virtual ~IdleHandler() = default;
  // False ends this round of idle processing.
  virtual bool OnIdle(int count) = 0;
};

class MessageLoop {
 public:
  void AddMessageFilter(MessageFilter* filter);
  void RemoveMessageFilter(MessageFilter* filter);
  void AddIdleHandler(IdleHandler* handler);
  void RemoveIdleHandler(IdleHandler* handler);

  // Runs until WM_QUIT; returns its exit code.
  int Run();

  // Messages after which idle processing is armed again.
  static bool ArmsIdle(UINT message);

 private:
  bool PreTranslate(MSG* msg);
  bool CallIdleHandlers(int count);

  std::vector<MessageFilter*> filters_;
  std::vector<IdleHandler*> idleHandlers_;
};

// The module: the instance handle for resources and the loop of each thread.
namespace app_module {
void Init(HINSTANCE instance);
void Term();
HINSTANCE Instance();
void AddMessageLoop(MessageLoop* loop);  // for the calling thread
void RemoveMessageLoop();
MessageLoop* GetMessageLoop();  // of the calling thread, or null
}  // namespace app_module
