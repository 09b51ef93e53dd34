#include "e2e/process.h"

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
#include <cstdlib>
#include <future>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace e2e {
namespace {

// Generous: a failing program shows up as a failed test, never as a hung one.
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
std::vector<std::string> Environment(const Options& o) {
  std::vector<std::string> env;
  bool asan = false;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    bool drop = false;
    for (const std::string& n : o.unsetEnv) drop = drop || entry.compare(0, n.size() + 1, n + "=") == 0;
    if (o.traced && entry.rfind("ASAN_OPTIONS=", 0) == 0) {
      entry += ":detect_leaks=0";
      asan = true;
    }
    if (!drop) env.push_back(entry);
  }
  if (o.traced && !asan) env.push_back("ASAN_OPTIONS=detect_leaks=0");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

std::string ReadAll(int fd) {
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
  return out;
}

}  // namespace

std::filesystem::path BinDir() {
  const char* dir = std::getenv("PARLO_BIN_DIR");
  if (!dir) throw std::runtime_error("PARLO_BIN_DIR is not set");
  return dir;
}

Program::Program(const std::string& binary, const std::vector<std::string>& args, const Options& options) {
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || (options.pipeErr && pipe2(err, O_CLOEXEC)))
    throw std::runtime_error("pipe failed");
  std::vector<std::string> argv = {(BinDir() / binary).string()};
  argv.insert(argv.end(), args.begin(), args.end());
  killAt_ = options.killAt;
  std::promise<void> started;
  std::future<void> ready = started.get_future();
  // ptrace answers only the thread that traces, so one thread forks, traces and reaps.
  reaper_ = std::thread([this, argv, in, out, err, traced = options.traced, env = Environment(options),
                         &started]() mutable {
    std::vector<char*> argp = Pointers(argv), envp = Pointers(env);
    std::vector<sock_filter> filter = WriteFilter();
    sock_fprog prog{static_cast<unsigned short>(filter.size()), filter.data()};
    pid_t pid = fork();
    if (pid == 0) {
      // Only async-signal-safe calls from here to exec.
      dup2(in[0], 0);
      dup2(out[1], 1);
      if (err[1] >= 0) dup2(err[1], 2);
      setpgid(0, 0);  // its threads and children are one group to reap and to kill
      if (traced) {
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        raise(SIGSTOP);
        if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) || syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &prog))
          _exit(126);
      }
      execve(argp[0], argp.data(), envp.data());
      _exit(127);
    }
    pid_ = pid;
    started.set_value();
    if (pid < 0) return;
    if (traced) {
      Trace();
    } else {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ended_ = true;
  });
  ready.wait();
  close(in[0]);
  close(out[1]);
  if (err[1] >= 0) close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  if (pid_ < 0) {
    reaper_.join();
    throw std::runtime_error("cannot start " + argv[0]);
  }
}

void Program::Trace() {
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
}

Program::~Program() {
  // Closed input ends parlo the normal way, leaving what a normal end leaves; anything else is killed.
  try {
    if (reaper_.joinable()) Finish();
  } catch (const std::exception&) {
    Kill();
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

void Program::KillAtWrite(long n) {
  writes_ = 0;
  killAt_ = n;
}

std::optional<std::string> Program::ReadLine() {
  for (;;) {
    size_t nl = buffered_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl);
      buffered_.erase(0, nl + 1);
      return line;
    }
    if (out_ < 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, kAnswerTimeoutMs) <= 0) throw std::runtime_error("the program gave no answer");
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

bool Program::Write(const std::string& text) {
  return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> Program::Ask(const std::string& line) {
  if (!Write(line + "\n")) return std::nullopt;
  return ReadLine();
}

void Program::Finish(std::string* out, std::string* err) {
  if (in_ >= 0) {
    close(in_);
    in_ = -1;
  }
  std::string all;
  while (std::optional<std::string> line = ReadLine()) all += *line + "\n";
  all += buffered_;
  buffered_.clear();
  if (out) *out = all;
  // Outputs of these runs are small; stderr after stdout cannot fill its pipe first.
  if (err_ >= 0) {
    std::string rest = ReadAll(err_);
    if (err) *err = rest;
    close(err_);
    err_ = -1;
  }
  if (reaper_.joinable()) reaper_.join();
}

void Program::Kill() {
  if (!ended_ && pid_ > 0) kill(-pid_, SIGKILL);
  Finish();
}

Finished Run(const std::string& binary, const std::vector<std::string>& args, const std::string& input,
             const std::vector<std::string>& unsetEnv) {
  Program program(binary, args, {false, 0, true, unsetEnv});
  program.Write(input);  // the program may end without reading; its answer still tells
  Finished f;
  program.Finish(&f.out, &f.err);
  f.exitCode = program.exitCode();
  return f;
}

Parlo::Parlo(const std::filesystem::path& device, const std::vector<std::string>& args, const char* start)
    : Program("parlo", [&] {
        std::vector<std::string> all = {"--device", device.string(), "--headless", "--automate", "--virtual-clock",
                                        start};
        all.insert(all.end(), args.begin(), args.end());
        return all;
      }()) {}

nlohmann::json Parlo::Send(const std::string& line) {
  std::optional<std::string> answer = Ask(line);
  if (!answer) throw std::runtime_error("parlo gave no answer to " + line.substr(0, 40));
  return nlohmann::json::parse(*answer);
}

int Parlo::Wait() {
  Finish();
  return exitCode();
}

}  // namespace e2e
