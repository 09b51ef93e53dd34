// The message queue of the UI thread: sent messages from other threads, posted messages and
// input, then WM_PAINT, then WM_TIMER, in the system's order.
#include "platform/wm/queue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "platform/base/clock.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "platform/wm/remote.h"

namespace platform::wm {
namespace {

struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::promise<LRESULT> result;
};

struct Posted {
  MSG msg;
  RawInput raw = RawInput::kNone;
  uint64_t seq = 0;
};

struct Poller {
  std::function<void()> fn;
  bool nested = false;
  bool running = false;
};

std::mutex g_mutex;
std::condition_variable g_cv;
bool g_wake = false;
std::deque<std::shared_ptr<SentMessage>> g_sent;
std::deque<Posted> g_posted;
uint64_t g_seq = 0;
bool g_quit = false;
int g_quitCode = 0;

std::atomic<bool> g_bound{false};
std::thread::id g_uiThread;
DWORD g_uiThreadId = 0;
int g_inCrossSend = 0;
LONG g_messageTime = 0;
DWORD g_messagePos = 0;

std::vector<std::shared_ptr<Poller>>& Pollers() {
  static std::vector<std::shared_ptr<Poller>> pollers;
  return pollers;
}
std::function<void()> g_present;
bool g_painted = false;
bool (*g_keyTranslator)(const MSG&) = nullptr;

bool InRange(UINT message, UINT min, UINT max) {
  if (message == WM_QUIT) return true;  // always taken, whatever the range
  if (min == 0 && max == 0) return true;
  return message >= min && message <= max;
}

void RunPollers() {
  auto list = Pollers();  // a poller may add another
  for (auto& p : list) {
    if (p->running && !p->nested) continue;  // not re-entered from a loop it started itself
    bool outer = !p->running;
    p->running = true;
    p->fn();
    if (outer) p->running = false;
  }
}

// Runs every message other threads sent; true if there was one.
bool ProcessSent() {
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> s;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_sent.empty()) break;
      s = g_sent.front();
      g_sent.pop_front();
    }
    any = true;
    LRESULT r = 0;
    if (Find(s->hwnd)) {
      ++g_inCrossSend;
      r = CallProc(s->hwnd, s->message, s->wParam, s->lParam);
      --g_inCrossSend;
    }
    s->result.set_value(r);
  }
  return any;
}

void ErasePosted(uint64_t seq) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_posted.begin(); it != g_posted.end(); ++it)
    if (it->seq == seq) {
      g_posted.erase(it);
      return;
    }
}

bool TakePosted(HWND filter, UINT min, UINT max, bool remove, MSG* out) {
  std::vector<Posted> snapshot;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_posted.empty()) return false;
    snapshot.assign(g_posted.begin(), g_posted.end());
  }
  for (const Posted& p : snapshot) {
    MSG m = p.msg;
    if (p.raw != RawInput::kNone) {
      if (!ResolveInput(p.raw, &m, false)) {
        ErasePosted(p.seq);  // nobody to receive it
        continue;
      }
    }
    if (!MatchesWindow(filter, m.hwnd) || !InRange(m.message, min, max)) continue;
    if (remove) {
      ErasePosted(p.seq);
      if (p.raw != RawInput::kNone) {
        m = p.msg;
        if (!ResolveInput(p.raw, &m, true)) continue;  // its window went away meanwhile
      }
    }
    *out = m;
    return true;
  }
  return false;
}

bool Fetch(MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
  ProcessSent();
  if (TakePosted(filter, min, max, remove, msg)) return true;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_quit) {
      *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quitCode), 0, GetTickCount(), {}};
      if (remove) g_quit = false;
      return true;
    }
  }
  if (InRange(WM_PAINT, min, max) && FindPaint(filter, msg)) return true;
  if (InRange(WM_TIMER, min, max) && TakeDueTimer(filter, remove, msg)) return true;
  return false;
}

void Remember(const MSG& m) {
  g_messageTime = static_cast<LONG>(m.time);
  g_messagePos = static_cast<DWORD>(MAKELONG(static_cast<WORD>(m.pt.x), static_cast<WORD>(m.pt.y)));
}

void BlockBriefly() {
  auto wait = std::chrono::milliseconds(50);
  if (!clock::IsVirtual()) {
    if (auto due = NextTimerDue()) {
      uint64_t now = clock::NowMs();
      auto left = std::chrono::milliseconds(*due > now ? *due - now : 0);
      if (left < wait) wait = left;
    }
  }
  std::unique_lock<std::mutex> lock(g_mutex);
  g_cv.wait_for(lock, wait, [] { return g_wake; });
  g_wake = false;
}

POINT CursorNow() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

}  // namespace

bool MatchesWindow(HWND filter, HWND hwnd) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return hwnd == nullptr;
  return hwnd && IsDescendant(filter, hwnd);
}

bool ProcessSentMessages() { return OnUiThread() && ProcessSent(); }

void EnsureUiThread() {
  if (!g_bound) BindUiThread();
}

void PostRawInput(RawInput kind, const MSG& msg) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_posted.push_back({msg, kind, ++g_seq});
    g_wake = true;
  }
  g_cv.notify_all();
}

void PresentIfPainted() {
  if (!g_painted) return;
  g_painted = false;
  if (g_present) g_present();
}

void MarkPresented(bool painted) {
  if (painted) g_painted = true;
}

LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w || !w->proc) return 0;
  auto keep = Hold(hwnd);  // the procedure may destroy its own window
  return w->proc(hwnd, message, wParam, lParam);
}

void DropPostedFor(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_posted.begin(); it != g_posted.end();) {
    if (it->raw == RawInput::kNone && it->msg.hwnd == hwnd) it = g_posted.erase(it);
    else ++it;
  }
}

void AddIdlePoller(std::function<void()> poller, bool nested) {
  Pollers().push_back(std::make_shared<Poller>(Poller{std::move(poller), nested}));
}

void Wake() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_wake = true;
  }
  g_cv.notify_all();
}

void SetPresentHook(std::function<void()> hook) { g_present = std::move(hook); }

void SetKeyTranslator(bool (*translator)(const MSG&)) { g_keyTranslator = translator; }

bool IsIdle() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_sent.empty() || !g_posted.empty()) return false;
  }
  MSG m;
  if (FindPaint(nullptr, &m)) return false;
  if (TakeDueTimer(nullptr, false, &m)) return false;
  return true;
}

bool PumpUntilIdle() {
  EnsureUiThread();
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_quit = true;  // left for the loop to take again
      g_quitCode = static_cast<int>(m.wParam);
      return false;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  return !g_quit;
}

void BindUiThread() {
  g_uiThread = std::this_thread::get_id();
  g_uiThreadId = GetCurrentThreadId();
  g_bound = true;
  clock::SetVirtualSleepHook([](uint32_t ms) {
    if (OnUiThread()) AdvanceClock(ms);
    else clock::Advance(ms);
  });
}

bool OnUiThread() { return !g_bound || std::this_thread::get_id() == g_uiThread; }

}  // namespace platform::wm

using namespace platform::wm;

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Find(hwnd)) {
    RemoteWindows* remote = GetRemoteWindows();
    if (hwnd && remote && remote->IsRemote(hwnd)) return remote->Send(hwnd, message, wParam, lParam);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (OnUiThread()) return CallProc(hwnd, message, wParam, lParam);
  // Another thread: the UI thread runs it while this one waits.
  auto s = std::make_shared<SentMessage>();
  s->hwnd = hwnd;
  s->message = message;
  s->wParam = wParam;
  s->lParam = lParam;
  auto done = s->result.get_future();
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sent.push_back(s);
    g_wake = true;
  }
  g_cv.notify_all();
  return done.get();
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !Find(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MSG m{hwnd, message, wParam, lParam, GetTickCount(), CursorNow()};
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_posted.push_back({m, RawInput::kNone, ++g_seq});
    g_wake = true;
  }
  g_cv.notify_all();
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!g_bound || threadId != g_uiThreadId) {
    SetLastError(ERROR_INVALID_PARAMETER);  // only the UI thread has a queue
    return FALSE;
  }
  return PostMessageW(nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_quit = true;
    g_quitCode = exitCode;
    g_wake = true;
  }
  g_cv.notify_all();
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  EnsureUiThread();
  MSG m{};
  bool take = (remove & PM_REMOVE) != 0;
  if (Fetch(&m, hwnd, filterMin, filterMax, take)) {
    if (msg) *msg = m;
    if (take) Remember(m);
    return TRUE;
  }
  RunPollers();
  if (Fetch(&m, hwnd, filterMin, filterMax, take)) {
    if (msg) *msg = m;
    if (take) Remember(m);
    return TRUE;
  }
  PresentIfPainted();
  return FALSE;
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  EnsureUiThread();
  if (!msg || (hwnd && hwnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !Find(hwnd))) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  for (;;) {
    if (PeekMessageW(msg, hwnd, filterMin, filterMax, PM_REMOVE)) return msg->message != WM_QUIT;
    BlockBriefly();
  }
}

BOOL WaitMessage() {
  EnsureUiThread();
  MSG m;
  while (!PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) BlockBriefly();
  return TRUE;
}

BOOL InSendMessage() { return g_inCrossSend > 0; }
LONG GetMessageTime() { return g_messageTime; }
DWORD GetMessagePos() { return g_messagePos; }

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  if (!Check(msg->hwnd)) return 0;
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP && msg->message != WM_SYSKEYDOWN &&
      msg->message != WM_SYSKEYUP)
    return FALSE;
  if (msg->message != WM_KEYDOWN) return TRUE;
  if (g_keyTranslator && g_keyTranslator(*msg)) return TRUE;
  WCHAR ch = CharForKey(static_cast<UINT>(msg->wParam), (GetKeyState(VK_SHIFT) & 0x8000) != 0);
  if (ch) {
    // The character comes next, ahead of anything posted later.
    MSG c{msg->hwnd, WM_CHAR, ch, msg->lParam, msg->time, msg->pt};
    std::lock_guard<std::mutex> lock(g_mutex);
    g_posted.push_front({c, RawInput::kNone, ++g_seq});
  }
  return TRUE;
}
