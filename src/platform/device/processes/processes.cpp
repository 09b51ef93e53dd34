// CreateProcessW: an executable at a phone path is a host executable file under the device root.
// The child learns how the phone started it from its environment: PARLO_DEVICE (the root),
// PARLO_PHONE_PATH (the phone path) and PARLO_COMMAND_LINE (the command line, UTF-8); its argv
// is the command line split the system's way.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/device/kernel_object.h"
#include "platform/device/processes/command_line.h"
#include "winbase.h"

extern char** environ;

namespace platform::device {
namespace {

class ProcessObject : public KernelObject {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  ~ProcessObject() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!reaped_) {
      // Nobody waits for it any more; reap it when it ends so it leaves no zombie.
      pid_t pid = pid_;
      std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
      }).detach();
    }
  }
  bool Wait(uint32_t ms) override {
    if (ms == INFINITE) return Reap(0);
    if (Reap(WNOHANG)) return true;
    // A bounded wait is for worker threads; it follows the machine's clock.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      if (Reap(WNOHANG)) return true;
    }
    return false;
  }
  bool ExitCode(DWORD* code) {
    Reap(WNOHANG);
    std::lock_guard<std::mutex> lock(mutex_);
    *code = reaped_ ? exitCode_ : STILL_ACTIVE;
    return true;
  }
  DWORD pid() const { return static_cast<DWORD>(pid_); }

 private:
  bool Reap(int flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reaped_) return true;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(pid_, &status, flags)) < 0 && errno == EINTR) {
    }
    if (r == pid_) {
      reaped_ = true;
      exitCode_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 0xC0000005u;
      return true;
    }
    if (r < 0) {  // not our child any more: count it as ended
      reaped_ = true;
      exitCode_ = 0;
      return true;
    }
    return false;
  }

  std::mutex mutex_;
  pid_t pid_;
  bool reaped_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

bool IsHostExecutable(const std::filesystem::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

}  // namespace
}  // namespace platform::device

using namespace platform::device;

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation) {
  std::u16string phonePath;
  std::u16string args = commandLine ? std::u16string(commandLine) : std::u16string();
  if (applicationName && *applicationName) {
    phonePath = applicationName;
  } else {
    // The program's name is the first word: up to the closing quote if it starts with one,
    // else up to the first space or tab, as the system reads it.
    size_t start = args.find_first_not_of(u" \t");
    if (start == std::u16string::npos) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    size_t end;
    if (args[start] == u'"') {
      end = args.find(u'"', start + 1);
      phonePath = args.substr(start + 1, end == std::u16string::npos ? std::u16string::npos : end - start - 1);
      end = end == std::u16string::npos ? args.size() : end + 1;
    } else {
      end = args.find_first_of(u" \t", start);
      if (end == std::u16string::npos) end = args.size();
      phonePath = args.substr(start, end - start);
    }
    size_t rest = args.find_first_not_of(u" \t", end);
    args = rest == std::u16string::npos ? std::u16string() : args.substr(rest);
  }
  auto host = HostPath(phonePath);
  if (!host || !IsHostExecutable(*host)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::vector<std::string> argv8{host->string()};
  for (auto& a : SplitCommandLine(args)) argv8.push_back(platform::Utf16ToUtf8(a));
  std::vector<char*> argv;
  for (auto& a : argv8) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> env8;
  for (char** e = environ; e && *e; ++e) {
    std::string_view kv(*e);
    if (kv.starts_with("PARLO_DEVICE=") || kv.starts_with("PARLO_PHONE_PATH=") ||
        kv.starts_with("PARLO_COMMAND_LINE="))
      continue;
    env8.emplace_back(kv);
  }
  env8.push_back("PARLO_DEVICE=" + Root().string());
  env8.push_back("PARLO_PHONE_PATH=" + platform::Utf16ToUtf8(phonePath));
  env8.push_back("PARLO_COMMAND_LINE=" + platform::Utf16ToUtf8(args));
  std::vector<char*> envp;
  for (auto& e : env8) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, host->c_str(), nullptr, nullptr, argv.data(), envp.data());
  if (rc != 0) {
    SetLastError(rc == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto process = std::make_shared<ProcessObject>(pid);
  HANDLE hp = AddKernelObject(process);
  if (!hp) return FALSE;
  if (processInformation) {
    processInformation->hProcess = hp;
    processInformation->hThread = nullptr;  // the child's first thread is not ours to hold
    processInformation->dwProcessId = process->pid();
    processInformation->dwThreadId = 0;
  } else {
    CloseHandle(hp);
  }
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  auto p = GetKernelObject<ProcessObject>(process);
  if (!p || !exitCode) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return p->ExitCode(exitCode) ? TRUE : FALSE;
}
