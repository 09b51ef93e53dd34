// CreateThread: a std::thread whose end its handle can wait for.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/device/kernel_object.h"
#include "winbase.h"

namespace platform::device {
namespace {

struct ThreadState {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  DWORD exitCode = STILL_ACTIVE;
};

class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadState> state) : state_(std::move(state)) {}
  bool Wait(uint32_t ms) override {
    std::unique_lock<std::mutex> lock(state_->mutex);
    auto done = [&] { return state_->done; };
    if (ms == INFINITE) {
      state_->ended.wait(lock, done);
      return true;
    }
    return state_->ended.wait_for(lock, std::chrono::milliseconds(ms), done);
  }
  DWORD ExitCode() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->exitCode;
  }

 private:
  std::shared_ptr<ThreadState> state_;
};

std::atomic<DWORD> g_nextThreadId{0x1000};

}  // namespace
}  // namespace platform::device

using namespace platform::device;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES sa, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
  if (!start || (creationFlags & CREATE_SUSPENDED)) {
    SetLastError(ERROR_INVALID_PARAMETER);  // nothing here resumes a suspended thread
    return nullptr;
  }
  auto state = std::make_shared<ThreadState>();
  HANDLE h = AddKernelObject(std::make_shared<ThreadObject>(state));
  if (!h) return nullptr;
  const DWORD id = g_nextThreadId++;
  try {
    std::thread([state, start, parameter] {
      DWORD code = start(parameter);
      std::lock_guard<std::mutex> lock(state->mutex);
      state->exitCode = code;
      state->done = true;
      state->ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    KernelHandles().Remove(platform::FromHandle(h));
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId) *threadId = id;
  return h;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto t = GetKernelObject<ThreadObject>(thread);
  if (!t || !exitCode) {
    SetLastError(t ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = t->ExitCode();
  return TRUE;
}
