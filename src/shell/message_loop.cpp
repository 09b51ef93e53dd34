#include "shell/message_loop.h"

#include <algorithm>
#include <map>
#include <mutex>

void MessageLoop::AddMessageFilter(MessageFilter* filter) { filters_.push_back(filter); }
void MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}
void MessageLoop::AddIdleHandler(IdleHandler* handler) { idleHandlers_.push_back(handler); }
void MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
  idleHandlers_.erase(std::remove(idleHandlers_.begin(), idleHandlers_.end(), handler), idleHandlers_.end());
}

bool MessageLoop::ArmsIdle(UINT message) {
  return message != WM_PAINT && message != WM_SYSTIMER && message != WM_MOUSEMOVE;
}

bool MessageLoop::PreTranslate(MSG* msg) {
  // Last registered first: the most specific filter sees the message before the others.
  for (auto it = filters_.rbegin(); it != filters_.rend(); ++it) {
    if ((*it)->PreTranslateMessage(msg)) return true;
  }
  return false;
}

bool MessageLoop::CallIdleHandlers(int count) {
  bool more = !idleHandlers_.empty();
  // A copy: a handler may unregister itself.
  std::vector<IdleHandler*> handlers = idleHandlers_;
  for (IdleHandler* h : handlers) {
    if (!h->OnIdle(count)) more = false;
  }
  return more;
}

int MessageLoop::Run() {
  bool idle = true;
  int count = 0;
  MSG msg{};
  for (;;) {
    while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!CallIdleHandlers(count++)) idle = false;
    }
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (ArmsIdle(msg.message)) {
      idle = true;
      count = 0;
    }
  }
  return static_cast<int>(msg.wParam);
}

namespace app_module {
namespace {
std::mutex g_lock;
HINSTANCE g_instance = nullptr;
std::map<DWORD, MessageLoop*> g_loops;
}  // namespace

void Init(HINSTANCE instance) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_instance = instance;
}
void Term() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_loops.clear();
}
HINSTANCE Instance() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_instance;
}
void AddMessageLoop(MessageLoop* loop) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_loops[GetCurrentThreadId()] = loop;
}
void RemoveMessageLoop() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_loops.erase(GetCurrentThreadId());
}
MessageLoop* GetMessageLoop() {
  std::lock_guard<std::mutex> lock(g_lock);
  auto it = g_loops.find(GetCurrentThreadId());
  return it == g_loops.end() ? nullptr : it->second;
}
}  // namespace app_module
