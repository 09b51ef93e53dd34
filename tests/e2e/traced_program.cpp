#include "e2e/traced_program.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <future>
#include <iterator>
#include <stdexcept>

#include "e2e/process.h"

extern char** environ;

namespace e2e {
namespace {

constexpr int kAnswerTimeoutMs = 30000;

#if defined(__x86_64__)
constexpr unsigned kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kArch = AUDIT_ARCH_AARCH64;
#else
#error "the write tracer knows x86-64 and AArch64 only"
#endif

// Every call that changes a file or the tree of files. Writes to the pipes count too: an answer
// is one more place the program can die at.
const long kWriteCalls[] = {
    SYS_write, SYS_writev, SYS_pwrite64, SYS_pwritev, SYS_pwritev2, SYS_renameat, SYS_renameat2, SYS_unlinkat,
    SYS_truncate, SYS_ftruncate, SYS_fsync, SYS_fdatasync, SYS_fallocate, SYS_mkdirat, SYS_linkat,
#ifdef SYS_rename
    SYS_rename, SYS_unlink, SYS_mkdir, SYS_link,
#endif
};

// Only the write-like calls stop the program for the tracer; the rest run at full speed.
std::vector<sock_filter> WriteFilter() {
  const size_t m = std::size(kWriteCalls);
  // Three loads and tests come first, then one test a call; allow and trace are the last two.
  const size_t allow = m + 3, trace = m + 4;
  std::vector<sock_filter> f = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 0, static_cast<unsigned char>(allow - 2)),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
  };
  for (size_t i = 0; i < m; ++i)
    f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(kWriteCalls[i]),
                         static_cast<unsigned char>(trace - (i + 4)), 0));
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE));
  return f;
}

// LeakSanitizer stops the threads with ptrace at the end, which a traced program cannot do.
std::vector<std::string> TracedEnvironment() {
  std::vector<std::string> env;
  bool asan = false;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
      entry += ":detect_leaks=0";
      asan = true;
    }
    env.push_back(entry);
  }
  if (!asan) env.push_back("ASAN_OPTIONS=detect_leaks=0");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

}  // namespace

TracedProgram::TracedProgram(const std::string& binary, const std::vector<std::string>& args, long killAt) {
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC)) throw std::runtime_error("pipe failed");
  std::vector<std::string> argv = {(BinDir() / binary).string()};
  argv.insert(argv.end(), args.begin(), args.end());
  killAt_ = killAt;
  std::promise<void> started;
  std::future<void> ready = started.get_future();
  // ptrace answers only the thread that traces, so one thread forks, traces and reaps.
  tracer_ = std::thread([this, argv, in, out, &started]() mutable {
    std::vector<std::string> env = TracedEnvironment();
    std::vector<char*> argp = Pointers(argv), envp = Pointers(env);
    std::vector<sock_filter> filter = WriteFilter();
    sock_fprog prog{static_cast<unsigned short>(filter.size()), filter.data()};
    pid_t pid = fork();
    if (pid == 0) {
      // Only async-signal-safe calls from here to exec.
      dup2(in[0], 0);
      dup2(out[1], 1);
      setpgid(0, 0);  // its threads and children are one group to reap and to kill
      ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
      raise(SIGSTOP);
      if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) || syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &prog)) _exit(126);
      execve(argp[0], argp.data(), envp.data());
      _exit(127);
    }
    pid_ = pid;
    started.set_value();
    if (pid < 0) return;
    Trace();
  });
  ready.wait();
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  out_ = out[0];
  if (pid_ < 0) {
    tracer_.join();
    throw std::runtime_error("cannot start " + argv[0]);
  }
}

void TracedProgram::Trace() {
  const pid_t pid = pid_;
  int status = 0;
  waitpid(pid, &status, 0);  // its own SIGSTOP, before the filter and the exec
  ptrace(PTRACE_SETOPTIONS, pid, nullptr,
         PTRACE_O_EXITKILL | PTRACE_O_TRACESECCOMP | PTRACE_O_TRACECLONE | PTRACE_O_TRACEFORK |
             PTRACE_O_TRACEVFORK | PTRACE_O_TRACEEXEC);
  ptrace(PTRACE_CONT, pid, nullptr, nullptr);
  for (;;) {
    pid_t tid = waitpid(-pid, &status, __WALL);
    if (tid < 0) {
      if (errno == EINTR) continue;
      break;  // the whole group is reaped
    }
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      if (tid == pid) exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      continue;
    }
    if (!WIFSTOPPED(status)) continue;
    int sig = WSTOPSIG(status), event = status >> 16;
    if (sig == SIGTRAP && event == PTRACE_EVENT_SECCOMP) {
      long n = ++writes_, at = killAt_;
      if (at > 0 && n >= at) {
        killed_ = true;
        kill(-pid, SIGKILL);  // the stopped call is never made
        continue;
      }
      sig = 0;
    } else if (sig == SIGTRAP && event != 0) {
      sig = 0;  // a new thread, child or image
    } else if (sig == SIGSTOP) {
      sig = 0;  // the first stop of a new thread or child
    }
    ptrace(PTRACE_CONT, tid, nullptr, reinterpret_cast<void*>(static_cast<long>(sig)));
  }
  ended_ = true;
}

TracedProgram::~TracedProgram() {
  if (tracer_.joinable()) Kill();
  if (out_ >= 0) close(out_);
}

void TracedProgram::KillAtWrite(long n) {
  writes_ = 0;
  killAt_ = n;
}

std::optional<std::string> TracedProgram::ReadLine() {
  for (;;) {
    size_t nl = buffered_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl);
      buffered_.erase(0, nl + 1);
      return line;
    }
    if (out_ < 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, kAnswerTimeoutMs) <= 0) throw std::runtime_error("the traced program gave no answer");
    char buf[4096];
    ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0) {
      close(out_);
      out_ = -1;
      return std::nullopt;
    }
    buffered_.append(buf, static_cast<size_t>(n));
  }
}

std::optional<std::string> TracedProgram::Ask(const std::string& line) {
  std::string text = line + "\n";
  if (in_ < 0 || write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return std::nullopt;
  return ReadLine();
}

void TracedProgram::Finish(std::string* rest) {
  if (in_ >= 0) {
    close(in_);
    in_ = -1;
  }
  std::string all;
  while (std::optional<std::string> line = ReadLine()) all += *line + "\n";
  all += buffered_;
  buffered_.clear();
  if (rest) *rest = all;
  if (tracer_.joinable()) tracer_.join();
}

void TracedProgram::Kill() {
  if (!ended_ && pid_ > 0) kill(-pid_, SIGKILL);
  Finish();
}

}  // namespace e2e
